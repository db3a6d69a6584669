#pragma once
// A tightly packed block of pixels of a byte-addressed format, owning its
// bytes, for the tests of the codecs and of the conversion engine.

#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/pixel_format_table.h"
#include "codec/pixel_region.h"

namespace test_support {

inline UINT BytesPerPixel(D3DFORMAT format) {
    return FindPixelFormat(format).bitsPerPixel / 8;
}

// width x height x depth pixels, rows and slices without padding, all zero.
struct Block {
    D3DFORMAT format;
    UINT width, height, depth;
    std::vector<BYTE> bytes;

    Block(D3DFORMAT f, UINT w, UINT h = 1, UINT d = 1)
        : format(f), width(w), height(h), depth(d), bytes(static_cast<std::size_t>(w) * h * d * BytesPerPixel(f), 0) {}

    INT RowPitch() const { return static_cast<INT>(width * BytesPerPixel(format)); }
    INT SlicePitch() const { return RowPitch() * static_cast<INT>(height); }

    // The whole block; a block of one slice is two-dimensional (slice pitch 0).
    PixelRegion Region(D3DCOLOR colorKey = 0, const PALETTEENTRY* palette = nullptr, bool dither = false) {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = format;
        r.rowPitch = RowPitch();
        r.slicePitch = depth > 1 ? SlicePitch() : 0;
        r.surfaceBox = SurfaceExtent{0, 0, width, height, 0, depth};
        r.box = PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, static_cast<INT>(depth)};
        r.dither = dither ? 1 : 0;
        r.colorKey = colorKey;
        r.palette = palette;
        return r;
    }

    std::size_t Index(UINT x, UINT y, UINT z = 0) const {
        return (static_cast<std::size_t>(z) * height + y) * width + x;
    }

    // The little-endian word of pixel i, counting through the whole block.
    std::uint32_t Word(std::size_t i) const {
        const UINT n = BytesPerPixel(format);
        std::uint32_t w = 0;
        std::memcpy(&w, bytes.data() + i * n, n);
        return w;
    }

    std::uint32_t Word(UINT x, UINT y, UINT z = 0) const { return Word(Index(x, y, z)); }

    void SetWord(std::size_t i, std::uint32_t w) {
        const UINT n = BytesPerPixel(format);
        std::memcpy(bytes.data() + i * n, &w, n);
    }

    void SetWord(UINT x, UINT y, UINT z, std::uint32_t w) { SetWord(Index(x, y, z), w); }
};

}  // namespace test_support
