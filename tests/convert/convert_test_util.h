#pragma once
// Blocks of pixels and a float test codec shared by the conversion tests.

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "codec/pixel_codec.h"
#include "codec/pixel_format_table.h"
#include "convert/conversion_job.h"

namespace convert_test {

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
          bytes(static_cast<std::size_t>(w) * h * d * BytesPerPixel(f), 0)
    {
    }

    INT RowPitch() const { return static_cast<INT>(width * BytesPerPixel(format)); }
    INT SlicePitch() const { return RowPitch() * static_cast<INT>(height); }

    PixelRegion Region(D3DCOLOR colorKey = 0, const PALETTEENTRY* palette = nullptr)
    {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = format;
        r.rowPitch = RowPitch();
        r.slicePitch = depth > 1 ? SlicePitch() : 0;
        r.surfaceBox = SurfaceExtent{0, 0, width, height, 0, depth};
        r.box = PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, static_cast<INT>(depth)};
        r.colorKey = colorKey;
        r.palette = palette;
        return r;
    }

    std::size_t Index(UINT x, UINT y, UINT z = 0) const
    {
        return (static_cast<std::size_t>(z) * height + y) * width + x;
    }

    std::uint32_t Word(UINT x, UINT y, UINT z = 0) const
    {
        const UINT n = BytesPerPixel(format);
        std::uint32_t w = 0;
        std::memcpy(&w, bytes.data() + Index(x, y, z) * n, n);
        return w;
    }

    void SetWord(UINT x, UINT y, UINT z, std::uint32_t w)
    {
        const UINT n = BytesPerPixel(format);
        std::memcpy(bytes.data() + Index(x, y, z) * n, &w, n);
    }
};

// A codec over plain ColorF storage that counts its row calls, so the tests
// can see exact filter arithmetic and how often each row is read and written.
class FloatCodec final : public PixelCodec {
public:
    FloatCodec(UINT w, UINT h, UINT d = 1, SampleClass samples = SAMPLE_UNSIGNED)
        : PixelCodec(MakeRegion(w, h, d), 0, samples == SAMPLE_SIGNED ? CODEC_SIGNED : CODEC_PLAIN),
          colors(static_cast<std::size_t>(w) * h * d, ColorF{0, 0, 0, 0})
    {
    }

    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override
    {
        ++decodes[{row, slice}];
        std::memcpy(static_cast<void*>(out), &At(0, row, slice), width * sizeof(ColorF));
        return S_OK;
    }

    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override
    {
        ++encodes[{row, slice}];
        std::memcpy(static_cast<void*>(&At(0, row, slice)), in, width * sizeof(ColorF));
        return S_OK;
    }

    ColorF& At(UINT x, UINT y, UINT z = 0)
    {
        return colors[(static_cast<std::size_t>(z) * height + y) * width + x];
    }

    std::vector<ColorF> colors;
    std::map<std::pair<UINT, UINT>, int> decodes;     // (row, slice) -> calls
    std::map<std::pair<UINT, UINT>, int> encodes;

private:
    static PixelRegion MakeRegion(UINT w, UINT h, UINT d)
    {
        PixelRegion r{};
        r.format = D3DFMT_UNKNOWN;
        r.box = PixelBox{0, 0, static_cast<INT>(w), static_cast<INT>(h), 0, static_cast<INT>(d)};
        return r;
    }
};

// A job over two float codecs; the job owns them.
struct FloatJob {
    ConversionJob job;
    FloatCodec* dst;
    FloatCodec* src;

    FloatJob(FloatCodec* destination, FloatCodec* source, DWORD filter) : dst(destination), src(source)
    {
        job.destination = destination;
        job.source = source;
        job.filter = filter;
    }
};

inline bool SameBits(const ColorF& x, const ColorF& y)
{
    return std::memcmp(&x, &y, sizeof(ColorF)) == 0;
}

// A small deterministic generator for test data.
struct Lcg {
    std::uint32_t state;
    std::uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8 ^ state << 24;
    }
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
};

}  // namespace convert_test
