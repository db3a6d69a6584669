#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/yuv_codec.h"
#include "codec_test_util.h"
#include "support/sanitizer_skip.h"

using namespace codec_test;

namespace {

const float NEAR_ONE = std::bit_cast<float>(0x3F7FFFFFu);  // 0.99999994

// One row of pixel pairs, bytes as stored.
Surface PairRow(D3DFORMAT format, std::vector<BYTE> bytes) {
    Surface s(format, static_cast<UINT>(bytes.size() / 2), 1);
    s.bytes = bytes;
    return s;
}

std::vector<ColorF> DecodeRow0(Surface& s, D3DCOLOR key = 0) {
    auto codec = Open(s.Region(key));
    std::vector<ColorF> row(s.width);
    EXPECT_EQ(codec->DecodeRow(0, 0, row.data()), S_OK);
    return row;
}

TEST(YuvCodec, DecodesBothLayouts) {
    struct Case {
        const char* what;
        D3DFORMAT format;
        std::vector<BYTE> bytes;
        ColorF pixel0, pixel1;
    } cases[] = {
        // clang-format off
        {"UYVY peak white, black", D3DFMT_UYVY, {128, 235, 128, 16},
         {NEAR_ONE, NEAR_ONE, NEAR_ONE, 1}, {0, 0, 0, 1}},
        {"YUY2 black pair", D3DFMT_YUY2, {16, 128, 16, 128}, {0, 0, 0, 1}, {0, 0, 0, 1}},
        {"YUY2 peak white, black", D3DFMT_YUY2, {235, 128, 16, 128},
         {NEAR_ONE, NEAR_ONE, NEAR_ONE, 1}, {0, 0, 0, 1}},
        {"below black clamps", D3DFMT_UYVY, {128, 0, 128, 255}, {0, 0, 0, 1}, {1, 1, 1, 1}},
        // clang-format on
    };
    for (const Case& c : cases) {
        Surface s = PairRow(c.format, c.bytes);
        const std::vector<ColorF> row = DecodeRow0(s);
        EXPECT_TRUE(SameBits(row[0], c.pixel0)) << c.what << ": " << row[0].r << " " << row[0].g << " " << row[0].b;
        EXPECT_TRUE(SameBits(row[1], c.pixel1)) << c.what << ": " << row[1].r << " " << row[1].g << " " << row[1].b;
    }
}

TEST(YuvCodec, StrongChromaClampsEachChannel) {
    // U and V at 255: red and blue overshoot, green undershoots.
    Surface s = PairRow(D3DFMT_UYVY, {255, 235, 255, 16});
    const std::vector<ColorF> row = DecodeRow0(s);
    EXPECT_EQ(row[0].r, 1.0f);
    EXPECT_EQ(row[0].b, 1.0f);
    EXPECT_EQ(row[1].g, 0.0f);
    EXPECT_EQ(row[1].b, 1.0f);
    EXPECT_GT(row[1].r, 0.75f);
    EXPECT_LT(row[1].r, 0.85f);
}

TEST(YuvCodec, EncodesStudioRangeWithChromaFromTheEvenPixel) {
    const ColorF white{1, 1, 1, 1}, black{0, 0, 0, 1}, red{1, 0, 0, 1}, blue{0, 0, 1, 1};
    struct Case {
        const char* what;
        ColorF pixel0, pixel1;
        BYTE y0, u, y1, v;
    } cases[] = {
        // clang-format off
        {"white", white, white, 235, 128, 235, 128},
        {"black", black, black, 16, 128, 16, 128},
        {"decoded peak white", {NEAR_ONE, NEAR_ONE, NEAR_ONE, 1}, white, 235, 128, 235, 128},
        {"red then blue: red's chroma", red, blue, 81, 91, 41, 240},
        // U = trunc(112.5) + 128, V = trunc(-17.714) + 128.
        {"blue then red: blue's chroma", blue, red, 41, 240, 81, 111},
        {"beyond the range clamps", {4, 4, 4, 1}, {-1, -1, -1, 1}, 255, 128, 0, 128},
        // clang-format on
    };
    for (D3DFORMAT format : {D3DFMT_UYVY, D3DFMT_YUY2}) {
        for (const Case& c : cases) {
            Surface s(format, 2, 1);
            {
                auto codec = Open(s.Region());
                const ColorF row[2] = {c.pixel0, c.pixel1};
                ASSERT_EQ(codec->EncodeRow(0, 0, row), S_OK);
            }
            const std::vector<BYTE> expected = format == D3DFMT_UYVY ? std::vector<BYTE>{c.u, c.y0, c.v, c.y1}
                                                                     : std::vector<BYTE>{c.y0, c.u, c.y1, c.v};
            EXPECT_EQ(s.bytes, expected) << c.what << " " << (format == D3DFMT_UYVY ? "UYVY" : "YUY2");
        }
    }
}

// A box from column 1 to 4 shares the pair at columns 0-1 with its
// neighbour: column 0 is written back from its decoded colour and keeps the
// pair's chroma; column 1 gets only its new luma. Pairs outside the box are
// not touched.
TEST(YuvCodec, HalfCoveredPairsKeepTheirOtherPixel) {
    for (D3DFORMAT format : {D3DFMT_UYVY, D3DFMT_YUY2}) {
        Surface s(format, 6, 1);
        const bool uyvy = format == D3DFMT_UYVY;
        const std::vector<BYTE> pair0 =
            uyvy ? std::vector<BYTE>{110, 120, 140, 60} : std::vector<BYTE>{120, 110, 60, 140};
        s.bytes = pair0;
        s.bytes.insert(s.bytes.end(), {9, 9, 9, 9, 1, 2, 3, 4});
        {
            auto codec = Open<YuvCodec>(s.Region(PixelBox{1, 0, 4, 1, 0, 1}));
            const std::vector<ColorF> white(3, ColorF{1, 1, 1, 1});
            ASSERT_EQ(codec->EncodeRow(0, 0, white.data()), S_OK);
            EXPECT_EQ(codec->rowsDecoded, 1u);
        }
        const int y0 = s.bytes[uyvy ? 1 : 0], u = s.bytes[uyvy ? 0 : 1];
        const int y1 = s.bytes[uyvy ? 3 : 2], v = s.bytes[uyvy ? 2 : 3];
        EXPECT_LE(std::abs(y0 - 120), 1);
        EXPECT_LE(std::abs(u - 110), 1);
        EXPECT_LE(std::abs(v - 140), 1);
        EXPECT_EQ(y1, 235);
        const std::vector<BYTE> whitePair =
            uyvy ? std::vector<BYTE>{128, 235, 128, 235} : std::vector<BYTE>{235, 128, 235, 128};
        EXPECT_EQ(std::vector<BYTE>(s.bytes.begin() + 4, s.bytes.begin() + 8), whitePair);
        EXPECT_EQ(std::vector<BYTE>(s.bytes.begin() + 8, s.bytes.end()), (std::vector<BYTE>{1, 2, 3, 4}));
    }
}

TEST(YuvCodec, ColourKeyComparesDecodedPixels) {
    struct Case {
        std::vector<BYTE> bytes;
        D3DCOLOR key;
        bool keyed;
    } cases[] = {
        // clang-format off
        {{128, 16, 128, 16}, 0xFF000000, true},
        {{128, 235, 128, 235}, 0xFFFFFFFF, false},    // peak white reads 0.99999994
        {{128, 17, 128, 17}, 0xFF000000, false},
        // clang-format on
    };
    for (const Case& c : cases) {
        Surface s = PairRow(D3DFMT_UYVY, c.bytes);
        const std::vector<ColorF> row = DecodeRow0(s, c.key);
        for (const ColorF& p : row) {
            EXPECT_EQ(p.a, c.keyed ? 0.0f : 1.0f) << std::hex << c.key;
        }
    }
}

// Whole surfaces through A8R8G8B8 rows and back. Slowly varying colours
// lose little to the shared chroma; a row read again while cached comes
// back exactly as written.
TEST(YuvCodec, WholeSurfaceRoundTripsThroughRows) {
    for (D3DFORMAT format : {D3DFMT_UYVY, D3DFMT_YUY2}) {
        constexpr UINT W = 16, H = 4, D = 2;
        Block argb(D3DFMT_A8R8G8B8, W, H, D);
        std::vector<ColorF> image;
        for (UINT z = 0; z < D; ++z) {
            for (UINT y = 0; y < H; ++y) {
                for (UINT x = 0; x < W; ++x) {
                    const std::uint32_t r = 40 + 8 * x, g = 200 - 30 * y - 20 * z, b = 90 + 4 * x + 10 * y;
                    argb.SetWord((z * H + y) * W + x, 0xFF000000u | r << 16 | g << 8 | b);
                }
            }
        }
        Surface s(format, W, H, D);
        {
            auto source = Open(argb.Region());
            auto destination = Open<YuvCodec>(s.Region());
            std::vector<ColorF> row(W), back(W);
            for (UINT z = 0; z < D; ++z) {
                for (UINT y = 0; y < H; ++y) {
                    ASSERT_EQ(source->DecodeRow(y, z, row.data()), S_OK);
                    ASSERT_EQ(destination->EncodeRow(y, z, row.data()), S_OK);
                    ASSERT_EQ(destination->DecodeRow(y, z, back.data()), S_OK);
                    for (UINT x = 0; x < W; ++x) {
                        ASSERT_TRUE(SameBits(back[x], row[x]));
                    }
                    image.insert(image.end(), row.begin(), row.end());
                }
            }
            EXPECT_EQ(destination->rowsDecoded, 0u);
        }
        auto reader = Open(s.Region());
        std::vector<ColorF> row(W);
        float worst = 0;
        for (UINT z = 0; z < D; ++z) {
            for (UINT y = 0; y < H; ++y) {
                ASSERT_EQ(reader->DecodeRow(y, z, row.data()), S_OK);
                for (UINT x = 0; x < W; ++x) {
                    const ColorF& want = image[(z * H + y) * W + x];
                    for (float e : {row[x].r - want.r, row[x].g - want.g, row[x].b - want.b}) {
                        worst = std::max(worst, std::fabs(e));
                    }
                    EXPECT_EQ(row[x].a, 1.0f);
                }
            }
        }
        EXPECT_LE(worst, 0.04f) << format;
    }
}

TEST(YuvCodec, WithoutARowBufferEveryRowFailsAndNothingIsWritten) {
    SKIP_UNLESS_ALLOCATION_CAN_FAIL();
    std::vector<BYTE> memory(16, 0xAB);
    PixelRegion region{};
    region.pixels = memory.data();
    region.format = D3DFMT_YUY2;
    region.box = PixelBox{0, 0, 0x7FFFFFF0, 1, 0, 1};  // one row of 32 GiB of ColorF
    region.surfaceBox = SurfaceExtent{0, 0, 0x7FFFFFF0, 1, 0, 1};
    {
        auto codec = Open<YuvCodec>(region);
        ASSERT_NE(codec, nullptr);
        EXPECT_FALSE(codec->buffersValid);
        ColorF c{};
        EXPECT_EQ(codec->EncodeRow(0, 0, &c), E_OUTOFMEMORY);
        EXPECT_EQ(codec->DecodeRow(0, 0, &c), E_OUTOFMEMORY);
    }
    EXPECT_EQ(memory, std::vector<BYTE>(16, 0xAB));
}

}  // namespace
