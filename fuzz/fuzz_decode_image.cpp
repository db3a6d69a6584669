// Feeds arbitrary bytes to DecodeImageFile and reads every byte of every
// row of every level and face of the result, so a pixel pointer that strays
// outside the input or an allocation shows up under the sanitizers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "texload/image_readers.h"
#include "texload/image_testing.h"

namespace {

// Bytes a row of the picture really uses; 0 for a block format.
uint64_t PixelBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_P8:
    case D3DFMT_L8:
        return 1;
    case D3DFMT_A8L8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
        return 2;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    default:
        return 0;
    }
}

uint64_t BlockBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_DXT1:
        return 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return 16;
    default:
        return 0;
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
        sum += Touch(reinterpret_cast<const BYTE*>(image.palette), 256 * sizeof(PALETTEENTRY));
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pictures over 2^26 bytes are refused as out of memory instead of
    // tripping the fuzzer's own memory limit.
    tovtex::SetImageAllocationLimit(uint64_t{1} << 26);
    if (size > UINT32_MAX) {
        return 0;
    }
    // A private copy, so reads past the input land outside a heap block.
    std::vector<uint8_t> copy(data, data + size);
    const BYTE* bytes = copy.empty() ? nullptr : copy.data();
    if (size == 0) {
        return 0;  // callers refuse empty buffers before decoding
    }
    Image image;
    ImageInfo info;
    std::memset(&info, 0xAB, sizeof(info));
    HRESULT hr = DecodeImageFile(&image, bytes, static_cast<UINT>(size), &info);
    if (FAILED(hr)) {
        if (image.pixels != nullptr || image.palette != nullptr || image.nextLevel != nullptr ||
            image.nextFace != nullptr) {
            std::abort();  // a refused file leaves nothing attached
        }
        return 0;
    }
    volatile unsigned sink = 0;
    for (const Image* face = &image; face != nullptr; face = face->nextFace) {
        for (const Image* level = face; level != nullptr; level = level->nextLevel) {
            sink = sink + WalkLevel(*level);
        }
    }
    return 0;
}
