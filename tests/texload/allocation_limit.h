#pragma once
// Caps image allocations for the length of a test.

#include "texload/image_testing.h"

class AllocationLimit {
public:
    explicit AllocationLimit(uint64_t bytes) { tovtex::SetImageAllocationLimit(bytes); }
    ~AllocationLimit() { tovtex::SetImageAllocationLimit(0); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};
