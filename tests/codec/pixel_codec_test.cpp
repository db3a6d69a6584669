#include <gtest/gtest.h>

#include <cstdint>

#include "codec_test_util.h"

using namespace codec_test;

namespace {

TEST(CreatePixelCodec, BuildsEveryPlainFormatWithItsBaseFields) {
    struct Case {
        D3DFORMAT format;
        SampleClass sampleClass;
        bool paletted;
    } cases[] = {
        // clang-format off
        {D3DFMT_R8G8B8, SAMPLE_UNSIGNED, false},  {D3DFMT_A8R8G8B8, SAMPLE_UNSIGNED, false},
        {D3DFMT_X8R8G8B8, SAMPLE_UNSIGNED, false}, {D3DFMT_R5G6B5, SAMPLE_UNSIGNED, false},
        {D3DFMT_X1R5G5B5, SAMPLE_UNSIGNED, false}, {D3DFMT_A1R5G5B5, SAMPLE_UNSIGNED, false},
        {D3DFMT_A4R4G4B4, SAMPLE_UNSIGNED, false}, {D3DFMT_R3G3B2, SAMPLE_UNSIGNED, false},
        {D3DFMT_A8, SAMPLE_UNSIGNED, false},       {D3DFMT_A8R3G3B2, SAMPLE_UNSIGNED, false},
        {D3DFMT_X4R4G4B4, SAMPLE_UNSIGNED, false}, {D3DFMT_A8P8, SAMPLE_UNSIGNED, true},
        {D3DFMT_P8, SAMPLE_UNSIGNED, true},        {D3DFMT_L8, SAMPLE_UNSIGNED, false},
        {D3DFMT_A8L8, SAMPLE_UNSIGNED, false},     {D3DFMT_A4L4, SAMPLE_UNSIGNED, false},
        {D3DFMT_V8U8, SAMPLE_SIGNED, false},       {D3DFMT_L6V5U5, SAMPLE_SIGNED, false},
        {D3DFMT_X8L8V8U8, SAMPLE_SIGNED, false},   {D3DFMT_Q8W8V8U8, SAMPLE_SIGNED, false},
        {D3DFMT_V16U16, SAMPLE_SIGNED, false},     {D3DFMT_W11V11U10, SAMPLE_SIGNED, false},
        // clang-format on
    };
    for (const Case& c : cases) {
        Block block(c.format, 5, 3);
        const auto codec = MakeCodec(block.Region());
        ASSERT_NE(codec, nullptr) << c.format;
        EXPECT_EQ(codec->format, c.format);
        EXPECT_EQ(codec->sampleClass, c.sampleClass);
        EXPECT_EQ(codec->paletted, c.paletted);
        EXPECT_TRUE(codec->addressable);
        EXPECT_FALSE(codec->colorKeyEnabled);
        EXPECT_EQ(static_cast<UINT>(codec->bytesPerPixel), BytesPerPixel(c.format));
        EXPECT_EQ(codec->rowBytes, 5 * BytesPerPixel(c.format));
    }
}

TEST(CreatePixelCodec, FormatsWithoutACodecGiveNull) {
    for (D3DFORMAT format : {D3DFMT_D16, D3DFMT_UNKNOWN, D3DFMT_A2B10G10R10, D3DFMT_INDEX16,
                             static_cast<D3DFORMAT>(MAKEFOURCC('A', 'B', 'C', 'D'))}) {
        PixelRegion r{};
        BYTE memory[16] = {};
        r.pixels = memory;
        r.format = format;
        r.box = PixelBox{0, 0, 1, 1, 0, 1};
        EXPECT_EQ(CreatePixelCodec(r), nullptr) << format;
    }
}

// A box starting at (3, 5, 2) is rebased: row 0 of slice 0 is the box's
// first pixel, and writing it touches nothing else.
TEST(PixelCodecBox, RowsCountFromTheBoxCorner) {
    Block block(D3DFMT_A8R8G8B8, 8, 8, 4);
    for (std::size_t i = 0; i < block.bytes.size() / 4; ++i) {
        block.SetWord(i, static_cast<std::uint32_t>(i));
    }
    PixelRegion region = block.Region();
    region.box = PixelBox{3, 5, 6, 7, 2, 4};
    const auto codec = MakeCodec(region);
    EXPECT_EQ(codec->width, 3u);
    EXPECT_EQ(codec->height, 2u);
    EXPECT_EQ(codec->depth, 2u);
    EXPECT_EQ(codec->rowBytes, 12u);
    EXPECT_EQ(codec->box.left, 0);
    EXPECT_EQ(codec->box.right, 3);
    EXPECT_EQ(codec->box.bottom, 2);
    EXPECT_EQ(codec->box.back, 2);

    const auto index = [](int x, int y, int z) { return static_cast<std::size_t>((z * 8 + y) * 8 + x); };
    ColorF row[3];
    for (UINT slice = 0; slice < 2; ++slice) {
        for (UINT y = 0; y < 2; ++y) {
            codec->DecodeRow(y, slice, row);
            for (int x = 0; x < 3; ++x) {
                EXPECT_TRUE(SameBits(row[x], ColorFromArgb(static_cast<DWORD>(index(3 + x, 5 + y, 2 + slice)))));
            }
        }
    }
    const Block before = block;
    const ColorF white[3] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    codec->EncodeRow(1, 1, white);
    for (std::size_t i = 0; i < block.bytes.size() / 4; ++i) {
        const bool inRow = i >= index(3, 6, 3) && i < index(6, 6, 3);
        EXPECT_EQ(block.Word(i), inRow ? 0xFFFFFFFFu : before.Word(i)) << i;
    }
}

struct KeyCase {
    D3DFORMAT format;
    std::uint32_t word;
    D3DCOLOR key;
    bool keyed;
};

// Keying compares the decoded floats exactly; the row paths of one pixel
// and of several pixels must agree.
TEST(PixelCodecColorKey, ExactMatchesBecomeTransparentBlack) {
    const KeyCase cases[] = {
        {D3DFMT_R5G6B5, 0x0000, 0xFF000000, true},
        {D3DFMT_R5G6B5, 0x0001, 0xFF000000, false},
        {D3DFMT_R5G6B5, 0xFFFF, 0xFFFFFFFF, true},
        // 16 / 31 is not 132 / 255: fewer bits match only where they coincide.
        {D3DFMT_R5G6B5, 0x8410, 0xFF848484, false},
        {D3DFMT_A8R8G8B8, 0xFF102030, 0xFF102030, true},
        {D3DFMT_A8R8G8B8, 0xFF102031, 0xFF102030, false},
        {D3DFMT_A8R8G8B8, 0x00000000, 0x00000000, false},  // key 0 means no key
        {D3DFMT_X8R8G8B8, 0x00102030, 0xFF102030, true},   // X decodes as alpha 1
        {D3DFMT_L8, 0x80, 0xFF808080, true},
        {D3DFMT_A8, 0x40, 0x40FFFFFF, true},
    };
    for (const KeyCase& c : cases) {
        for (UINT width : {1u, 7u}) {
            Block block(c.format, width);
            for (UINT x = 0; x < width; ++x) {
                block.SetWord(x, c.word);
            }
            const auto codec = MakeCodec(block.Region(c.key));
            EXPECT_EQ(codec->colorKeyEnabled, c.key != 0);
            std::vector<ColorF> row(width);
            codec->DecodeRow(0, 0, row.data());
            const ColorF plain = DecodeOne(c.format, c.word);
            for (UINT x = 0; x < width; ++x) {
                EXPECT_TRUE(SameBits(row[x], c.keyed ? ColorF{0, 0, 0, 0} : plain))
                    << c.format << std::hex << " word " << c.word << " key " << c.key;
            }
        }
    }
}

// A one-bit alpha of j / 16 is stored as 1 exactly where the offset is at
// least 1 - j / 16, so counting the ones over j = 0..15 gives back the
// matrix entry m of every position. Slices shift the pattern by a column.
TEST(PixelCodecDither, OrderedOffsetsByRowColumnAndSlice) {
    const int matrix[4][4] = {{15, 7, 13, 5}, {3, 11, 1, 9}, {12, 4, 14, 6}, {0, 8, 2, 10}};
    Block block(D3DFMT_A1R5G5B5, 8, 4, 4);
    const auto codec = MakeCodec(block.Region(0, nullptr, true));
    int ones[4][4][8] = {};
    for (int j = 0; j < 16; ++j) {
        const std::vector<ColorF> row(8, ColorF{0, 0, 0, static_cast<float>(j) / 16.0f});
        for (UINT z = 0; z < 4; ++z) {
            for (UINT y = 0; y < 4; ++y) {
                codec->EncodeRow(y, z, row.data());
                for (UINT x = 0; x < 8; ++x) {
                    ones[z][y][x] += block.Word((z * 4 + y) * 8 + x) >> 15;
                }
            }
        }
    }
    for (int z = 0; z < 4; ++z) {
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                const int column = z + (x & 3);
                EXPECT_EQ(ones[z][y][x], matrix[y][column & 3]) << "x " << x << " y " << y << " z " << z;
            }
        }
    }
}

TEST(PixelCodecDither, HalfAlphaIsSetAtHalfThePositions) {
    Block plain(D3DFMT_A1R5G5B5, 4, 4);
    Block dithered(D3DFMT_A1R5G5B5, 4, 4);
    const auto p = MakeCodec(plain.Region());
    const auto d = MakeCodec(dithered.Region(0, nullptr, true));
    const std::vector<ColorF> row(4, ColorF{0, 0, 0, 0.5f});
    int set = 0;
    for (UINT y = 0; y < 4; ++y) {
        p->EncodeRow(y, 0, row.data());
        d->EncodeRow(y, 0, row.data());
    }
    for (UINT i = 0; i < 16; ++i) {
        EXPECT_EQ(plain.Word(i), 0x8000u);
        set += dithered.Word(i) >> 15;
    }
    EXPECT_EQ(set, 8);
}

TEST(ColorFromArgb, ScalesEachByteByTheNearestOneOver255) {
    const ColorF c = ColorFromArgb(0xFF80FF01);
    EXPECT_EQ(c.a, 1.0f);
    EXPECT_EQ(c.g, 1.0f);
    EXPECT_EQ(Bits(c.r), Bits(0.5019608f));
    EXPECT_EQ(Bits(c.b), 0x3B808081u);
}

}  // namespace
