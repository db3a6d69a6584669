// Throughput of whole-row conversion from A8R8G8B8 into the common
// destination formats: the codecs' DecodeRow + EncodeRow, the direct row
// converter, and pixman's composite as the baseline, on one 4096 x 4096
// block. Figures are megapixels per second ("MPix/s").

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "codec/convert_row_fast.h"
#include "codec/create_pixel_codec.h"
#include "codec/pixel_format_table.h"

#ifdef HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr UINT SIZE = 4096;

const std::vector<std::uint32_t>& SourcePixels() {
    static const std::vector<std::uint32_t> pixels = [] {
        std::vector<std::uint32_t> p(static_cast<std::size_t>(SIZE) * SIZE);
        std::mt19937 rng(7);
        for (auto& v : p) {
            v = rng();
        }
        return p;
    }();
    return pixels;
}

PixelRegion Region(void* pixels, D3DFORMAT format, UINT bytesPerPixel, bool dither, UINT height = SIZE) {
    PixelRegion r{};
    r.pixels = static_cast<BYTE*>(pixels);
    r.format = format;
    r.rowPitch = static_cast<INT>(SIZE * bytesPerPixel);
    r.slicePitch = 0;
    r.surfaceBox = SurfaceExtent{0, 0, SIZE, height, 0, 1};
    r.box = PixelBox{0, 0, static_cast<INT>(SIZE), static_cast<INT>(height), 0, 1};
    r.dither = dither ? 1 : 0;
    return r;
}

void SetRate(benchmark::State& state, double pixelsPerIteration) {
    state.counters["MPix/s"] = benchmark::Counter(pixelsPerIteration * static_cast<double>(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

// Decode a row of A8R8G8B8 into ColorF, encode it into the destination.
void CodecRows(benchmark::State& state, D3DFORMAT format, bool dither, UINT rows) {
    const UINT bpp = FindPixelFormat(format).bitsPerPixel / 8;
    auto& src = const_cast<std::vector<std::uint32_t>&>(SourcePixels());
    std::vector<BYTE> dst(static_cast<std::size_t>(SIZE) * rows * bpp);
    std::vector<PALETTEENTRY> palette(256);
    std::mt19937 rng(3);
    for (auto& e : palette) {
        const std::uint32_t v = rng();
        e = PALETTEENTRY{static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                         static_cast<BYTE>(v >> 24)};
    }
    PixelRegion dr = Region(dst.data(), format, bpp, dither, rows);
    dr.palette = palette.data();
    std::unique_ptr<PixelCodec> out(CreatePixelCodec(dr));
    std::unique_ptr<PixelCodec> in(CreatePixelCodec(Region(src.data(), D3DFMT_A8R8G8B8, 4, false, rows)));
    std::vector<ColorF> row(SIZE);
    for (auto _ : state) {
        for (UINT y = 0; y < rows; ++y) {
            in->DecodeRow(y, 0, row.data());
            out->EncodeRow(y, 0, row.data());
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, static_cast<double>(SIZE) * rows);
}

void FastRows(benchmark::State& state, D3DFORMAT format, bool dither) {
    const UINT bpp = FindPixelFormat(format).bitsPerPixel / 8;
    auto& src = const_cast<std::vector<std::uint32_t>&>(SourcePixels());
    std::vector<BYTE> dst(static_cast<std::size_t>(SIZE) * SIZE * bpp);
    std::unique_ptr<PixelCodec> out(CreatePixelCodec(Region(dst.data(), format, bpp, dither)));
    std::unique_ptr<PixelCodec> in(CreatePixelCodec(Region(src.data(), D3DFMT_A8R8G8B8, 4, false)));
    const FastRowConverter convert = FindFastRowConverter(format, D3DFMT_A8R8G8B8);
    for (auto _ : state) {
        for (UINT y = 0; y < SIZE; ++y) {
            ConvertRowFast(convert, *out, *in, y, 0);
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}

#ifdef HAVE_PIXMAN
void Pixman(benchmark::State& state, pixman_format_code_t format, bool dither) {
    auto& src = const_cast<std::vector<std::uint32_t>&>(SourcePixels());
    const int bpp = PIXMAN_FORMAT_BPP(format) / 8;
    const int stride = static_cast<int>(SIZE) * bpp;
    std::vector<std::uint32_t> dst(static_cast<std::size_t>(stride) * SIZE / 4 + 1);
    pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, SIZE, SIZE, src.data(), SIZE * 4);
    pixman_image_t* d = pixman_image_create_bits(format, SIZE, SIZE, dst.data(), stride);
    if (dither) {
        pixman_image_set_dither(d, PIXMAN_DITHER_ORDERED_BAYER_8);
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, SIZE, SIZE);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(d);
    pixman_image_unref(s);
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}
#endif

void Register() {
    struct Case {
        const char* name;
        D3DFORMAT format;
        bool dither;
        bool fast;
    };
    const Case cases[] = {
        // clang-format off
        {"X8R8G8B8", D3DFMT_X8R8G8B8, false, true},   {"R5G6B5", D3DFMT_R5G6B5, false, true},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, false, true},   {"A1R5G5B5", D3DFMT_A1R5G5B5, false, true},
        {"A1R5G5B5/dither", D3DFMT_A1R5G5B5, true, true}, {"R5G6B5/dither", D3DFMT_R5G6B5, true, true},
        {"L8", D3DFMT_L8, false, true},               {"P8", D3DFMT_P8, false, false},
        // clang-format on
    };
    for (const Case& c : cases) {
        // The palette search is slow by nature; a slice of rows is enough.
        const UINT rows = c.format == D3DFMT_P8 ? 64 : SIZE;
        benchmark::RegisterBenchmark((std::string("codec/") + c.name).c_str(), CodecRows, c.format, c.dither, rows)
            ->Unit(benchmark::kMillisecond);
        if (c.fast) {
            benchmark::RegisterBenchmark((std::string("fast/") + c.name).c_str(), FastRows, c.format, c.dither)
                ->Unit(benchmark::kMillisecond);
        }
    }
#ifdef HAVE_PIXMAN
    struct PixmanCase {
        const char* name;
        pixman_format_code_t format;
        bool dither;
    };
    const PixmanCase pixmanCases[] = {
        // clang-format off
        {"X8R8G8B8", PIXMAN_x8r8g8b8, false}, {"R5G6B5", PIXMAN_r5g6b5, false},
        {"A4R4G4B4", PIXMAN_a4r4g4b4, false}, {"A1R5G5B5", PIXMAN_a1r5g5b5, false},
        {"A1R5G5B5/dither", PIXMAN_a1r5g5b5, true}, {"R5G6B5/dither", PIXMAN_r5g6b5, true},
        // clang-format on
    };
    for (const PixmanCase& c : pixmanCases) {
        benchmark::RegisterBenchmark((std::string("pixman/") + c.name).c_str(), Pixman, c.format, c.dither)
            ->Unit(benchmark::kMillisecond);
    }
#endif
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
