#pragma once
// One decoded picture (one mip level of one face) with links to further
// levels and faces, and the description handed back to callers.

#include <cstdint>

#include <d3d8.h>
#include <windows.h>

struct Image {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    BYTE* pixels = nullptr;           // first byte of the top row
    UINT rowPitch = 0;                // bytes between rows (DXT: between rows of 4 x 4 blocks)
    RECT rect = {0, 0, 0, 0};         // (0, 0, width, height)
    PALETTEENTRY* palette = nullptr;  // 256 entries, D3DFMT_P8 only
    BOOL ownsPixels = FALSE;
    BOOL ownsPalette = FALSE;
    Image* nextLevel = nullptr;  // next smaller level of this face
    Image* nextFace = nullptr;   // top level of the next cube face

    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Releases everything owned and the linked trees; back to the empty
    // state except format, rowPitch and rect.
    void Release();

    // 1 + the length of the nextLevel chain: the levels of this face.
    UINT LevelCount() const;
    // 1 + the length of the nextFace chain: the faces from this one on.
    UINT FaceCount() const;
};

struct ImageInfo {
    UINT width;
    UINT height;
    UINT depth;
    UINT mipLevels;
    D3DFORMAT format;
};

namespace tovtex {

constexpr UINT PALETTE_ENTRIES = 256;

// Pixel and palette memory of images: malloc'd, freed with FreeImageBytes.
// Returns null when the memory cannot be had (or exceeds the test limit).
BYTE* AllocateImageBytes(uint64_t size);
void FreeImageBytes(void* memory);

// Allocates an owned palette on the image with every entry opaque white.
HRESULT AttachWhitePalette(Image* image);

// Allocates owned pixel memory of the given size on the image.
HRESULT AttachOwnedPixels(Image* image, uint64_t size);

// A new empty Image for a link, or null.
Image* NewLinkedImage();

}  // namespace tovtex
