#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "convert/conversion_ways.h"
#include "convert/convert_region.h"
#include "convert/triangle_weights.h"
#include "convert_test_util.h"

using namespace convert_test;

namespace {

using PairList = std::vector<std::pair<UINT, float>>;

PairList Pairs(const TriangleWeights& w, UINT source) {
    PairList out;
    for (const TriangleWeight* p = w.begin(source); p != w.end(source); ++p) {
        out.emplace_back(p->index, p->weight);
    }
    return out;
}

// Total weight each destination index receives.
std::map<UINT, double> Received(const TriangleWeights& w) {
    std::map<UINT, double> total;
    for (UINT j = 0; j < w.sourceCount; ++j) {
        for (const auto& [index, weight] : Pairs(w, j)) {
            total[index] += weight;
        }
    }
    return total;
}

}  // namespace

TEST(BuildTriangleWeights, SmallTables) {
    const struct {
        UINT source, destination;
        bool wrap;
        std::vector<PairList> expected;
    } cases[] = {
        // clang-format off
        {2, 1, false, {{{0, 0.5f}}, {{0, 0.5f}}}},
        {2, 1, true, {{{0, 0.5f}}, {{0, 0.5f}}}},
        {1, 1, false, {{{0, 1.0f}}}},
        {1, 1, true, {{{0, 1.0f}}}},
        // Enlarging 1 to 2 without wrap: both halves of the tent are flat.
        {1, 2, false, {{{0, 1.0f}, {1, 1.0f}}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << "->" << c.destination << " wrap " << c.wrap);
        TriangleWeights w;
        ASSERT_TRUE(BuildTriangleWeights(c.source, c.destination, c.wrap, w));
        for (UINT j = 0; j < c.source; ++j) {
            EXPECT_EQ(Pairs(w, j), c.expected[j]) << "source " << j;
        }
    }
    TriangleWeights none;
    EXPECT_FALSE(BuildTriangleWeights(0, 4, true, none));
    EXPECT_FALSE(BuildTriangleWeights(4, 0, false, none));
}

TEST(BuildTriangleWeights, WrapFeedsTheFirstColumnFromTheLastMirrorDoesNot) {
    for (UINT source : {6u, 9u, 4096u}) {
        const UINT destination = source / 3;
        TriangleWeights wrapped, mirrored;
        ASSERT_TRUE(BuildTriangleWeights(source, destination, true, wrapped));
        ASSERT_TRUE(BuildTriangleWeights(source, destination, false, mirrored));
        auto feedsFirst = [](const TriangleWeights& w, UINT j) {
            for (const auto& [index, weight] : Pairs(w, j)) {
                if (index == 0) {
                    return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(feedsFirst(wrapped, source - 1));
        EXPECT_FALSE(feedsFirst(mirrored, source - 1));
    }
}

TEST(BuildTriangleWeights, EveryDestinationIndexReceivesAWholePixel) {
    const UINT sizes[][2] = {{2, 1}, {6, 2}, {7, 3}, {4096, 1000}, {3, 8}, {5, 17}, {1, 9}, {1000, 1}, {4, 4}};
    for (const auto& s : sizes) {
        for (bool wrap : {false, true}) {
            SCOPED_TRACE(testing::Message() << s[0] << "->" << s[1] << " wrap " << wrap);
            TriangleWeights w;
            ASSERT_TRUE(BuildTriangleWeights(s[0], s[1], wrap, w));
            const std::map<UINT, double> total = Received(w);
            ASSERT_EQ(total.size(), s[1]);
            for (const auto& [index, sum] : total) {
                EXPECT_NEAR(sum, 1.0, 2e-4) << "destination " << index;
            }
        }
    }
}

namespace {

// The resampler written plainly from its definition: per channel, in the
// order source row, source pixel, destination row, destination column; a
// row is written when its received weight reaches 1 - 0.00001.
void ReferenceTriangle2D(FloatCodec& src, std::vector<ColorF>& out, UINT dstW, UINT dstH, bool wrapX, bool wrapY) {
    TriangleWeights wx, wy;
    ASSERT_TRUE(BuildTriangleWeights(src.width, dstW, wrapX, wx));
    ASSERT_TRUE(BuildTriangleWeights(src.height, dstH, wrapY, wy));
    std::vector<std::vector<ColorF>> rows(dstH);
    std::vector<float> received(dstH, 0.0f);
    out.assign(static_cast<std::size_t>(dstW) * dstH, ColorF{-1, -1, -1, -1});
    for (UINT i = 0; i < src.height; ++i) {
        for (const auto& [r, w] : Pairs(wy, i)) {
            if (rows[r].empty()) {
                rows[r].assign(dstW, ColorF{0, 0, 0, 0});
            }
        }
        for (UINT x = 0; x < src.width; ++x) {
            const ColorF s = src.At(x, i);
            for (const auto& [r, weightY] : Pairs(wy, i)) {
                for (const auto& [c, weightX] : Pairs(wx, x)) {
                    const float w = weightX * weightY;
                    ColorF& a = rows[r][c];
                    a = ColorF{a.r + w * s.r, a.g + w * s.g, a.b + w * s.b, a.a + w * s.a};
                }
            }
        }
        for (const auto& [r, weightY] : Pairs(wy, i)) {
            received[r] += weightY;
            if (received[r] + 0.00001f >= 1.0f && !rows[r].empty()) {
                std::copy(rows[r].begin(), rows[r].end(), out.begin() + static_cast<std::ptrdiff_t>(r) * dstW);
                rows[r].clear();
            }
        }
    }
    for (UINT r = 0; r < dstH; ++r) {
        if (!rows[r].empty()) {
            std::copy(rows[r].begin(), rows[r].end(), out.begin() + static_cast<std::ptrdiff_t>(r) * dstW);
        }
    }
}

}  // namespace

TEST(FilterTriangle2D, EqualsThePlainResamplerAndWritesEachRowOnce) {
    const struct {
        UINT srcW, srcH, dstW, dstH;
        DWORD filter;
    } cases[] = {
        {6, 4, 2, 2, FILTER_BOX},
        {16, 16, 5, 7, FILTER_TRIANGLE},
        {2, 2, 4, 4, FILTER_TRIANGLE},
        {3, 5, 11, 13, FILTER_TRIANGLE | FILTER_MIRROR_U},
        {40, 30, 9, 31, FILTER_TRIANGLE | FILTER_MIRROR_V},
        {7, 9, 7, 3, FILTER_POINT | FILTER_MIRROR_U | FILTER_MIRROR_V},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << "->" << c.dstW << "x" << c.dstH);
        FloatJob f(new FloatCodec(c.dstW, c.dstH), RandomSource(c.srcW, c.srcH, 1, c.srcH * 17 + c.dstW), c.filter);
        std::vector<ColorF> expected;
        ReferenceTriangle2D(*f.src, expected, c.dstW, c.dstH, (c.filter & FILTER_MIRROR_U) == 0,
                            (c.filter & FILTER_MIRROR_V) == 0);
        ASSERT_EQ(FilterTriangle2D(f.job), S_OK);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(SameBits(f.dst->colors[i], expected[i])) << "pixel " << i;
        }
        ASSERT_EQ(f.dst->encodes.size(), static_cast<std::size_t>(c.dstH));
        for (const auto& [row, n] : f.dst->encodes) {
            EXPECT_EQ(n, 1) << "row " << row.first;
        }
        for (const auto& [row, n] : f.src->decodes) {
            EXPECT_EQ(n, 1) << "row " << row.first;
        }
    }
}

TEST(FilterTriangle2D, DeclinesSignedSamplesAndVolumes) {
    FloatJob s(new FloatCodec(2, 2, 1, SAMPLE_SIGNED), new FloatCodec(4, 4, 1, SAMPLE_SIGNED), FILTER_TRIANGLE);
    EXPECT_EQ(FilterTriangle2D(s.job), E_FAIL);
    EXPECT_EQ(FilterTriangle3D(s.job), E_FAIL);
    FloatJob v(new FloatCodec(2, 2, 2), new FloatCodec(4, 4, 4), FILTER_TRIANGLE);
    EXPECT_EQ(FilterTriangle2D(v.job), E_FAIL);
    FloatJob e(new FloatCodec(2, 2), new FloatCodec(0, 4), FILTER_TRIANGLE);
    EXPECT_EQ(FilterTriangle2D(e.job), E_FAIL);
}

TEST(FilterTriangle2D, LongShrinksKeepTheirWholeWeight) {
    // Thousands of small row weights add up with rounding: in 10000 rows to
    // 2 the running total of row 1 passes 1 - 0.00001 before its last
    // (wrapped) contributions arrive. The row must still be written once,
    // from all of them.
    const UINT sizes[][2] = {{4096, 1}, {10000, 2}, {10000, 3}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[0]);
        auto* src = new FloatCodec(1, size[0]);
        for (ColorF& c : src->colors) {
            c = ColorF{1, 0.5f, 0.25f, 1};
        }
        FloatJob f(new FloatCodec(1, size[1]), src, FILTER_TRIANGLE);
        ASSERT_EQ(FilterTriangle2D(f.job), S_OK);
        for (UINT r = 0; r < size[1]; ++r) {
            EXPECT_NEAR(f.dst->At(0, r).r, 1.0f, 1e-3f);
            EXPECT_NEAR(f.dst->At(0, r).g, 0.5f, 1e-3f);
        }
        EXPECT_EQ(f.dst->encodes.size(), size[1]);
        for (const auto& [row, n] : f.dst->encodes) {
            EXPECT_EQ(n, 1) << "row " << row.first;
        }
    }
}

TEST(FilterTriangle2D, EnlargementWritesEveryColumnAndRow) {
    Block src(D3DFMT_A8R8G8B8, 2, 2);
    for (UINT i = 0; i < 4; ++i) {
        src.SetWord(i & 1, i >> 1, 0, 0xFF808080);
    }
    Block dst(D3DFMT_A8R8G8B8, 4, 4);
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_TRIANGLE), S_OK);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            EXPECT_EQ(dst.Word(x, y), 0xFF808080u) << x << "," << y;
        }
    }
}

TEST(FilterTriangle3D, VolumesWriteEverySliceOnceFromItsOwnAccumulator) {
    for (DWORD flags : {0u, FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W}) {
        auto* src = new FloatCodec(4, 4, 4);
        for (UINT z = 0; z < 4; ++z) {
            for (UINT i = 0; i < 16; ++i) {
                src->At(i % 4, i / 4, z) = ColorF{static_cast<float>(z), 1, 1, 1};
            }
        }
        FloatJob f(new FloatCodec(2, 2, 2), src, FILTER_TRIANGLE | flags);
        ASSERT_EQ(FilterTriangle3D(f.job), S_OK);
        EXPECT_EQ(f.dst->encodes.size(), 4u);
        for (const auto& [key, n] : f.dst->encodes) {
            EXPECT_EQ(n, 1);
        }
        for (UINT z = 0; z < 2; ++z) {
            for (UINT i = 0; i < 4; ++i) {
                const ColorF p = f.dst->At(i % 2, i / 2, z);
                EXPECT_NEAR(p.g, 1.0f, 1e-5f);
                if (flags != 0) {
                    // Slice 0 takes source slices 0, 1, 2 by 0.5, 0.4375,
                    // 0.0625; slice 1 mirrors that.
                    EXPECT_EQ(p.r, z == 0 ? 0.5625f : 2.4375f);
                }
            }
        }
        // With wrap the two slices differ from the mirrored means only by
        // what crosses the front and back edges.
        if (flags == 0) {
            EXPECT_NE(f.dst->At(0, 0, 0).r, 0.5f);
        }
    }
}
