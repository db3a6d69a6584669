#pragma once
// Memory layout of the pixel formats the device stores: bytes per pixel,
// 4 x 4 blocks, pixel pairs; pitches and level sizes.

#include <d3d8.h>

#include <cstdint>
#include <span>

namespace platform {

struct FormatLayout {
    D3DFORMAT format;
    uint32_t bytesPerPixel;  // 0 for block formats
    uint32_t blockBytes;     // bytes of one 4 x 4 block; 0 unless DXT
    bool yuv;                // two pixels share four bytes
    bool depth;
};

// Null for a format the device does not store.
const FormatLayout* FindFormatLayout(D3DFORMAT format);

// The colour formats textures can take, in a fixed order.
std::span<const D3DFORMAT> TextureFormats();

bool IsBlockFormat(D3DFORMAT format);
bool IsYuvFormat(D3DFORMAT format);

// Bytes of one row of pixels (of one row of blocks for DXT).
uint64_t RowPitch(const FormatLayout& layout, uint32_t width);
// Rows of pitch bytes that make up the image (rows of blocks for DXT).
uint64_t RowCount(const FormatLayout& layout, uint32_t height);

// Size of a level: halves per level, never below 1.
inline uint32_t LevelExtent(uint32_t size, uint32_t level) {
    const uint32_t extent = level >= 32 ? 0 : size >> level;
    return extent == 0 ? 1 : extent;
}

// Levels of a full chain down to 1 x 1 (x 1).
uint32_t FullChainLength(uint32_t width, uint32_t height, uint32_t depth);

}  // namespace platform
