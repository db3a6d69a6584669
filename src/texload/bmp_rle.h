#pragma once
// Run-length decoding of bitmap rows (BI_RLE8, BI_RLE4) into one byte per
// pixel.

#include <cstdint>

#include <windows.h>

namespace tovtex {

struct RleTarget {
    BYTE* pixels;  // top row of the picture
    uint64_t rowPitch;
    uint64_t width;
    uint64_t height;  // rows; the stream starts on the bottom one
};

// Decodes the stream into the target. Pixels that would fall right of their
// row or outside the picture are dropped, never carried to another row;
// pixels the stream skips keep what the target held. A stream that ends
// without its end-of-bitmap code keeps what it decoded.
void DecodeRle(const BYTE* data, uint64_t size, bool fourBit, const RleTarget& target);

}  // namespace tovtex
