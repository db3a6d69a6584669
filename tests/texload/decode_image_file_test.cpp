#include <gtest/gtest.h>

#include <cstring>

#include "allocation_limit.h"
#include "base/tovtex_defs.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "texload/image_readers.h"

using namespace test_support;

namespace {

HRESULT Decode(const Bytes& file, Image* image, ImageInfo* info) {
    return DecodeImageFile(image, file.data(), static_cast<UINT>(file.size()), info);
}

BmpLayout SmallBitmap() {
    BmpLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.bitCount = 8;
    layout.colours = {0x112233, 0x445566};
    layout.coloursUsed = 2;
    layout.pixels = {1, 0, 0, 0};
    return layout;
}

TEST(DecodeImageFile, RecognisesEachFormatByContent) {
    struct Case {
        const char* name;
        Bytes file;
        const char* reader;
        D3DFORMAT format;
        UINT width, height;
    };
    TgaLayout tga;
    tga.width = 3;
    tga.height = 2;
    tga.pixels.assign(24, 0);
    const Case cases[] = {
        {"bitmap file", BuildBmp(SmallBitmap()), "BMP", D3DFMT_P8, 2, 1},
        {"pixmap", TextBytes("P3 1 2 255 1 2 3 4 5 6"), "PPM", D3DFMT_X8R8G8B8, 1, 2},
        {"dds", BuildDds(DdsLayout{.width = 4, .height = 2, .dataBytes = 32}), "DDS", D3DFMT_X8R8G8B8, 4, 2},
        {"targa", BuildTga(tga), "TGA", D3DFMT_A8R8G8B8, 3, 2},
        {"headerless bitmap", BuildDib(SmallBitmap()), "DIB", D3DFMT_P8, 2, 1},
        {"png", ReadFileBytes(TestDataDir() + "/pngsuite/basn0g08.png"), "PNG", D3DFMT_L8, 32, 32},
        {"jpeg", ReadFileBytes(TestDataDir() + "/jpeg/pillow/hopper_gray.jpg"), "JPEG", D3DFMT_L8, 128, 128},
    };
    for (const Case& c : cases) {
        Image image;
        ImageInfo info;
        std::memset(&info, 0xCD, sizeof(info));
        ASSERT_EQ(Decode(c.file, &image, &info), S_OK) << c.name;
        EXPECT_EQ(info.format, c.format) << c.name;
        EXPECT_EQ(info.width, c.width) << c.name;
        EXPECT_EQ(info.height, c.height) << c.name;
        EXPECT_EQ(info.depth, 1u) << c.name;
        EXPECT_EQ(info.mipLevels, 1u) << c.name;
        EXPECT_EQ(image.LevelCount(), 1u) << c.name;
        EXPECT_EQ(image.FaceCount(), 1u) << c.name;

        // The same decode, naming the reader that took the file.
        Image named;
        ImageInfo namedInfo;
        std::memset(&namedInfo, 0xCD, sizeof(namedInfo));
        const char* reader = nullptr;
        ASSERT_EQ(
            DecodeImageFileNamingReader(&named, c.file.data(), static_cast<UINT>(c.file.size()), &namedInfo, &reader),
            S_OK)
            << c.name;
        ASSERT_NE(reader, nullptr) << c.name;
        EXPECT_STREQ(reader, c.reader) << c.name;
        EXPECT_EQ(std::memcmp(&namedInfo, &info, sizeof(info)), 0) << c.name;
    }
}

TEST(DecodeImageFile, RefusesWhatNoReaderAccepts) {
    const std::pair<const char*, Bytes> cases[] = {
        {"two bytes", Bytes{'B', 'M'}},
        {"text", TextBytes("hello, this is not a picture at all")},
        {"dds with too little data", BuildDds(DdsLayout{.dataBytes = 3})},
    };
    for (const auto& [name, file] : cases) {
        Image image;
        ImageInfo info;
        std::memset(&info, 0xCD, sizeof(info));
        EXPECT_EQ(Decode(file, &image, &info), ERR_INVALIDDATA) << name;
        EXPECT_EQ(info.width, 0xCDCDCDCDu) << name << ": info untouched";
        EXPECT_EQ(image.pixels, nullptr) << name;
        EXPECT_EQ(image.palette, nullptr) << name;
        EXPECT_EQ(image.nextLevel, nullptr) << name;
        EXPECT_FALSE(image.ownsPixels) << name;

        const char* reader = "untouched";
        EXPECT_EQ(DecodeImageFileNamingReader(&image, file.data(), static_cast<UINT>(file.size()), nullptr, &reader),
                  ERR_INVALIDDATA)
            << name;
        EXPECT_STREQ(reader, "untouched") << name;
    }
}

TEST(DecodeImageFile, BrokenPixmapReachesTheLaterReaders) {
    // A headerless bitmap whose header size (0x3350) reads as "P3": the
    // pixmap reader refuses it and the bitmap reader at position 7 takes it.
    BmpLayout layout;
    layout.headerSize = 0x3350;
    layout.pixels = {1, 2, 3, 0};
    Bytes file = BuildDib(layout);
    ASSERT_EQ(file[0], 'P');
    ASSERT_EQ(file[1], '3');
    Image image;
    ImageInfo info{};
    ASSERT_EQ(Decode(file, &image, &info), S_OK);
    EXPECT_EQ(info.format, D3DFMT_R8G8B8);
    EXPECT_EQ(image.pixels[0], 1);
}

TEST(DecodeImageFile, CubeMapReportsLevelsOfTheFirstFace) {
    DdsLayout layout{
        .width = 16, .height = 16, .mipCount = 5, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '1'), .caps2 = 0xFE00};
    layout.dataBytes = 6 * (128 + 32 + 8 + 8 + 8);
    Image image;
    ImageInfo info{};
    ASSERT_EQ(Decode(BuildDds(layout), &image, &info), S_OK);
    EXPECT_EQ(info.mipLevels, 5u);
    EXPECT_EQ(info.depth, 1u);
    EXPECT_EQ(info.format, D3DFMT_DXT1);
    ASSERT_NE(image.nextFace, nullptr);

    // The counts from wherever one stands in the tree: the faces from this
    // one on, the levels from this one down.
    EXPECT_EQ(image.FaceCount(), 6u);
    EXPECT_EQ(image.LevelCount(), 5u);
    const Image& second = *image.nextFace;
    EXPECT_EQ(second.FaceCount(), 5u);
    EXPECT_EQ(second.LevelCount(), 5u);
    ASSERT_NE(second.nextLevel, nullptr);
    EXPECT_EQ(second.nextLevel->LevelCount(), 4u);
    EXPECT_EQ(second.nextLevel->FaceCount(), 1u);
}

TEST(DecodeImageFile, NullInfoWritesOnlyTheImage) {
    Image image;
    EXPECT_EQ(Decode(BuildDib(SmallBitmap()), &image, nullptr), S_OK);
    EXPECT_EQ(image.format, D3DFMT_P8);
}

TEST(DecodeImageFile, ReaderFailingHalfWayLeavesNothingForTheNext) {
    // A truncated PNG fails inside libpng after its pixels are allocated.
    Bytes png = ReadFileBytes(TestDataDir() + "/pngsuite/basn2c08.png");
    png.resize(png.size() / 2);
    Image image;
    EXPECT_EQ(Decode(png, &image, nullptr), ERR_INVALIDDATA);
    EXPECT_EQ(image.pixels, nullptr);

    // A 6-face DDS that runs out of data in its last face leaves 17 images.
    DdsLayout layout{
        .width = 4, .height = 4, .mipCount = 3, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '1'), .caps2 = 0xFE00};
    layout.dataBytes = 6 * 24 - 1;
    Image cube;
    EXPECT_EQ(Decode(BuildDds(layout), &cube, nullptr), ERR_INVALIDDATA);
    EXPECT_EQ(cube.nextFace, nullptr);
    EXPECT_EQ(cube.nextLevel, nullptr);
}

TEST(DecodeImageFile, OutOfMemoryInOneReaderMovesOnToTheNext) {
    // A bottom-up bitmap file needs owned pixels; with memory capped the
    // bitmap reader fails and nothing else takes the data.
    BmpLayout layout = SmallBitmap();
    layout.width = 64;
    layout.height = 64;
    layout.pixels.assign(64 * 64, 1);
    Bytes file = BuildBmp(layout);
    AllocationLimit limit(2048);  // the palette fits, the pixels do not
    Image image;
    EXPECT_EQ(ReadBmp(&image, file.data(), static_cast<UINT>(file.size())), E_OUTOFMEMORY);
    image.Release();
    EXPECT_EQ(Decode(file, &image, nullptr), ERR_INVALIDDATA);
    EXPECT_EQ(image.palette, nullptr);
}

}  // namespace
