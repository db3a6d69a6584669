#pragma once
// Caps image allocations, or sets the library's pixel limit, for the length
// of a test.

#include "texload/image_limit.h"
#include "texload/image_testing.h"

class AllocationLimit {
public:
    explicit AllocationLimit(uint64_t bytes) { tovtex::SetImageAllocationLimit(bytes); }
    ~AllocationLimit() { tovtex::SetImageAllocationLimit(0); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;
};

class PixelLimit {
public:
    explicit PixelLimit(ULONGLONG pixels) { SetImagePixelLimit(pixels); }
    ~PixelLimit() { SetImagePixelLimit(DEFAULT_IMAGE_PIXEL_LIMIT); }
    PixelLimit(const PixelLimit&) = delete;
    PixelLimit& operator=(const PixelLimit&) = delete;
};
