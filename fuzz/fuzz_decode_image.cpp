// Feeds arbitrary bytes to DecodeImageFile and reads every byte of every
// row of every level and face of the result, so a pixel pointer that strays
// outside the input or an allocation shows up under the sanitizers; the
// description handed back must match the image.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image_checks.h"
#include "texload/image_readers.h"
#include "texload/image_testing.h"

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
    volatile unsigned sink = WalkImageTree(image);
    (void)sink;
    UINT levels = 0;
    for (const Image* level = &image; level != nullptr; level = level->nextLevel) {
        ++levels;
    }
    if (info.width != static_cast<UINT>(image.rect.right) || info.height != static_cast<UINT>(image.rect.bottom) ||
        info.depth != 1 || info.mipLevels != levels || info.format != image.format) {
        std::abort();  // the description matches the image
    }
    return 0;
}
