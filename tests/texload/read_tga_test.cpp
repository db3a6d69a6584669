#include <gtest/gtest.h>

#include "allocation_limit.h"
#include "support/image_builders.h"
#include "texload/image_readers.h"

using namespace test_support;

namespace {

HRESULT Read(const Bytes& file, Image* image) {
    return ReadTga(image, file.data(), static_cast<UINT>(file.size()));
}

Bytes Repeat(const Bytes& unit, size_t times) {
    Bytes out;
    for (size_t i = 0; i < times; ++i) {
        Append(out, unit);
    }
    return out;
}

TEST(ReadTga, HeaderChecksAndFormats) {
    struct Case {
        const char* name;
        TgaLayout layout;
        D3DFORMAT format;  // D3DFMT_UNKNOWN: refused with E_FAIL
    };
    auto layout = [](uint8_t type, uint8_t depth, uint8_t mapType = 0, uint8_t entrySize = 0, uint16_t mapLength = 0) {
        TgaLayout s;
        s.imageType = type;
        s.depth = depth;
        s.colourMapType = mapType;
        s.mapEntrySize = entrySize;
        s.mapLength = mapLength;
        s.colourMap.assign(mapLength * ((entrySize + 7) / 8), 0x10);
        s.pixels.assign(4, 0);
        return s;
    };
    auto with = [](TgaLayout s, auto change) {
        change(s);
        return s;
    };
    const Case cases[] = {
        {"true-colour 8 bits", layout(2, 8), D3DFMT_UNKNOWN},
        {"true-colour 15 bits", layout(2, 15), D3DFMT_X1R5G5B5},
        {"true-colour 16 bits", layout(2, 16), D3DFMT_A1R5G5B5},
        {"true-colour 24 bits", layout(2, 24), D3DFMT_R8G8B8},
        {"true-colour 32 bits", layout(2, 32), D3DFMT_A8R8G8B8},
        {"grey 8 bits", layout(3, 8), D3DFMT_L8},
        {"grey 16 bits", layout(3, 16), D3DFMT_UNKNOWN},
        {"colour-mapped without map", layout(1, 8), D3DFMT_UNKNOWN},
        {"colour-mapped", layout(1, 8, 1, 24, 2), D3DFMT_P8},
        {"encoded colour-mapped",
         with(layout(9, 8, 1, 24, 256),
              [](TgaLayout& s) {
                  s.pixels = {0x80, 0};
              }),
         D3DFMT_P8},
        {"map entry of 8 bits", layout(2, 32, 1, 8, 1), D3DFMT_UNKNOWN},
        {"true-colour that carries a map", layout(2, 32, 1, 24, 10), D3DFMT_A8R8G8B8},
        {"image type 0", layout(0, 8), D3DFMT_UNKNOWN},
        {"image type bit 2", layout(6, 8), D3DFMT_UNKNOWN},
        {"colour-map type 2", layout(2, 32, 2), D3DFMT_UNKNOWN},
        {"zero width", with(layout(2, 32), [](TgaLayout& s) { s.width = 0; }), D3DFMT_UNKNOWN},
        {"zero height", with(layout(2, 32), [](TgaLayout& s) { s.height = 0; }), D3DFMT_UNKNOWN},
        {"map past 256 entries", with(layout(1, 8, 1, 24, 100), [](TgaLayout& s) { s.mapFirst = 200; }),
         D3DFMT_UNKNOWN},
        {"id longer than the file",
         with(layout(2, 32),
              [](TgaLayout& s) {
                  s.idLength = 255;
                  s.pixels.assign(82, 0);
              }),
         D3DFMT_UNKNOWN},
        {"pixels short", with(layout(2, 32), [](TgaLayout& s) { s.pixels.assign(3, 0); }), D3DFMT_UNKNOWN},
        {"bottom-up pixels short",
         with(layout(2, 32),
              [](TgaLayout& s) {
                  s.descriptor = 0;
                  s.pixels.assign(3, 0);
              }),
         D3DFMT_UNKNOWN},
    };
    for (const Case& c : cases) {
        Image image;
        HRESULT hr = Read(BuildTga(c.layout), &image);
        if (c.format == D3DFMT_UNKNOWN) {
            EXPECT_EQ(hr, E_FAIL) << c.name;
        } else {
            ASSERT_EQ(hr, S_OK) << c.name;
            EXPECT_EQ(image.format, c.format) << c.name;
        }
    }
    Image image;
    Bytes header(17, 0);
    EXPECT_EQ(Read(header, &image), E_FAIL);
}

TEST(ReadTga, ColourMapEntries) {
    struct Case {
        uint8_t entrySize;
        Bytes entry;
        PALETTEENTRY expected;
    };
    const Case cases[] = {
        // clang-format off
        {24, {1, 2, 3}, {3, 2, 1, 0xFF}},
        {32, {1, 2, 3, 4}, {3, 2, 1, 4}},
        {16, {0xFF, 0x7F}, {255, 255, 255, 0}},
        {16, {0x00, 0x80}, {0, 0, 0, 255}},
        {15, {0x00, 0x00}, {0, 0, 0, 255}},
        {15, {0x1F, 0x00}, {0, 0, 255, 255}},   // blue 31
        {16, {0x10, 0x42}, {132, 132, 132, 0}}, // 16 in each channel: (16 << 3) | (16 >> 2)
        // clang-format on
    };
    for (const Case& c : cases) {
        TgaLayout layout;
        layout.imageType = 1;
        layout.depth = 8;
        layout.colourMapType = 1;
        layout.mapEntrySize = c.entrySize;
        layout.mapFirst = 16;
        layout.mapLength = 16;
        layout.colourMap = Repeat(c.entry, 16);
        layout.pixels = {16};
        Image image;
        ASSERT_EQ(Read(BuildTga(layout), &image), S_OK) << int(c.entrySize);
        const PALETTEENTRY& e = image.palette[20];
        EXPECT_EQ(e.peRed, c.expected.peRed) << int(c.entrySize);
        EXPECT_EQ(e.peGreen, c.expected.peGreen);
        EXPECT_EQ(e.peBlue, c.expected.peBlue);
        EXPECT_EQ(e.peFlags, c.expected.peFlags);
        for (int j : {0, 15, 32, 255}) {
            EXPECT_EQ(image.palette[j].peRed + image.palette[j].peFlags, 510) << "entry " << j << " is opaque white";
        }
    }
}

// A 3 x 2 picture of 8-bit grey values, rows as the image holds them.
std::vector<Bytes> GreyRows(uint8_t type, uint8_t descriptor, const Bytes& pixels, HRESULT* hr, BOOL* owned) {
    TgaLayout layout;
    layout.imageType = type;
    layout.depth = 8;
    layout.width = 3;
    layout.height = 2;
    layout.descriptor = descriptor;
    layout.pixels = pixels;
    const Bytes file = BuildTga(layout);  // outlives the image, which may borrow from it
    Image image;
    *hr = Read(file, &image);
    *owned = image.ownsPixels;
    std::vector<Bytes> rows;
    if (SUCCEEDED(*hr)) {
        for (int y = 0; y < 2; ++y) {
            rows.emplace_back(image.pixels + y * image.rowPitch, image.pixels + y * image.rowPitch + 3);
        }
    }
    return rows;
}

TEST(ReadTga, OrientationsAndPackets) {
    struct Case {
        const char* name;
        uint8_t type, descriptor;
        Bytes pixels;
        HRESULT result;
        std::vector<Bytes> rows;
        BOOL owned;
    };
    const Bytes plain = {1, 2, 3, 4, 5, 6};
    const Case cases[] = {
        // clang-format off
        {"top-left is borrowed", 3, 0x20, plain, S_OK, {{1, 2, 3}, {4, 5, 6}}, FALSE},
        {"bottom-left turns rows", 3, 0x00, plain, S_OK, {{4, 5, 6}, {1, 2, 3}}, TRUE},
        {"top-right reverses rows", 3, 0x30, plain, S_OK, {{3, 2, 1}, {6, 5, 4}}, TRUE},
        {"bottom-right", 3, 0x10, plain, S_OK, {{6, 5, 4}, {3, 2, 1}}, TRUE},
        {"run packets", 11, 0x20, {0x82, 7, 0x82, 8}, S_OK, {{7, 7, 7}, {8, 8, 8}}, TRUE},
        {"raw and run packets", 11, 0x20, {0x01, 1, 2, 0x80, 3, 0x02, 4, 5, 6}, S_OK, {{1, 2, 3}, {4, 5, 6}}, TRUE},
        {"run across the row end", 11, 0x20, {0x83, 9, 0x01, 1, 2}, S_OK, {{9, 9, 9}, {9, 1, 2}}, TRUE},
        {"run past the picture is dropped", 11, 0x20, {0xFF, 4}, S_OK, {{4, 4, 4}, {4, 4, 4}}, TRUE},
        {"encoded right to left bottom-up", 11, 0x10, {0x05, 1, 2, 3, 4, 5, 6}, S_OK, {{6, 5, 4}, {3, 2, 1}}, TRUE},
        {"packets end early", 11, 0x20, {0x82, 7}, E_FAIL, {}, TRUE},
        {"raw packet cut short", 11, 0x20, {0x82, 7, 0x02, 1}, E_FAIL, {}, TRUE},
        {"run packet without its pixel", 11, 0x20, {0x82, 7, 0x82}, E_FAIL, {}, TRUE},
        // clang-format on
    };
    for (const Case& c : cases) {
        HRESULT hr = S_OK;
        BOOL owned = FALSE;
        std::vector<Bytes> rows = GreyRows(c.type, c.descriptor, c.pixels, &hr, &owned);
        EXPECT_EQ(hr, c.result) << c.name;
        EXPECT_EQ(rows, c.rows) << c.name;
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(owned, c.owned) << c.name;
        }
    }
}

TEST(ReadTga, RunOfFourPixelsConsumesOnePixel) {
    TgaLayout layout;
    layout.imageType = 10;
    layout.depth = 24;
    layout.width = 4;
    layout.height = 2;
    layout.pixels = {0x83, 1, 2, 3, 0x83, 4, 5, 6};
    Image image;
    ASSERT_EQ(Read(BuildTga(layout), &image), S_OK);
    EXPECT_EQ(image.rowPitch, 12u);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 24),
              (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6, 4, 5, 6, 4, 5, 6}));
}

TEST(ReadTga, SkipsIdAndUnusedColourMapBeforePixels) {
    TgaLayout layout;
    layout.imageType = 2;
    layout.depth = 32;
    layout.colourMapType = 1;
    layout.mapEntrySize = 24;
    layout.mapLength = 10;
    layout.colourMap.assign(30, 0xEE);
    layout.id = {'h', 'i'};
    layout.pixels = {1, 2, 3, 4};
    Bytes file = BuildTga(layout);
    Image image;
    ASSERT_EQ(Read(file, &image), S_OK);
    EXPECT_EQ(image.pixels, file.data() + 18 + 2 + 30);
    EXPECT_EQ(image.palette, nullptr);
}

TEST(ReadTga, HugeEncodedPictureFromFewBytesIsRefusedBeforeAllocating) {
    TgaLayout layout;
    layout.imageType = 10;
    layout.depth = 32;
    layout.width = 65535;
    layout.height = 65535;
    layout.pixels = {0xFF, 1, 2, 3, 4};
    PixelLimit none(0);  // the limit would refuse it first
    Image image;
    EXPECT_EQ(Read(BuildTga(layout), &image), E_FAIL);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
