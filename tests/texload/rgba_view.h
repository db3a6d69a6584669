#pragma once
// Test-only: a decoded Image as plain R, G, B, A bytes, row after row, and
// reference decodes of PNG files by libpng itself.

#include <cstdint>
#include <string>
#include <vector>

#include "texload/image.h"

namespace texload_test {

struct Rgba8 {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bytes;  // width * height * 4
};

// Every format the readers produce; fails the test for any other.
Rgba8 ToRgba8(const Image& image);

// libpng's own expansion of a PNG to 8-bit RGBA, with the same gamma rule as
// the reader when withGamma is set (screen 2.2 unless the file has sRGB).
Rgba8 DecodePngReference(const std::vector<uint8_t>& file, bool withGamma);

// Largest per-channel difference; the sizes must match.
int MaxChannelDifference(const Rgba8& a, const Rgba8& b);

// Byte offsets of a pixel.
inline const uint8_t* PixelAt(const Rgba8& image, uint32_t x, uint32_t y) {
    return &image.bytes[(static_cast<size_t>(y) * image.width + x) * 4];
}

}  // namespace texload_test
