#include "texload/image.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

#include "texload/image_testing.h"

namespace tovtex {

namespace {

std::atomic<uint64_t> g_allocationLimit{0};

// A decoded picture is written once, top to bottom, into fresh memory; on
// large pages its first write costs a fraction of the page faults.
constexpr uint64_t LARGE_PAGES_FROM = uint64_t{4} << 20;
constexpr uintptr_t LARGE_PAGE = uintptr_t{2} << 20;

// Advice only: the whole large pages inside the block, before they are
// first touched. Nothing changes if the system has no large pages.
void AskForLargePages(BYTE* bytes, size_t size) {
    const auto start = (reinterpret_cast<uintptr_t>(bytes) + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    const auto end = (reinterpret_cast<uintptr_t>(bytes) + size) & ~(LARGE_PAGE - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
}

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
    auto* bytes = static_cast<BYTE*>(std::malloc(size == 0 ? 1 : static_cast<size_t>(size)));
    if (bytes != nullptr && size >= LARGE_PAGES_FROM) {
        AskForLargePages(bytes, static_cast<size_t>(size));
    }
    return bytes;
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
