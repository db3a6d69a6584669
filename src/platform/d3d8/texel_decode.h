#pragma once
// Turns the stored pixels of a level into A8R8G8B8 for the sampler.

#include <cstdint>

#include "format_layout.h"

namespace platform {

// One slice of a level. Palette formats read their colours from palette (256
// entries, the flags byte as alpha; null reads opaque white). Signed formats
// read as the fixed-function pipeline takes them for colour: U, V, W and Q
// (or the luminance) in red, green, blue and alpha, a channel the format
// lacks as 1, and values below zero as 0.
void DecodeToArgb(const FormatLayout& layout, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                  const PALETTEENTRY* palette, uint32_t* out);

bool IsPaletteFormat(D3DFORMAT format);

bool HasDecoder(D3DFORMAT format);

// One pixel of a format whose pixels stand alone (not block, YUV or palette
// formats); 0xFFFFFFFF for any other.
uint32_t DecodePixel(D3DFORMAT format, const uint8_t* pixel);

}  // namespace platform
