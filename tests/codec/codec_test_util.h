#pragma once
// Small builders shared by the codec tests.

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/create_pixel_codec.h"
#include "codec/pixel_format_table.h"

namespace codec_test {

inline UINT BytesPerPixel(D3DFORMAT format)
{
    return FindPixelFormat(format).bitsPerPixel / 8;
}

// A tightly packed block of width x height x depth pixels owning its bytes.
struct Block {
    D3DFORMAT format;
    UINT width, height, depth;
    std::vector<BYTE> bytes;

    Block(D3DFORMAT f, UINT w, UINT h = 1, UINT d = 1)
        : format(f), width(w), height(h), depth(d),
          bytes(static_cast<std::size_t>(w) * h * d * BytesPerPixel(f))
    {
    }

    INT RowPitch() const { return static_cast<INT>(width * BytesPerPixel(format)); }
    INT SlicePitch() const { return RowPitch() * static_cast<INT>(height); }

    PixelRegion Region(bool dither = false, D3DCOLOR colorKey = 0, const PALETTEENTRY* palette = nullptr)
    {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = format;
        r.rowPitch = RowPitch();
        r.slicePitch = SlicePitch();
        r.surfaceBox = SurfaceExtent{0, 0, width, height, 0, depth};
        r.box = PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, static_cast<INT>(depth)};
        r.dither = dither ? 1 : 0;
        r.colorKey = colorKey;
        r.palette = palette;
        return r;
    }

    // The little-endian word of pixel i, counting through the whole block.
    std::uint32_t Word(std::size_t i) const
    {
        const UINT n = BytesPerPixel(format);
        std::uint32_t w = 0;
        std::memcpy(&w, bytes.data() + i * n, n);
        return w;
    }

    void SetWord(std::size_t i, std::uint32_t w)
    {
        const UINT n = BytesPerPixel(format);
        std::memcpy(bytes.data() + i * n, &w, n);
    }
};

inline std::unique_ptr<PixelCodec> MakeCodec(const PixelRegion& region)
{
    return std::unique_ptr<PixelCodec>(CreatePixelCodec(region));
}

inline std::uint32_t Bits(float f)
{
    return std::bit_cast<std::uint32_t>(f);
}

inline bool SameBits(const ColorF& x, const ColorF& y)
{
    return Bits(x.r) == Bits(y.r) && Bits(x.g) == Bits(y.g) && Bits(x.b) == Bits(y.b) && Bits(x.a) == Bits(y.a);
}

// Decodes the only row of a one-pixel block holding word w.
inline ColorF DecodeOne(D3DFORMAT format, std::uint32_t w, D3DCOLOR colorKey = 0,
                        const PALETTEENTRY* palette = nullptr)
{
    Block block(format, 1);
    block.SetWord(0, w);
    ColorF c{};
    MakeCodec(block.Region(false, colorKey, palette))->DecodeRow(0, 0, &c);
    return c;
}

inline std::uint32_t EncodeOne(D3DFORMAT format, const ColorF& c, bool dither = false,
                               const PALETTEENTRY* palette = nullptr)
{
    Block block(format, 1);
    MakeCodec(block.Region(dither, 0, palette))->EncodeRow(0, 0, &c);
    return block.Word(0);
}

}  // namespace codec_test
