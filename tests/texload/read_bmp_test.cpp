#include <gtest/gtest.h>

#include "allocation_limit.h"
#include "base/tovtex_defs.h"
#include "support/image_builders.h"
#include "texload/image_readers.h"

using namespace test_support;

namespace {

HRESULT Read(const Bytes& file, Image* image) {
    return ReadBmp(image, file.data(), static_cast<UINT>(file.size()));
}

BmpLayout Bitfields(uint16_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint32_t headerSize = 108) {
    BmpLayout layout;
    layout.headerSize = headerSize;
    layout.bitCount = bitCount;
    layout.compression = 3;
    layout.masks[0] = r;
    layout.masks[1] = g;
    layout.masks[2] = b;
    layout.masks[3] = a;
    layout.pixels.assign(BmpStride(1, bitCount), 0);
    return layout;
}

struct FormatCase {
    const char* name;
    BmpLayout layout;
    HRESULT result;
    D3DFORMAT format;
};

TEST(ReadBmp, ChoosesFormatFromBitCountOrMasks) {
    auto plain = [](uint16_t bits) {
        BmpLayout s;
        s.bitCount = bits;
        s.pixels.assign(4, 0);
        return s;
    };
    const FormatCase cases[] = {
        {"rgb16", plain(16), S_OK, D3DFMT_X1R5G5B5},
        {"rgb24", plain(24), S_OK, D3DFMT_R8G8B8},
        {"rgb32", plain(32), S_OK, D3DFMT_X8R8G8B8},
        {"pal8", plain(8), S_OK, D3DFMT_P8},
        {"bits2", plain(2), E_FAIL, D3DFMT_UNKNOWN},
        {"argb32", Bitfields(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), S_OK, D3DFMT_A8R8G8B8},
        {"xrgb32", Bitfields(32, 0xFF0000, 0xFF00, 0xFF, 0), S_OK, D3DFMT_X8R8G8B8},
        {"rgb24bf", Bitfields(24, 0xFF0000, 0xFF00, 0xFF, 0), S_OK, D3DFMT_R8G8B8},
        {"a8l8", Bitfields(16, 0xFF, 0xFF, 0xFF, 0xFF00), S_OK, D3DFMT_A8L8},
        {"r5g6b5", Bitfields(16, 0xF800, 0x7E0, 0x1F, 0), S_OK, D3DFMT_R5G6B5},
        {"x1r5g5b5", Bitfields(16, 0x7C00, 0x3E0, 0x1F, 0), S_OK, D3DFMT_X1R5G5B5},
        {"a1r5g5b5", Bitfields(16, 0x7C00, 0x3E0, 0x1F, 0x8000), S_OK, D3DFMT_A1R5G5B5},
        {"a4r4g4b4", Bitfields(16, 0xF00, 0xF0, 0xF, 0xF000), S_OK, D3DFMT_A4R4G4B4},
        {"a8r3g3b2", Bitfields(16, 0xE0, 0x1C, 0x3, 0xFF00), S_OK, D3DFMT_A8R3G3B2},
        {"x4r4g4b4 refused", Bitfields(16, 0xF00, 0xF0, 0xF, 0), E_FAIL, D3DFMT_UNKNOWN},
        {"bgr32 refused", Bitfields(32, 0xFF, 0xFF00, 0xFF0000, 0), E_FAIL, D3DFMT_UNKNOWN},
        {"masks after a 40-byte header", Bitfields(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 40), E_FAIL, D3DFMT_UNKNOWN},
        {"v5 header", Bitfields(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 124), S_OK, D3DFMT_A8R8G8B8},
    };
    for (const FormatCase& c : cases) {
        Image image;
        EXPECT_EQ(Read(BuildBmp(c.layout), &image), c.result) << c.name;
        if (c.result == S_OK) {
            EXPECT_EQ(image.format, c.format) << c.name;
            EXPECT_EQ(image.palette != nullptr, c.format == D3DFMT_P8) << c.name;
        }
    }
}

TEST(ReadBmp, RefusesBrokenHeaders) {
    struct Case {
        const char* name;
        BmpLayout layout;
        int64_t sizeDelta;
        HRESULT result;
    };
    BmpLayout base;
    base.pixels.assign(4, 0);
    auto with = [&](auto change) {
        BmpLayout s = base;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"file size larger than data", base, 1, E_FAIL},
        {"file size smaller than data", base, -5, S_OK},
        {"core header", with([](BmpLayout& s) { s.headerSize = 12; }), 0, E_FAIL},
        {"two planes", with([](BmpLayout& s) { s.planes = 2; }), 0, E_FAIL},
        {"top-down RLE8", with([](BmpLayout& s) {
             s.bitCount = 8;
             s.compression = 1;
             s.height = -1;
         }),
         0, E_FAIL},
        {"bottom-up JPEG", with([](BmpLayout& s) { s.compression = 4; }), 0, E_NOTIMPL},
        {"top-down JPEG", with([](BmpLayout& s) {
             s.compression = 4;
             s.height = -1;
         }),
         0, E_FAIL},
        {"colour table past the end", with([](BmpLayout& s) { s.coloursUsed = 2; }), 0, E_FAIL},
        {"colour count near 2^32", with([](BmpLayout& s) { s.coloursUsed = 0xFFFFFFFF; }), 0, E_FAIL},
        {"rows missing", with([](BmpLayout& s) { s.height = 2; }), 0, E_FAIL},
        {"zero width", with([](BmpLayout& s) { s.width = 0; }), 0, E_FAIL},
        {"zero height", with([](BmpLayout& s) { s.height = 0; }), 0, E_FAIL},
        {"height of -2^31", with([](BmpLayout& s) { s.height = INT32_MIN; }), 0, E_FAIL},
        {"width of 2^32 - 1", with([](BmpLayout& s) { s.width = -1; }), 0, E_FAIL},
    };
    for (const Case& c : cases) {
        Image image;
        EXPECT_EQ(Read(BuildBmp(c.layout, c.sizeDelta), &image), c.result) << c.name;
    }
    Image image;
    Bytes tiny = {'B', 'M', 2, 0, 0, 0};
    EXPECT_EQ(Read(tiny, &image), E_FAIL);
}

TEST(ReadBmp, TopDownRowsOfEightBitsOrMoreAreBorrowed) {
    BmpLayout layout;
    layout.width = 2;
    layout.height = -2;
    layout.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    Bytes file = BuildBmp(layout);
    Image image;
    ASSERT_EQ(Read(file, &image), S_OK);
    EXPECT_FALSE(image.ownsPixels);
    EXPECT_EQ(image.pixels, file.data() + 14 + 40);
    EXPECT_EQ(image.rowPitch, 8u);
    EXPECT_EQ(image.rect.right, 2);
    EXPECT_EQ(image.rect.bottom, 2);
}

TEST(ReadBmp, BottomUpRowsAreTurnedAround) {
    BmpLayout layout;
    layout.width = 1;
    layout.height = 3;
    layout.bitCount = 32;
    layout.pixels = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3};
    Image image;
    ASSERT_EQ(Read(BuildBmp(layout), &image), S_OK);
    EXPECT_TRUE(image.ownsPixels);
    EXPECT_EQ(image.pixels[0], 3);
    EXPECT_EQ(image.pixels[4], 2);
    EXPECT_EQ(image.pixels[8], 1);
}

TEST(ReadBmp, LowBitCountsExpandToOneIndexPerByte) {
    // 33 pixels of 1 bit take 8 bytes a row; 9 pixels of 4 bits take 8 too.
    BmpLayout one;
    one.width = 33;
    one.height = -2;
    one.bitCount = 1;
    one.colours = {0x000000, 0xFFFFFF};
    one.pixels = {0x80, 0, 0, 0, 0x80, 0, 0, 0, /* row 2 */ 0x01, 0, 0, 0, 0x00, 0, 0, 0};
    Image a;
    ASSERT_EQ(Read(BuildBmp(one), &a), S_OK);
    EXPECT_TRUE(a.ownsPixels);
    EXPECT_EQ(a.rowPitch, 36u);
    EXPECT_EQ(a.pixels[0], 1);
    EXPECT_EQ(a.pixels[1], 0);
    EXPECT_EQ(a.pixels[32], 1);
    EXPECT_EQ(a.pixels[36 + 7], 1);
    EXPECT_EQ(a.pixels[36 + 32], 0);

    BmpLayout four;
    four.width = 9;
    four.height = 2;
    four.bitCount = 4;
    four.pixels = {0x12, 0, 0, 0, 0x50, 0, 0, 0, /* top row */ 0xAB, 0, 0, 0, 0xC0, 0, 0, 0};
    Image b;
    ASSERT_EQ(Read(BuildBmp(four), &b), S_OK);
    EXPECT_EQ(b.rowPitch, 12u);
    EXPECT_EQ(b.pixels[0], 0xA);
    EXPECT_EQ(b.pixels[1], 0xB);
    EXPECT_EQ(b.pixels[8], 0xC);
    EXPECT_EQ(b.pixels[12 + 0], 1);
    EXPECT_EQ(b.pixels[12 + 8], 5);
}

TEST(ReadBmp, PaletteTakesUsedColoursAndWhiteBeyond) {
    BmpLayout layout;
    layout.bitCount = 8;
    layout.coloursUsed = 16;
    for (uint32_t i = 0; i < 16; ++i) {
        layout.colours.push_back(i << 16 | (i + 1) << 8 | (i + 2));
    }
    layout.pixels = {9, 0, 0, 0};
    Bytes file = BuildDib(layout);
    Image image;
    ASSERT_EQ(ReadDib(&image, file.data(), static_cast<UINT>(file.size())), S_OK);
    EXPECT_EQ(image.pixels[0], 9);  // rows start 64 bytes after the header
    const PALETTEENTRY& e = image.palette[5];
    EXPECT_EQ(e.peRed, 5);
    EXPECT_EQ(e.peGreen, 6);
    EXPECT_EQ(e.peBlue, 7);
    EXPECT_EQ(e.peFlags, 0xFF);
    for (int j = 16; j < 256; ++j) {
        const PALETTEENTRY& w = image.palette[j];
        ASSERT_TRUE(w.peRed == 0xFF && w.peGreen == 0xFF && w.peBlue == 0xFF && w.peFlags == 0xFF) << j;
    }
}

// RLE results as rows of the picture, top row first.
std::vector<Bytes> DecodeRle(uint32_t compression, int width, int height, const Bytes& stream) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = compression == 1 ? 8 : 4;
    layout.compression = compression;
    layout.pixels = stream;
    Image image;
    EXPECT_EQ(Read(BuildBmp(layout), &image), S_OK);
    std::vector<Bytes> rows;
    for (int y = 0; y < height && image.pixels != nullptr; ++y) {
        rows.emplace_back(image.pixels + y * image.rowPitch, image.pixels + y * image.rowPitch + width);
    }
    return rows;
}

TEST(ReadBmp, RunLengthStreams) {
    struct Case {
        const char* name;
        uint32_t compression;
        int width, height;
        Bytes stream;
        std::vector<Bytes> rows;  // top row first
    };
    const Case cases[] = {
        // clang-format off
        {"rle8 run then end of line and bitmap", 1, 4, 2, {3, 5, 0, 0, 0, 1}, {{0, 0, 0, 0}, {5, 5, 5, 0}}},
        {"rle8 absolute run pads to even", 1, 4, 1, {0, 3, 1, 2, 3, 0xEE, 1, 9, 0, 1}, {{1, 2, 3, 9}}},
        {"rle4 run alternates nibbles", 2, 4, 1, {3, 0x12, 0, 1}, {{1, 2, 1, 0}}},
        {"rle4 absolute run of 5 takes 4 bytes", 2, 6, 1, {0, 5, 0x12, 0x34, 0x50, 0xEE, 1, 0x70, 0, 1}, {{1, 2, 3, 4, 5, 7}}},
        {"delta then end of line reaches the third row", 1, 3, 3, {0, 2, 2, 1, 1, 4, 0, 0, 1, 6, 0, 1},
         {{6, 0, 0}, {0, 0, 4}, {0, 0, 0}}},
        {"run past the row end is dropped", 1, 2, 2, {5, 7, 1, 8, 0, 1}, {{0, 0}, {7, 7}}},
        {"delta above the top stops", 1, 2, 2, {0, 2, 0, 5, 1, 9, 0, 1}, {{0, 0}, {0, 0}}},
        {"delta far right drops pixels", 1, 2, 1, {0, 2, 200, 0, 3, 9, 0, 1}, {{0, 0}}},
        {"stream without end code keeps what it decoded", 1, 2, 1, {2, 4}, {{4, 4}}},
        {"truncated absolute run stops", 1, 3, 1, {1, 3, 0, 5, 1}, {{3, 0, 0}}},
        {"truncated delta stops", 1, 2, 1, {1, 3, 0, 2, 1}, {{3, 0}}},
        // clang-format on
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeRle(c.compression, c.width, c.height, c.stream), c.rows) << c.name;
    }
}

TEST(ReadBmp, OversizedBitmapIsOutOfMemoryNotACrash) {
    // 2^31 - 1 rows of an RLE bitmap 2^30 pixels wide: far beyond memory.
    // Without a pixel limit (which refuses it first) the allocation fails.
    PixelLimit none(0);
    BmpLayout layout;
    layout.width = 1 << 30;
    layout.height = INT32_MAX;
    layout.bitCount = 8;
    layout.compression = 1;
    layout.pixels = {0, 1};
    AllocationLimit limit(1 << 20);
    Image image;
    EXPECT_EQ(Read(BuildBmp(layout), &image), E_OUTOFMEMORY);
}

}  // namespace
