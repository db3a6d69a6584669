// Feeds arbitrary bytes to one image reader, called directly (not through
// the dispatcher, so inputs that an earlier reader would take still reach
// it). Built once per reader; FUZZ_READER_NAME names it. Each result must be
// one of the reader's codes, and a filled image must hold only the reader's
// formats, own or borrow its pixels as the reader does, and have every row
// of every level readable.
//
// The library's pixel limit stays at its default: a small file that still
// makes a reader take gigabytes or seconds is a finding (the fuzzer's memory
// and time limits).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/tovtex_defs.h"
#include "image_checks.h"
#include "texload/image_readers.h"

namespace {

enum class Pixels { Owned, Borrowed, Either };

struct ReaderRules {
    const char* name;
    ImageReader reader;
    std::vector<D3DFORMAT> formats;
    Pixels pixels;
    bool levelsAndFaces;
    bool notImplemented;  // may answer E_NOTIMPL
};

const std::vector<D3DFORMAT> BITMAP_FORMATS = {
    D3DFMT_P8,     D3DFMT_R8G8B8,   D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5,
    D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2, D3DFMT_A8L8,
};

const ReaderRules& Rules() {
    static const ReaderRules rules[] = {
        // clang-format off
        {"bmp", ReadBmp, BITMAP_FORMATS, Pixels::Either, false, true},
        {"dib", ReadDib, BITMAP_FORMATS, Pixels::Either, false, true},
        {"ppm", ReadPpm, {D3DFMT_X8R8G8B8}, Pixels::Owned, false, false},
        // clang-format on
        {"dds",
         ReadDds,
         {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
          D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4},
         Pixels::Borrowed,
         true,
         false},
        {"jpeg", ReadJpeg, {D3DFMT_L8, D3DFMT_X8R8G8B8}, Pixels::Owned, false, false},
        {"png",
         ReadPng,
         {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_P8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
         Pixels::Owned,
         false,
         false},
        {"tga",
         ReadTga,
         {D3DFMT_P8, D3DFMT_L8, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R8G8B8, D3DFMT_A8R8G8B8},
         Pixels::Either,
         false,
         false},
    };
    for (const ReaderRules& r : rules) {
        if (std::strcmp(r.name, FUZZ_READER_NAME) == 0) {
            return r;
        }
    }
    std::abort();  // built for a reader this table does not know
}

bool Known(const std::vector<D3DFORMAT>& formats, D3DFORMAT format) {
    for (D3DFORMAT f : formats) {
        if (f == format) {
            return true;
        }
    }
    return false;
}

// Every level of every face: the reader's format, its way with the pixels,
// and borrowed pixels inside the file bytes.
void CheckLevels(const ReaderRules& rules, const Image& root, const BYTE* data, size_t size) {
    for (const Image* face = &root; face != nullptr; face = face->nextFace) {
        for (const Image* level = face; level != nullptr; level = level->nextLevel) {
            if (!Known(rules.formats, level->format)) {
                std::abort();
            }
            if ((rules.pixels == Pixels::Owned && !level->ownsPixels) ||
                (rules.pixels == Pixels::Borrowed && level->ownsPixels)) {
                std::abort();
            }
            if (!level->ownsPixels && (level->pixels < data || level->pixels >= data + size)) {
                std::abort();  // borrowed from somewhere else
            }
        }
    }
    if (!rules.levelsAndFaces && (root.nextLevel != nullptr || root.nextFace != nullptr)) {
        std::abort();  // only DDS files have levels and faces
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ReaderRules& rules = Rules();
    if (size == 0 || size > UINT32_MAX) {
        return 0;  // callers refuse empty buffers before decoding
    }
    // A private copy, so reads past the input land outside a heap block.
    std::vector<BYTE> copy(data, data + size);
    Image image;
    const HRESULT hr = rules.reader(&image, copy.data(), static_cast<UINT>(size));
    if (hr != S_OK) {
        if (hr != E_FAIL && hr != E_OUTOFMEMORY && hr != ERR_IMAGETOOLARGE &&
            !(rules.notImplemented && hr == E_NOTIMPL)) {
            std::abort();  // no other result, and never a positive success code
        }
        return 0;  // whatever is attached goes with the image
    }
    volatile unsigned sink = WalkImageTree(image);
    (void)sink;
    CheckLevels(rules, image, copy.data(), copy.size());
    return 0;
}
