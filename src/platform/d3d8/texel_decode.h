#pragma once
// Turns the stored pixels of a level into A8R8G8B8 for the sampler.

#include <cstdint>

#include "format_layout.h"

namespace platform {

// Formats without a decoder here (block, YUV, palette and signed formats)
// come out opaque white.
void DecodeToArgb(const FormatLayout& layout, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                  uint32_t* out);

bool HasDecoder(D3DFORMAT format);

// One pixel of a format the back buffer or a texture may use; 0xFFFFFFFF
// for a format without a decoder.
uint32_t DecodePixel(D3DFORMAT format, const uint8_t* pixel);

}  // namespace platform
