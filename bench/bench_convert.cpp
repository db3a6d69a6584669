// Throughput of the conversion engine's resampling on one 4096 x 4096
// A8R8G8B8 image, with stb_image_resize and pixman doing the same work on
// the same RGBA8 pixels as the baselines. Figures are megapixels of source
// per second ("MPix/s"); a mip chain counts as the top level's pixels, so
// the chains' figures compare as whole-chain times.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "base/tovtex_defs.h"
#include "convert/convert_region.h"

#ifdef HAVE_STB
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#endif

#ifdef HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr UINT SIZE = 4096;
constexpr UINT RESAMPLE_WIDTH = 1000;
constexpr UINT RESAMPLE_HEIGHT = 750;

// A smooth picture with some noise, like a photograph rather than static.
const std::vector<std::uint32_t>& SourcePixels() {
    static const std::vector<std::uint32_t> pixels = [] {
        std::vector<std::uint32_t> p(static_cast<std::size_t>(SIZE) * SIZE);
        std::uint32_t state = 12345;
        for (UINT y = 0; y < SIZE; ++y) {
            for (UINT x = 0; x < SIZE; ++x) {
                state = state * 1664525u + 1013904223u;
                const std::uint32_t noise = state >> 28;
                const std::uint32_t r = (x >> 4) & 255;
                const std::uint32_t g = (y >> 4) & 255;
                const std::uint32_t b = ((x + y) >> 5) & 255;
                const std::uint32_t a = 255 - noise;
                p[static_cast<std::size_t>(y) * SIZE + x] = a << 24 | (r ^ noise) << 16 | g << 8 | b;
            }
        }
        return p;
    }();
    return pixels;
}

PixelRegion Region(const void* pixels, UINT width, UINT height) {
    PixelRegion r{};
    r.pixels = static_cast<BYTE*>(const_cast<void*>(pixels));
    r.format = D3DFMT_A8R8G8B8;
    r.rowPitch = static_cast<INT>(width * 4);
    r.surfaceBox = SurfaceExtent{0, 0, width, height, 0, 1};
    r.box = PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, 1};
    return r;
}

void SetRate(benchmark::State& state, double pixelsPerIteration) {
    state.counters["MPix/s"] = benchmark::Counter(pixelsPerIteration * static_cast<double>(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void Resample(benchmark::State& state, UINT width, UINT height, DWORD filter) {
    const auto& src = SourcePixels();
    std::vector<std::uint32_t> dst(static_cast<std::size_t>(width) * height);
    const PixelRegion s = Region(src.data(), SIZE, SIZE);
    for (auto _ : state) {
        PixelRegion d = Region(dst.data(), width, height);
        if (ConvertRegion(&d, &s, filter) != S_OK) {
            state.SkipWithError("conversion failed");
            break;
        }
        benchmark::DoNotOptimize(dst.data());
    }
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}

// Every level below the top: box level by level, anything else from the top.
void MipChain(benchmark::State& state, DWORD filter) {
    const auto& top = SourcePixels();
    std::vector<std::vector<std::uint32_t>> levels;
    for (UINT size = SIZE / 2; size >= 1; size /= 2) {
        levels.emplace_back(static_cast<std::size_t>(size) * size);
    }
    const bool chained = (filter & 0xFFFF) == FILTER_BOX;
    for (auto _ : state) {
        const std::uint32_t* above = top.data();
        UINT aboveSize = SIZE;
        UINT size = SIZE / 2;
        for (auto& level : levels) {
            PixelRegion d = Region(level.data(), size, size);
            const PixelRegion s = chained ? Region(above, aboveSize, aboveSize) : Region(top.data(), SIZE, SIZE);
            if (ConvertRegion(&d, &s, filter) != S_OK) {
                state.SkipWithError("conversion failed");
                return;
            }
            above = level.data();
            aboveSize = size;
            size /= 2;
        }
        benchmark::DoNotOptimize(levels.back().data());
    }
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}

void BM_HalveBoxInteger(benchmark::State& state) {
    Resample(state, SIZE / 2, SIZE / 2, FILTER_BOX);
}
void BM_HalveBoxFloat(benchmark::State& state) {
    Resample(state, SIZE / 2, SIZE / 2, FILTER_BOX | FILTER_DITHER);
}
void BM_HalveLinear(benchmark::State& state) {
    Resample(state, SIZE / 2, SIZE / 2, FILTER_LINEAR);
}
void BM_HalveTriangle(benchmark::State& state) {
    Resample(state, SIZE / 2, SIZE / 2, FILTER_TRIANGLE);
}
void BM_MipChainBox(benchmark::State& state) {
    MipChain(state, FILTER_BOX);
}
void BM_MipChainLinearFromTop(benchmark::State& state) {
    MipChain(state, FILTER_LINEAR);
}
void BM_ResampleLinear(benchmark::State& state) {
    Resample(state, RESAMPLE_WIDTH, RESAMPLE_HEIGHT, FILTER_LINEAR);
}
void BM_ResampleTriangle(benchmark::State& state) {
    Resample(state, RESAMPLE_WIDTH, RESAMPLE_HEIGHT, FILTER_TRIANGLE);
}

BENCHMARK(BM_HalveBoxInteger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalveBoxFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalveLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalveTriangle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MipChainBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MipChainLinearFromTop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleTriangle)->Unit(benchmark::kMillisecond);

#ifdef HAVE_STB
void StbResize(const std::uint32_t* src, UINT srcSize, std::uint32_t* dst, UINT width, UINT height,
               stbir_filter filter) {
    stbir_resize_uint8_generic(reinterpret_cast<const unsigned char*>(src), static_cast<int>(srcSize),
                               static_cast<int>(srcSize), static_cast<int>(srcSize * 4),
                               reinterpret_cast<unsigned char*>(dst), static_cast<int>(width), static_cast<int>(height),
                               static_cast<int>(width * 4), 4, 3, 0, STBIR_EDGE_WRAP, filter, STBIR_COLORSPACE_LINEAR,
                               nullptr);
}

void StbResample(benchmark::State& state, UINT width, UINT height, stbir_filter filter) {
    const auto& src = SourcePixels();
    std::vector<std::uint32_t> dst(static_cast<std::size_t>(width) * height);
    for (auto _ : state) {
        StbResize(src.data(), SIZE, dst.data(), width, height, filter);
        benchmark::DoNotOptimize(dst.data());
    }
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}

void BM_StbHalveBox(benchmark::State& state) {
    StbResample(state, SIZE / 2, SIZE / 2, STBIR_FILTER_BOX);
}
void BM_StbHalveTriangle(benchmark::State& state) {
    StbResample(state, SIZE / 2, SIZE / 2, STBIR_FILTER_TRIANGLE);
}
void BM_StbResampleBox(benchmark::State& state) {
    StbResample(state, RESAMPLE_WIDTH, RESAMPLE_HEIGHT, STBIR_FILTER_BOX);
}
void BM_StbResampleTriangle(benchmark::State& state) {
    StbResample(state, RESAMPLE_WIDTH, RESAMPLE_HEIGHT, STBIR_FILTER_TRIANGLE);
}
void BM_StbMipChainBox(benchmark::State& state) {
    const auto& top = SourcePixels();
    std::vector<std::vector<std::uint32_t>> levels;
    for (UINT size = SIZE / 2; size >= 1; size /= 2) {
        levels.emplace_back(static_cast<std::size_t>(size) * size);
    }
    for (auto _ : state) {
        const std::uint32_t* above = top.data();
        UINT aboveSize = SIZE;
        for (auto& level : levels) {
            StbResize(above, aboveSize, level.data(), aboveSize / 2, aboveSize / 2, STBIR_FILTER_BOX);
            above = level.data();
            aboveSize /= 2;
        }
        benchmark::DoNotOptimize(levels.back().data());
    }
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}

BENCHMARK(BM_StbHalveBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbHalveTriangle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbMipChainBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbResampleBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbResampleTriangle)->Unit(benchmark::kMillisecond);
#endif

#ifdef HAVE_PIXMAN
// At exactly 2:1 the bilinear sample falls midway between four source
// pixels: the 2 x 2 box average.
void BM_PixmanHalveBilinear(benchmark::State& state) {
    const auto& src = SourcePixels();
    std::vector<std::uint32_t> dst(static_cast<std::size_t>(SIZE / 2) * (SIZE / 2));
    pixman_image_t* s =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, SIZE, SIZE, const_cast<std::uint32_t*>(src.data()), SIZE * 4);
    pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, SIZE / 2, SIZE / 2, dst.data(), SIZE / 2 * 4);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_int_to_fixed(2), pixman_int_to_fixed(2));
    pixman_image_set_transform(s, &scale);
    pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, SIZE / 2, SIZE / 2);
        benchmark::DoNotOptimize(dst.data());
    }
    pixman_image_unref(d);
    pixman_image_unref(s);
    SetRate(state, static_cast<double>(SIZE) * SIZE);
}
BENCHMARK(BM_PixmanHalveBilinear)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
