#pragma once
// Test seam: caps the pixel and palette memory one allocation may take, so
// tests and the fuzzer can drive the out-of-memory paths of the readers
// without asking the system for gigabytes. 0 (the default) means no cap.

#include <cstdint>

namespace tovtex {

void SetImageAllocationLimit(uint64_t maxBytes);
uint64_t GetImageAllocationLimit();

}  // namespace tovtex
