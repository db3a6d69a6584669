#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "codec/cpu_features.h"
#include "codec/dxt_alpha_ramp.h"
#include "codec/dxt_alpha_ramp_avx2.h"
#include "codec/dxt_axis_extent.h"
#include "codec/dxt_axis_extent_avx2.h"
#include "codec/dxt_blocks.h"
#include "codec/dxt_channel_refine.h"
#include "codec/dxt_cluster_fit.h"
#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_color_moments_avx2.h"
#include "codec/dxt_flat_block_memo.h"
#include "codec/dxt_key_order.h"
#include "codec/dxt_level_pairs.h"
#include "codec/dxt_nearest_entry.h"
#include "codec/dxt_quality_encoder.h"
#include "codec/dxt_quality_measure.h"
#include "codec/dxt_quantize_pair.h"
#include "codec/dxt_search_texels.h"
#include "codec/dxt_split_search.h"

namespace {

using Pixels = std::array<DWORD, 16>;

#if TOVTEX_SSE2
// The same stored block, found with the same error.
void ExpectSameChoice(const dxt_search::ColorChoice& a, const dxt_search::ColorChoice& b) {
    EXPECT_EQ(a.c0, b.c0);
    EXPECT_EQ(a.c1, b.c1);
    EXPECT_EQ(a.indices, b.indices);
    EXPECT_EQ(a.error, b.error);
}
#endif

// A 16-bit value from two draws, the high byte first whatever the compiler.
template <typename Rng, typename Byte>
unsigned Word16(Rng& rng, Byte& byte) {
    const auto high = static_cast<unsigned>(byte(rng));
    return high << 8 | static_cast<unsigned>(byte(rng));
}

DWORD Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return static_cast<DWORD>(a << 24 | r << 16 | g << 8 | b);
}

// Blocks that stress the fits: flat, two colours, gradients, one odd texel,
// all transparent, alpha edges, near-extreme alphas, and random ones.
std::vector<std::pair<std::string, Pixels>> TestBlocks() {
    std::vector<std::pair<std::string, Pixels>> blocks;
    const auto add = [&](const std::string& name, const std::function<DWORD(int)>& f) {
        Pixels p;
        for (int i = 0; i < 16; ++i) {
            p[i] = f(i);
        }
        blocks.emplace_back(name, p);
    };
    add("flat", [](int) { return Argb(255, 37, 201, 90); });
    add("flat odd levels", [](int) { return Argb(255, 3, 130, 254); });
    add("flat, alpha varying", [](int i) { return Argb(i * 17, 129, 66, 250); });
    add("flat, half transparent", [](int i) { return Argb(i < 8 ? 0 : 255, 201, 7, 77); });
    add("two colours", [](int i) { return i % 3 ? Argb(255, 250, 10, 10) : Argb(255, 10, 10, 250); });
    add("gradient", [](int i) { return Argb(255, 16 * i, 255 - 16 * i, 8 * i); });
    add("grey gradient", [](int i) { return Argb(255, 100 + i, 100 + i, 100 + i); });
    add("one odd texel", [](int i) { return i == 5 ? Argb(255, 255, 0, 255) : Argb(255, 40, 60, 80); });
    add("all transparent", [](int i) { return Argb(0, 10 * i, 3 * i, 200); });
    add("alpha edge", [](int i) { return Argb(i % 4 < 2 ? 0 : 255, 90, 10 * i, 30); });
    add("soft alpha", [](int i) { return Argb(17 * i, 200 - 5 * i, 80, 7 * i); });
    add("alpha 0, 255 and between", [](int i) { return Argb(i < 4 ? 0 : i < 8 ? 255 : 60 + 12 * i, 1, 2, 3); });
    add("alpha near threshold", [](int i) { return Argb(120 + i, 255, 255 * (i & 1), 0); });
    add("black and white", [](int i) { return (i ^ (i >> 2)) & 1 ? Argb(255, 0, 0, 0) : Argb(255, 255, 255, 255); });
    std::mt19937 rng(1515);
    std::uniform_int_distribution<unsigned> byte(0, 255);
    for (int n = 0; n < 150; ++n) {
        // Random texels around a random line, with noise of random size.
        const unsigned spread = 1u + byte(rng) % 64, noise = 1u + byte(rng) % 32;
        const int r0 = static_cast<int>(byte(rng)), g0 = static_cast<int>(byte(rng)), b0 = static_cast<int>(byte(rng));
        const int dr = static_cast<int>(byte(rng)) - 128, dg = static_cast<int>(byte(rng)) - 128,
                  db = static_cast<int>(byte(rng)) - 128;
        const unsigned alphaKind = byte(rng) % 3;
        add("random", [&](int) {
            const auto clamp = [](int v) { return static_cast<unsigned>(v < 0 ? 0 : v > 255 ? 255 : v); };
            const int t = static_cast<int>(byte(rng) % spread);
            const auto jitter = [&] { return static_cast<int>(byte(rng) % noise) - static_cast<int>(noise / 2); };
            const unsigned a = alphaKind == 0 ? 255u : alphaKind == 1 ? byte(rng) : (byte(rng) & 1 ? 255u : 0u);
            // Drawn one statement at a time: the order of arguments is the
            // compiler's, and the blocks must be the same under every one.
            const int jr = jitter();
            const int jg = jitter();
            const int jb = jitter();
            return Argb(a, clamp(r0 + dr * t / 64 + jr), clamp(g0 + dg * t / 64 + jg), clamp(b0 + db * t / 64 + jb));
        });
    }
    return blocks;
}

void Decode(D3DFORMAT format, const BYTE* block, DWORD* out) {
    if (format == D3DFMT_DXT1) {
        DecodeDxt1Block(block, out);
    } else if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        DecodeDxt3Block(block, out);
    } else {
        DecodeDxt5Block(block, out);
    }
}

struct Setting {
    D3DFORMAT format;
    std::uint16_t texels;
    BYTE threshold;
    bool perceptual;
};

const Setting SETTINGS[] = {
    {D3DFMT_DXT1, ALL_TEXELS, 128, false}, {D3DFMT_DXT1, ALL_TEXELS, 0, false}, {D3DFMT_DXT1, 0x0033, 200, true},
    {D3DFMT_DXT2, ALL_TEXELS, 128, false}, {D3DFMT_DXT3, 0x0777, 128, false},   {D3DFMT_DXT4, ALL_TEXELS, 128, true},
    {D3DFMT_DXT5, ALL_TEXELS, 128, false}, {D3DFMT_DXT5, 0x0001, 128, false},
};

// Every block decodes, through the library's decoders, to what its encoder
// measured; best never does worse than normal; DXT1's transparent texels
// come out transparent and its opaque texels opaque; DXT3's alpha is the
// nearest 4-bit value.
TEST(DxtQualityEncoder, DecodedBlocksMatchTheMeasureAndTheLevelsImprove) {
    for (const Setting& s : SETTINGS) {
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name + " format " + std::to_string(s.format) + " texels " + std::to_string(s.texels));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            DxtBlockError measured[2];
            for (DxtQuality quality : {DXT_QUALITY_NORMAL, DXT_QUALITY_BEST}) {
                options.quality = quality;
                BYTE block[16];
                DWORD decoded[16];
                const DxtBlockError e = EncodeDxtBlockMeasured(s.format, pixels.data(), s.texels, options, block);
                Decode(s.format, block, decoded);
                const DxtBlockError seen = MeasureDecodedBlock(s.format, pixels.data(), s.texels, options, decoded);
                EXPECT_EQ(e.color, seen.color);
                EXPECT_EQ(e.alpha, seen.alpha);
                measured[quality] = e;
                for (int i = 0; i < 16; ++i) {
                    if (!(s.texels >> i & 1u)) {
                        continue;
                    }
                    const unsigned a = pixels[i] >> 24, out = decoded[i] >> 24;
                    if (s.format == D3DFMT_DXT1) {
                        EXPECT_EQ(out, a < s.threshold ? 0u : 255u) << "texel " << i;
                    } else if (s.format == D3DFMT_DXT2 || s.format == D3DFMT_DXT3) {
                        EXPECT_EQ(out, (a + 8) / 17 * 17) << "texel " << i;
                    }
                }
                BYTE plain[16];
                EncodeDxtBlockWith(s.format, pixels.data(), s.texels, options, plain);
                EXPECT_EQ(0, std::memcmp(plain, block, DxtBlockBytes(s.format)));
            }
            EXPECT_LE(measured[DXT_QUALITY_BEST].color, measured[DXT_QUALITY_NORMAL].color);
            EXPECT_LE(measured[DXT_QUALITY_BEST].alpha, measured[DXT_QUALITY_NORMAL].alpha);
        }
    }
}

// A run of blocks comes out as its blocks encoded one at a time, whatever
// the run holds: the normal quality searches two blocks at once, and one
// finishing early must not disturb the other. The run holds every test
// block twice (repeats meet the encoder's memo of uniform blocks), each
// with the setting's mask or none.
TEST(DxtQualityEncoder, RunsMatchTheirBlocksOneByOne) {
    const auto blocks = TestBlocks();
    for (const Setting& s : SETTINGS) {
        std::vector<DWORD> pixels;
        std::vector<std::uint16_t> masks;
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t b = 0; b < blocks.size(); ++b) {
                pixels.insert(pixels.end(), blocks[b].second.begin(), blocks[b].second.end());
                masks.push_back((b + pass) % 3 == 0 ? s.texels : ALL_TEXELS);
            }
        }
        const std::size_t count = masks.size(), bytes = DxtBlockBytes(s.format);
        for (DxtQuality quality : {DXT_QUALITY_NORMAL, DXT_QUALITY_BEST}) {
            SCOPED_TRACE("format " + std::to_string(s.format) + " quality " + std::to_string(quality));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            options.quality = quality;
            std::vector<BYTE> run(count * bytes), whole(count * bytes), one(count * bytes);
            EncodeDxtBlocksWith(s.format, pixels.data(), masks.data(), count, options, run.data());
            EncodeDxtBlocksWith(s.format, pixels.data(), nullptr, count, options, whole.data());
            for (std::size_t b = 0; b < count; ++b) {
                EncodeDxtBlockWith(s.format, pixels.data() + 16 * b, masks[b], options, one.data() + bytes * b);
                EXPECT_EQ(0, std::memcmp(run.data() + bytes * b, one.data() + bytes * b, bytes)) << "block " << b;
                EncodeDxtBlockWith(s.format, pixels.data() + 16 * b, ALL_TEXELS, options, one.data() + bytes * b);
                EXPECT_EQ(0, std::memcmp(whole.data() + bytes * b, one.data() + bytes * b, bytes)) << "block " << b;
            }
        }
    }
}

// Against the library's encoder, by the same measure: alpha never worse
// (the library's reference values are among the candidates), colour never
// worse in total and on all but a handful of blocks, where the library's
// truncated endpoints happen to land nearer than the rounded ones.
TEST(DxtQualityEncoder, NormalBeatsTheLibraryEncoder) {
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT5}) {
        std::uint64_t ours = 0, library = 0;
        int worse = 0, blocks = 0;
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name);
            BYTE block[16];
            DWORD decoded[16];
            const DxtEncodeOptions options;
            const DxtBlockError e = EncodeDxtBlockMeasured(format, pixels.data(), ALL_TEXELS, options, block);
            if (format == D3DFMT_DXT1) {
                EncodeDxt1Block(pixels.data(), block);
            } else {
                EncodeDxt5Block(pixels.data(), block);
            }
            Decode(format, block, decoded);
            const DxtBlockError lib = MeasureDecodedBlock(format, pixels.data(), ALL_TEXELS, options, decoded);
            EXPECT_LE(e.alpha, lib.alpha);
            ours += e.color;
            library += lib.color;
            worse += e.color > lib.color ? 1 : 0;
            ++blocks;
        }
        EXPECT_LT(ours, library);
        EXPECT_LE(worse * 50, blocks) << worse << " of " << blocks << " blocks worse than the library's";
    }
}

// A transparent texel's colour does not move the endpoints.
TEST(DxtQualityEncoder, TransparentColourDoesNotPullDxt1Endpoints) {
    for (const auto& [name, pixels] : TestBlocks()) {
        SCOPED_TRACE(name);
        for (DxtQuality quality : {DXT_QUALITY_NORMAL, DXT_QUALITY_BEST}) {
            DxtEncodeOptions options;
            options.quality = quality;
            Pixels changed = pixels;
            for (DWORD& p : changed) {
                if ((p >> 24) < options.alphaThreshold) {
                    p = (p & 0xFF000000u) | (~p & 0x00FFFFFFu);
                }
            }
            BYTE a[8], b[8];
            EncodeDxtBlockWith(D3DFMT_DXT1, pixels.data(), ALL_TEXELS, options, a);
            EncodeDxtBlockWith(D3DFMT_DXT1, changed.data(), ALL_TEXELS, options, b);
            EXPECT_EQ(0, std::memcmp(a, b, 8));
        }
    }
}

// The branch-free order of the texels along an axis is the insertion sort's:
// keys of few values (ties kept in texel order), of every value, zeros of
// both signs, texels without weight, and a key that is not a number.
TEST(DxtQualityEncoder, KeyOrderMatchesPlain) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> pick(0, 1 << 20);
    struct Case {
        const char* name;
        int values;      // distinct keys drawn from
        int unweighted;  // one in this many texels without weight (0: none)
        bool nan;
    };
    static constexpr Case CASES[] = {{"few values", 3, 0, false},
                                     {"many values", 1 << 20, 0, false},
                                     {"some unseen", 5, 3, false},
                                     {"none seen", 2, 1, false},
                                     {"not a number", 4, 4, true}};
    for (const Case& c : CASES) {
        int mismatches = 0;
        for (int n = 0; n < 500; ++n) {
            float key[16];
            std::uint32_t weight[16];
            for (int i = 0; i < 16; ++i) {
                const int v = pick(rng) % c.values;
                key[i] = v == 0 ? (i % 2 ? -0.0f : 0.0f) : static_cast<float>(v - c.values / 2) * 0.37f;
                weight[i] = c.unweighted != 0 && pick(rng) % c.unweighted == 0 ? 0u : 1u + pick(rng) % 255u;
            }
            if (c.nan) {
                key[pick(rng) % 16] = std::numeric_limits<float>::quiet_NaN();
            }
            int order[2][16];
            const int count[2] = {dxt_search::OrderByKey(key, weight, order[0]),
                                  dxt_search::OrderByKeyPlain(key, weight, order[1])};
            mismatches += count[0] != count[1] || !std::equal(order[0], order[0] + count[1], order[1]);
#if TOVTEX_SSE2
            // Both vector forms, whichever one this processor picks.
            int sse2[16], avx2[16];
            mismatches += dxt_search::OrderByKeySse2(key, weight, sse2) != count[1] ||
                          !std::equal(sse2, sse2 + count[1], order[1]);
            if (CpuHasAvx2()) {
                mismatches += dxt_search::OrderByKeyAvx2(key, weight, avx2) != count[1] ||
                              !std::equal(avx2, avx2 + count[1], order[1]);
            }
#endif
        }
        EXPECT_EQ(0, mismatches) << c.name;
    }
}

#if TOVTEX_SSE2
// The vector search for the nearest palette entry agrees bit for bit with
// its plain reference, ties included.
TEST(DxtQualityEncoder, VectorNearestEntryMatchesPlain) {
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 2000; ++n) {
        dxt_search::SearchTexels texels{};
        for (int i = 0; i < 16; ++i) {
            for (int c = 0; c < 3; ++c) {
                texels.ch[c][i] = static_cast<float>(n % 2 ? byte(rng) : byte(rng) & 0xF0);
            }
        }
        const bool perceptual = n % 3 == 0;
        for (int c = 0; c < 3; ++c) {
            texels.channel[c] = perceptual ? static_cast<std::uint32_t>(c == 1 ? 183 : 54) : 1u;
        }
        dxt_search::ColorPalette palette;
        const unsigned c0 = Word16(rng, byte);
        const unsigned c1 = Word16(rng, byte);
        dxt_search::BuildPalette(c0, c1, palette);
        float d0[16], d1[16];
        std::uint32_t i0[16], i1[16];
        dxt_search::NearestEntries(texels, palette, d0, i0);
        dxt_search::NearestEntriesPlain(texels, palette, d1, i1);
        EXPECT_EQ(0, std::memcmp(d0, d1, sizeof d0));
        EXPECT_EQ(0, std::memcmp(i0, i1, sizeof i0));
        // The one-pass form: indices packed, transparent texels on 3, the
        // weighted error summed, up to the largest weights.
        for (int i = 0; i < 16; ++i) {
            texels.weight[i] = n % 5 == 0 ? 0u : n % 2 ? 255u : static_cast<std::uint32_t>(byte(rng));
        }
        texels.transparent = static_cast<std::uint16_t>(n % 4 == 0 ? Word16(rng, byte) : 0);
        std::uint32_t packed[2];
        std::uint64_t error[2];
        dxt_search::NearestPacked(texels, palette, packed[0], error[0]);
        dxt_search::NearestPackedPlain(texels, palette, packed[1], error[1]);
        EXPECT_EQ(packed[0], packed[1]);
        EXPECT_EQ(error[0], error[1]);
        // The palette built on the way agrees too: in both orders (both
        // modes) and with equal endpoints (every entry tied).
        for (const auto& [a, b] : {std::pair{c0, c1}, std::pair{c1, c0}, std::pair{c0, c0}}) {
            dxt_search::NearestPackedStored(texels, a, b, packed[0], error[0]);
            dxt_search::NearestPackedStoredPlain(texels, a, b, packed[1], error[1]);
            EXPECT_EQ(packed[0], packed[1]) << a << " " << b;
            EXPECT_EQ(error[0], error[1]) << a << " " << b;
            // The SSE2 form itself, whichever form the processor chose above.
            dxt_search::NearestPackedStoredSse2(texels, a, b, packed[0], error[0]);
            EXPECT_EQ(packed[0], packed[1]) << a << " " << b;
            EXPECT_EQ(error[0], error[1]) << a << " " << b;
        }
    }
}

// The AVX2 kernels agree bit for bit with their plain references on the test
// blocks in every setting and on random blocks, against stored pairs that
// tie texels between entries, in both modes and with equal endpoints.
TEST(DxtQualityEncoder, WideKernelsMatchPlain) {
    if (!CpuHasAvx2()) {
        GTEST_SKIP() << "the processor has no AVX2";
    }
    std::mt19937 rng(2323);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<Pixels> blocks;
    for (const auto& [name, pixels] : TestBlocks()) {
        blocks.push_back(pixels);
    }
    for (int n = 0; n < 300; ++n) {
        Pixels p;
        for (DWORD& v : p) {
            v = Argb(static_cast<unsigned>(byte(rng)), static_cast<unsigned>(byte(rng) & (n % 2 ? 0xFF : 0xF8)),
                     static_cast<unsigned>(byte(rng)), static_cast<unsigned>(byte(rng) & 0xF0));
        }
        blocks.push_back(p);
    }
    for (const Setting& s : SETTINGS) {
        DxtEncodeOptions options;
        options.alphaThreshold = s.threshold;
        options.perceptual = s.perceptual;
        for (const Pixels& pixels : blocks) {
            dxt_search::SearchTexels texels;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, texels);
            const unsigned c0 = Word16(rng, byte), c1 = Word16(rng, byte);
            // Endpoints from the block itself: texels on and between entries.
            const auto pack = [](DWORD v) { return (v >> 8 & 0xF800u) | (v >> 5 & 0x07E0u) | (v >> 3 & 0x001Fu); };
            const unsigned own0 = pack(pixels[0]), own1 = pack(pixels[15]);
            for (const auto& [a, b] : {std::pair{c0, c1}, std::pair{c1, c0}, std::pair{c0, c0}, std::pair{own0, own1},
                                       std::pair{own1, own0}, std::pair{0u, 0xFFFFu}, std::pair{0xFFFFu, 0u}}) {
                std::uint32_t packed[2];
                std::uint64_t error[2];
                dxt_search::NearestPackedStoredAvx2(texels, a, b, packed[0], error[0]);
                dxt_search::NearestPackedStoredPlain(texels, a, b, packed[1], error[1]);
                EXPECT_EQ(packed[0], packed[1]) << a << " " << b;
                EXPECT_EQ(error[0], error[1]) << a << " " << b;
            }
        }
    }
    // The alpha ramp error, two pairs at once: every pair of references
    // beside its reverse (the other mode), texels spread over the range and
    // some left out.
    int mismatches = 0;
    for (unsigned a0 = 0; a0 < 256; ++a0) {
        for (unsigned a1 = 0; a1 < 256; ++a1) {
            int alpha[16];
            alignas(16) unsigned char bytes[16], inside[16];
            const auto texels = static_cast<std::uint16_t>(a0 % 3 == 0 ? 0xFFFFu : (a0 * 2654435761u + a1) >> 16);
            for (int i = 0; i < 16; ++i) {
                alpha[i] = static_cast<int>((static_cast<unsigned>(i) * 17u + a0 * 7u + a1 * 3u) & 255u);
                bytes[i] = static_cast<unsigned char>(alpha[i]);
                inside[i] = (texels >> i & 1u) ? 0xFF : 0;
            }
            std::uint32_t errors[2];
            dxt_search::AlphaRampErrorPairAvx2(_mm_load_si128(reinterpret_cast<const __m128i*>(bytes)),
                                               _mm_load_si128(reinterpret_cast<const __m128i*>(inside)), a0, a1, a1, a0,
                                               errors);
            mismatches += errors[0] != dxt_search::AlphaRampErrorPlain(alpha, texels, a0, a1);
            mismatches += errors[1] != dxt_search::AlphaRampErrorPlain(alpha, texels, a1, a0);
        }
    }
    EXPECT_EQ(0, mismatches);
}

// Pairs of endpoints to 5:6:5, rounded and truncated: the vector forms give
// the plain ones' levels for values inside, on and beyond every level's
// edge, beyond the cube, and for values that are not numbers.
TEST(DxtQualityEncoder, QuantizePairMatchesPlain) {
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 255.0f,
                                 256.0f,
                                 -1.0f,
                                 1e9f,
                                 -1e9f,
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
    for (const float top : {31.0f, 63.0f}) {
        for (int level = 0; level <= 64; ++level) {
            for (const float edge : {level * 255.0f / top, (level + 0.5f) * 255.0f / top}) {
                values.push_back(edge);
                values.push_back(std::nextafter(edge, -1e9f));
                values.push_back(std::nextafter(edge, 1e9f));
            }
        }
    }
    std::mt19937 rng(15);
    std::uniform_real_distribution<float> spread(-40.0f, 300.0f);
    for (int k = 0; k < 200; ++k) {
        values.push_back(spread(rng));
    }
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    int mismatches = 0;
    for (int k = 0; k < 20000; ++k) {
        const float e0[3] = {values[pick(rng)], values[pick(rng)], values[pick(rng)]};
        const float e1[3] = {values[pick(rng)], values[pick(rng)], values[pick(rng)]};
        unsigned q[2][2], t[2][2];
        dxt_search::QuantizePair565(e0, e1, q[0][0], q[0][1]);
        dxt_search::QuantizePair565Plain(e0, e1, q[1][0], q[1][1]);
        dxt_search::TruncatePair565(e0, e1, t[0][0], t[0][1]);
        dxt_search::TruncatePair565Plain(e0, e1, t[1][0], t[1][1]);
        mismatches += q[0][0] != q[1][0] || q[0][1] != q[1][1] || t[0][0] != t[1][0] || t[0][1] != t[1][1];
        mismatches += q[1][0] != dxt_search::Quantize565(e0) || q[1][1] != dxt_search::Quantize565(e1);
    }
    EXPECT_EQ(0, mismatches);
}

// The vector preparation of a block fills the record exactly as its plain
// reference, in every setting, and so do the vector colour moments and
// endpoint solution.
TEST(DxtQualityEncoder, VectorTexelsMatchPlain) {
    for (const Setting& s : SETTINGS) {
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name + " format " + std::to_string(s.format));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            dxt_search::SearchTexels a, b;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, a);
            dxt_search::PrepareTexelsPlain(s.format, pixels.data(), s.texels, options, b);
            EXPECT_EQ(0, std::memcmp(a.ch, b.ch, sizeof a.ch));
            EXPECT_EQ(0, std::memcmp(a.weight, b.weight, sizeof a.weight));
            EXPECT_EQ(0, std::memcmp(a.channel, b.channel, sizeof a.channel));
            EXPECT_EQ(a.transparent, b.transparent);
            EXPECT_EQ(a.used, b.used);
            EXPECT_EQ(a.threeColorOnly, b.threeColorOnly);
            EXPECT_EQ(a.fourColorOnly, b.fourColorOnly);
            EXPECT_EQ(a.flat, b.flat);
            dxt_search::ColorMoments ma{}, mb{};
            EXPECT_EQ(dxt_search::ComputeMoments(a, ma), dxt_search::ComputeMomentsPlain(a, mb));
            EXPECT_EQ(0, std::memcmp(&ma, &mb, sizeof ma));
            dxt_search::ColorSums sums[2] = {};
            dxt_search::ColorSumsPlain(a, sums[0]);
#if TOVTEX_SSE2
            dxt_search::ColorSumsSse2(a, sums[1]);
            EXPECT_EQ(0, std::memcmp(&sums[0], &sums[1], sizeof sums[0]));
            if (CpuHasAvx2()) {
                dxt_search::ColorSumsAvx2(a, sums[1]);
                EXPECT_EQ(0, std::memcmp(&sums[0], &sums[1], sizeof sums[0]));
            }
#endif
            // The extent along a line through the mean: the principal axis,
            // the channel axes and a diagonal, both signs.
            float axis[3] = {};
            const bool haveAxis = dxt_search::PrincipalAxis(a, ma, axis);
            // The normal fit's shorter route to the line: the same mean, the
            // same answer on whether the colours spread, the same direction
            // to well within what 5:6:5 endpoints tell apart; vector and
            // plain forms bit for bit.
            float quick[2][3] = {}, quickMean[2][3] = {}, inverseSquare[2] = {};
            const bool quickAxis = dxt_search::QuickAxis(a, quickMean[0], quick[0], inverseSquare[0]);
            EXPECT_EQ(quickAxis, dxt_search::QuickAxisPlain(a, quickMean[1], quick[1], inverseSquare[1]));
            EXPECT_EQ(0, std::memcmp(quick[0], quick[1], sizeof quick[0]));
            EXPECT_EQ(0, std::memcmp(quickMean[0], quickMean[1], sizeof quickMean[0]));
            EXPECT_EQ(inverseSquare[0], inverseSquare[1]);
            if (a.used != 0) {
                EXPECT_EQ(0, std::memcmp(quickMean[0], ma.mean, sizeof ma.mean));
                EXPECT_EQ(haveAxis, quickAxis);
            }
            if (haveAxis && quickAxis) {
                const double cosine = (quick[0][0] * axis[0] + quick[0][1] * axis[1] + quick[0][2] * axis[2]) *
                                      std::sqrt(inverseSquare[0]);
                EXPECT_GT(std::fabs(cosine), 0.99999);
            }
            const float lines[][3] = {
                {axis[0], axis[1], axis[2]}, {1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {0.57735f, -0.57735f, 0.57735f}};
            for (const auto& line : lines) {
                float extent[2][2];
                dxt_search::AxisExtent(a, ma.mean, line, extent[0][0], extent[0][1]);
                dxt_search::AxisExtentPlain(a, ma.mean, line, extent[1][0], extent[1][1]);
                EXPECT_EQ(0, std::memcmp(extent[0], extent[1], sizeof extent[0]));
                dxt_search::AxisExtentSse2(a, ma.mean, line, extent[0][0], extent[0][1]);
                EXPECT_EQ(0, std::memcmp(extent[0], extent[1], sizeof extent[0]));
                if (CpuHasAvx2()) {
                    dxt_search::AxisExtentAvx2(a, ma.mean, line, extent[0][0], extent[0][1]);
                    EXPECT_EQ(0, std::memcmp(extent[0], extent[1], sizeof extent[0]));
                }
                EXPECT_LE(extent[0][0], 0.0f);
                EXPECT_GE(extent[0][1], 0.0f);
            }
            std::mt19937 rng(s.texels);
            dxt_search::SolveBasis basis;
            dxt_search::PrepareSolveBasis(a, basis);
            for (int n = 0; n < 64; ++n) {
                const auto indices = static_cast<std::uint32_t>(rng());
                for (bool four : {true, false}) {
                    float e[2][2][3] = {};
                    const bool solved = dxt_search::SolveEndpoints(a, indices, four, e[0][0], e[0][1]);
                    EXPECT_EQ(solved, dxt_search::SolveEndpointsPlain(a, indices, four, e[1][0], e[1][1]));
                    EXPECT_EQ(0, std::memcmp(e[0], e[1], sizeof e[0]));
                    unsigned q[2][2] = {};
                    EXPECT_EQ(solved, dxt_search::SolveQuantized(basis, indices, four, q[0][0], q[0][1]));
                    EXPECT_EQ(solved, dxt_search::SolveQuantizedPlain(a, indices, four, q[1][0], q[1][1]));
                    if (solved) {
                        EXPECT_EQ(q[0][0], q[1][0]);
                        EXPECT_EQ(q[0][1], q[1][1]);
                    }
                }
            }
        }
    }
}

// A one-colour block read straight from its pixels gets the very block the
// full path chooses, in every setting, transparent texels included.
TEST(DxtQualityEncoder, OneColourBlocksMatchTheFullPath) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<unsigned> byte(0, 255);
    for (const Setting& s : SETTINGS) {
        for (int n = 0; n < 600; ++n) {
            const unsigned r = byte(rng);
            const unsigned g = byte(rng);
            const DWORD rgb = Argb(0, r, g, byte(rng));
            const unsigned alphaKind = n % 4;
            Pixels pixels;
            for (DWORD& p : pixels) {
                const unsigned a = alphaKind == 0 ? 255u : alphaKind == 1 ? byte(rng) : (byte(rng) & 1 ? 255u : 0u);
                p = rgb | static_cast<DWORD>(alphaKind == 3 ? 0u : a) << 24;
            }
            SCOPED_TRACE("format " + std::to_string(s.format) + " block " + std::to_string(n));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            dxt_search::FlatBlock flat;
            ASSERT_TRUE(dxt_search::PrepareFlatBlock(s.format, pixels.data(), s.texels, options, flat));
            dxt_search::FlatBlock plain;
            ASSERT_TRUE(dxt_search::PrepareFlatBlockPlain(s.format, pixels.data(), s.texels, options, plain));
            EXPECT_EQ(0, std::memcmp(flat.rgb, plain.rgb, sizeof flat.rgb));
            EXPECT_EQ(0, std::memcmp(flat.channel, plain.channel, sizeof flat.channel));
            EXPECT_EQ(flat.weight, plain.weight);
            EXPECT_EQ(flat.transparent, plain.transparent);
            EXPECT_EQ(flat.used, plain.used);
            EXPECT_EQ(flat.threeColorOnly, plain.threeColorOnly);
            EXPECT_EQ(flat.fourColorOnly, plain.fourColorOnly);
            dxt_search::SearchTexels texels;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, texels);
            EXPECT_EQ(flat.used, texels.used);
            EXPECT_EQ(flat.transparent, texels.transparent);
            if (texels.used == 0) {
                continue;
            }
            const dxt_search::ColorChoice quick = dxt_search::FitFlatBlock(flat);
            const dxt_search::ColorChoice full = dxt_search::FitColorNormal(texels);
            ExpectSameChoice(quick, full);
        }
    }
    // The remembered fit answers a repeat as the fit does, and a block of the
    // same colour that differs in any other fact (weights, transparency,
    // texels inside, format, channel weights) is fitted afresh.
    for (unsigned c = 0; c < 256; c += 37) {
        for (const Setting& s : SETTINGS) {
            for (unsigned alpha : {255u, 129u, 127u, 0u}) {
                for (int repeat = 0; repeat < 2; ++repeat) {
                    Pixels pixels;
                    pixels.fill(Argb(alpha, c, 255u - c, (3u * c + 1u) & 255u));
                    DxtEncodeOptions options;
                    options.alphaThreshold = s.threshold;
                    options.perceptual = s.perceptual;
                    dxt_search::FlatBlock flat;
                    ASSERT_TRUE(dxt_search::PrepareFlatBlock(s.format, pixels.data(), s.texels, options, flat));
                    if (flat.used == 0) {
                        continue;
                    }
                    const dxt_search::ColorChoice fresh = dxt_search::FitFlatBlock(flat);
                    const dxt_search::ColorChoice remembered = dxt_search::FitFlatBlockRemembered(flat);
                    ExpectSameChoice(fresh, remembered);
                }
            }
        }
    }
    // A block of sixteen equal pixels repeating the last such block is
    // written as when fitted afresh, whichever format, options and quality
    // the last one had.
    const auto encode = [](const Setting& s, DxtQuality quality, DWORD pixel, BYTE* block) {
        Pixels pixels;
        pixels.fill(pixel);
        DxtEncodeOptions options;
        options.alphaThreshold = s.threshold;
        options.perceptual = s.perceptual;
        options.quality = quality;
        return EncodeDxtBlockMeasured(s.format, pixels.data(), s.texels, options, block);
    };
    const auto fresh = [&](const Setting& s, DxtQuality quality, DWORD pixel, BYTE* block) {
        encode(s, quality, Argb(255, 1, 2, 3), block);
        return encode(s, quality, pixel, block);
    };
    std::vector<Setting> settings(std::begin(SETTINGS), std::end(SETTINGS));
    settings.push_back({D3DFMT_DXT5, ALL_TEXELS, 128, true});
    const DxtQuality qualities[4][2] = {{DXT_QUALITY_NORMAL, DXT_QUALITY_NORMAL},
                                        {DXT_QUALITY_BEST, DXT_QUALITY_BEST},
                                        {DXT_QUALITY_NORMAL, DXT_QUALITY_BEST},
                                        {DXT_QUALITY_BEST, DXT_QUALITY_NORMAL}};
    for (const Setting& other : settings) {
        for (const Setting& s : settings) {
            for (const auto& q : qualities) {
                for (DWORD pixel : {Argb(255, 10, 200, 30), Argb(129, 10, 200, 30), Argb(0, 10, 200, 30)}) {
                    BYTE expected[2][16], seen[2][16];
                    const DxtBlockError e0 = fresh(other, q[0], pixel, expected[0]);
                    const DxtBlockError e1 = fresh(s, q[1], pixel, expected[1]);
                    const DxtBlockError s0 = encode(other, q[0], pixel, seen[0]), s1 = encode(s, q[1], pixel, seen[1]);
                    EXPECT_EQ(0, std::memcmp(expected[0], seen[0], DxtBlockBytes(other.format)));
                    EXPECT_EQ(0, std::memcmp(expected[1], seen[1], DxtBlockBytes(s.format)));
                    EXPECT_EQ(e0.color, s0.color);
                    EXPECT_EQ(e1.color, s1.color);
                    EXPECT_EQ(e0.alpha, s0.alpha);
                    EXPECT_EQ(e1.alpha, s1.alpha);
                }
            }
        }
    }
    dxt_search::FlatBlock flat;
    for (int i = 0; i < 16; ++i) {
        // One texel off in any place, by its lowest bit or its highest.
        Pixels one{};
        one[i] = i & 1 ? Argb(0, 0, 0, 1) : Argb(255, 128, 0, 0);
        EXPECT_FALSE(dxt_search::PrepareFlatBlock(D3DFMT_DXT5, one.data(), ALL_TEXELS, DxtEncodeOptions{}, flat));
        EXPECT_FALSE(dxt_search::PrepareFlatBlockPlain(D3DFMT_DXT5, one.data(), ALL_TEXELS, DxtEncodeOptions{}, flat));
    }
}

// The vector error and indices of an alpha ramp agree with the plain
// reference, in both modes, with texels left out and at the ends of the
// range, ties included.
TEST(DxtQualityEncoder, VectorAlphaRampErrorMatchesPlain) {
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 4000; ++n) {
        int alpha[16];
        for (int& a : alpha) {
            a = n % 4 == 0 ? (byte(rng) & 1 ? 255 : 0) : byte(rng);
        }
        const auto texels = static_cast<std::uint16_t>(n % 5 == 0 ? Word16(rng, byte) : 0xFFFF);
        const auto a0 = static_cast<unsigned>(byte(rng)), a1 = static_cast<unsigned>(byte(rng));
        EXPECT_EQ(dxt_search::AlphaRampError(alpha, texels, a0, a1),
                  dxt_search::AlphaRampErrorPlain(alpha, texels, a0, a1));
        const dxt_search::AlphaChoice vector = dxt_search::EvaluateAlphaRamp(alpha, texels, a0, a1);
        const dxt_search::AlphaChoice plain = dxt_search::EvaluateAlphaRampPlain(alpha, texels, a0, a1);
        EXPECT_EQ(vector.indices, plain.indices);
        EXPECT_EQ(vector.error, plain.error);
    }
    // The whole search: both levels' windows, blocks of one value, of only
    // 0 and 255, of inner values, with texels left out.
    for (int n = 0; n < 4000; ++n) {
        DWORD pixels[16];
        const int kind = n % 4;
        const int base = byte(rng);
        for (DWORD& p : pixels) {
            const int a = kind == 0   ? base
                          : kind == 1 ? (byte(rng) & 1 ? 255 : 0)
                          : kind == 2 ? byte(rng)
                                      : (base + byte(rng) % 9) & 255;
            p = static_cast<DWORD>(a) << 24 | static_cast<DWORD>(byte(rng));
        }
        const auto texels = static_cast<std::uint16_t>(n % 5 == 0 ? Word16(rng, byte) : 0xFFFF);
        for (const auto& [window, steps] : {std::pair{1, 1}, std::pair{4, 8}}) {
            const dxt_search::AlphaChoice plain = dxt_search::FitAlphaRampPlain(pixels, texels, window, steps);
            // The form the processor chose, and each vector form itself.
            std::vector<dxt_search::AlphaChoice> vectors = {
                dxt_search::FitAlphaRamp(pixels, texels, window, steps),
                dxt_search::FitAlphaRampSse2(pixels, texels, window, steps)};
            if (CpuHasAvx2()) {
                vectors.push_back(dxt_search::FitAlphaRampAvx2(pixels, texels, window, steps));
            }
            for (const dxt_search::AlphaChoice& vector : vectors) {
                EXPECT_EQ(vector.a0, plain.a0);
                EXPECT_EQ(vector.a1, plain.a1);
                EXPECT_EQ(vector.indices, plain.indices);
                EXPECT_EQ(vector.error, plain.error);
            }
        }
    }
    // Every pair of references, with texels spread over the whole range.
    int mismatches = 0;
    for (unsigned a0 = 0; a0 < 256; ++a0) {
        for (unsigned a1 = 0; a1 < 256; ++a1) {
            int alpha[16];
            for (int i = 0; i < 16; ++i) {
                alpha[i] = static_cast<int>((static_cast<unsigned>(i) * 17u + a0 * 7u + a1) & 255u);
            }
            const dxt_search::AlphaChoice vector = dxt_search::EvaluateAlphaRamp(alpha, ALL_TEXELS, a0, a1);
            const dxt_search::AlphaChoice plain = dxt_search::EvaluateAlphaRampPlain(alpha, ALL_TEXELS, a0, a1);
            mismatches += vector.indices != plain.indices || vector.error != plain.error;
        }
    }
    EXPECT_EQ(0, mismatches);
}

// The vector search over four-cluster splits picks the same block as its
// plain reference, in every setting (weights, transparency, perceptual).
TEST(DxtQualityEncoder, VectorClusterFitMatchesPlain) {
    for (const Setting& s : SETTINGS) {
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name + " format " + std::to_string(s.format));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            dxt_search::SearchTexels texels;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, texels);
            if (texels.used == 0) {
                continue;
            }
            const dxt_search::ColorChoice vector = dxt_search::FitColorBest(texels);
            const dxt_search::ColorChoice plain = dxt_search::FitColorBestPlain(texels);
            ExpectSameChoice(vector, plain);
        }
    }
}

// Every vector form of the split search (SSE2, and AVX2 where the processor
// has it) picks the very split of the plain form, with the same bits in its
// endpoints and error, over the test blocks' orderings and windows of every
// width up to the widest, placed at random and at the ends.
TEST(DxtQualityEncoder, VectorSplitSearchMatchesPlain) {
    using dxt_search::SplitForm;
    if (!dxt_search::SplitFormRuns(SplitForm::SSE2)) {
        GTEST_SKIP() << "vector code off: the plain split search alone is built";
    }
    if (!dxt_search::SplitFormRuns(SplitForm::AVX2)) {
        std::printf("this processor has no AVX2: the AVX2 split search is not compared\n");
    }
    const auto same = [](const dxt_search::SplitFit& a, const dxt_search::SplitFit& b) {
        return a.found == b.found && std::memcmp(&a.residual, &b.residual, sizeof a.residual) == 0 &&
               std::memcmp(a.e0, b.e0, sizeof a.e0) == 0 && std::memcmp(a.e1, b.e1, sizeof a.e1) == 0;
    };
    std::mt19937 rng(2718);
    int compared = 0;
    for (const Setting& s : SETTINGS) {
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name + " format " + std::to_string(s.format));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            dxt_search::SearchTexels texels;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, texels);
            dxt_search::ColorMoments moments;
            float axis[3];
            if (!dxt_search::ComputeMoments(texels, moments) || !dxt_search::PrincipalAxis(texels, moments, axis)) {
                continue;
            }
            dxt_search::SortedSums sums;
            dxt_search::SortAlongAxis(texels, moments, axis, sums);
            const int count = sums.count;
            for (int trial = 0; trial < 24; ++trial) {
                const int radius = trial % (dxt_search::MAX_SPLIT_RADIUS + 1);
                dxt_search::SplitWindow w;
                int centre = trial < 4 ? 0 : trial < 8 ? count : static_cast<int>(rng() % (count + 1));
                for (int b = 0; b < 3; ++b) {
                    if (trial >= 8) {
                        centre += static_cast<int>(rng() % 3);
                        centre = centre > count ? count : centre;
                    }
                    w.lo[b] = centre - radius < 0 ? 0 : centre - radius;
                    w.hi[b] = centre + radius > count ? count : centre + radius;
                }
                const dxt_search::SplitFit four = dxt_search::BestFourSplit(sums, w, SplitForm::PLAIN);
                const dxt_search::SplitFit three = dxt_search::BestThreeSplit(sums, w, SplitForm::PLAIN);
                for (SplitForm form : {SplitForm::SSE2, SplitForm::AVX2}) {
                    if (dxt_search::SplitFormRuns(form)) {
                        EXPECT_TRUE(same(four, dxt_search::BestFourSplit(sums, w, form))) << "trial " << trial;
                        EXPECT_TRUE(same(three, dxt_search::BestThreeSplit(sums, w, form))) << "trial " << trial;
                        ++compared;
                    }
                }
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

// The channel refit's pair search in AVX2 picks the plain form's pair:
// lists of every length to 64 (most not a multiple of four), the current
// pair anywhere, the largest sums (costs near their bound, negative or
// positive), and nothing to fit (every pair costs the same: the current
// one stays).
TEST(DxtQualityEncoder, WideLevelPairSearchMatchesPlain) {
    if (!CpuHasAvx2()) {
        GTEST_SKIP() << "the processor has no AVX2";
    }
    std::mt19937 rng(4711);
    const auto draw = [&](int top) { return std::uniform_int_distribution<int>(0, top)(rng); };
    struct Case {
        const char* name;
        int maxCount;
        int maxWeight;  // per entry: 16 texels of weight up to 255
    };
    static constexpr Case CASES[] = {
        {"short lists", 6, 16 * 255}, {"long lists", 64, 16 * 255}, {"light", 12, 4}, {"nothing to fit", 64, 0}};
    int mismatches = 0;
    for (const Case& c : CASES) {
        for (int n = 0; n < 2000; ++n) {
            dxt_search::LevelPairs in{};
            in.four = n % 2 == 0;
            const bool extreme = n % 7 == 0;
            for (int e = 0; e < 2; ++e) {
                in.count[e] = 1 + draw(c.maxCount - 1);
                in.current[e] = draw(in.count[e] - 1);
                const int first = draw(64 - in.count[e]);
                for (int k = 0; k < in.count[e]; ++k) {
                    in.value[e][k] = (first + k) * 255 / 63;
                    const std::int64_t w = extreme ? c.maxWeight : draw(c.maxWeight);
                    in.cost[e][k] = dxt_search::LevelCost(w, w * (extreme ? 255 * (e % 2) : draw(255)), in.value[e][k]);
                }
                const std::int64_t w = extreme ? c.maxWeight : draw(c.maxWeight);
                in.weight[e] = w;
                in.sum[e] = w * (extreme ? 255 * e : draw(255));
            }
            int p[2], q[2];
            dxt_search::BestLevelPairAvx2(in, p[0], q[0]);
            dxt_search::BestLevelPairPlain(in, p[1], q[1]);
            mismatches += p[0] != p[1] || q[0] != q[1];
            if (c.maxWeight == 0) {
                mismatches += p[0] != in.current[0] || q[0] != in.current[1];
            }
        }
        EXPECT_EQ(0, mismatches) << c.name;
    }
}

#endif

// The error of stored endpoints with every texel kept on the given index.
std::uint64_t ErrorWithIndices(const dxt_search::SearchTexels& texels, unsigned c0, unsigned c1,
                               std::uint32_t indices) {
    dxt_search::ColorPalette palette;
    dxt_search::BuildPalette(c0, c1, palette);
    std::uint64_t error = 0;
    for (int i = 0; i < 16; ++i) {
        const unsigned k = (indices >> (2 * i)) & 3u;
        std::uint64_t texel = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = static_cast<int>(texels.ch[c][i]) - palette.rgb[k][c];
            texel += static_cast<std::uint64_t>(texels.channel[c]) * static_cast<std::uint64_t>(d * d);
        }
        error += texels.weight[i] * texel;
    }
    return error;
}

// One round of the channel-wise refitting, from the normal fit's block and
// from a poor one: the block it returns is judged exactly, keeps the mode,
// is never worse than the start, and is at least as good as every one-level
// step of one channel of one endpoint with the start's indices held.
TEST(DxtQualityEncoder, ChannelRefitBeatsEverySingleStep) {
    static constexpr int SHIFT[3] = {11, 5, 0};
    static constexpr unsigned TOP[3] = {31, 63, 31};
    for (const Setting& s : SETTINGS) {
        for (const auto& [name, pixels] : TestBlocks()) {
            SCOPED_TRACE(name + " format " + std::to_string(s.format));
            DxtEncodeOptions options;
            options.alphaThreshold = s.threshold;
            options.perceptual = s.perceptual;
            dxt_search::SearchTexels texels;
            dxt_search::PrepareTexels(s.format, pixels.data(), s.texels, options, texels);
            if (texels.used == 0) {
                continue;
            }
            const bool four = !texels.threeColorOnly;
            const int first = __builtin_ctz(texels.used), last = 31 - __builtin_clz(texels.used);
            const float a[3] = {texels.ch[0][first], texels.ch[1][first], texels.ch[2][first]};
            const float b[3] = {texels.ch[0][last], texels.ch[1][last], texels.ch[2][last]};
            const dxt_search::ColorChoice starts[2] = {
                dxt_search::FitColorNormal(texels),
                dxt_search::EvaluatePair(texels, dxt_search::Quantize565(a), dxt_search::Quantize565(b), four)};
            for (const dxt_search::ColorChoice& start : starts) {
                if (start.c0 == start.c1 || (start.c0 > start.c1) != four) {
                    continue;
                }
                const dxt_search::ColorChoice out = dxt_search::RefineByChannel(texels, start, four, 1);
                const dxt_search::ColorChoice judged = dxt_search::EvaluateStored(texels, out.c0, out.c1);
                // Texels of no weight may sit on any entry.
                std::uint32_t seen = 0;
                for (int i = 0; i < 16; ++i) {
                    seen |= (texels.used >> i & 1u) ? 3u << (2 * i) : 0u;
                }
                EXPECT_EQ(judged.indices & seen, out.indices & seen);
                EXPECT_EQ(judged.error, out.error);
                EXPECT_LE(out.error, start.error);
                if (out.c0 != out.c1) {
                    EXPECT_EQ(four, out.c0 > out.c1);
                }
                for (int end = 0; end < 2; ++end) {
                    for (int c = 0; c < 3; ++c) {
                        for (int step = -1; step <= 1; step += 2) {
                            unsigned e[2] = {start.c0, start.c1};
                            const unsigned level = (e[end] >> SHIFT[c]) & TOP[c];
                            if ((step < 0 && level == 0) || (step > 0 && level == TOP[c])) {
                                continue;
                            }
                            e[end] = (e[end] & ~(TOP[c] << SHIFT[c])) | (level + step) << SHIFT[c];
                            if (e[0] == e[1] || (e[0] > e[1]) != four) {
                                continue;
                            }
                            EXPECT_LE(out.error, ErrorWithIndices(texels, e[0], e[1], start.indices));
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
