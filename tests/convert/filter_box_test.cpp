#include <gtest/gtest.h>

#include "convert/conversion_ways.h"
#include "convert/convert_region.h"
#include "convert_test_util.h"

using namespace convert_test;

namespace {

// Halves a 2 x 2 block of the four words through ConvertRegion.
std::uint32_t HalveFour(D3DFORMAT format, std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                        DWORD flags = 0, D3DCOLOR colorKey = 0) {
    Block src(format, 2, 2);
    src.SetWord(0, 0, 0, a);
    src.SetWord(1, 0, 0, b);
    src.SetWord(0, 1, 0, c);
    src.SetWord(1, 1, 0, d);
    Block dst(format, 1, 1);
    PixelRegion dr = dst.Region();
    const PixelRegion sr = src.Region(colorKey);
    EXPECT_EQ(ConvertRegion(&dr, &sr, FILTER_BOX | flags), S_OK);
    return dst.Word(0, 0);
}

}  // namespace

TEST(FilterBoxHalf2D, IntegerAveragesRoundHalfUp) {
    const struct {
        D3DFORMAT format;
        std::uint32_t a, b, c, d, expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF000001, 0xFF000001, 0xFF000000, 0xFF000000, 0xFF000001},  // blue 1,1,0,0
        {D3DFMT_A8R8G8B8, 0xFF000001, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000},  // blue 1,0,0,0
        {D3DFMT_A8R8G8B8, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
        {D3DFMT_A8R8G8B8, 0x01020304, 0x03040506, 0x00000000, 0xFFFFFFFF, 0x41414242},
        {D3DFMT_A1R5G5B5, 0x8000, 0x8000, 0x0000, 0x0000, 0x8000},  // alpha 1,1,0,0
        {D3DFMT_A1R5G5B5, 0x8000, 0x0000, 0x0000, 0x0000, 0x0000},  // alpha 1,0,0,0
        {D3DFMT_A1R5G5B5, 0x7FFF, 0x7FFF, 0x7FFF, 0x0000, 0x5EF7},  // 31 x 3 -> 23
        {D3DFMT_X8R8G8B8, 0xFF102030, 0xAB102030, 0x00102030, 0x12102030, 0x00102030},
        {D3DFMT_X4R4G4B4, 0xF123, 0xF123, 0xF123, 0xF123, 0x0123},
        {D3DFMT_X1R5G5B5, 0x8001, 0x8001, 0x8001, 0x8001, 0x0001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << std::hex << c.a);
        EXPECT_EQ(HalveFour(c.format, c.a, c.b, c.c, c.d), c.expected);
    }
}

TEST(FilterBoxHalf2D, DitheringOrAColourKeyTakesTheFloatPath) {
    // Blue 1, 0, 0, 0 averages to 0 in integers; the float path gives
    // 0.25 + the first dither offset 0.96875, which encodes to 1.
    EXPECT_EQ(HalveFour(D3DFMT_A8R8G8B8, 0xFF000001, 0xFF000000, 0xFF000000, 0xFF000000), 0xFF000000u);
    EXPECT_EQ(HalveFour(D3DFMT_A8R8G8B8, 0xFF000001, 0xFF000000, 0xFF000000, 0xFF000000, FILTER_DITHER), 0xFF000001u);
    // A keyed opaque black counts as transparent black: alpha 3/4.
    EXPECT_EQ(HalveFour(D3DFMT_A8R8G8B8, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0, 0xFF000000), 0xBFBFBFBFu);
    // Different formats on the two sides also average in floats.
    Block src(D3DFMT_A8R8G8B8, 2, 2);
    for (UINT i = 0; i < 4; ++i) {
        src.SetWord(i & 1, i >> 1, 0, 0xFFFF0000);
    }
    Block dst(D3DFMT_R5G6B5, 1, 1);
    PixelRegion dr = dst.Region();
    const PixelRegion sr = src.Region();
    ASSERT_EQ(ConvertRegion(&dr, &sr, FILTER_BOX), S_OK);
    EXPECT_EQ(dst.Word(0, 0), 0xF800u);
}

TEST(FilterBoxHalf2D, FloatPathAveragesAndDropsTheOddEdge) {
    const struct { UINT srcW, srcH, dstW, dstH; } cases[] = {{5, 5, 2, 2}, {1, 4, 1, 2}, {4, 1, 2, 1}, {1, 1, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH);
        auto* src = new FloatCodec(c.srcW, c.srcH);
        for (UINT y = 0; y < c.srcH; ++y) {
            for (UINT x = 0; x < c.srcW; ++x) {
                src->At(x, y) = ColorF{static_cast<float>(x), static_cast<float>(y), 1.0f, 0.5f};
            }
        }
        FloatJob f(new FloatCodec(c.dstW, c.dstH), src, FILTER_BOX);
        ASSERT_EQ(FilterBoxHalf2D(f.job), S_OK);
        for (UINT y = 0; y < c.dstH; ++y) {
            for (UINT x = 0; x < c.dstW; ++x) {
                const ColorF p = f.dst->At(x, y);
                EXPECT_EQ(p.r, c.srcW == 1 ? 0.0f : 2.0f * x + 0.5f);
                EXPECT_EQ(p.g, c.srcH == 1 ? 0.0f : 2.0f * y + 0.5f);
                EXPECT_EQ(p.b, 1.0f);
                EXPECT_EQ(p.a, 0.5f);
            }
        }
        // A source one row tall is read once per destination row.
        EXPECT_EQ(f.src->decodes.size(), static_cast<std::size_t>(c.srcH == 1 ? 1 : 2 * c.dstH));
    }
}

TEST(FilterBoxHalf2D, OnlyExactHalvingsOfUnsignedBlocks) {
    const struct {
        UINT srcW, dstW;
        DWORD filter;
        SampleClass samples;
        bool applies;
    } cases[] = {
        {4, 2, FILTER_BOX, SAMPLE_UNSIGNED, true},  {5, 2, FILTER_BOX, SAMPLE_UNSIGNED, true},
        {6, 2, FILTER_BOX, SAMPLE_UNSIGNED, false},  // not a halving: triangle resampler
        {4, 3, FILTER_BOX, SAMPLE_UNSIGNED, false}, {4, 2, FILTER_TRIANGLE, SAMPLE_UNSIGNED, false},
        {4, 2, FILTER_BOX, SAMPLE_SIGNED, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << " to " << c.dstW);
        FloatJob f(new FloatCodec(c.dstW, 2, 1, c.samples), new FloatCodec(c.srcW, 4, 1, c.samples), c.filter);
        EXPECT_EQ(FilterBoxHalf2D(f.job) == S_OK, c.applies);
        EXPECT_EQ(FilterBoxHalf3D(f.job), E_FAIL);  // 1 slice to 1 slice is no volume halving
    }
}

TEST(FilterBoxHalf2D, SixToTwoColumnsIsResampledByTriangles) {
    Block src(D3DFMT_A8R8G8B8, 6, 2);
    Lcg rng{7};
    for (UINT i = 0; i < 12; ++i) {
        src.SetWord(i % 6, i / 6, 0, rng.Next());
    }
    Block viaBox(D3DFMT_A8R8G8B8, 2, 1);
    Block viaTriangle(D3DFMT_A8R8G8B8, 2, 1);
    PixelRegion a = viaBox.Region();
    PixelRegion b = viaTriangle.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&a, &s, FILTER_BOX), S_OK);
    ASSERT_EQ(ConvertRegion(&b, &s, FILTER_TRIANGLE), S_OK);
    EXPECT_EQ(viaBox.bytes, viaTriangle.bytes);
}

TEST(FilterBoxHalf3D, VolumesAverageEightSamples) {
    auto* src = new FloatCodec(4, 4, 4);
    for (UINT z = 0; z < 4; ++z) {
        for (UINT y = 0; y < 4; ++y) {
            for (UINT x = 0; x < 4; ++x) {
                src->At(x, y, z) = ColorF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                                          static_cast<float>(x + y + z)};
            }
        }
    }
    FloatJob f(new FloatCodec(2, 2, 2), src, FILTER_BOX);
    EXPECT_EQ(FilterBoxHalf2D(f.job), E_FAIL);
    ASSERT_EQ(FilterBoxHalf3D(f.job), S_OK);
    for (UINT z = 0; z < 2; ++z) {
        for (UINT y = 0; y < 2; ++y) {
            for (UINT x = 0; x < 2; ++x) {
                const ColorF p = f.dst->At(x, y, z);
                EXPECT_EQ(p.r, 2.0f * x + 0.5f);
                EXPECT_EQ(p.g, 2.0f * y + 0.5f);
                EXPECT_EQ(p.b, 2.0f * z + 0.5f);
                EXPECT_EQ(p.a, 2.0f * (x + y + z) + 1.5f);
            }
        }
    }
    EXPECT_EQ(f.dst->encodes.size(), 4u);

    // The same through ConvertRegion on a packed volume.
    Block vol(D3DFMT_A8R8G8B8, 4, 4, 4);
    for (UINT z = 0; z < 4; ++z) {
        for (UINT y = 0; y < 4; ++y) {
            for (UINT x = 0; x < 4; ++x) {
                vol.SetWord(x, y, z, (x + y + z) % 2 == 0 ? 0xFFFFFFFF : 0xFF000000);
            }
        }
    }
    Block half(D3DFMT_A8R8G8B8, 2, 2, 2);
    PixelRegion d = half.Region();
    const PixelRegion s = vol.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_BOX), S_OK);
    for (UINT i = 0; i < 8; ++i) {
        EXPECT_EQ(half.Word(i & 1, (i >> 1) & 1, i >> 2), 0xFF808080u);  // 0.5 x 255 + 0.5 = 128
    }
}
