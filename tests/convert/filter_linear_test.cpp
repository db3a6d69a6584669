#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "convert/conversion_ways.h"
#include "convert/convert_region.h"
#include "convert/convert_testing.h"
#include "convert/linear_taps.h"
#include "convert_test_util.h"

using namespace convert_test;

TEST(BuildLinearTaps, PlacesEachDestinationPixelAtItsLeadingEdge) {
    const struct {
        UINT source, destination;
        bool wrap;
        UINT i;
        LinearTap expected;
    } cases[] = {
        {4, 2, true, 0, {3, 0.5f, 0, 0.5f}},
        {4, 2, true, 1, {1, 0.5f, 2, 0.5f}},
        {4, 2, false, 0, {0, 0.5f, 0, 0.5f}},
        {4, 4, true, 2, {1, 0.5f, 2, 0.5f}},
        {2, 8, true, 0, {1, 0.5f, 0, 0.5f}},
        {2, 8, true, 1, {1, 0.25f, 0, 0.75f}},  // x = -0.25
        {2, 8, true, 2, {0, 1.0f, 1, 0.0f}},    // x = 0
        {2, 8, true, 7, {1, 0.75f, 0, 0.25f}},  // x = 1.25: off the far edge
        {2, 8, false, 7, {1, 0.75f, 1, 0.25f}},
        {1, 3, false, 0, {0, 0.5f, 0, 0.5f}},
        // Each step rounded toward zero; to nearest these would come out as
        // 0x3EF53C80 / 0x3F0561C0 and 0x3E2AAAA0 / 0x3F555558.
        {1000, 333, true, 7, {20, std::bit_cast<float>(0x3EF53CC0u), 21, std::bit_cast<float>(0x3F0561A0u)}},
        {7, 9, true, 3, {1, std::bit_cast<float>(0x3E2AAAB0u), 2, std::bit_cast<float>(0x3F555554u)}},
        // Left of the first centre x - f = 1 + x is not exact either: x =
        // -0.16666666 gives 0x3F555555, not 0x3F555556 to nearest.
        {1, 3, true, 1, {0, std::bit_cast<float>(0x3E2AAAACu), 0, std::bit_cast<float>(0x3F555555u)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << "->" << c.destination << " wrap " << c.wrap << " i " << c.i);
        const HeapArray<LinearTap> taps = BuildLinearTaps(c.source, c.destination, c.wrap);
        ASSERT_TRUE(taps);
        const LinearTap& t = taps[c.i];
        EXPECT_EQ(t.index0, c.expected.index0);
        EXPECT_EQ(t.weight0, c.expected.weight0);
        EXPECT_EQ(t.index1, c.expected.index1);
        EXPECT_EQ(t.weight1, c.expected.weight1);
    }
}

namespace {

// The exact value v cut to a float's 24 significant bits, toward zero.
float TruncateToFloat(double v) {
    if (v == 0.0) {
        return 0.0f;
    }
    int exponent = 0;
    const double mantissa = std::frexp(v, &exponent);  // |mantissa| in [0.5, 1)
    return static_cast<float>(std::ldexp(std::trunc(std::ldexp(mantissa, 24)), exponent - 24));
}

// Each step of the tap definition computed exactly in double (products of
// two floats and differences of nearby floats are exact there), then cut.
LinearTap ReferenceTap(UINT source, UINT destination, bool wrap, UINT i) {
    const float scale = static_cast<float>(source) / static_cast<float>(destination);
    const float position = TruncateToFloat(static_cast<double>(i) * static_cast<double>(scale));
    const float x = TruncateToFloat(static_cast<double>(position) - 0.5);
    const double f = std::floor(static_cast<double>(x));
    const float weight1 = TruncateToFloat(static_cast<double>(x) - f);
    const float weight0 = TruncateToFloat(1.0 - static_cast<double>(weight1));
    const INT last = static_cast<INT>(source) - 1;
    INT index0 = static_cast<INT>(f);
    INT index1 = index0 + 1;
    if (index0 < 0) {
        index0 = wrap ? last : 0;
    }
    if (index1 > last) {
        index1 = wrap ? 0 : last;
    }
    return LinearTap{index0, weight0, index1, weight1};
}

std::string TapText(const LinearTap& t) {
    return (testing::Message() << "(" << t.index0 << ", 0x" << std::hex << std::bit_cast<std::uint32_t>(t.weight0)
                               << std::dec << ", " << t.index1 << ", 0x" << std::hex
                               << std::bit_cast<std::uint32_t>(t.weight1) << ")")
        .GetString();
}

bool SameTap(const LinearTap& a, const LinearTap& b) {
    return a.index0 == b.index0 && a.index1 == b.index1 &&
           std::bit_cast<std::uint32_t>(a.weight0) == std::bit_cast<std::uint32_t>(b.weight0) &&
           std::bit_cast<std::uint32_t>(a.weight1) == std::bit_cast<std::uint32_t>(b.weight1);
}

}  // namespace

TEST(BuildLinearTaps, EveryStepRoundedTowardZeroForAllSmallSizes) {
    // Every magnification of a source up to 16 (above 2x the first pixels
    // fall left of the first centre), and every minification and equal size
    // up to 128, both edge rules.
    for (UINT source = 1; source <= 128; ++source) {
        for (UINT destination = 1; destination <= 128; ++destination) {
            if (source > 16 && destination > source) {
                continue;
            }
            for (const bool wrap : {true, false}) {
                const HeapArray<LinearTap> taps = BuildLinearTaps(source, destination, wrap);
                ASSERT_TRUE(taps);
                for (UINT i = 0; i < destination; ++i) {
                    const LinearTap want = ReferenceTap(source, destination, wrap, i);
                    ASSERT_TRUE(SameTap(taps[i], want))
                        << source << "->" << destination << " wrap " << wrap << " i " << i << ": got "
                        << TapText(taps[i]) << ", want " << TapText(want);
                }
            }
        }
    }
}

namespace {

// The linear filter written plainly, per channel, straight from its
// definition: out = wy0 x (wx0 x P[y0][x0] + wx1 x P[y0][x1]) + wy1 x (...).
void ReferenceLinear2D(FloatCodec& src, std::vector<ColorF>& out, UINT dstW, UINT dstH, bool wrapX, bool wrapY) {
    const HeapArray<LinearTap> tx = BuildLinearTaps(src.width, dstW, wrapX);
    const HeapArray<LinearTap> ty = BuildLinearTaps(src.height, dstH, wrapY);
    out.resize(static_cast<std::size_t>(dstW) * dstH);
    for (UINT y = 0; y < dstH; ++y) {
        for (UINT x = 0; x < dstW; ++x) {
            const ColorF& a0 = src.At(tx[x].index0, ty[y].index0);
            const ColorF& a1 = src.At(tx[x].index1, ty[y].index0);
            const ColorF& b0 = src.At(tx[x].index0, ty[y].index1);
            const ColorF& b1 = src.At(tx[x].index1, ty[y].index1);
            auto channel = [&](float ColorF::*m) {
                const float top = tx[x].weight0 * (a0.*m) + tx[x].weight1 * (a1.*m);
                const float bottom = tx[x].weight0 * (b0.*m) + tx[x].weight1 * (b1.*m);
                return ty[y].weight0 * top + ty[y].weight1 * bottom;
            };
            out[static_cast<std::size_t>(y) * dstW + x] =
                ColorF{channel(&ColorF::r), channel(&ColorF::g), channel(&ColorF::b), channel(&ColorF::a)};
        }
    }
}

}  // namespace

TEST(FilterLinear2D, EqualsThePlainFilterAndReadsEachRowOncePerUse) {
    const struct {
        UINT srcW, srcH, dstW, dstH;
        DWORD flags;
    } cases[] = {
        {16, 16, 8, 8, 0},
        {16, 12, 5, 7, FILTER_MIRROR_U},
        {3, 5, 11, 13, FILTER_MIRROR_V},
        {7, 1, 3, 4, FILTER_MIRROR_U | FILTER_MIRROR_V},
        {64, 64, 1, 1, 0},
        {4, 4, 4, 9, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << "->" << c.dstW << "x" << c.dstH);
        FloatJob f(new FloatCodec(c.dstW, c.dstH), RandomSource(c.srcW, c.srcH, 1, c.srcW * 31 + c.dstH),
                   FILTER_LINEAR | c.flags);
        std::vector<ColorF> expected;
        ReferenceLinear2D(*f.src, expected, c.dstW, c.dstH, (c.flags & FILTER_MIRROR_U) == 0,
                          (c.flags & FILTER_MIRROR_V) == 0);
        ASSERT_EQ(FilterLinear2D(f.job), S_OK);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(SameBits(f.dst->colors[i], expected[i])) << "pixel " << i;
        }
        EXPECT_EQ(f.dst->encodes.size(), static_cast<std::size_t>(c.dstH));
        if (c.srcH >= 2 * c.dstH) {
            // Shrinking: no source row is decoded twice.
            for (const auto& [row, n] : f.src->decodes) {
                EXPECT_EQ(n, 1) << "row " << row.first;
            }
        }
    }
}

TEST(FilterLinear2D, HalvedImageBlendsTheWrappedCorners) {
    Block src(D3DFMT_A8R8G8B8, 64, 64);
    src.SetWord(0, 0, 0, 0xFF000000);
    src.SetWord(63, 0, 0, 0xFF0000FC);
    src.SetWord(0, 63, 0, 0xFF00FC00);
    src.SetWord(63, 63, 0, 0xFFFC0000);
    Block dst(D3DFMT_A8R8G8B8, 32, 32);
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_LINEAR), S_OK);
    EXPECT_EQ(dst.Word(0, 0), 0xFF3F3F3Fu);  // each corner a quarter: 252 / 4 = 63

    PixelRegion d2 = dst.Region();
    ASSERT_EQ(ConvertRegion(&d2, &s, FILTER_LINEAR | FILTER_MIRROR_U | FILTER_MIRROR_V), S_OK);
    EXPECT_EQ(dst.Word(0, 0), 0xFF000000u);
}

// Taps of half and half (power-of-two shrinks, an axis of unchanged size)
// between the 32-bit colour formats are averaged as integers; the bytes
// must be those of the float route, over random pixels that reach every
// rounding case, wrapped and mirrored edges, and rows whose vector run
// leaves a tail.
TEST(FilterLinear2D, IntegerAveragingGivesTheFloatRoutesBytes) {
    const struct {
        D3DFORMAT srcFormat, dstFormat;
        UINT srcW, srcH, dstW, dstH;
        DWORD flags;
    } cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 256, 128, 128, 64, 0},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 76, 38, 38, 19, FILTER_MIRROR_U},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 256, 64, 64, 16, FILTER_MIRROR_V},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 128, 128, 1, 1, 0},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 40, 64, 40, 16, 0},  // width kept: blends of i - 1 and i
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 128, 64, 64, 32, 0},
        {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 128, 64, 16, 8, FILTER_MIRROR_U | FILTER_MIRROR_V},
        {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, 128, 64, 64, 32, 0},
        {D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, 64, 64, 8, 8, 0},
        // Not half and half, or dithered: the float route in both runs.
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 96, 64, 40, 32, 0},
        {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 128, 64, 64, 32, FILTER_DITHER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcFormat << "->" << c.dstFormat << " " << c.srcW << "x" << c.srcH
                                        << "->" << c.dstW << "x" << c.dstH << " flags " << c.flags);
        Block src(c.srcFormat, c.srcW, c.srcH);
        Lcg lcg{c.srcW * 7919u + c.srcH};
        for (std::size_t i = 0; i < std::size_t{c.srcW} * c.srcH; ++i) {
            src.SetWord(i, lcg.Next());
        }
        Block fast(c.dstFormat, c.dstW, c.dstH);
        Block plain(c.dstFormat, c.dstW, c.dstH);
        const PixelRegion s = src.Region();
        PixelRegion d = fast.Region();
        ASSERT_EQ(ConvertRegion(&d, &s, FILTER_LINEAR | c.flags), S_OK);
        tovtex::SetConversionShortcutsOff(true);
        PixelRegion p = plain.Region();
        const HRESULT plainResult = ConvertRegion(&p, &s, FILTER_LINEAR | c.flags);
        tovtex::SetConversionShortcutsOff(false);
        ASSERT_EQ(plainResult, S_OK);
        for (std::size_t i = 0; i < std::size_t{c.dstW} * c.dstH; ++i) {
            ASSERT_EQ(fast.Word(i), plain.Word(i)) << "pixel " << i;
        }
    }
}

TEST(FilterLinear3D, VolumesAreFilteredAlongAllThreeAxes) {
    auto* src = new FloatCodec(4, 4, 4);
    for (UINT z = 0; z < 4; ++z) {
        for (UINT y = 0; y < 4; ++y) {
            for (UINT x = 0; x < 4; ++x) {
                src->At(x, y, z) = ColorF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1};
            }
        }
    }
    FloatJob f(new FloatCodec(2, 2, 2), src, FILTER_LINEAR | FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W);
    EXPECT_EQ(FilterLinear2D(f.job), E_FAIL);
    ASSERT_EQ(FilterLinear3D(f.job), S_OK);
    // Destination i blends source 2i - 1 and 2i (clamped at 0): 0 and 1.5.
    for (UINT z = 0; z < 2; ++z) {
        for (UINT y = 0; y < 2; ++y) {
            for (UINT x = 0; x < 2; ++x) {
                const ColorF p = f.dst->At(x, y, z);
                EXPECT_EQ(p.r, x == 0 ? 0.0f : 1.5f);
                EXPECT_EQ(p.g, y == 0 ? 0.0f : 1.5f);
                EXPECT_EQ(p.b, z == 0 ? 0.0f : 1.5f);
                EXPECT_EQ(p.a, 1.0f);
            }
        }
    }
    EXPECT_EQ(f.dst->encodes.size(), 4u);

    // Wrapping along depth only: slice 0 mixes in the last slice.
    auto* src2 = new FloatCodec(4, 4, 4);
    src2->colors = src->colors;
    FloatJob g(new FloatCodec(2, 2, 2), src2, FILTER_LINEAR | FILTER_MIRROR_U | FILTER_MIRROR_V);
    ASSERT_EQ(FilterLinear3D(g.job), S_OK);
    EXPECT_EQ(g.dst->At(1, 1, 0).b, 1.5f);
    EXPECT_EQ(g.dst->At(1, 1, 0).r, 1.5f);
}

TEST(FilterLinear, WeightsOfEveryDestinationPixelSumToOne) {
    for (DWORD flags : {0u, FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W}) {
        const UINT sizes[][6] = {{9, 7, 1, 4, 3, 1}, {3, 4, 1, 10, 9, 1}, {5, 3, 4, 2, 6, 3}};
        for (const auto& s : sizes) {
            auto* src = new FloatCodec(s[0], s[1], s[2]);
            for (ColorF& c : src->colors) {
                c = ColorF{1, 1, 1, 1};
            }
            FloatJob f(new FloatCodec(s[3], s[4], s[5]), src, FILTER_LINEAR | flags);
            ASSERT_EQ(s[2] == 1 ? FilterLinear2D(f.job) : FilterLinear3D(f.job), S_OK);
            for (const ColorF& c : f.dst->colors) {
                EXPECT_NEAR(c.r, 1.0f, 1e-6f);
            }
        }
    }
}
