#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "allocation_limit.h"
#include "base/tovtex_defs.h"
#include "encoded_images.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "texload/image_file_info.h"
#include "texload/image_readers.h"

using namespace test_support;
using namespace texload_test;

namespace {

struct Outcome {
    HRESULT decoded = E_FAIL;
    HRESULT described = E_FAIL;
};

// The header test against the full decode on one file: what the decode
// accepts the header test describes alike; what the header test refuses
// the decode refuses with the same code.
Outcome Compare(const Bytes& file, const std::string& name) {
    Outcome out;
    const UINT size = static_cast<UINT>(file.size());
    Image image;
    ImageInfo decodedInfo;
    std::memset(&decodedInfo, 0xCD, sizeof(decodedInfo));
    const char* reader = nullptr;
    out.decoded = DecodeImageFileNamingReader(&image, file.data(), size, &decodedInfo, &reader);

    ImageFileDescription description;
    std::memset(&description, 0xCD, sizeof(description));
    out.described = file.empty() ? ERR_INVALIDDATA : DescribeImageFile(file.data(), size, &description);
    ImageInfo info;
    std::memset(&info, 0xCD, sizeof(info));
    EXPECT_EQ(file.empty() ? ERR_INVALIDDATA : GetImageFileInfo(file.data(), size, &info), out.described) << name;

    if (out.decoded == S_OK) {
        EXPECT_EQ(out.described, S_OK) << name << " (read by " << reader << ")";
        if (out.described == S_OK) {
            EXPECT_EQ(std::memcmp(&description.info, &decodedInfo, sizeof(ImageInfo)), 0)
                << name << ": " << description.info.width << "x" << description.info.height << " "
                << description.info.mipLevels << " levels, format " << description.info.format << " against "
                << decodedInfo.width << "x" << decodedInfo.height << " " << decodedInfo.mipLevels
                << " levels, format " << decodedInfo.format;
            EXPECT_EQ(std::memcmp(&info, &decodedInfo, sizeof(ImageInfo)), 0) << name;
            EXPECT_STREQ(description.reader, reader) << name;
            EXPECT_EQ(description.faces, image.FaceCount()) << name;
        }
    } else if (out.described != S_OK) {
        EXPECT_EQ(out.described, out.decoded) << name;
        EXPECT_EQ(info.width, 0xCDCDCDCDu) << name << ": info untouched";
    }
    return out;
}

std::vector<std::string> SuiteFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TestDataDir())) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Cut-off copies of a file at the lengths where headers end and beyond.
std::vector<size_t> CutLengths(size_t size) {
    std::vector<size_t> lengths = {1, 2, 14, 17, 18, 40, 54, 127, 128, 200, size / 2, size - 1};
    lengths.erase(std::remove_if(lengths.begin(), lengths.end(), [size](size_t n) { return n == 0 || n >= size; }),
                  lengths.end());
    return lengths;
}

TEST(ImageFileInfo, AgreesWithTheDecodeOnEveryPublicSuiteFile) {
    const std::vector<std::string> files = SuiteFiles();
    ASSERT_GT(files.size(), 300u);
    size_t accepted = 0, headerOnly = 0;
    for (const std::string& path : files) {
        const Bytes file = ReadFileBytes(path);
        const std::string name = path.substr(TestDataDir().size() + 1);
        const Outcome whole = Compare(file, name);
        accepted += whole.decoded == S_OK;
        headerOnly += whole.decoded != S_OK && whole.described == S_OK;
        for (size_t length : CutLengths(file.size())) {
            Compare(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)),
                    name + " cut to " + std::to_string(length));
        }
    }
    EXPECT_GT(accepted, 250u);
    // Files whose header is sound and whose data is not: a few of the
    // suites' damaged files, no more.
    EXPECT_LE(headerOnly, 5u);
}

TEST(ImageFileInfo, AgreesWithTheDecodeOnThePixelLimit) {
    // Every suite file again, with a limit that some pictures pass and many
    // do not: both refuse the same files as too large.
    PixelLimit limit(32 * 32);
    size_t tooLarge = 0;
    for (const std::string& path : SuiteFiles()) {
        tooLarge += Compare(ReadFileBytes(path), path).described == ERR_IMAGETOOLARGE;
    }
    EXPECT_GT(tooLarge, 50u);
}

BmpLayout Bitmap(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression = 0) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    layout.compression = compression;
    const int32_t rows = height < 0 ? -height : height;
    layout.pixels.assign(size_t{BmpStride(static_cast<uint32_t>(width), bitCount)} * static_cast<size_t>(rows), 0);
    return layout;
}

Bytes Shortened(Bytes file, size_t by) {
    file.resize(file.size() - by);
    return file;
}

Bytes Pixmap(const std::string& header, size_t samples) {
    Bytes file = TextBytes(header);
    file.resize(file.size() + samples, 7);
    return file;
}

TEST(ImageFileInfo, EdgeCasesOfEachFormat) {
    struct Case {
        const char* name;
        Bytes file;
        HRESULT described;  // the header test's result
        HRESULT decoded;    // the decode's
    };
    BmpLayout masks = Bitmap(2, 2, 32, 3);
    masks.headerSize = 108;
    masks.masks[0] = 0xFF0000;
    masks.masks[1] = 0xFF00;
    masks.masks[2] = 0xFF;
    masks.masks[3] = 0xFF000000;
    BmpLayout shortMasks = masks;
    shortMasks.headerSize = 40;
    BmpLayout rle = Bitmap(4, 2, 8, 1);
    rle.pixels = {3, 5, 0, 0, 0, 1};
    BmpLayout topDownRle = rle;
    topDownRle.height = -2;

    TgaLayout tga;
    tga.width = 3;
    tga.height = 2;
    tga.pixels.assign(24, 0);
    TgaLayout tgaBottomUp = tga;
    tgaBottomUp.descriptor = 0;
    TgaLayout tgaRle = tga;
    tgaRle.imageType = 10;
    tgaRle.depth = 24;
    tgaRle.pixels = {0x85, 1, 2, 3};  // one run of 6 pixels
    TgaLayout tgaRleShort = tgaRle;
    tgaRleShort.pixels = {0x84, 1, 2, 3};  // 5 of the 6 pixels
    TgaLayout tgaMap;
    tgaMap.colourMapType = 1;
    tgaMap.imageType = 1;
    tgaMap.mapFirst = 200;
    tgaMap.mapLength = 100;
    tgaMap.mapEntrySize = 24;
    tgaMap.depth = 8;
    tgaMap.colourMap.assign(300, 0);
    tgaMap.pixels = {0};

    const DdsLayout dxt{.width = 64, .height = 64, .mipCount = 7, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '1'),
                        .dataBytes = 2744};
    DdsLayout cube = dxt;
    cube.caps2 = 0xFC00;
    cube.dataBytes = 6 * 2744;
    DdsLayout halfCube = cube;
    halfCube.caps2 = 0x0C00;
    DdsLayout deepChain = dxt;
    deepChain.mipCount = 40;  // levels past 1 x 1 are extra data
    deepChain.dataBytes = 2744 + 8;

    const Bytes png = GreyPng(64, 48);
    const Bytes jpeg = EncodeJpeg(JpegLayout{.width = 40, .height = 24});
    const Bytes greyJpeg = EncodeJpeg(JpegLayout{.width = 8, .height = 8, .components = 1});
    const Bytes progressive = EncodeJpeg(JpegLayout{.width = 64, .height = 64, .progressive = true});
    const Bytes greyProgressive = EncodeJpeg(
        JpegLayout{.width = 64, .height = 48, .components = 1, .progressive = true, .picture = JpegPicture::NOISE});
    const int firstAcScan = 1;
    const size_t scanHeader = 10;

    const Case cases[] = {
        {"bitmap", BuildBmp(Bitmap(3, 2, 24)), S_OK, S_OK},
        {"bitmap rows one byte short", Shortened(BuildBmp(Bitmap(3, 2, 24), -1), 1), ERR_INVALIDDATA,
         ERR_INVALIDDATA},
        {"bitmap with file size above the data", BuildBmp(Bitmap(3, 2, 24), 1), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"bitmap with 108-byte header and masks", BuildDib(masks), S_OK, S_OK},
        {"bitfields in a 40-byte header", BuildDib(shortMasks), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"RLE8 bitmap", BuildBmp(rle), S_OK, S_OK},
        {"top-down RLE8 bitmap", BuildBmp(topDownRle), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"JPEG-compressed bitmap", BuildBmp(Bitmap(2, 2, 24, 4)), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"headerless top-down 1-bit bitmap", BuildDib(Bitmap(33, -2, 1)), S_OK, S_OK},
        {"P3 pixmap", TextBytes("P3 2 1 255 255 0 0 0 0 255"), S_OK, S_OK},
        {"P3 pixmap with a comment", TextBytes("P3 2 # width\n1 15 15 15 15 1 2 3"), S_OK, S_OK},
        {"P3 pixmap with a bad sample", TextBytes("P3 2 1 255 255 0 0 0 x 255"), S_OK, ERR_INVALIDDATA},
        {"P3 pixmap of zero width", TextBytes("P3 0 1 255 1 2 3"), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"P6 pixmap", Pixmap("P6 4 2 255\n", 24), S_OK, S_OK},
        {"P6 pixmap after CR LF", Pixmap("P6 4 2 255\r\n", 24), S_OK, S_OK},
        {"P6 pixmap one byte short", Pixmap("P6 4 2 255\n", 23), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"P6 pixmap of 16-bit samples", Pixmap("P6 1 1 65535\n", 6), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"P6 pixmap ending at its maximum", TextBytes("P6 1 1 255"), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"grey pixmap", Pixmap("P5 4 2 255\n", 8), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"DXT1 chain", BuildDds(dxt), S_OK, S_OK},
        {"DXT1 chain one byte short", Shortened(BuildDds(dxt), 1), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"DXT1 chain past 1 x 1", BuildDds(deepChain), S_OK, S_OK},
        {"cube map", BuildDds(cube), S_OK, S_OK},
        {"cube map one byte short", Shortened(BuildDds(cube), 1), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"cube map of two faces", BuildDds(halfCube), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"DDS with alpha flags and no alpha mask",
         BuildDds(DdsLayout{.pfFlags = 0x41, .masks = {0xFF0000, 0xFF00, 0xFF, 0}, .dataBytes = 64}),
         ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"top-first targa", BuildTga(tga), S_OK, S_OK},
        {"bottom-first targa", BuildTga(tgaBottomUp), S_OK, S_OK},
        {"bottom-first targa one byte short", Shortened(BuildTga(tgaBottomUp), 1), ERR_INVALIDDATA,
         ERR_INVALIDDATA},
        {"run-length targa", BuildTga(tgaRle), S_OK, S_OK},
        {"run-length targa one pixel short", BuildTga(tgaRleShort), S_OK, ERR_INVALIDDATA},
        {"colour map past entry 255", BuildTga(tgaMap), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"PNG", png, S_OK, S_OK},
        {"PNG cut in its image data", Shortened(png, 20), S_OK, ERR_INVALIDDATA},
        {"PNG cut in its header", Bytes(png.begin(), png.begin() + 30), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"PNG declaring more rows than deflate can hold", PngFirstRow(4000, 4000, 8, 6), ERR_INVALIDDATA,
         ERR_INVALIDDATA},
        {"colour JPEG", jpeg, S_OK, S_OK},
        {"grey JPEG", greyJpeg, S_OK, S_OK},
        {"progressive JPEG", progressive, S_OK, S_OK},
        {"JPEG cut in its header", Bytes(jpeg.begin(), jpeg.begin() + 100), ERR_INVALIDDATA, ERR_INVALIDDATA},
        {"progressive JPEG with two empty scans", RepeatScan(greyProgressive, firstAcScan, 2, scanHeader),
         ERR_INVALIDDATA, ERR_INVALIDDATA},
        // Passes over the blocks are counted as the scans are decoded.
        {"progressive JPEG of 101 passes", RepeatScan(greyProgressive, firstAcScan, 99), S_OK, ERR_INVALIDDATA},
        {"two bytes", Bytes{'B', 'M'}, ERR_INVALIDDATA, ERR_INVALIDDATA},
    };
    for (const Case& c : cases) {
        const Outcome out = Compare(c.file, c.name);
        EXPECT_EQ(out.described, c.described) << c.name;
        EXPECT_EQ(out.decoded, c.decoded) << c.name;
    }

    // Pictures above the limit: both say so, whatever the reader.
    PixelLimit limit(16);
    for (const Case& c : cases) {
        if (c.decoded == S_OK) {
            Compare(c.file, std::string(c.name) + " above the limit");
        }
    }
}

TEST(ImageFileInfo, RefusesMissingData) {
    const BYTE byte = 'P';
    ImageInfo info{};
    EXPECT_EQ(GetImageFileInfo(nullptr, 10, &info), D3DERR_INVALIDCALL);
    EXPECT_EQ(GetImageFileInfo(&byte, 0, &info), D3DERR_INVALIDCALL);
    EXPECT_EQ(DescribeImageFile(nullptr, 10, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(GetImageFileInfo(&byte, 1, nullptr), ERR_INVALIDDATA);
    const Bytes dds = BuildDds(DdsLayout{.width = 4, .height = 2, .dataBytes = 32});
    EXPECT_EQ(GetImageFileInfo(dds.data(), static_cast<UINT>(dds.size()), nullptr), S_OK);
}

}  // namespace
