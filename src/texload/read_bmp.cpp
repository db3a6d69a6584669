// Windows bitmaps: the file form ("BM" + 14-byte header) and the headerless
// form that bitmap resources use.

#include <cstring>

#include "base/checked_size.h"
#include "base/tovtex_defs.h"
#include "texload/bmp_rle.h"
#include "texload/byte_order.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

namespace {

using tovtex::CheckedAdd;
using tovtex::CheckedMul;
using tovtex::LoadU16;
using tovtex::LoadU32;

constexpr UINT FILE_HEADER_SIZE = 14;
constexpr UINT INFO_HEADER_MIN = 40;
constexpr UINT INFO_HEADER_WITH_MASKS = 108;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

struct MaskFormat {
    WORD bitCount;
    DWORD red, green, blue, alpha;
    D3DFORMAT format;
};

// bit count | red | green | blue | alpha masks -> format; nothing else is read.
constexpr MaskFormat MASK_FORMATS[] = {
    {32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_X8R8G8B8},   {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_A8R8G8B8},
    {24, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_R8G8B8},     {16, 0xFF, 0xFF, 0xFF, 0xFF00, D3DFMT_A8L8},
    {16, 0xF800, 0x7E0, 0x1F, 0, D3DFMT_R5G6B5},        {16, 0x7C00, 0x3E0, 0x1F, 0, D3DFMT_X1R5G5B5},
    {16, 0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_A1R5G5B5}, {16, 0xF00, 0xF0, 0xF, 0xF000, D3DFMT_A4R4G4B4},
    {16, 0xE0, 0x1C, 0x3, 0xFF00, D3DFMT_A8R3G3B2},
};

D3DFORMAT FormatForBitCount(WORD bitCount) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8: return D3DFMT_P8;
    case 16: return D3DFMT_X1R5G5B5;
    case 24: return D3DFMT_R8G8B8;
    case 32: return D3DFMT_X8R8G8B8;
    default: return D3DFMT_UNKNOWN;
    }
}

D3DFORMAT FormatForMasks(const BYTE* header, WORD bitCount) {
    DWORD red = LoadU32(header + 40);
    DWORD green = LoadU32(header + 44);
    DWORD blue = LoadU32(header + 48);
    DWORD alpha = LoadU32(header + 52);
    for (const MaskFormat& row : MASK_FORMATS) {
        if (row.bitCount == bitCount && row.red == red && row.green == green && row.blue == blue &&
            row.alpha == alpha) {
            return row.format;
        }
    }
    return D3DFMT_UNKNOWN;
}

void FillPalette(PALETTEENTRY* palette, const BYTE* table, uint64_t colours) {
    uint64_t used = colours < tovtex::PALETTE_ENTRIES ? colours : tovtex::PALETTE_ENTRIES;
    for (uint64_t j = 0; j < used; ++j) {
        const BYTE* quad = table + 4 * j;
        palette[j] = PALETTEENTRY{quad[2], quad[1], quad[0], 0xFF};
    }
}

// Uncompressed rows, one index byte per pixel for 1 and 4 bits.
void ExpandRow(BYTE* dst, const BYTE* src, uint64_t width, WORD bitCount) {
    if (bitCount == 1) {
        for (uint64_t i = 0; i < width; ++i) {
            dst[i] = (src[i / 8] >> (7 - i % 8)) & 1;
        }
    } else if (bitCount == 4) {
        for (uint64_t i = 0; i < width; ++i) {
            dst[i] = (i & 1) == 0 ? src[i / 2] >> 4 : src[i / 2] & 0x0F;
        }
    } else {
        std::memcpy(dst, src, width * bitCount / 8);
    }
}

// The information header, checked in the order the reader checks it.
struct DibLayout {
    uint64_t headerSize, width, height, colours, pixelOffset, rowPitch, stride;
    WORD bitCount;
    DWORD compression;
    bool topDown;
    D3DFORMAT format;
};

HRESULT ParseDib(const BYTE* data, UINT size, DibLayout* out) {
    if (size < INFO_HEADER_MIN) {
        return E_FAIL;
    }
    const uint64_t headerSize = LoadU32(data);
    const uint64_t width = LoadU32(data + 4);
    const int32_t signedHeight = static_cast<int32_t>(LoadU32(data + 8));
    const WORD planes = LoadU16(data + 12);
    const WORD bitCount = LoadU16(data + 14);
    const DWORD compression = LoadU32(data + 16);
    const DWORD coloursUsed = LoadU32(data + 32);
    if (headerSize < INFO_HEADER_MIN) {
        return E_FAIL;
    }
    uint64_t colours = coloursUsed;
    if (bitCount <= 8 && coloursUsed == 0) {
        colours = uint64_t{1} << bitCount;
    }
    // The pixel rows follow the colour table directly.
    const uint64_t pixelOffset = headerSize + 4 * colours;
    if (pixelOffset > size) {
        return E_FAIL;
    }
    if (planes != 1) {
        return E_FAIL;
    }
    const bool topDown = signedHeight < 0;
    if (topDown && compression != BI_RGB && compression != BI_BITFIELDS) {
        return E_FAIL;
    }

    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (compression <= BI_RLE4) {
        format = FormatForBitCount(bitCount);
    } else if (compression == BI_BITFIELDS) {
        if (headerSize < INFO_HEADER_WITH_MASKS) {
            return E_FAIL;
        }
        format = FormatForMasks(data, bitCount);
    } else {
        return E_NOTIMPL;
    }
    if (format == D3DFMT_UNKNOWN) {
        return E_FAIL;
    }

    // A picture without pixels, or one whose size the image fields cannot
    // hold, is not usable.
    const uint64_t height = topDown ? uint64_t{0} - static_cast<int64_t>(signedHeight) : signedHeight;
    const uint64_t bytesPerPixel = bitCount <= 8 ? 1 : bitCount / 8;
    const uint64_t rowPitch = (width * bytesPerPixel + 3) & ~uint64_t{3};
    const uint64_t stride = (width * bitCount + 31) / 32 * 4;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || rowPitch > UINT32_MAX) {
        return E_FAIL;
    }
    // A run-length stream of a few bytes can declare any size (end-of-line
    // and delta codes skip whole rows), so the size alone decides.
    if (!tovtex::FitsPixelLimit(width, height)) {
        return ERR_IMAGETOOLARGE;
    }
    *out = DibLayout{headerSize, width,    height,      colours, pixelOffset, rowPitch,
                     stride,     bitCount, compression, topDown, format};
    return S_OK;
}

bool IsRle(const DibLayout& dib) {
    return dib.compression == BI_RLE8 || dib.compression == BI_RLE4;
}

// Uncompressed rows: all that the header promises must be there.
bool RowsFit(const DibLayout& dib, UINT size) {
    uint64_t rowsEnd = 0;
    return IsRle(dib) || (CheckedMul(dib.stride, dib.height, &rowsEnd) &&
                          CheckedAdd(rowsEnd, dib.pixelOffset, &rowsEnd) && rowsEnd <= size);
}

bool IsBmpFile(const BYTE* data, UINT size) {
    return size >= FILE_HEADER_SIZE && data[0] == 'B' && data[1] == 'M' && LoadU32(data + 2) <= size;
}

}  // namespace

HRESULT ReadBmp(Image* image, const BYTE* data, UINT size) {
    if (!IsBmpFile(data, size)) {
        return E_FAIL;
    }
    return ReadDib(image, data + FILE_HEADER_SIZE, size - FILE_HEADER_SIZE);
}

HRESULT ReadDib(Image* image, const BYTE* data, UINT size) {
    DibLayout dib{};
    if (HRESULT hr = ParseDib(data, size, &dib); FAILED(hr)) {
        return hr;
    }
    const uint64_t headerSize = dib.headerSize, width = dib.width, height = dib.height;
    const uint64_t colours = dib.colours, pixelOffset = dib.pixelOffset, rowPitch = dib.rowPitch;
    const uint64_t stride = dib.stride;
    const WORD bitCount = dib.bitCount;
    const DWORD compression = dib.compression;
    const bool topDown = dib.topDown;
    const D3DFORMAT format = dib.format;

    if (format == D3DFMT_P8) {
        HRESULT hr = tovtex::AttachWhitePalette(image);
        if (FAILED(hr)) {
            return hr;
        }
        FillPalette(image->palette, data + headerSize, colours);
    }

    image->format = format;
    image->rect = RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    image->rowPitch = static_cast<UINT>(rowPitch);

    const bool rle = IsRle(dib);
    if (!RowsFit(dib, size)) {
        return E_FAIL;  // the rows the header promises are not all there
    }

    if (topDown && bitCount >= 8) {
        image->pixels = const_cast<BYTE*>(data + pixelOffset);
        image->ownsPixels = FALSE;
        return S_OK;
    }

    HRESULT hr = tovtex::AttachOwnedPixels(image, rowPitch * height);
    if (FAILED(hr)) {
        return hr;
    }
    if (rle) {
        // Pixels the stream skips read as palette index 0, not as whatever
        // the heap held.
        std::memset(image->pixels, 0, rowPitch * height);
        tovtex::DecodeRle(data + pixelOffset, size - pixelOffset, compression == BI_RLE4,
                          tovtex::RleTarget{image->pixels, rowPitch, width, height});
        return S_OK;
    }
    for (uint64_t row = 0; row < height; ++row) {
        uint64_t dstRow = topDown ? row : height - 1 - row;
        ExpandRow(image->pixels + dstRow * rowPitch, data + pixelOffset + row * stride, width, bitCount);
    }
    return S_OK;
}

namespace tovtex {

HRESULT ReadDibHeader(const BYTE* data, UINT size, ImageHeader* header) {
    DibLayout dib{};
    if (HRESULT hr = ParseDib(data, size, &dib); FAILED(hr)) {
        return hr;
    }
    if (!RowsFit(dib, size)) {
        return E_FAIL;
    }
    *header = ImageHeader{dib.format, static_cast<UINT>(dib.width), static_cast<UINT>(dib.height), 1, 1};
    return S_OK;
}

HRESULT ReadBmpHeader(const BYTE* data, UINT size, ImageHeader* header) {
    if (!IsBmpFile(data, size)) {
        return E_FAIL;
    }
    return ReadDibHeader(data + FILE_HEADER_SIZE, size - FILE_HEADER_SIZE, header);
}

}  // namespace tovtex
