// DXT1 and DXT5 encoding speed and quality: our block functions against
// stb_dxt (normal and high-quality modes) and libsquish (range fit and
// cluster fit), single-threaded, on one 2048 x 2048 test image made from a
// fixed seed: smooth gradients and waves, noise, hard-edged shapes and an
// alpha ramp. Each run reports megapixels per second ("MPix/s") and the RMSE
// of decode(encode(image)) over red, green and blue ("rmseRGB") and, for
// DXT5, alpha ("rmseA"), on the 0..255 scale. DXT1 encodes an opaque copy
// of the image, so that every encoder is measured on colour alone.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "codec/dxt_blocks.h"

#ifdef HAVE_STB
#define STB_DXT_IMPLEMENTATION
#include <stb_dxt.h>
#endif

#ifdef HAVE_SQUISH
#include <squish.h>
#endif

namespace {

constexpr int SIZE = 2048;
constexpr std::size_t BLOCKS = static_cast<std::size_t>(SIZE / 4) * (SIZE / 4);

inline std::uint8_t Byte(double v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

// ARGB pixels, row by row.
std::vector<std::uint32_t> MakeImage() {
    std::vector<std::uint32_t> image(static_cast<std::size_t>(SIZE) * SIZE);
    std::mt19937 rng(20240607);
    std::normal_distribution<double> noise(0.0, 5.0);
    struct Shape {
        int x0, y0, x1, y1;
        std::uint8_t r, g, b, a;
        bool disc;
    };
    std::vector<Shape> shapes;
    std::uniform_int_distribution<int> pos(0, SIZE - 1), extent(8, 200), channel(0, 255);
    for (int i = 0; i < 300; ++i) {
        const int x = pos(rng), y = pos(rng);
        shapes.push_back(Shape{x, y, x + extent(rng), y + extent(rng), static_cast<std::uint8_t>(channel(rng)),
                               static_cast<std::uint8_t>(channel(rng)), static_cast<std::uint8_t>(channel(rng)),
                               static_cast<std::uint8_t>(channel(rng)), (i & 1) != 0});
    }
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            const double u = x / static_cast<double>(SIZE), v = y / static_cast<double>(SIZE);
            double r = 255 * u + 30 * std::sin(9 * v + 3 * u);
            double g = 200 * v + 40 * std::sin(13 * u) * std::cos(7 * v);
            double b = 128 + 100 * std::sin(5 * (u + v)) + 20 * std::cos(31 * u * v);
            const double n = noise(rng);
            r += n;
            g += n * 0.8 + noise(rng) * 0.4;
            b += noise(rng);
            // The bottom half fades from transparent to opaque left to right,
            // with some grain.
            const std::uint8_t a = y < SIZE / 2 ? 255 : Byte(x * 255.0 / (SIZE - 1) + noise(rng));
            image[static_cast<std::size_t>(y) * SIZE + x] =
                static_cast<std::uint32_t>(a) << 24 | Byte(r) << 16 | Byte(g) << 8 | Byte(b);
        }
    }
    for (const Shape& s : shapes) {
        const int cx = (s.x0 + s.x1) / 2, cy = (s.y0 + s.y1) / 2, rx = (s.x1 - s.x0) / 2, ry = (s.y1 - s.y0) / 2;
        for (int y = s.y0; y < s.y1 && y < SIZE; ++y) {
            for (int x = s.x0; x < s.x1 && x < SIZE; ++x) {
                if (s.disc) {
                    const double dx = (x - cx) / static_cast<double>(rx), dy = (y - cy) / static_cast<double>(ry);
                    if (dx * dx + dy * dy > 1) {
                        continue;
                    }
                }
                // Shapes in the bottom half carry an alpha of their own.
                std::uint32_t& p = image[static_cast<std::size_t>(y) * SIZE + x];
                const std::uint32_t a = y < SIZE / 2 ? 255u : s.a;
                p = a << 24 | static_cast<std::uint32_t>(s.r) << 16 | s.g << 8 | s.b;
            }
        }
    }
    return image;
}

// The image as blocks of 16 ARGB pixels, block after block; opaque copy for
// DXT1.
struct TestBlocks {
    std::vector<std::uint32_t> argb;
    std::vector<std::uint32_t> opaque;
    std::vector<std::uint8_t> rgba;  // R, G, B, A bytes, for stb and squish
    std::vector<std::uint8_t> opaqueRgba;

    TestBlocks() {
        const std::vector<std::uint32_t> image = MakeImage();
        argb.resize(BLOCKS * 16);
        std::size_t k = 0;
        for (int by = 0; by < SIZE; by += 4) {
            for (int bx = 0; bx < SIZE; bx += 4) {
                for (int i = 0; i < 16; ++i) {
                    argb[k++] = image[static_cast<std::size_t>(by + i / 4) * SIZE + bx + i % 4];
                }
            }
        }
        opaque = argb;
        for (auto& p : opaque) {
            p |= 0xFF000000u;
        }
        rgba = ToRgba(argb);
        opaqueRgba = ToRgba(opaque);
    }

    static std::vector<std::uint8_t> ToRgba(const std::vector<std::uint32_t>& pixels) {
        std::vector<std::uint8_t> out(pixels.size() * 4);
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const std::uint32_t p = pixels[i];
            out[4 * i] = static_cast<std::uint8_t>(p >> 16);
            out[4 * i + 1] = static_cast<std::uint8_t>(p >> 8);
            out[4 * i + 2] = static_cast<std::uint8_t>(p);
            out[4 * i + 3] = static_cast<std::uint8_t>(p >> 24);
        }
        return out;
    }
};

const TestBlocks& Blocks() {
    static const TestBlocks blocks;
    return blocks;
}

// RMSE of the decoded blocks against the source, on the 0..255 scale.
void ReportQuality(benchmark::State& state, const std::vector<std::uint8_t>& encoded, bool dxt5) {
    const std::vector<std::uint32_t>& source = dxt5 ? Blocks().argb : Blocks().opaque;
    const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
    double colorError = 0, alphaError = 0;
    DWORD decoded[16];
    for (std::size_t b = 0; b < BLOCKS; ++b) {
        if (dxt5) {
            DecodeDxt5Block(encoded.data() + b * blockBytes, decoded);
        } else {
            DecodeDxt1Block(encoded.data() + b * blockBytes, decoded);
        }
        for (int i = 0; i < 16; ++i) {
            const std::uint32_t s = source[16 * b + i], d = decoded[i];
            for (int shift = 0; shift < 24; shift += 8) {
                const double e = static_cast<double>((s >> shift) & 255) - static_cast<double>((d >> shift) & 255);
                colorError += e * e;
            }
            const double e = static_cast<double>(s >> 24) - static_cast<double>(d >> 24);
            alphaError += e * e;
        }
    }
    const double pixels = static_cast<double>(BLOCKS) * 16;
    state.counters["MPix/s"] =
        benchmark::Counter(pixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["rmseRGB"] = std::sqrt(colorError / (3 * pixels));
    if (dxt5) {
        state.counters["rmseA"] = std::sqrt(alphaError / pixels);
    }
}

template <class Encode>
void Run(benchmark::State& state, bool dxt5, Encode encode) {
    const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
    std::vector<std::uint8_t> encoded(BLOCKS * blockBytes);
    Blocks();
    for (auto _ : state) {
        encode(encoded.data());
        benchmark::DoNotOptimize(encoded.data());
        benchmark::ClobberMemory();
    }
    ReportQuality(state, encoded, dxt5);
}

void Ours_Dxt1_Block(benchmark::State& state) {
    Run(state, false, [](std::uint8_t* out) {
        const DWORD* src = Blocks().opaque.data();
        for (std::size_t b = 0; b < BLOCKS; ++b) {
            EncodeDxt1Block(src + 16 * b, out + COLOR_BLOCK_BYTES * b);
        }
    });
}

void Ours_Dxt1_Run(benchmark::State& state) {
    Run(state, false, [](std::uint8_t* out) {
        const DWORD* src = Blocks().opaque.data();
        constexpr std::size_t perRow = SIZE / 4;
        for (std::size_t b = 0; b < BLOCKS; b += perRow) {
            EncodeDxt1Blocks(src + 16 * b, perRow, out + COLOR_BLOCK_BYTES * b);
        }
    });
}

void Ours_Dxt5_Block(benchmark::State& state) {
    Run(state, true, [](std::uint8_t* out) {
        const DWORD* src = Blocks().argb.data();
        for (std::size_t b = 0; b < BLOCKS; ++b) {
            EncodeDxt5Block(src + 16 * b, out + ALPHA_BLOCK_BYTES * b);
        }
    });
}

void Ours_Dxt5_Run(benchmark::State& state) {
    Run(state, true, [](std::uint8_t* out) {
        const DWORD* src = Blocks().argb.data();
        constexpr std::size_t perRow = SIZE / 4;
        for (std::size_t b = 0; b < BLOCKS; b += perRow) {
            EncodeDxt5Blocks(src + 16 * b, perRow, out + ALPHA_BLOCK_BYTES * b);
        }
    });
}

BENCHMARK(Ours_Dxt1_Block)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Dxt1_Run)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Dxt5_Block)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Dxt5_Run)->Unit(benchmark::kMillisecond);

#ifdef HAVE_STB
void Stb(benchmark::State& state, bool dxt5, int mode) {
    Run(state, dxt5, [dxt5, mode](std::uint8_t* out) {
        const std::uint8_t* src = dxt5 ? Blocks().rgba.data() : Blocks().opaqueRgba.data();
        const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
        for (std::size_t b = 0; b < BLOCKS; ++b) {
            stb_compress_dxt_block(out + blockBytes * b, src + 64 * b, dxt5 ? 1 : 0, mode);
        }
    });
}

void Stb_Dxt1_Normal(benchmark::State& state) {
    Stb(state, false, STB_DXT_NORMAL);
}
void Stb_Dxt1_HighQual(benchmark::State& state) {
    Stb(state, false, STB_DXT_HIGHQUAL);
}
void Stb_Dxt5_Normal(benchmark::State& state) {
    Stb(state, true, STB_DXT_NORMAL);
}
void Stb_Dxt5_HighQual(benchmark::State& state) {
    Stb(state, true, STB_DXT_HIGHQUAL);
}
BENCHMARK(Stb_Dxt1_Normal)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_Dxt1_HighQual)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_Dxt5_Normal)->Unit(benchmark::kMillisecond);
BENCHMARK(Stb_Dxt5_HighQual)->Unit(benchmark::kMillisecond);
#endif

#ifdef HAVE_SQUISH
void Squish(benchmark::State& state, bool dxt5, int fit) {
    Run(state, dxt5, [dxt5, fit](std::uint8_t* out) {
        const std::uint8_t* src = dxt5 ? Blocks().rgba.data() : Blocks().opaqueRgba.data();
        const std::size_t blockBytes = dxt5 ? ALPHA_BLOCK_BYTES : COLOR_BLOCK_BYTES;
        const int flags = (dxt5 ? squish::kDxt5 : squish::kDxt1) | fit;
        for (std::size_t b = 0; b < BLOCKS; ++b) {
            squish::Compress(src + 64 * b, out + blockBytes * b, flags);
        }
    });
}

void Squish_Dxt1_RangeFit(benchmark::State& state) {
    Squish(state, false, squish::kColourRangeFit);
}
void Squish_Dxt1_ClusterFit(benchmark::State& state) {
    Squish(state, false, squish::kColourClusterFit);
}
void Squish_Dxt5_RangeFit(benchmark::State& state) {
    Squish(state, true, squish::kColourRangeFit);
}
void Squish_Dxt5_ClusterFit(benchmark::State& state) {
    Squish(state, true, squish::kColourClusterFit);
}
BENCHMARK(Squish_Dxt1_RangeFit)->Unit(benchmark::kMillisecond);
BENCHMARK(Squish_Dxt1_ClusterFit)->Unit(benchmark::kMillisecond);
BENCHMARK(Squish_Dxt5_RangeFit)->Unit(benchmark::kMillisecond);
BENCHMARK(Squish_Dxt5_ClusterFit)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
