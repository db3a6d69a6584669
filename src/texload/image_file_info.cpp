#include "texload/image_file_info.h"

#include <cstring>
#include <iterator>

#include "base/tovtex_defs.h"
#include "texload/image_headers.h"
#include "texload/image_readers.h"

namespace {

using HeaderTest = HRESULT (*)(const BYTE* data, UINT size, tovtex::ImageHeader* header);

struct NamedHeaderTest {
    const char* name;
    HeaderTest test;
};

constexpr NamedHeaderTest HEADER_TESTS[] = {
    {"BMP", tovtex::ReadBmpHeader},   {"PPM", tovtex::ReadPpmHeader}, {"DDS", tovtex::ReadDdsHeader},
    {"JPEG", tovtex::ReadJpegHeader}, {"PNG", tovtex::ReadPngHeader}, {"TGA", tovtex::ReadTgaHeader},
    {"DIB", tovtex::ReadDibHeader},
};

constexpr bool SameName(const char* a, const char* b) {
    for (; *a != '\0' && *a == *b; ++a, ++b) {
    }
    return *a == *b;
}

// The header tests stand in for the readers one for one; a reader added
// or moved without its test would make the two disagree.
constexpr bool MatchesReaderOrder() {
    if (std::size(HEADER_TESTS) != std::size(READER_ORDER)) {
        return false;
    }
    for (size_t i = 0; i < std::size(HEADER_TESTS); ++i) {
        if (!SameName(HEADER_TESTS[i].name, READER_ORDER[i].name)) {
            return false;
        }
    }
    return true;
}
static_assert(MatchesReaderOrder());

}  // namespace

HRESULT DescribeImageFile(const void* data, UINT size, ImageFileDescription* description) {
    if (data == nullptr || size == 0) {
        return D3DERR_INVALIDCALL;
    }
    const auto* bytes = static_cast<const BYTE*>(data);
    bool tooLarge = false;
    for (size_t i = 0; i < std::size(HEADER_TESTS); ++i) {
        tovtex::ImageHeader header;
        const HRESULT hr = HEADER_TESTS[i].test(bytes, size, &header);
        if (SUCCEEDED(hr)) {
            if (description != nullptr) {
                std::memset(description, 0, sizeof(*description));
                description->info = ImageInfo{header.width, header.height, 1, header.mipLevels, header.format};
                description->faces = header.faces;
                description->reader = READER_ORDER[i].name;
            }
            return S_OK;
        }
        tooLarge = tooLarge || hr == ERR_IMAGETOOLARGE;
    }
    return tooLarge ? ERR_IMAGETOOLARGE : ERR_INVALIDDATA;
}

HRESULT GetImageFileInfo(const void* data, UINT size, ImageInfo* info) {
    ImageFileDescription description;
    const HRESULT hr = DescribeImageFile(data, size, &description);
    if (SUCCEEDED(hr) && info != nullptr) {
        *info = description.info;
    }
    return hr;
}
