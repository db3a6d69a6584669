#include "image_checks.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Bytes a row of the picture really uses; 0 for a block or unknown format.
uint64_t PixelBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_P8:
    case D3DFMT_L8: return 1;
    case D3DFMT_A8L8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2: return 2;
    case D3DFMT_R8G8B8: return 3;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    default: return 0;
    }
}

uint64_t BlockBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_DXT1: return 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return 16;
    default: return 0;
    }
}

unsigned Touch(const BYTE* p, uint64_t n) {
    unsigned sum = 0;
    for (uint64_t i = 0; i < n; ++i) {
        sum += p[i];
    }
    return sum;
}

unsigned WalkLevel(const Image& image) {
    if (image.pixels == nullptr || image.rect.left != 0 || image.rect.top != 0 || image.rect.right <= 0 ||
        image.rect.bottom <= 0) {
        std::abort();  // a filled image always has pixels and a picture
    }
    const uint64_t width = static_cast<uint64_t>(image.rect.right);
    const uint64_t height = static_cast<uint64_t>(image.rect.bottom);
    uint64_t rowBytes = PixelBytes(image.format) * width;
    uint64_t rows = height;
    if (uint64_t block = BlockBytes(image.format); block != 0) {
        rowBytes = block * ((width + 3) / 4);
        rows = (height + 3) / 4;
    }
    if (rowBytes == 0 || rowBytes > image.rowPitch) {
        std::abort();  // an unknown format, or rows that overlap
    }
    unsigned sum = 0;
    for (uint64_t r = 0; r < rows; ++r) {
        sum += Touch(image.pixels + r * image.rowPitch, rowBytes);
    }
    if ((image.format == D3DFMT_P8) != (image.palette != nullptr)) {
        std::abort();  // a palette exactly for palette images
    }
    if (image.palette != nullptr) {
        if (!image.ownsPalette) {
            std::abort();  // palettes are always owned
        }
        sum += Touch(reinterpret_cast<const BYTE*>(image.palette), 256 * sizeof(PALETTEENTRY));
    }
    return sum;
}

LONG Half(LONG side) {
    return side > 1 ? side / 2 : 1;
}

}  // namespace

unsigned WalkImageTree(const Image& root) {
    unsigned sum = 0;
    unsigned faces = 0;
    for (const Image* face = &root; face != nullptr; face = face->nextFace) {
        ++faces;
        // Each face walks beside the first, level by level.
        const Image* match = &root;
        const Image* above = nullptr;
        for (const Image* level = face; level != nullptr; level = level->nextLevel, match = match->nextLevel) {
            sum += WalkLevel(*level);
            if (match == nullptr || level->rect.right != match->rect.right ||
                level->rect.bottom != match->rect.bottom || level->format != root.format) {
                std::abort();  // faces alike in size, levels and format
            }
            if (above != nullptr &&
                (level->rect.right != Half(above->rect.right) || level->rect.bottom != Half(above->rect.bottom))) {
                std::abort();  // each level half the one above
            }
            above = level;
        }
        if (match != nullptr) {
            std::abort();  // fewer levels than the first face
        }
    }
    if (faces != 1 && faces != 6) {
        std::abort();  // a plain picture or a whole cube
    }
    return sum;
}
