#pragma once
// A float test codec and the jobs over it, shared by the conversion tests.

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "codec/pixel_codec.h"
#include "convert/conversion_job.h"
#include "support/color_bits.h"
#include "support/lcg.h"
#include "support/pixel_block.h"

namespace convert_test {

using test_support::Block;
using test_support::Lcg;
using test_support::SameBits;

// A codec over plain ColorF storage that counts its row calls, so the tests
// can see exact filter arithmetic and how often each row is read and written.
class FloatCodec final : public PixelCodec {
public:
    FloatCodec(UINT w, UINT h, UINT d = 1, SampleClass samples = SAMPLE_UNSIGNED)
        : PixelCodec(MakeRegion(w, h, d), 0, samples == SAMPLE_SIGNED ? CODEC_SIGNED : CODEC_PLAIN),
          colors(static_cast<std::size_t>(w) * h * d, ColorF{0, 0, 0, 0}) {}

    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override {
        ++decodes[{row, slice}];
        std::memcpy(static_cast<void*>(out), &At(0, row, slice), width * sizeof(ColorF));
        return S_OK;
    }

    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override {
        ++encodes[{row, slice}];
        std::memcpy(static_cast<void*>(&At(0, row, slice)), in, width * sizeof(ColorF));
        return S_OK;
    }

    ColorF& At(UINT x, UINT y, UINT z = 0) { return colors[(static_cast<std::size_t>(z) * height + y) * width + x]; }

    std::vector<ColorF> colors;
    std::map<std::pair<UINT, UINT>, int> decodes;  // (row, slice) -> calls
    std::map<std::pair<UINT, UINT>, int> encodes;

private:
    static PixelRegion MakeRegion(UINT w, UINT h, UINT d) {
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

    FloatJob(FloatCodec* destination, FloatCodec* source, DWORD filter) : dst(destination), src(source) {
        job.destination = destination;
        job.source = source;
        job.filter = filter;
    }
};

// A float codec of w x h x d colours drawn from the generator seeded with
// seed; the caller owns it.
inline FloatCodec* RandomSource(UINT w, UINT h, UINT d, std::uint32_t seed) {
    auto* codec = new FloatCodec(w, h, d);
    Lcg rng{seed};
    for (ColorF& c : codec->colors) {
        c = ColorF{rng.Unit(), rng.Unit(), rng.Unit(), rng.Unit()};
    }
    return codec;
}

}  // namespace convert_test
