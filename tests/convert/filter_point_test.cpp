#include <gtest/gtest.h>

#include "convert/conversion_ways.h"
#include "convert/convert_region.h"
#include "convert_test_util.h"

using namespace convert_test;

namespace {

// Source pixel x of row y of slice z holds (x, y, z, 1).
FloatCodec* Numbered(UINT w, UINT h, UINT d = 1) {
    auto* codec = new FloatCodec(w, h, d);
    for (UINT z = 0; z < d; ++z) {
        for (UINT y = 0; y < h; ++y) {
            for (UINT x = 0; x < w; ++x) {
                codec->At(x, y, z) = ColorF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1};
            }
        }
    }
    return codec;
}

}  // namespace

TEST(FilterPoint, TakesTheSourcePixelAtTheLeadingEdge) {
    const struct {
        UINT srcW, srcH, srcD, dstW, dstH, dstD;
        std::vector<UINT> columns, rows, slices;
    } cases[] = {
        // clang-format off
        {4, 1, 1, 3, 1, 1, {0, 1, 2}, {0}, {0}},
        {3, 1, 1, 4, 1, 1, {0, 0, 1, 2}, {0}, {0}},
        {1, 1, 1, 1, 3, 1, {0}, {0, 0, 0}, {0}},
        {5, 7, 3, 2, 3, 2, {0, 2}, {0, 2, 4}, {0, 1}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << "x" << c.srcD);
        FloatJob f(new FloatCodec(c.dstW, c.dstH, c.dstD), Numbered(c.srcW, c.srcH, c.srcD), FILTER_POINT);
        ASSERT_EQ(FilterPoint(f.job), S_OK);
        for (UINT z = 0; z < c.dstD; ++z) {
            for (UINT y = 0; y < c.dstH; ++y) {
                for (UINT x = 0; x < c.dstW; ++x) {
                    const ColorF p = f.dst->At(x, y, z);
                    EXPECT_EQ(p.r, static_cast<float>(c.columns[x]));
                    EXPECT_EQ(p.g, static_cast<float>(c.rows[y]));
                    EXPECT_EQ(p.b, static_cast<float>(c.slices[z]));
                }
            }
        }
        // Every destination row once; a source row is decoded once for each
        // run of destination rows that take it.
        EXPECT_EQ(f.dst->encodes.size(), static_cast<std::size_t>(c.dstH) * c.dstD);
        for (const auto& [row, n] : f.src->decodes) {
            EXPECT_EQ(n, 1);
        }
    }
}

TEST(FilterPoint, DeclinesOtherFiltersAndEmptyBlocks) {
    FloatJob other(new FloatCodec(2, 2), Numbered(4, 4), FILTER_LINEAR);
    EXPECT_EQ(FilterPoint(other.job), E_FAIL);
    FloatJob emptyDst(new FloatCodec(0, 2), Numbered(4, 4), FILTER_POINT);
    EXPECT_EQ(FilterPoint(emptyDst.job), E_FAIL);
    FloatJob emptySrc(new FloatCodec(2, 2), Numbered(4, 0), FILTER_POINT);
    EXPECT_EQ(FilterPoint(emptySrc.job), E_FAIL);
}

TEST(FilterPoint, ThroughConvertRegionIgnoresMirrorFlags) {
    Block src(D3DFMT_L8, 4, 4);
    for (UINT i = 0; i < 16; ++i) {
        src.bytes[i] = static_cast<BYTE>(i * 16);
    }
    for (DWORD flags : {0u, FILTER_MIRROR_U | FILTER_MIRROR_V}) {
        Block dst(D3DFMT_L8, 2, 2);
        PixelRegion d = dst.Region();
        const PixelRegion s = src.Region();
        ASSERT_EQ(ConvertRegion(&d, &s, FILTER_POINT | flags), S_OK);
        EXPECT_EQ(dst.bytes, (std::vector<BYTE>{0, 32, 128, 160}));
    }
}
