// Targa files: colour-mapped, true-colour and greyscale, plain or
// run-length encoded, in any of the four storage orientations.

#include <cstring>

#include "base/tovtex_defs.h"
#include "texload/byte_order.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

namespace {

using tovtex::LoadU16;

constexpr UINT HEADER_SIZE = 18;
constexpr BYTE TYPE_RLE = 0x08;
constexpr BYTE DESC_RIGHT_TO_LEFT = 0x10;
constexpr BYTE DESC_TOP_FIRST = 0x20;

struct Header {
    BYTE idLength, colourMapType, imageType;
    WORD mapFirst, mapLength;
    BYTE mapEntrySize;
    WORD width, height;
    BYTE pixelDepth, descriptor;
};

Header ParseHeader(const BYTE* d) {
    return Header{d[0],  d[1], d[2], LoadU16(d + 3), LoadU16(d + 5), d[7], LoadU16(d + 12), LoadU16(d + 14),
                  d[16], d[17]};
}

D3DFORMAT ChooseFormat(const Header& h) {
    switch (h.imageType & 3) {
    case 1: return h.colourMapType == 1 && h.pixelDepth == 8 ? D3DFMT_P8 : D3DFMT_UNKNOWN;
    case 2:
        switch (h.pixelDepth) {
        case 15: return D3DFMT_X1R5G5B5;
        case 16: return D3DFMT_A1R5G5B5;
        case 24: return D3DFMT_R8G8B8;
        case 32: return D3DFMT_A8R8G8B8;
        default: return D3DFMT_UNKNOWN;
        }
    case 3: return h.pixelDepth == 8 ? D3DFMT_L8 : D3DFMT_UNKNOWN;
    default: return D3DFMT_UNKNOWN;
    }
}

BYTE Widen5(unsigned c) {
    return static_cast<BYTE>((c << 3) | (c >> 2));
}

PALETTEENTRY MapEntry(const BYTE* e, BYTE entrySize) {
    switch (entrySize) {
    case 24: return PALETTEENTRY{e[2], e[1], e[0], 0xFF};
    case 32: return PALETTEENTRY{e[2], e[1], e[0], e[3]};
    default: {
        unsigned v = LoadU16(e);
        BYTE alpha = entrySize == 15 || (v & 0x8000) != 0 ? 0xFF : 0;
        return PALETTEENTRY{Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31), alpha};
    }
    }
}

// Places the stored pixels, in storage order, into the picture. A packet
// that runs past the end of its row continues on the next stored row (some
// writers do this); pixels past the last row are dropped.
class PixelPlacer {
public:
    PixelPlacer(Image* image, uint64_t bpp, const Header& h)
        : image_(image),
          bpp_(bpp),
          width_(h.width),
          height_(h.height),
          topFirst_((h.descriptor & DESC_TOP_FIRST) != 0),
          rightToLeft_((h.descriptor & DESC_RIGHT_TO_LEFT) != 0) {
        StartRow();
    }

    bool Done() const { return row_ >= height_; }
    uint64_t LeftInRow() const { return width_ - column_; }

    void Put(const BYTE* pixel) {
        std::memcpy(dst_, pixel, bpp_);
        dst_ = rightToLeft_ ? dst_ - bpp_ : dst_ + bpp_;
        if (++column_ == width_) {
            ++row_;
            StartRow();
        }
    }

    // A whole stored row at once (plain files, left to right).
    void PutRow(const BYTE* src) {
        std::memcpy(dst_, src, width_ * bpp_);
        ++row_;
        StartRow();
    }

    bool RightToLeft() const { return rightToLeft_; }

private:
    void StartRow() {
        column_ = 0;
        if (Done()) {
            return;
        }
        uint64_t imageRow = topFirst_ ? row_ : height_ - 1 - row_;
        dst_ = image_->pixels + imageRow * image_->rowPitch + (rightToLeft_ ? (width_ - 1) * bpp_ : 0);
    }

    Image* image_;
    uint64_t bpp_, width_, height_;
    bool topFirst_, rightToLeft_;
    uint64_t row_ = 0, column_ = 0;
    BYTE* dst_ = nullptr;
};

HRESULT DecodePlain(PixelPlacer* out, const BYTE* src, uint64_t remaining, uint64_t bpp, uint64_t width) {
    while (!out->Done()) {
        if (remaining < width * bpp) {
            return E_FAIL;
        }
        if (out->RightToLeft()) {
            for (uint64_t x = 0; x < width; ++x, src += bpp) {
                out->Put(src);
            }
        } else {
            out->PutRow(src);
            src += width * bpp;
        }
        remaining -= width * bpp;
    }
    return S_OK;
}

HRESULT DecodeRle(PixelPlacer* out, const BYTE* src, uint64_t remaining, uint64_t bpp) {
    while (!out->Done()) {
        if (remaining < 1) {
            return E_FAIL;
        }
        const BYTE header = *src++;
        --remaining;
        uint64_t count = (header & 0x7F) + 1u;
        const bool run = (header & 0x80) != 0;
        if (run) {
            if (remaining < bpp) {
                return E_FAIL;
            }
            for (; count > 0 && !out->Done(); --count) {
                out->Put(src);
            }
            src += bpp;
            remaining -= bpp;
        } else {
            for (; count > 0 && !out->Done(); --count) {
                if (remaining < bpp) {
                    return E_FAIL;
                }
                out->Put(src);
                src += bpp;
                remaining -= bpp;
            }
        }
    }
    return S_OK;
}

// The header and what follows it up to the pixels, checked in the order
// the reader checks them.
struct TgaLayout {
    Header h;
    D3DFORMAT format;
    const BYTE* map;     // the stored colour-map entries
    const BYTE* pixels;  // the pixel data
    uint64_t remaining;  // bytes from pixels to the end
};

HRESULT ParseTga(const BYTE* data, UINT size, TgaLayout* out) {
    if (size < HEADER_SIZE) {
        return E_FAIL;
    }
    const Header h = ParseHeader(data);
    if (h.colourMapType > 1 || (h.imageType & ~0x0B) != 0 || h.width == 0 || h.height == 0) {
        return E_FAIL;
    }
    if (h.colourMapType == 1 && h.mapEntrySize != 15 && h.mapEntrySize != 16 && h.mapEntrySize != 24 &&
        h.mapEntrySize != 32) {
        return E_FAIL;
    }
    const D3DFORMAT format = ChooseFormat(h);
    if (format == D3DFMT_UNKNOWN) {
        return E_FAIL;
    }
    if (!tovtex::FitsPixelLimit(h.width, h.height)) {
        return ERR_IMAGETOOLARGE;
    }

    uint64_t remaining = size - HEADER_SIZE;
    const BYTE* cursor = data + HEADER_SIZE;
    if (remaining < h.idLength) {
        return E_FAIL;
    }
    cursor += h.idLength;
    remaining -= h.idLength;
    const uint64_t entryBytes = (h.mapEntrySize + 7u) / 8;
    const uint64_t mapBytes = h.mapLength * entryBytes;
    if (remaining < mapBytes) {
        return E_FAIL;
    }
    *out = TgaLayout{h, format, cursor, cursor + mapBytes, remaining - mapBytes};
    return S_OK;
}

bool MapFits(const Header& h) {
    return h.mapFirst + h.mapLength <= 256;
}

// The fewest bytes that can hold the pixels: all of them when plain; a run
// packet (header and one pixel) yields at most 128 pixels.
uint64_t MinimumPixelBytes(const Header& h) {
    const uint64_t bpp = (h.pixelDepth + 7u) / 8;
    const uint64_t pixelCount = uint64_t{h.width} * h.height;
    return (h.imageType & TYPE_RLE) != 0 ? (pixelCount + 127) / 128 * (1 + bpp) : pixelCount * bpp;
}

}  // namespace

HRESULT ReadTga(Image* image, const BYTE* data, UINT size) {
    TgaLayout tga{};
    if (HRESULT hr = ParseTga(data, size, &tga); FAILED(hr)) {
        return hr;
    }
    const Header& h = tga.h;
    const D3DFORMAT format = tga.format;
    const BYTE* map = tga.map;
    const BYTE* cursor = tga.pixels;
    const uint64_t remaining = tga.remaining;
    const uint64_t entryBytes = (h.mapEntrySize + 7u) / 8;

    if (format == D3DFMT_P8) {
        if (!MapFits(h)) {
            return E_FAIL;
        }
        HRESULT hr = tovtex::AttachWhitePalette(image);
        if (FAILED(hr)) {
            return hr;
        }
        for (unsigned i = 0; i < h.mapLength; ++i) {
            image->palette[h.mapFirst + i] = MapEntry(map + i * entryBytes, h.mapEntrySize);
        }
    }

    const uint64_t bpp = (h.pixelDepth + 7u) / 8;
    const uint64_t rowPitch = h.width * bpp;
    const uint64_t pixelBytes = rowPitch * h.height;  // at most 2^34
    image->format = format;
    image->rect = RECT{0, 0, h.width, h.height};
    image->rowPitch = static_cast<UINT>(rowPitch);

    const bool rle = (h.imageType & TYPE_RLE) != 0;
    if (!rle && (h.descriptor & (DESC_TOP_FIRST | DESC_RIGHT_TO_LEFT)) == DESC_TOP_FIRST) {
        if (remaining < pixelBytes) {
            return E_FAIL;
        }
        image->pixels = const_cast<BYTE*>(cursor);
        image->ownsPixels = FALSE;
        return S_OK;
    }

    // Refuse plainly short files before asking for the memory.
    if (remaining < MinimumPixelBytes(h)) {
        return E_FAIL;
    }
    HRESULT hr = tovtex::AttachOwnedPixels(image, pixelBytes);
    if (FAILED(hr)) {
        return hr;
    }
    PixelPlacer out(image, bpp, h);
    return rle ? DecodeRle(&out, cursor, remaining, bpp) : DecodePlain(&out, cursor, remaining, bpp, h.width);
}

HRESULT tovtex::ReadTgaHeader(const BYTE* data, UINT size, ImageHeader* header) {
    TgaLayout tga{};
    if (HRESULT hr = ParseTga(data, size, &tga); FAILED(hr)) {
        return hr;
    }
    if ((tga.format == D3DFMT_P8 && !MapFits(tga.h)) || tga.remaining < MinimumPixelBytes(tga.h)) {
        return E_FAIL;
    }
    *header = ImageHeader{tga.format, tga.h.width, tga.h.height, 1, 1};
    return S_OK;
}
