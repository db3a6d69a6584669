// The pixel limit: every reader refuses a picture above it before
// allocating, small files declaring huge pictures are refused at once, and
// progressive JPEG files cannot make the decoder walk their blocks without
// end.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <png.h>

#include "allocation_limit.h"
#include "base/tovtex_defs.h"
#include "encoded_images.h"
#include "support/image_builders.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

using namespace test_support;
using texload_test::EncodeJpeg;
using texload_test::JpegLayout;

namespace {

HRESULT Decode(const Bytes& file, Image* image) {
    return DecodeImageFile(image, file.data(), static_cast<UINT>(file.size()), nullptr);
}

HRESULT ReadWith(ImageReader reader, const Bytes& file) {
    Image image;
    return reader(&image, file.data(), static_cast<UINT>(file.size()));
}

struct ReaderCase {
    const char* name;
    ImageReader reader;
    std::function<Bytes(uint32_t width, uint32_t height)> build;
};

// One builder per reader and layout, each a complete file of the size asked.
std::vector<ReaderCase> EveryReader() {
    auto bitmap = [](uint32_t w, uint32_t h, uint16_t bits, uint32_t compression) {
        BmpLayout layout;
        layout.width = static_cast<int32_t>(w);
        layout.height = static_cast<int32_t>(h);
        layout.bitCount = bits;
        layout.compression = compression;
        if (compression == 0) {
            layout.pixels.assign(size_t{BmpStride(w, bits)} * h, 1);
        } else {
            layout.pixels = {2, 1, 0, 1};  // a run of two, end of bitmap
        }
        return layout;
    };
    auto targa = [](uint32_t w, uint32_t h, uint8_t type) {
        TgaLayout layout;
        layout.imageType = type;
        layout.width = static_cast<uint16_t>(w);
        layout.height = static_cast<uint16_t>(h);
        if (type == 2) {
            layout.pixels.assign(size_t{w} * h * 4, 7);
        } else {
            for (uint32_t left = w * h; left > 0; left -= left < 128 ? left : 128) {
                const uint32_t run = left < 128 ? left : 128;
                Append(layout.pixels, Bytes{static_cast<uint8_t>(0x80 | (run - 1)), 1, 2, 3, 4});
            }
        }
        return layout;
    };
    auto pixmap = [](uint32_t w, uint32_t h, bool binary) {
        std::string text = std::string(binary ? "P6 " : "P3 ") + std::to_string(w) + " " + std::to_string(h) + " 255\n";
        for (uint32_t i = 0; i < 3 * w * h; ++i) text += binary ? std::string(1, 'a') : std::string("9 ");
        return TextBytes(text);
    };
    return {
        {"BMP 8-bit", ReadBmp, [=](uint32_t w, uint32_t h) { return BuildBmp(bitmap(w, h, 8, 0)); }},
        {"BMP 1-bit", ReadBmp, [=](uint32_t w, uint32_t h) { return BuildBmp(bitmap(w, h, 1, 0)); }},
        {"BMP RLE8", ReadBmp, [=](uint32_t w, uint32_t h) { return BuildBmp(bitmap(w, h, 8, 1)); }},
        {"BMP RLE4", ReadBmp, [=](uint32_t w, uint32_t h) { return BuildBmp(bitmap(w, h, 4, 2)); }},
        {"DIB 24-bit", ReadDib, [=](uint32_t w, uint32_t h) { return BuildDib(bitmap(w, h, 24, 0)); }},
        {"TGA", ReadTga, [=](uint32_t w, uint32_t h) { return BuildTga(targa(w, h, 2)); }},
        {"TGA RLE", ReadTga, [=](uint32_t w, uint32_t h) { return BuildTga(targa(w, h, 10)); }},
        {"PPM P6", ReadPpm, [=](uint32_t w, uint32_t h) { return pixmap(w, h, true); }},
        {"PPM P3", ReadPpm, [=](uint32_t w, uint32_t h) { return pixmap(w, h, false); }},
        {"DDS", ReadDds,
         [](uint32_t w, uint32_t h) { return BuildDds(DdsLayout{.width = w, .height = h, .dataBytes = 4u * w * h}); }},
        {"PNG", ReadPng, [](uint32_t w, uint32_t h) { return texload_test::GreyPng(w, h); }},
        {"JPEG", ReadJpeg, [](uint32_t w, uint32_t h) { return EncodeJpeg(JpegLayout{.width = w, .height = h}); }},
        {"progressive JPEG", ReadJpeg,
         [](uint32_t w, uint32_t h) { return EncodeJpeg(JpegLayout{.width = w, .height = h, .progressive = true}); }},
    };
}

TEST(ImageLimit, DefaultIsSixteenThousandSquaredAndZeroMeansNone) {
    EXPECT_EQ(GetImagePixelLimit(), DEFAULT_IMAGE_PIXEL_LIMIT);
    EXPECT_EQ(DEFAULT_IMAGE_PIXEL_LIMIT, 16384ull * 16384);
    const Bytes nineByEight = texload_test::GreyPng(9, 8);
    {
        PixelLimit limit(64);
        EXPECT_EQ(GetImagePixelLimit(), 64u);
        Image image;
        EXPECT_EQ(Decode(nineByEight, &image), ERR_IMAGETOOLARGE);
        SetImagePixelLimit(0);
        EXPECT_EQ(Decode(nineByEight, &image), S_OK);
    }
    EXPECT_EQ(GetImagePixelLimit(), DEFAULT_IMAGE_PIXEL_LIMIT);
}

TEST(ImageLimit, EveryReaderTakesThePictureAtTheLimitAndRefusesOnePixelMore) {
    PixelLimit limit(64);
    const std::pair<uint32_t, uint32_t> fits[] = {{8, 8}, {64, 1}, {1, 64}};
    const std::pair<uint32_t, uint32_t> over[] = {{9, 8}, {8, 9}, {65, 1}, {1, 65}};
    for (const ReaderCase& c : EveryReader()) {
        SCOPED_TRACE(c.name);
        for (auto [w, h] : fits) {
            const Bytes file = c.build(w, h);
            Image image;
            ImageInfo info{};
            ASSERT_EQ(DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), &info), S_OK)
                << w << "x" << h;
            EXPECT_EQ(ReadWith(c.reader, file), S_OK) << w << "x" << h;
            EXPECT_EQ(info.width, w);
            EXPECT_EQ(info.height, h);
        }
        for (auto [w, h] : over) {
            const Bytes file = c.build(w, h);
            EXPECT_EQ(ReadWith(c.reader, file), ERR_IMAGETOOLARGE) << w << "x" << h;
            Image image;
            ImageInfo info{77, 77, 77, 77, D3DFMT_UNKNOWN};
            EXPECT_EQ(DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), &info), ERR_IMAGETOOLARGE)
                << w << "x" << h;
            EXPECT_EQ(info.width, 77u) << "info untouched";
            EXPECT_EQ(image.pixels, nullptr);
            EXPECT_EQ(image.palette, nullptr);
        }
    }
}

// Small files that declare pictures of gigabytes. With image memory capped
// at 1 MiB, a reader that tried to allocate would report E_OUTOFMEMORY
// instead of the limit.
TEST(ImageLimit, SmallFilesDeclaringHugePicturesAreRefusedBeforeAllocating) {
    BmpLayout rle8;
    rle8.width = 65536;
    rle8.height = 65536;
    rle8.bitCount = 8;
    rle8.compression = 1;
    for (int i = 0; i < 500; ++i) Append(rle8.pixels, Bytes{255, 7});
    Append(rle8.pixels, Bytes{0, 1});
    BmpLayout rle4 = rle8;
    rle4.width = INT32_MAX;
    rle4.height = 2;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixels = {8, 0x12, 0, 0, 0, 1};
    BmpLayout rle4Taller = rle4;  // one more row: 6 GB
    rle4Taller.height = 3;
    TgaLayout targa;
    targa.imageType = 10;
    targa.width = 65535;
    targa.height = 65535;
    targa.pixels = {0xFF, 1, 2, 3, 4};
    const Bytes smallJpeg = EncodeJpeg(JpegLayout{});
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"BMP RLE8 65536 x 65536 in 1 KB", BuildBmp(rle8)},
        {"BMP RLE4 2147483647 x 2", BuildBmp(rle4)},
        {"DIB RLE4 2147483647 x 3", BuildDib(rle4Taller)},
        {"JPEG 65500 x 65500 with the scan of 16 x 16", texload_test::WithFrameSize(smallJpeg, 65500, 65500)},
        {"JPEG 20000 x 20000 with the scan of 16 x 16", texload_test::WithFrameSize(smallJpeg, 20000, 20000)},
        {"PNG 1-bit grey 60000 x 60000", texload_test::PngFirstRow(60000, 60000, 1, PNG_COLOR_TYPE_GRAY)},
        {"PNG RGBA 16384 x 16385", texload_test::PngFirstRow(16384, 16385, 8, PNG_COLOR_TYPE_RGB_ALPHA)},
        {"TGA RLE 65535 x 65535", BuildTga(targa)},
        {"PPM 30000 x 30000", TextBytes("P6 30000 30000 255\n123")},
        {"DDS DXT1 65536 x 65536",
         BuildDds(DdsLayout{
             .width = 65536, .height = 65536, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '1'), .dataBytes = 64})},
    };
    AllocationLimit memory(1 << 20);
    for (const Case& c : cases) {
        Image image;
        EXPECT_EQ(Decode(c.file, &image), ERR_IMAGETOOLARGE) << c.name;
        EXPECT_EQ(image.pixels, nullptr) << c.name;
    }
}

TEST(ImageLimit, PngTooSmallToHoldItsRowsIsRefusedBeforeAllocating) {
    // deflate packs at most 1032 bytes into one, so a file of a few hundred
    // bytes cannot hold the rows of these pictures; with image memory capped
    // at 1 MiB, allocating their pixels would fail instead.
    AllocationLimit memory(1 << 20);
    EXPECT_EQ(ReadWith(ReadPng, texload_test::PngFirstRow(4096, 4096, 8, PNG_COLOR_TYPE_RGB_ALPHA)), E_FAIL);
    EXPECT_EQ(ReadWith(ReadPng, texload_test::PngFirstRow(2048, 2048, 1, PNG_COLOR_TYPE_GRAY)), E_FAIL);
}

TEST(ImageLimit, PngKeepsLibpngsMillionRows) {
    // A picture one pixel wide is far inside the pixel limit at a million
    // rows, but each row has a cost of its own. Padding after the end chunk
    // gets the files past the size check; with image memory capped, the
    // header that libpng takes fails at the allocation instead.
    AllocationLimit memory(1 << 19);
    auto padded = [](uint32_t rows) {
        Bytes file = texload_test::PngFirstRow(1, rows, 8, PNG_COLOR_TYPE_GRAY);
        file.resize(file.size() + 4096, 0);
        return file;
    };
    EXPECT_EQ(ReadWith(ReadPng, padded(1000000)), E_OUTOFMEMORY);
    EXPECT_EQ(ReadWith(ReadPng, padded(1000001)), E_FAIL);
}

TEST(ImageLimit, PngOfZerosAtZlibsBestStillDecodes) {
    // Nearly 1000 to 1 in the data: close to deflate's bound, never beyond.
    const Bytes file = texload_test::ZeroPng(2048, 2048);
    ASSERT_LT(file.size(), 2048u * 2048 / 8 / 800);
    Image image;
    EXPECT_EQ(Decode(file, &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_L8);
}

// libjpeg's standard script for the progressive tests: scans by number.
constexpr int GREY_FIRST_AC_SCAN = 1;  // of 6, each over every block

TEST(ReadJpeg, ManyTinyScansAreRefusedAfterAHundredPasses) {
    // The nature of a 66 KB bomb of 2,000 scans: each scan a few bytes that
    // end early, each still walking every block of the picture.
    const Bytes grey = EncodeJpeg(JpegLayout{.width = 512, .height = 512, .components = 1, .progressive = true});
    const Bytes bomb = texload_test::RepeatScan(grey, GREY_FIRST_AC_SCAN, 2000, 24);
    EXPECT_EQ(ReadWith(ReadJpeg, bomb), E_FAIL);
    Image image;
    EXPECT_EQ(Decode(bomb, &image), ERR_INVALIDDATA);

    // The bound itself: 100 scans over every block decode, 101 do not.
    EXPECT_EQ(ReadWith(ReadJpeg, texload_test::RepeatScan(grey, GREY_FIRST_AC_SCAN, 98)), S_OK);
    EXPECT_EQ(ReadWith(ReadJpeg, texload_test::RepeatScan(grey, GREY_FIRST_AC_SCAN, 99)), E_FAIL);
}

TEST(ReadJpeg, ScansOverSmallComponentsStopAtAThousand) {
    // Y sampled 4 x 4 against one block of each chroma component (scanned
    // one component at a time, as an interleaved scan of 18 blocks is not
    // allowed): a chroma scan is an eighteenth of a pass, so only the scan
    // count stops a run of them.
    std::vector<jpeg_scan_info> script;
    for (int band = 0; band < 2; ++band) {
        for (int c = 0; c < 3; ++c) {
            jpeg_scan_info info{};
            info.comps_in_scan = 1;
            info.component_index[0] = c;
            info.Ss = band == 0 ? 0 : 1;
            info.Se = band == 0 ? 0 : 63;
            script.push_back(info);
        }
    }
    const Bytes colour = EncodeJpeg(JpegLayout{.width = 32, .height = 32, .lumaSampling = 4, .script = script});
    const int crAc = 5;
    EXPECT_EQ(ReadWith(ReadJpeg, texload_test::RepeatScan(colour, crAc, 994)), S_OK);    // 1000 scans
    EXPECT_EQ(ReadWith(ReadJpeg, texload_test::RepeatScan(colour, crAc, 995)), E_FAIL);  // 1001
}

TEST(ReadJpeg, ScanScriptsAsFineAsLibjpegWritesThemDecode) {
    auto scan = [](std::initializer_list<int> components, int ss, int se, int ah, int al) {
        jpeg_scan_info info{};
        for (int c : components) info.component_index[info.comps_in_scan++] = c;
        info.Ss = ss;
        info.Se = se;
        info.Ah = ah;
        info.Al = al;
        return info;
    };
    // Grey, 100 scans over every block: the DC and 49 single AC coefficients
    // in two halves of their bits, the rest of the AC band in one.
    std::vector<jpeg_scan_info> grey = {scan({0}, 0, 0, 0, 1)};
    for (int k = 1; k < 50; ++k) grey.push_back(scan({0}, k, k, 0, 1));
    grey.push_back(scan({0}, 50, 63, 0, 1));
    grey.push_back(scan({0}, 0, 0, 1, 0));
    for (int k = 1; k < 49; ++k) grey.push_back(scan({0}, k, k, 1, 0));
    ASSERT_EQ(grey.size(), 100u);
    // Colour 4:2:0: every AC coefficient of Y on its own, chroma in one band.
    std::vector<jpeg_scan_info> colour = {scan({0, 1, 2}, 0, 0, 0, 0)};
    for (int k = 1; k < 64; ++k) colour.push_back(scan({0}, k, k, 0, 0));
    colour.push_back(scan({1}, 1, 63, 0, 0));
    colour.push_back(scan({2}, 1, 63, 0, 0));
    const JpegLayout layouts[] = {
        {.width = 64, .height = 48, .components = 1, .script = grey},
        {.width = 64, .height = 48, .components = 3, .script = colour},
        {.width = 64, .height = 48, .components = 3, .progressive = true},
        {.width = 64, .height = 48, .components = 1, .progressive = true},
    };
    for (const JpegLayout& layout : layouts) {
        const Bytes file = EncodeJpeg(layout);
        Image image;
        EXPECT_EQ(Decode(file, &image), S_OK)
            << layout.components << " components, " << (layout.script.empty() ? "standard" : "own") << " script";
    }
}

TEST(ReadJpeg, ProgressiveFilesOfEveryKindDecodeWholeAndCut) {
    // Flat pictures code a DC scan in one bit a block and an AC scan in an
    // end-of-band run per 32767 blocks: the fewest bytes a Huffman coder
    // writes.
    // Sizes off the MCU grid give edge blocks; arithmetic coding goes below
    // a bit a block.
    using texload_test::JpegPicture;
    const JpegLayout layouts[] = {
        {.width = 250, .height = 190, .components = 1, .progressive = true, .picture = JpegPicture::FLAT},
        {.width = 250, .height = 190, .components = 1, .progressive = true, .picture = JpegPicture::NOISE},
        {.width = 250,
         .height = 190,
         .components = 1,
         .progressive = true,
         .picture = JpegPicture::FLAT,
         .restartInterval = 1},
        {.width = 250, .height = 190, .components = 3, .progressive = true, .picture = JpegPicture::FLAT},
        {.width = 250, .height = 190, .components = 3, .progressive = true, .picture = JpegPicture::NOISE},
        {.width = 250,
         .height = 190,
         .components = 3,
         .progressive = true,
         .picture = JpegPicture::FLAT,
         .restartInterval = 3},
        {.width = 250,
         .height = 190,
         .components = 3,
         .lumaSampling = 1,
         .progressive = true,
         .picture = JpegPicture::FLAT},
        {.width = 250,
         .height = 190,
         .components = 3,
         .lumaSampling = 1,
         .progressive = true,
         .picture = JpegPicture::NOISE,
         .restartInterval = 2},
        {.width = 1000,
         .height = 1000,
         .components = 1,
         .progressive = true,
         .picture = JpegPicture::FLAT,
         .arithmetic = true},
        {.width = 1000,
         .height = 1000,
         .components = 3,
         .progressive = true,
         .picture = JpegPicture::FLAT,
         .arithmetic = true},
    };
    for (const JpegLayout& layout : layouts) {
        const Bytes file = EncodeJpeg(layout);
        SCOPED_TRACE(testing::Message() << layout.components << " components, sampling " << layout.lumaSampling
                                        << ", picture " << static_cast<int>(layout.picture) << ", restart interval "
                                        << layout.restartInterval << (layout.arithmetic ? ", arithmetic" : ""));
        Image image;
        ASSERT_EQ(Decode(file, &image), S_OK);
        EXPECT_EQ(image.format, layout.components == 1 ? D3DFMT_L8 : D3DFMT_X8R8G8B8);
        EXPECT_EQ(image.rect.right, static_cast<LONG>(layout.width));
        // A partial download: the scan it stops in is short, the rest are
        // missing.
        for (int fromLast = 0; fromLast < 3; ++fromLast) {
            Image cut;
            EXPECT_EQ(Decode(texload_test::CutInScan(file, fromLast), &cut), S_OK)
                << "cut in scan " << fromLast << " from the end";
        }
    }
}

TEST(ReadJpeg, ScansTooShortForTheirBlocksAreRefusedBeforeDecoding) {
    using texload_test::JpegPicture;
    using texload_test::RepeatScan;
    const size_t greyScanHeader = 10;    // marker, length, 1 component, band
    const size_t colourScanHeader = 14;  // 3 components
    const Bytes grey = EncodeJpeg(
        JpegLayout{.width = 64, .height = 48, .components = 1, .progressive = true, .picture = JpegPicture::NOISE});
    const Bytes colour =
        EncodeJpeg(JpegLayout{.width = 64, .height = 48, .progressive = true, .picture = JpegPicture::NOISE});
    // One empty scan is what a cut file has; two are not.
    const int firstDcScan = 0;
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, GREY_FIRST_AC_SCAN, 1, greyScanHeader)), S_OK);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, GREY_FIRST_AC_SCAN, 2, greyScanHeader)), E_FAIL);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, firstDcScan, 1, greyScanHeader)), S_OK);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, firstDcScan, 2, greyScanHeader)), E_FAIL);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(colour, firstDcScan, 1, colourScanHeader)), S_OK);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(colour, firstDcScan, 2, colourScanHeader)), E_FAIL);
    // DC scans below half a bit a block (48 blocks: 3 bytes).
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, firstDcScan, 2, greyScanHeader + 2)), E_FAIL);
    EXPECT_EQ(ReadWith(ReadJpeg, RepeatScan(grey, firstDcScan, 2, greyScanHeader + 3)), S_OK);

    // The bomb's kind over 4096 x 4096 blocks' worth of coefficients (32
    // MB): 50 scans, empty or of 4 bytes where an AC scan of 262144 blocks
    // needs 9. Refused before libjpeg allocates, with or without a cap on
    // memory.
    const Bytes large = EncodeJpeg(
        JpegLayout{.width = 4096, .height = 4096, .components = 1, .progressive = true, .picture = JpegPicture::FLAT});
    const Bytes bombs[] = {
        RepeatScan(large, GREY_FIRST_AC_SCAN, 50, greyScanHeader),
        RepeatScan(large, GREY_FIRST_AC_SCAN, 50, greyScanHeader + 4),
    };
    for (uint64_t cap : {uint64_t{0}, uint64_t{4} << 20}) {
        AllocationLimit memory(cap);
        for (const Bytes& bomb : bombs) {
            EXPECT_EQ(ReadWith(ReadJpeg, bomb), E_FAIL) << "cap " << cap;
            Image image;
            EXPECT_EQ(Decode(bomb, &image), ERR_INVALIDDATA) << "cap " << cap;
        }
    }
}

}  // namespace
