#include "texload/image.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "texload/image_testing.h"

namespace tovtex {

namespace {

std::atomic<uint64_t> g_allocationLimit{0};

}  // namespace

void SetImageAllocationLimit(uint64_t maxBytes) {
    g_allocationLimit.store(maxBytes, std::memory_order_relaxed);
}

uint64_t GetImageAllocationLimit() {
    return g_allocationLimit.load(std::memory_order_relaxed);
}

BYTE* AllocateImageBytes(uint64_t size) {
    uint64_t limit = GetImageAllocationLimit();
    if ((limit != 0 && size > limit) || size > SIZE_MAX) {
        return nullptr;
    }
    // malloc(0) may return null; an empty picture still gets a valid pointer.
    // No large-page advice: where memory is fragmented the kernel compacts
    // it on the first write of advised memory, which can take longer than
    // the decode itself.
    return static_cast<BYTE*>(std::malloc(size == 0 ? 1 : static_cast<size_t>(size)));
}

void FreeImageBytes(void* memory) {
    std::free(memory);
}

HRESULT AttachWhitePalette(Image* image) {
    auto* palette = reinterpret_cast<PALETTEENTRY*>(AllocateImageBytes(PALETTE_ENTRIES * sizeof(PALETTEENTRY)));
    if (palette == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memset(palette, 0xFF, PALETTE_ENTRIES * sizeof(PALETTEENTRY));
    image->palette = palette;
    image->ownsPalette = TRUE;
    return S_OK;
}

HRESULT AttachOwnedPixels(Image* image, uint64_t size) {
    BYTE* pixels = AllocateImageBytes(size);
    if (pixels == nullptr) {
        return E_OUTOFMEMORY;
    }
    image->pixels = pixels;
    image->ownsPixels = TRUE;
    return S_OK;
}

Image* NewLinkedImage() {
    return new (std::nothrow) Image();
}

}  // namespace tovtex

Image::~Image() {
    Release();
}

void Image::Release() {
    if (ownsPixels) {
        tovtex::FreeImageBytes(pixels);
    }
    if (ownsPalette) {
        tovtex::FreeImageBytes(palette);
    }
    // A level chain can be long (a file may claim thousands of levels); walk
    // it iteratively instead of recursing once per level.
    while (nextLevel != nullptr) {
        Image* level = nextLevel;
        nextLevel = level->nextLevel;
        level->nextLevel = nullptr;
        delete level;
    }
    while (nextFace != nullptr) {
        Image* face = nextFace;
        nextFace = face->nextFace;
        face->nextFace = nullptr;
        delete face;
    }
    pixels = nullptr;
    palette = nullptr;
    ownsPixels = FALSE;
    ownsPalette = FALSE;
}

UINT Image::LevelCount() const {
    UINT levels = 1;
    for (const Image* level = nextLevel; level != nullptr; level = level->nextLevel) {
        ++levels;
    }
    return levels;
}

UINT Image::FaceCount() const {
    UINT faces = 1;
    for (const Image* face = nextFace; face != nullptr; face = face->nextFace) {
        ++faces;
    }
    return faces;
}
