#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "codec/dxt_blocks.h"
#include "codec/dxt_codec.h"
#include "codec_test_util.h"
#include "support/sanitizer_skip.h"

using namespace codec_test;

namespace {

constexpr D3DFORMAT DXT_FORMATS[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};

using Image = std::vector<ColorF>;  // row by row, slice by slice

// A smooth picture with an alpha ramp from 0.5 to 1 (1 everywhere for DXT1,
// whose alpha is one bit).
Image SmoothImage(UINT w, UINT h, UINT d, bool opaque) {
    Image image;
    for (UINT z = 0; z < d; ++z) {
        for (UINT y = 0; y < h; ++y) {
            for (UINT x = 0; x < w; ++x) {
                const float fx = static_cast<float>(x) / static_cast<float>(w);
                const float fy = static_cast<float>(y) / static_cast<float>(h);
                image.push_back(
                    ColorF{fx, fy, 0.5f * (fx + fy) * (z % 2 ? 0.5f : 1.0f), opaque ? 1.0f : 0.5f + 0.5f * fx});
            }
        }
    }
    return image;
}

// Goes the way the converter goes: rows of A8R8G8B8 decoded, then encoded
// into the destination codec row by row; destroying the codec writes back.
void WriteThroughArgb(Surface& surface, const Image& image) {
    Block argb(D3DFMT_A8R8G8B8, surface.width, surface.height, surface.depth);
    {
        auto codec = Open(argb.Region());
        for (UINT z = 0; z < surface.depth; ++z) {
            for (UINT y = 0; y < surface.height; ++y) {
                ASSERT_EQ(codec->EncodeRow(y, z, &image[(z * surface.height + y) * surface.width]), S_OK);
            }
        }
    }
    auto source = Open(argb.Region());
    auto destination = Open(surface.Region());
    ASSERT_NE(destination, nullptr);
    std::vector<ColorF> row(surface.width);
    for (UINT z = 0; z < surface.depth; ++z) {
        for (UINT y = 0; y < surface.height; ++y) {
            ASSERT_EQ(source->DecodeRow(y, z, row.data()), S_OK);
            ASSERT_EQ(destination->EncodeRow(y, z, row.data()), S_OK);
        }
    }
}

Image ReadAll(Surface& surface, PixelBox box) {
    auto codec = Open(surface.Region(box));
    const UINT w = static_cast<UINT>(box.right - box.left);
    Image image;
    std::vector<ColorF> row(w);
    for (INT z = 0; z < box.back - box.front; ++z) {
        for (INT y = 0; y < box.bottom - box.top; ++y) {
            EXPECT_EQ(codec->DecodeRow(static_cast<UINT>(y), static_cast<UINT>(z), row.data()), S_OK);
            image.insert(image.end(), row.begin(), row.end());
        }
    }
    return image;
}

Image ReadAll(Surface& surface) {
    return ReadAll(surface, PixelBox{0, 0, static_cast<INT>(surface.width), static_cast<INT>(surface.height), 0,
                                     static_cast<INT>(surface.depth)});
}

TEST(DxtCodec, FactoryBuildsEveryFormatUnrebased) {
    for (D3DFORMAT format : DXT_FORMATS) {
        Surface surface(format, 16, 16);
        auto codec = Open<DxtCodec>(surface.Region(PixelBox{5, 4, 11, 12, 0, 1}));
        ASSERT_NE(codec, nullptr) << format;
        EXPECT_FALSE(codec->addressable);
        EXPECT_EQ(codec->sampleClass, SAMPLE_UNSIGNED);
        EXPECT_EQ(codec->bytesPerPixel, 0);
        EXPECT_EQ(codec->rowBytes, 0u);
        EXPECT_EQ(codec->box.left, 5);  // surface coordinates stay
        EXPECT_EQ(codec->box.top, 4);
        EXPECT_EQ(codec->pixels, surface.bytes.data());
        EXPECT_EQ(codec->width, 6u);
        EXPECT_EQ(codec->alignedLeft, 4);
        EXPECT_EQ(codec->alignedRight, 12);
        EXPECT_TRUE(codec->buffersValid);
        EXPECT_FALSE(codec->smallSurface);
    }
}

// Whole surfaces, two slices, through the row interface and back: the
// error stays within what the fit allows (indices change at quarters of a
// block's colour segment, 5:6:5 endpoints), the alpha encodings' steps,
// and for DXT2 and DXT4 the division by alpha.
TEST(DxtCodec, WholeSurfaceRoundTripsThroughRows) {
    struct Case {
        D3DFORMAT format;
        float rgbRmse, rgbMax, alphaMax;
    } cases[] = {
        {D3DFMT_DXT1, 0.05f, 0.13f, 0.0f},        {D3DFMT_DXT2, 0.07f, 0.22f, 15.5f / 255},
        {D3DFMT_DXT3, 0.05f, 0.13f, 15.5f / 255}, {D3DFMT_DXT4, 0.07f, 0.22f, 4.5f / 255},
        {D3DFMT_DXT5, 0.05f, 0.13f, 4.5f / 255},
    };
    for (const Case& c : cases) {
        Surface surface(c.format, 16, 12, 2);
        const Image image = SmoothImage(16, 12, 2, c.format == D3DFMT_DXT1);
        WriteThroughArgb(surface, image);
        const Image back = ReadAll(surface);
        ASSERT_EQ(back.size(), image.size());
        double sum = 0;
        float worst = 0, worstAlpha = 0;
        for (std::size_t i = 0; i < image.size(); ++i) {
            for (float e : {back[i].r - image[i].r, back[i].g - image[i].g, back[i].b - image[i].b}) {
                sum += e * e;
                worst = std::max(worst, std::fabs(e));
            }
            worstAlpha = std::max(worstAlpha, std::fabs(back[i].a - image[i].a));
        }
        const double rmse = std::sqrt(sum / (3.0 * static_cast<double>(image.size())));
        EXPECT_LE(rmse, c.rgbRmse) << c.format;
        EXPECT_LE(worst, c.rgbMax) << c.format;
        EXPECT_LE(worstAlpha, c.alphaMax + 1e-6f) << c.format;
    }
}

// Block rows are decoded only where their old content matters: never for
// a writer filling whole block rows front to back.
TEST(DxtCodec, BlockRowsAreDecodedOnlyWhenTheirContentIsNeeded) {
    struct Case {
        const char* what;
        UINT surfaceHeight;
        PixelBox box;
        std::vector<UINT> rows;  // written in this order
        UINT decodes;
    } cases[] = {
        // clang-format off
        {"whole block rows in order", 8, {0, 0, 16, 8, 0, 1}, {0, 1, 2, 3, 4, 5, 6, 7}, 0},
        {"surface of 6 rows, all of them", 6, {0, 0, 16, 6, 0, 1}, {0, 1, 2, 3, 4, 5}, 0},
        {"a block row revisited", 8, {0, 0, 16, 8, 0, 1}, {4, 5, 6, 7, 0, 1, 2, 3}, 1},
        {"columns 2 to 14", 8, {2, 0, 14, 8, 0, 1}, {0, 1, 2, 3, 4, 5, 6, 7}, 2},
        {"rows 2 to 6 keep the rows around them", 8, {0, 2, 16, 6, 0, 1}, {0, 1, 2, 3}, 2},
        // clang-format on
    };
    for (const Case& c : cases) {
        Surface surface(D3DFMT_DXT5, 16, c.surfaceHeight);
        auto codec = Open<DxtCodec>(surface.Region(c.box));
        std::vector<ColorF> row(codec->width, ColorF{0.25f, 0.5f, 0.75f, 1.0f});
        for (UINT y : c.rows) {
            ASSERT_EQ(codec->EncodeRow(y, 0, row.data()), S_OK);
        }
        EXPECT_EQ(codec->blockRowsDecoded, c.decodes) << c.what;
    }
}

TEST(DxtCodec, ARowReadWhileCachedComesBackAsWritten) {
    Surface surface(D3DFMT_DXT1, 8, 4);
    auto codec = Open(surface.Region());
    std::vector<ColorF> row(8), back(8);
    for (UINT x = 0; x < 8; ++x) {
        row[x] = ColorF{0.1f * static_cast<float>(x), 0.123f, 0.987f, 1.0f};
    }
    ASSERT_EQ(codec->EncodeRow(2, 0, row.data()), S_OK);
    ASSERT_EQ(codec->DecodeRow(2, 0, back.data()), S_OK);
    for (UINT x = 0; x < 8; ++x) {
        EXPECT_TRUE(SameBits(back[x], row[x])) << x;
    }
}

// A box that covers blocks only in part leaves the blocks' other pixels as
// they were, whether it cuts them across rows or columns. Black and white
// columns stay exact as long as the grey written between them keeps them
// the block's endpoints.
TEST(DxtCodec, PartlyCoveredBlocksKeepTheirOtherPixels) {
    const ColorF black{0, 0, 0, 1}, white{1, 1, 1, 1}, grey{0.5f, 0.5f, 0.5f, 1};
    for (const PixelBox& box : {PixelBox{0, 2, 8, 6, 0, 1}, PixelBox{2, 0, 7, 8, 0, 1}, PixelBox{1, 3, 3, 5, 0, 1}}) {
        Surface surface(D3DFMT_DXT1, 8, 8);
        Image image(64);
        for (UINT i = 0; i < 64; ++i) {
            image[i] = i % 2 ? white : black;
        }
        WriteThroughArgb(surface, image);
        {
            auto codec = Open(surface.Region(box));
            const std::vector<ColorF> row(codec->width, grey);
            for (UINT y = 0; y < codec->height; ++y) {
                ASSERT_EQ(codec->EncodeRow(y, 0, row.data()), S_OK);
            }
        }
        const Image back = ReadAll(surface);
        for (INT y = 0; y < 8; ++y) {
            for (INT x = 0; x < 8; ++x) {
                const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                const ColorF& c = back[static_cast<std::size_t>(y * 8 + x)];
                if (!inside) {
                    EXPECT_TRUE(SameBits(c, x % 2 ? white : black)) << x << "," << y << " box top " << box.top;
                }
            }
        }
    }
}

// Surfaces of one or two pixels a side repeat their real pixels across the
// block, so that a smaller mip level reads as its own colours.
TEST(DxtCodec, SmallSurfacesRepeatTheirPixelsAcrossTheBlock) {
    const ColorF red{1, 0, 0, 1}, blue{0, 0, 1, 1};
    struct Case {
        UINT w, h;
    } cases[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {4, 2}, {2, 4}};
    for (const Case& c : cases) {
        Surface surface(D3DFMT_DXT5, c.w, c.h);
        Image image;
        for (UINT y = 0; y < c.h; ++y) {
            for (UINT x = 0; x < c.w; ++x) {
                image.push_back((x + y) % 2 ? blue : red);
            }
        }
        WriteThroughArgb(surface, image);
        DWORD pixels[16];
        DecodeDxt5Block(surface.bytes.data(), pixels);
        for (UINT i = 0; i < 4; ++i) {
            for (UINT j = 0; j < 4; ++j) {
                const UINT sy = c.h == 1 ? 0 : c.h == 2 ? i & 1 : i, sx = c.w == 1 ? 0 : c.w == 2 ? j & 1 : j;
                EXPECT_EQ(pixels[4 * i + j], (sx + sy) % 2 ? 0xFF0000FFu : 0xFFFF0000u)
                    << c.w << "x" << c.h << " row " << i << " column " << j;
            }
        }
    }
}

// DXT2 and DXT4 store colour times alpha; reading divides it out again.
TEST(DxtCodec, PremultipliedFormatsScaleColourByAlpha) {
    const ColorF c{1.0f, 0.5f, 0.0f, 0.5f};
    for (D3DFORMAT format : {D3DFMT_DXT2, D3DFMT_DXT4}) {
        Surface surface(format, 1, 1);
        {
            auto codec = Open(surface.Region());
            ASSERT_EQ(codec->EncodeRow(0, 0, &c), S_OK);
        }
        const BYTE* block = surface.bytes.data();
        // Red 128 and green 64: 5:6:5 0x8200 for both endpoints.
        EXPECT_EQ(block[8] | block[9] << 8, 0x8200) << format;
        EXPECT_EQ(block[10] | block[11] << 8, 0x8200) << format;
        if (format == D3DFMT_DXT2) {
            EXPECT_EQ(block[0], 0x88);  // alpha 128 keeps the nibble 8
        } else {
            EXPECT_EQ(block[0], 128);
            EXPECT_EQ(block[1], 128);
        }
    }
}

TEST(DxtCodec, PremultipliedFormatsDivideAlphaOutOnReading) {
    const float k = UNIT_SCALE_8;
    struct Case {
        const char* what;
        D3DFORMAT format;
        BYTE alpha0, alpha1;  // DXT4: a0 and a1; DXT2: every nibble pair
        ColorF expected;
    } cases[] = {
        // Colour (66, 255, 0): red below alpha is divided, green at or
        // above it reads 1.
        {"DXT4 alpha 128", D3DFMT_DXT4, 128, 128, {66 * k / (128 * k), 1.0f, 0.0f, 128 * k}},
        {"DXT2 nibble 8 reads 136", D3DFMT_DXT2, 0x88, 0x88, {66 * k / (136 * k), 1.0f, 0.0f, 136 * k}},
        {"DXT4 alpha 0 clears the colour", D3DFMT_DXT4, 0, 0, {0, 0, 0, 0}},
        {"DXT4 alpha 255 leaves it", D3DFMT_DXT4, 255, 255, {66 * k, 1.0f, 0.0f, 1.0f}},
    };
    for (const Case& c : cases) {
        Surface surface(c.format, 4, 4);
        BYTE* block = surface.bytes.data();
        for (int i = 0; i < 8; ++i) {
            block[i] = c.format == D3DFMT_DXT2 ? c.alpha0 : 0;
        }
        if (c.format == D3DFMT_DXT4) {
            block[0] = c.alpha0;
            block[1] = c.alpha1;
        }
        const unsigned color = 8u << 11 | 63u << 5;  // red 66, green 255
        block[8] = block[10] = static_cast<BYTE>(color);
        block[9] = block[11] = static_cast<BYTE>(color >> 8);
        const Image back = ReadAll(surface);
        EXPECT_TRUE(SameBits(back[5], c.expected))
            << c.what << ": " << back[5].r << " " << back[5].g << " " << back[5].b << " " << back[5].a;
    }
    EXPECT_EQ(Bits(128 * k), Bits(0.5019608f));
}

TEST(DxtCodec, ColourKeyAppliesToDecodedPixels) {
    struct Case {
        unsigned color565;
        D3DCOLOR key;
        bool keyed;
    } cases[] = {{0x0000, 0xFF000000, true}, {0xFFFF, 0xFFFFFFFF, true}, {0x0001, 0xFF000000, false}};
    for (const Case& c : cases) {
        Surface surface(D3DFMT_DXT1, 4, 4);
        surface.bytes[0] = surface.bytes[2] = static_cast<BYTE>(c.color565);
        surface.bytes[1] = surface.bytes[3] = static_cast<BYTE>(c.color565 >> 8);
        auto codec = Open(surface.Region(c.key));
        ColorF row[4];
        ASSERT_EQ(codec->DecodeRow(1, 0, row), S_OK);
        EXPECT_EQ(row[2].a, c.keyed ? 0.0f : 1.0f) << std::hex << c.color565;
    }
}

TEST(DxtCodec, WithoutRowBuffersEveryRowFailsAndNothingIsWritten) {
    SKIP_UNLESS_ALLOCATION_CAN_FAIL();
    std::vector<BYTE> memory(64, 0xAB);
    PixelRegion region{};
    region.pixels = memory.data();
    region.format = D3DFMT_DXT5;
    region.box = PixelBox{0, 0, 0x40000000, 4, 0, 1};  // four rows of 2^30 pixels
    region.surfaceBox = SurfaceExtent{0, 0, 0x40000000, 4, 0, 1};
    {
        auto codec = Open<DxtCodec>(region);
        ASSERT_NE(codec, nullptr);
        EXPECT_FALSE(codec->buffersValid);
        ColorF c{};
        EXPECT_EQ(codec->EncodeRow(0, 0, &c), E_OUTOFMEMORY);
        EXPECT_EQ(codec->DecodeRow(0, 0, &c), E_OUTOFMEMORY);
    }
    EXPECT_EQ(memory, std::vector<BYTE>(64, 0xAB));
}

}  // namespace

namespace {

// The plain per-pixel forms the codec's block conversions must match:
// trunc(c x 255 + 0.5) kept to 0..255 (NaN gives 0), colour times alpha
// first for the premultiplied formats; bytes back as byte x UNIT_SCALE_8,
// divided by alpha for those formats.
unsigned ReferenceByte(float scaled) {
    const float v = scaled + 0.5f;
    return !(v > 0.0f) ? 0u : v >= 255.0f ? 255u : static_cast<unsigned>(v);
}

DWORD ReferenceArgb(const ColorF& c, bool premultiplied) {
    const float k = premultiplied ? c.a : 1.0f;
    const auto channel = [&](float v) { return ReferenceByte((premultiplied ? v * k : v) * 255.0f); };
    return static_cast<DWORD>(ReferenceByte(c.a * 255.0f) << 24 | channel(c.r) << 16 | channel(c.g) << 8 |
                              channel(c.b));
}

ColorF ReferenceColor(DWORD p, bool premultiplied) {
    ColorF c = ColorFromArgb(p);
    if (premultiplied && c.a == 0.0f) {
        c.r = c.g = c.b = 0.0f;
    } else if (premultiplied && c.a < 1.0f) {
        c.r = c.a > c.r ? c.r / c.a : 1.0f;
        c.g = c.a > c.g ? c.g / c.a : 1.0f;
        c.b = c.a > c.b ? c.b / c.a : 1.0f;
    }
    return c;
}

void EncodeReferenceBlock(D3DFORMAT format, const DWORD* argb, BYTE* block) {
    switch (format) {
    case D3DFMT_DXT1: EncodeDxt1Block(argb, block); break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: EncodeDxt3Block(argb, block); break;
    default: EncodeDxt5Block(argb, block); break;
    }
}

void DecodeReferenceBlock(D3DFORMAT format, const BYTE* block, DWORD* argb) {
    switch (format) {
    case D3DFMT_DXT1: DecodeDxt1Block(block, argb); break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: DecodeDxt3Block(block, argb); break;
    default: DecodeDxt5Block(block, argb); break;
    }
}

}  // namespace

// Channel values at and around every rounding edge, out of range, and not
// numbers at all, written through the rows: each block must come out as
// the block encoder makes it from the per-pixel conversion, and reading
// the blocks back must give the per-pixel decoding of their pixels.
TEST(DxtCodec, RowsConvertLikeThePerPixelForms) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> values = {nan, -inf, -1.0f, -0.0f, 0.0f, 1.0f, 1.5f, inf, 0.5f};
    for (int k = 0; k < 256; ++k) {
        // Just below, at and just above the half-way point between bytes.
        const float edge = (static_cast<float>(k) + 0.5f) / 255.0f;
        values.insert(values.end(), {std::nextafter(edge, 0.0f), edge, std::nextafter(edge, 2.0f)});
    }
    const UINT width = 16, height = 8;
    for (D3DFORMAT format : DXT_FORMATS) {
        const bool premultiplied = format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
        for (std::size_t start = 0; start < values.size(); start += width * height) {
            Image image(width * height);
            for (std::size_t i = 0; i < image.size(); ++i) {
                // Each channel walks the values at its own pace, so every
                // channel meets every value beside different others.
                const auto at = [&](std::size_t step) { return values[(start + i * step) % values.size()]; };
                image[i] = ColorF{at(1), at(7), at(13), at(3)};
            }
            Surface surface(format, width, height);
            {
                auto codec = Open(surface.Region(PixelBox{0, 0, INT{width}, INT{height}, 0, 1}));
                ASSERT_NE(codec, nullptr);
                for (UINT y = 0; y < height; ++y) {
                    ASSERT_EQ(codec->EncodeRow(y, 0, &image[y * width]), S_OK);
                }
            }
            const std::size_t blockBytes = DxtBlockBytes(format);
            for (UINT by = 0; by < height / 4; ++by) {
                for (UINT bx = 0; bx < width / 4; ++bx) {
                    DWORD argb[16];
                    for (UINT i = 0; i < 16; ++i) {
                        argb[i] = ReferenceArgb(image[(4 * by + i / 4) * width + 4 * bx + i % 4], premultiplied);
                    }
                    BYTE expected[16];
                    EncodeReferenceBlock(format, argb, expected);
                    const BYTE* actual = &surface.bytes[by * static_cast<UINT>(surface.rowPitch) + bx * blockBytes];
                    ASSERT_EQ(std::memcmp(actual, expected, blockBytes), 0) << format << " block " << bx << "," << by;

                    DWORD decoded[16];
                    DecodeReferenceBlock(format, actual, decoded);
                    const Image back =
                        ReadAll(surface, PixelBox{INT(4 * bx), INT(4 * by), INT(4 * bx + 4), INT(4 * by + 4), 0, 1});
                    for (UINT i = 0; i < 16; ++i) {
                        ASSERT_TRUE(SameBits(back[i], ReferenceColor(decoded[i], premultiplied)))
                            << format << " block " << bx << "," << by << " pixel " << i;
                    }
                }
            }
        }
    }
}
