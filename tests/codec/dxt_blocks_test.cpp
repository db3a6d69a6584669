#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "codec/dxt_blocks.h"
#include "codec/dxt_endpoint_fit.h"
#include "codec/dxt_endpoint_fit_group.h"

namespace {

using Pixels = std::array<DWORD, 16>;

Pixels Fill(std::initializer_list<DWORD> pattern) {
    Pixels p{};
    for (std::size_t i = 0; i < 16; ++i) {
        p[i] = pattern.begin()[i % pattern.size()];
    }
    return p;
}

Pixels With(Pixels p, std::size_t i, DWORD v) {
    p[i] = v;
    return p;
}

unsigned Word16(const BYTE* b) {
    return b[0] | b[1] << 8;
}

std::uint32_t Word32(const BYTE* b) {
    return static_cast<std::uint32_t>(b[0]) | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

unsigned ColorIndex(const BYTE* colorBlock, int i) {
    return (Word32(colorBlock + 4) >> (2 * i)) & 3u;
}

unsigned AlphaIndex(const BYTE* block, int i) {
    std::uint64_t bits = 0;
    for (int k = 0; k < 6; ++k) {
        bits |= static_cast<std::uint64_t>(block[2 + k]) << (8 * k);
    }
    return static_cast<unsigned>(bits >> (3 * i)) & 7u;
}

void SetColorBlock(BYTE* b, unsigned c0, unsigned c1, std::uint32_t indices) {
    b[0] = static_cast<BYTE>(c0);
    b[1] = static_cast<BYTE>(c0 >> 8);
    b[2] = static_cast<BYTE>(c1);
    b[3] = static_cast<BYTE>(c1 >> 8);
    for (int k = 0; k < 4; ++k) {
        b[4 + k] = static_cast<BYTE>(indices >> (8 * k));
    }
}

// ---- decoding ----

TEST(DxtDecode, ColorBlockModesFollowTheEndpointOrder) {
    struct Case {
        const char* what;
        unsigned c0, c1;
        DWORD colors[4];
    } cases[] = {
        {"four colours, thirds rounded", 0xFFFF, 0x0000, {0xFFFFFFFF, 0xFF000000, 0xFFAAAAAA, 0xFF555555}},
        {"three colours, half and transparent", 0x0000, 0xF800, {0xFF000000, 0xFFFF0000, 0xFF7F0000, 0x00000000}},
        {"equal endpoints are three-colour", 0x07E0, 0x07E0, {0xFF00FF00, 0xFF00FF00, 0xFF00FF00, 0x00000000}},
        {"top bits replicated", 0x8410, 0x8410, {0xFF848284, 0xFF848284, 0xFF848284, 0x00000000}},
    };
    for (const Case& c : cases) {
        BYTE block[8];
        SetColorBlock(block, c.c0, c.c1, 0xE4E4E4E4u);  // indices 0 1 2 3 in every row
        Pixels out{};
        DecodeColorBlock(block, out.data());
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(out[i], c.colors[i % 4]) << c.what << " pixel " << i;
        }
    }
}

TEST(DxtDecode, MissingBlocksDecodeToZero) {
    for (auto decode : {DecodeColorBlock, DecodeDxt1Block, DecodeDxt3Block, DecodeDxt5Block}) {
        Pixels out;
        out.fill(0x12345678);
        decode(nullptr, out.data());
        EXPECT_EQ(out, Pixels{});
    }
}

TEST(DxtDecode, ExplicitAlphaNibblesScaleBy17ColumnZeroLow) {
    BYTE block[16] = {};
    // Row 0: 0, 1, 8, 15; row 3: 15, 0, 0, 0.
    block[0] = 0x10;
    block[1] = 0xF8;
    block[6] = 0x0F;
    SetColorBlock(block + 8, 0xFFFF, 0xFFFF, 0);
    Pixels out;
    DecodeDxt3Block(block, out.data());
    const unsigned expected[16] = {0, 17, 136, 255, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out[i] >> 24, expected[i]) << i;
        EXPECT_EQ(out[i] & 0xFFFFFF, 0xFFFFFFu) << i;
    }
}

TEST(DxtDecode, InterpolatedAlphaTables) {
    struct Case {
        BYTE a0, a1;
        unsigned values[8];
    } cases[] = {
        {200, 100, {200, 100, 185, 171, 157, 142, 128, 114}},  // sevenths, truncated
        {100, 200, {100, 200, 120, 140, 160, 180, 0, 255}},    // fifths, then 0 and 255
        {77, 77, {77, 77, 77, 77, 77, 77, 0, 255}},
    };
    for (const Case& c : cases) {
        BYTE block[16] = {c.a0, c.a1};
        // Pixel i takes index i % 8.
        std::uint64_t bits = 0;
        for (int i = 0; i < 16; ++i) {
            bits |= static_cast<std::uint64_t>(i % 8) << (3 * i);
        }
        for (int k = 0; k < 6; ++k) {
            block[2 + k] = static_cast<BYTE>(bits >> (8 * k));
        }
        SetColorBlock(block + 8, 0, 0, 0);
        Pixels out;
        DecodeDxt5Block(block, out.data());
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(out[i] >> 24, c.values[i % 8]) << int(c.a0) << "/" << int(c.a1) << " index " << i % 8;
        }
    }
}

// ---- DXT1 encoding ----

TEST(Dxt1Encode, AllTransparentBlock) {
    for (DWORD transparent : {0x00000000u, 0x7FFFFFFFu, 0x40123456u}) {
        const Pixels in = Fill({transparent, 0x00FF0000});
        BYTE block[8];
        EncodeDxt1Block(in.data(), block);
        EXPECT_EQ(Word16(block), 0x0000u);
        EXPECT_EQ(Word16(block + 2), 0xFFFFu);
        EXPECT_EQ(Word32(block + 4), 0xFFFFFFFFu);
        Pixels out;
        DecodeDxt1Block(block, out.data());
        EXPECT_EQ(out, Pixels{});
    }
}

TEST(Dxt1Encode, SingleColourUsesEqualEndpointsAndIndexZero) {
    const Pixels in = Fill({0xFF336699});
    BYTE block[8];
    EncodeDxt1Block(in.data(), block);
    EXPECT_EQ(Word16(block), 0x3333u);  // 6:25:19
    EXPECT_EQ(Word16(block + 2), 0x3333u);
    EXPECT_EQ(Word32(block + 4), 0u);
    Pixels out;
    DecodeDxt1Block(block, out.data());
    EXPECT_EQ(out, Fill({0xFF31659C}));
}

// Transparent pixels force three-colour mode (c0 <= c1) and index 3. The
// stand-in colour for them must differ from every opaque colour, black
// included.
TEST(Dxt1Encode, TransparentPixelsTakeIndexThreeInThreeColourMode) {
    struct Case {
        const char* what;
        Pixels in;
    } cases[] = {
        {"one transparent, red and blue", With(Fill({0xFFFF0000, 0xFF0000FF}), 5, 0x00000000)},
        {"opaque black beside transparent", Fill({0x10000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000})},
        {"opaque 0 and 1 beside transparent", Fill({0x7F000000, 0xFF000000, 0xFF000001, 0xFFFFFFFF})},
    };
    for (const Case& c : cases) {
        BYTE block[8];
        EncodeDxt1Block(c.in.data(), block);
        EXPECT_LE(Word16(block), Word16(block + 2)) << c.what;
        Pixels out;
        DecodeDxt1Block(block, out.data());
        for (int i = 0; i < 16; ++i) {
            if ((c.in[i] >> 24) < 128) {
                EXPECT_EQ(ColorIndex(block, i), 3u) << c.what << " pixel " << i;
                EXPECT_EQ(out[i], 0u) << c.what << " pixel " << i;
            } else {
                EXPECT_NE(ColorIndex(block, i), 3u) << c.what << " pixel " << i;
                EXPECT_EQ(out[i] >> 24, 255u) << c.what << " pixel " << i;
            }
        }
    }
    // Exact colours survive: red and blue are 5:6:5 endpoints.
    BYTE block[8];
    EncodeDxt1Block(cases[0].in.data(), block);
    Pixels out;
    DecodeDxt1Block(block, out.data());
    EXPECT_EQ(out[0], 0xFFFF0000u);
    EXPECT_EQ(out[1], 0xFF0000FFu);
}

// Full green (c0) and black (c1) as the endpoints; green g sits at
// t = (255 - g) / 255 from c0. Indices change at quarters, not at the sixths
// a nearest-colour choice would use (t = 0.196 would be nearer the colour
// at a third).
TEST(Dxt1Encode, FourColourIndicesChangeAtQuarters) {
    struct Case {
        unsigned green;
        unsigned index;
    } cases[] = {
        {255, 0}, {205, 0}, {192, 0}, {191, 2}, {128, 2}, {127, 3}, {64, 3}, {63, 1}, {0, 1},
    };
    Pixels in{};
    for (std::size_t i = 0; i < 16; ++i) {
        in[i] = 0xFF000000u | (i < std::size(cases) ? cases[i].green : (i % 2) * 255u) << 8;
    }
    BYTE block[8];
    EncodeDxt1Block(in.data(), block);
    ASSERT_EQ(Word16(block), 0x07E0u);
    ASSERT_EQ(Word16(block + 2), 0x0000u);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ColorIndex(block, static_cast<int>(i)), cases[i].index) << "green " << cases[i].green;
    }
}

// ---- DXT3 and DXT5 alpha ----

TEST(Dxt3Encode, AlphaKeepsTheTopFourBits) {
    struct Case {
        unsigned alpha, nibble, decoded;
    } cases[] = {{255, 15, 255}, {128, 8, 136}, {0, 0, 0}, {15, 0, 0}, {16, 1, 17}, {240, 15, 255}, {239, 14, 238}};
    for (const Case& c : cases) {
        const Pixels in = Fill({c.alpha << 24 | 0x00808080u});
        BYTE block[16];
        EncodeDxt3Block(in.data(), block);
        Pixels out;
        DecodeDxt3Block(block, out.data());
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ((Word16(block + 2 * (i / 4)) >> (4 * (i % 4))) & 15u, c.nibble) << c.alpha;
            EXPECT_EQ(out[i] >> 24, c.decoded) << c.alpha;
        }
    }
}

TEST(Dxt5Encode, AlphaModesAndIndices) {
    struct Case {
        const char* what;
        std::vector<unsigned> alphas;  // repeated over the block
        unsigned a0, a1;
        std::vector<unsigned> indices;  // for each alpha above
    } cases[] = {
        // clang-format off
        {"0 and 255 with two between: six values", {0, 255, 100, 200}, 100, 200, {6, 7, 0, 1}},
        {"six values, inner points", {0, 255, 100, 150, 120, 200}, 100, 200, {6, 7, 0, 4, 2, 1}},
        {"0 and 255 with one between: eight values", {0, 255, 100}, 255, 0, {1, 0, 5}},
        {"only 0 and 255", {0, 255}, 255, 0, {1, 0}},
        {"one value", {77}, 77, 77, {0}},
        {"eight values between extremes", {20, 10, 15, 11}, 20, 10, {0, 1, 5, 7}},
        // clang-format on
    };
    for (const Case& c : cases) {
        Pixels in{};
        for (std::size_t i = 0; i < 16; ++i) {
            in[i] = c.alphas[i % c.alphas.size()] << 24 | 0x00204060u;
        }
        BYTE block[16];
        EncodeDxt5Block(in.data(), block);
        EXPECT_EQ(block[0], c.a0) << c.what;
        EXPECT_EQ(block[1], c.a1) << c.what;
        for (std::size_t i = 0; i < 16; ++i) {
            EXPECT_EQ(AlphaIndex(block, static_cast<int>(i)), c.indices[i % c.alphas.size()]) << c.what << " " << i;
        }
        // The stored values, and 0 and 255 in six-value mode, come back
        // exactly.
        Pixels out;
        DecodeDxt5Block(block, out.data());
        for (std::size_t i = 0; i < 16; ++i) {
            const unsigned a = in[i] >> 24;
            if (a == c.a0 || a == c.a1 || (c.a0 < c.a1 && (a == 0 || a == 255))) {
                EXPECT_EQ(out[i] >> 24, a) << c.what;
            }
        }
    }
}

// ---- the vector encoder against its plain reference ----

// Blocks of the kinds that exercise every path of the fit: noise, two
// colours, gradients, one channel only, near-equal colours, and keyed
// pixels of the DXT1 kind.
Pixels RandomBlock(std::mt19937& rng, int kind) {
    Pixels p{};
    auto u = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
    const DWORD c0 = rng() | 0xFF000000u, c1 = rng() | 0xFF000000u;
    for (int i = 0; i < 16; ++i) {
        switch (kind) {
        case 0: p[i] = rng(); break;
        case 1: p[i] = u(2) ? c0 : c1; break;
        case 2: {
            const unsigned t = static_cast<unsigned>(i) * 17;
            DWORD v = 0xFF000000u;
            for (int s = 0; s < 24; s += 8) {
                const unsigned a = (c0 >> s) & 255, b = (c1 >> s) & 255;
                v |= std::min(255u, (a * (255 - t) + b * t) / 255 + u(3)) << s;
            }
            p[i] = v;
            break;
        }
        case 3: p[i] = 0xFF000000u | u(256) << (8 * u(3)); break;
        case 4: p[i] = (c0 & 0xFFFEFEFEu) + u(2) * 0x010101u; break;
        default: p[i] = u(4) == 0 ? (c0 & 0x00FFFFFFu) : (u(3) ? c0 : c1 ^ u(4)); break;
        }
    }
    return p;
}

TEST(DxtColorFit, VectorFormMatchesThePlainReferenceBitForBit) {
    std::mt19937 rng(11);
    constexpr int COUNT = 24000;
    std::vector<Pixels> blocks;
    std::vector<ColorKeyRange> keys;
    for (int n = 0; n < COUNT; ++n) {
        const int kind = n % 6;
        blocks.push_back(RandomBlock(rng, kind));
        // Keys: none, the exact DXT1 kind, and wider ranges.
        const DWORD k = blocks.back()[rng() % 16] & 0x00FFFFFFu;
        switch (n % 4) {
        case 0: keys.push_back(NO_COLOR_KEY); break;
        case 1: keys.push_back(ColorKeyRange{k, k}); break;
        case 2: keys.push_back(ColorKeyRange{k & 0x00F0F0F0u, k | 0x000F0F0Fu}); break;
        default: keys.push_back(ColorKeyRange{0x00000000u, 0x00FFFFFFu}); break;
        }
    }
    for (std::size_t first = 0; first < blocks.size(); first += COLOR_FIT_LANES) {
        const DWORD* pixels[COLOR_FIT_LANES];
        BYTE grouped[COLOR_FIT_LANES][8];
        BYTE* outputs[COLOR_FIT_LANES];
        for (std::size_t g = 0; g < COLOR_FIT_LANES; ++g) {
            pixels[g] = blocks[first + g].data();
            outputs[g] = grouped[g];
        }
        // Groups of every size from 1 to 4.
        const std::size_t size = 1 + first / COLOR_FIT_LANES % COLOR_FIT_LANES;
        for (std::size_t g = 0; g < COLOR_FIT_LANES; g += size) {
            EncodeColorBlockGroup(pixels + g, &keys[first + g], outputs + g, std::min(size, COLOR_FIT_LANES - g));
        }
        for (std::size_t g = 0; g < COLOR_FIT_LANES; ++g) {
            BYTE plain[8], single[8];
            EncodeColorBlockPlain(pixels[g], keys[first + g], plain);
            EncodeColorBlock(pixels[g], keys[first + g], single);
            ASSERT_EQ(std::vector<BYTE>(plain, plain + 8), std::vector<BYTE>(grouped[g], grouped[g] + 8))
                << "block " << first + g;
            ASSERT_EQ(std::vector<BYTE>(plain, plain + 8), std::vector<BYTE>(single, single + 8))
                << "block " << first + g;
        }
    }
}

TEST(DxtColorFit, RunsOfBlocksMatchSingleBlocks) {
    std::mt19937 rng(5);
    constexpr std::size_t COUNT = 203;  // not a multiple of the group size
    std::vector<DWORD> pixels;
    for (std::size_t n = 0; n < COUNT; ++n) {
        Pixels p = RandomBlock(rng, static_cast<int>(n % 6));
        for (DWORD& v : p) {
            if (n % 3 == 0 && rng() % 4 == 0) {
                v &= 0x7FFFFFFFu;  // some transparency for DXT1
            }
        }
        pixels.insert(pixels.end(), p.begin(), p.end());
    }
    struct Format {
        void (*run)(const DWORD*, std::size_t, BYTE*);
        void (*single)(const DWORD*, BYTE*);
        std::size_t bytes;
    } formats[] = {{EncodeDxt1Blocks, EncodeDxt1Block, 8},
                   {EncodeDxt3Blocks, EncodeDxt3Block, 16},
                   {EncodeDxt5Blocks, EncodeDxt5Block, 16}};
    for (const Format& f : formats) {
        std::vector<BYTE> run(COUNT * f.bytes), single(COUNT * f.bytes);
        f.run(pixels.data(), COUNT, run.data());
        for (std::size_t n = 0; n < COUNT; ++n) {
            f.single(pixels.data() + 16 * n, single.data() + n * f.bytes);
        }
        EXPECT_EQ(run, single) << f.bytes;
    }
}

// A smooth block (two colours blended, a little noise) comes back close:
// the fit must find the blend's direction. Indices change at quarters of
// the segment, so a pixel may land up to a quarter of the block's range
// away, plus what 5:6:5 endpoints lose.
TEST(DxtColorFit, SmoothBlocksComeBackWithinAQuarterOfTheirRange) {
    std::mt19937 rng(3);
    for (int n = 0; n < 2000; ++n) {
        const Pixels in = RandomBlock(rng, 2);
        BYTE block[8];
        EncodeDxt1Block(in.data(), block);
        Pixels out;
        DecodeDxt1Block(block, out.data());
        for (int s = 0; s < 24; s += 8) {
            int low = 255, high = 0;
            for (DWORD p : in) {
                low = std::min(low, static_cast<int>((p >> s) & 255));
                high = std::max(high, static_cast<int>((p >> s) & 255));
            }
            for (int i = 0; i < 16; ++i) {
                const int error =
                    std::abs(static_cast<int>((in[i] >> s) & 255) - static_cast<int>((out[i] >> s) & 255));
                ASSERT_LE(error, (high - low) / 4 + 16) << "block " << n << " pixel " << i << " shift " << s;
            }
        }
    }
}

}  // namespace

// Every pair of reference values, every value between them, in both modes:
// the alpha indices are those of the plain integer formula.
TEST(Dxt5Encode, AlphaIndicesMatchTheIntegerFormulaEverywhere) {
    const auto expectedIndex = [](int a0, int a1, int a, bool six) {
        const int steps = six ? 5 : 7;
        if (six && a == 0) return 6u;
        if (six && a == 255) return 7u;
        const int f = a0 - a1;
        const int b = ((f >> 1) + (a0 - a) * steps) / f;
        return b >= steps ? 1u : b > 0 ? static_cast<unsigned>(b + 1) : 0u;
    };
    for (int six = 0; six < 2; ++six) {
        for (int lo = six; lo < 255 - six; ++lo) {
            for (int hi = lo + 1; hi <= 255 - six; ++hi) {
                // Fixed pixels pin the reference values; the rest walk lo..hi.
                std::vector<int> fixed = six ? std::vector<int>{0, 255, lo, hi} : std::vector<int>{hi, lo};
                if (!six && lo == 0 && hi == 255) {
                    continue;  // values between would take the six-value mode
                }
                for (int next = lo; next <= hi;) {
                    std::array<DWORD, 16> pixels{};
                    std::array<int, 16> alpha{};
                    for (std::size_t i = 0; i < 16; ++i) {
                        alpha[i] = i < fixed.size() ? fixed[i] : next <= hi ? next++ : hi;
                        pixels[i] = static_cast<DWORD>(alpha[i]) << 24 | 0x00808080u;
                    }
                    BYTE block[16];
                    EncodeDxt5Block(pixels.data(), block);
                    const int a0 = six ? lo : hi, a1 = six ? hi : lo;
                    ASSERT_EQ(block[0], a0);
                    ASSERT_EQ(block[1], a1);
                    std::uint64_t indices = 0;
                    for (int k = 0; k < 6; ++k) {
                        indices |= static_cast<std::uint64_t>(block[2 + k]) << (8 * k);
                    }
                    for (int i = 0; i < 16; ++i) {
                        ASSERT_EQ((indices >> (3 * i)) & 7u, expectedIndex(a0, a1, alpha[i], six != 0))
                            << "lo " << lo << " hi " << hi << " alpha " << alpha[i];
                    }
                }
            }
        }
    }
}
