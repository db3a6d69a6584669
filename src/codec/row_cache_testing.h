#pragma once
// Test seam: while set, every row cache allocation of the YUV and DXT
// codecs fails, so tests can drive the failure of their row operations
// through the conversion engine. Off by default.

namespace tovtex {

void SetRowCacheAllocationFails(bool fail);

}  // namespace tovtex
