// DDS layouts the library's reader refuses or misreads, read by the tool:
// hand-built files, one row per layout, decoded and described through the
// command line; files still refused name their cause; volumes stay volumes.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dds_front_end.h"
#include "tool_runner.h"

namespace {

using namespace tool_test;

struct PixelFormat {
    uint32_t flags, fourCC, bits, red, green, blue, alpha;
};

constexpr uint32_t Code(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}

void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// A header of width x height with the pixel format; dxgi above 0 adds the
// DX10 extension (array size given); depth above 1 makes a volume.
std::vector<uint8_t> Header(uint32_t width, uint32_t height, const PixelFormat& format, uint32_t dxgi = 0,
                            uint32_t arraySize = 1, uint32_t depth = 1, uint32_t levels = 1) {
    std::vector<uint8_t> bytes(dxgi > 0 ? 148 : 128, 0);
    std::memcpy(bytes.data(), "DDS ", 4);
    Put(bytes, 4, 124);
    Put(bytes, 8, 0x1007 | (depth > 1 ? 0x800000 : 0));
    Put(bytes, 12, height);
    Put(bytes, 16, width);
    Put(bytes, 24, depth);
    Put(bytes, 28, levels);
    Put(bytes, 76, 32);
    Put(bytes, 80, dxgi > 0 ? 0x4 : format.flags);
    Put(bytes, 84, dxgi > 0 ? Code("DX10") : format.fourCC);
    Put(bytes, 88, format.bits);
    Put(bytes, 92, format.red);
    Put(bytes, 96, format.green);
    Put(bytes, 100, format.blue);
    Put(bytes, 104, format.alpha);
    Put(bytes, 108, 0x1000);
    Put(bytes, 112, depth > 1 ? 0x200000 : 0);
    if (dxgi > 0) {
        Put(bytes, 128, dxgi);
        Put(bytes, 132, depth > 1 ? 4 : 3);
        Put(bytes, 140, arraySize);
    }
    return bytes;
}

// A BC4 block (as the alpha half of DXT5): endpoints 200 and 100, texel 0
// index 0 (200), texel 1 index 1 (100), the others index 0.
const std::vector<uint8_t> BC4_BLOCK = {200, 100, 0x08, 0, 0, 0, 0, 0};
const std::vector<uint8_t> BC4_BLOCK_50 = {50, 50, 0, 0, 0, 0, 0, 0};
// A BC1 block: colour 0 pure red, every texel index 0.
const std::vector<uint8_t> BC1_RED = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0};

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class DdsFrontEndTest : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(DdsFrontEndTest, LayoutsAreReadWithTheirChannelsInPlace) {
    struct Case {
        const char* name;  // as info shows it
        std::vector<uint8_t> file;
        std::vector<uint32_t> texels;  // A8R8G8B8 of the 2 x 1 top level
    };
    const PixelFormat none{};
    const Case cases[] = {
        {"R8G8B8", Join({Header(2, 1, {0x40, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0}), {0x30, 0x20, 0x10, 3, 2, 1}}),
         {0xFF102030, 0xFF010203}},
        {"X8B8G8R8", Join({Header(2, 1, {0x40, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0}), {0x10, 0x20, 0x30, 0x99, 1, 2, 3, 4}}),
         {0xFF102030, 0xFF010203}},
        {"A8B8G8R8",
         Join({Header(2, 1, {0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}), {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4}}),
         {0x40102030, 0x04010203}},
        {"L8", Join({Header(2, 1, {0x20000, 0, 8, 0xFF, 0, 0, 0}), {0x00, 0x7F}}), {0xFF000000, 0xFF7F7F7F}},
        {"A8L8", Join({Header(2, 1, {0x20001, 0, 16, 0xFF, 0, 0, 0xFF00}), {0x10, 0x80, 0xFF, 0x00}}),
         {0x80101010, 0x00FFFFFF}},
        {"L16", Join({Header(2, 1, {0x20000, 0, 16, 0xFFFF, 0, 0, 0}), {0xFF, 0xFF, 0x80, 0x80}}),
         {0xFFFFFFFF, 0xFF808080}},
        {"A8", Join({Header(2, 1, {0x2, 0, 8, 0, 0, 0, 0xFF}), {0x00, 0x90}}), {0x00FFFFFF, 0x90FFFFFF}},
        {"DXGI_FORMAT_R8G8B8A8_UNORM", Join({Header(2, 1, none, 28), {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4}}),
         {0x40102030, 0x04010203}},
        {"DXGI_FORMAT_B8G8R8A8_UNORM_SRGB", Join({Header(2, 1, none, 91), {0x30, 0x20, 0x10, 0x40, 3, 2, 1, 4}}),
         {0x40102030, 0x04010203}},
        {"DXGI_FORMAT_B8G8R8X8_UNORM", Join({Header(2, 1, none, 88), {0x30, 0x20, 0x10, 0x00, 3, 2, 1, 0}}),
         {0xFF102030, 0xFF010203}},
        {"DXGI_FORMAT_B5G6R5_UNORM", Join({Header(2, 1, none, 85), {0x00, 0xF8, 0x1F, 0x00}}),
         {0xFFFF0000, 0xFF0000FF}},
        {"DXGI_FORMAT_B5G5R5A1_UNORM", Join({Header(2, 1, none, 86), {0xE0, 0x83, 0x1F, 0x00}}),
         {0xFF00FF00, 0x000000FF}},
        {"DXGI_FORMAT_BC1_UNORM", Join({Header(2, 1, none, 71), BC1_RED}), {0xFFFF0000, 0xFFFF0000}},
        {"DXGI_FORMAT_BC3_UNORM_SRGB", Join({Header(2, 1, none, 78), {255, 255, 0, 0, 0, 0, 0, 0}, BC1_RED}),
         {0xFFFF0000, 0xFFFF0000}},
        {"BC4 (ATI1)", Join({Header(2, 1, {0x4, Code("ATI1"), 0, 0, 0, 0, 0}), BC4_BLOCK}), {0xFFC8C8C8, 0xFF646464}},
        {"DXGI_FORMAT_BC4_UNORM", Join({Header(2, 1, none, 80), BC4_BLOCK}), {0xFFC8C8C8, 0xFF646464}},
        {"BC5 (ATI2)", Join({Header(2, 1, {0x4, Code("ATI2"), 0, 0, 0, 0, 0}), BC4_BLOCK, BC4_BLOCK_50}),
         {0xFFC83200, 0xFF643200}},
        {"DXGI_FORMAT_BC5_UNORM", Join({Header(2, 1, none, 83), BC4_BLOCK, BC4_BLOCK_50}), {0xFFC83200, 0xFF643200}},
        // Studio-range white and black sharing one pair of chroma samples.
        {"UYVY", Join({Header(2, 1, {0x4, Code("UYVY"), 0, 0, 0, 0, 0}), {128, 235, 128, 16}}), {0xFFFFFFFF, 0xFF000000}},
        {"YUY2", Join({Header(2, 1, {0x4, Code("YUY2"), 0, 0, 0, 0, 0}), {235, 128, 16, 128}}), {0xFFFFFFFF, 0xFF000000}},
        {"DXGI_FORMAT_YUY2", Join({Header(2, 1, none, 107), {235, 128, 16, 128}}), {0xFFFFFFFF, 0xFF000000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(Path("in.dds"), c.file);
        RunResult run = Tovtex({"info", Path("in.dds")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, Path("in.dds") + ": DDS " + c.name + " 2x1, depth 1, 1 level, 1 face\n");
        std::filesystem::remove(Path("out.png"));
        run = Tovtex({"decode", Path("in.dds"), Path("out.png")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        Picture picture;
        ASSERT_TRUE(DecodeToPicture(ReadFile(Path("out.png")), &picture));
        EXPECT_EQ(picture.pixels, c.texels);
        // And through convert: the loaded texture keeps them (a block
        // format's texture may be padded to whole blocks). Luminance,
        // alpha-only and YUV files keep their format, which only the tool
        // reads.
        std::filesystem::remove(Path("out.dds"));
        run = Tovtex({"convert", Path("in.dds"), Path("out.dds"), "--mips", "none", "--filter", "none"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        run = Tovtex({"decode", "-f", Path("out.dds"), Path("out.png")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ASSERT_TRUE(DecodeToPicture(ReadFile(Path("out.png")), &picture));
        ASSERT_GE(picture.width, 2u);
        EXPECT_EQ(std::vector<uint32_t>(picture.pixels.begin(), picture.pixels.begin() + 2), c.texels);
    }
    // Levels claimed past 1 x 1 are extra bytes, as the library reads them.
    WriteFile(Path("in.dds"), Join({Header(2, 1, {0x40, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0}, 0, 1, 1, 5),
                                    std::vector<uint8_t>(6 + 3 + 9)}));
    const RunResult run = Tovtex({"info", Path("in.dds")});
    EXPECT_EQ(run.out, Path("in.dds") + ": DDS R8G8B8 2x1, depth 1, 2 levels, 1 face\n") << run.err;
}

TEST_F(DdsFrontEndTest, FilesStillUnsupportedOrBrokenNameTheirCause) {
    struct Case {
        std::vector<uint8_t> file;
        const char* message;
    };
    const PixelFormat none{};
    std::vector<uint8_t> huge = Header(1u << 31, 1u << 31, {0x4, Code("ATI1"), 0, 0, 0, 0, 0});
    const Case cases[] = {
        {Join({Header(4, 4, none, 98), std::vector<uint8_t>(16)}), "BC7 compression is not supported"},
        {Join({Header(4, 4, none, 95), std::vector<uint8_t>(16)}), "BC6H compression is not supported"},
        {Join({Header(4, 4, none, 71, 3), std::vector<uint8_t>(24)}), "texture arrays (3 layers) are not supported"},
        {Join({Header(4, 4, {0x4, Code("ETC2"), 0, 0, 0, 0, 0}), std::vector<uint8_t>(16)}),
         "FourCC 'ETC2' is not supported"},
        {Join({Header(4, 4, {0x4, 113, 0, 0, 0, 0, 0}), std::vector<uint8_t>(128)}),
         "format code 113 is not supported"},
        {Join({Header(4, 4, {0x4, Code("BC5S"), 0, 0, 0, 0, 0}), std::vector<uint8_t>(16)}),
         "signed BC5 compression is not supported"},
        {Join({Header(8, 4, {0x4, Code("ATI1"), 0, 0, 0, 0, 0}), BC4_BLOCK}), "the file ends before its pixel data does"},
        {Join({Header(4, 4, {0x40, 0, 32, 0xFF, 0x1FF, 0xFF0000, 0}), std::vector<uint8_t>(64)}),
         "the pixel layout's channel masks are not supported"},
        {huge, "the picture is larger than the pixel limit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        WriteFile(Path("bad.dds"), c.file);
        for (const char* command : {"info", "decode", "convert"}) {
            std::vector<std::string> args = {command, Path("bad.dds")};
            if (std::string(command) != "info") args.push_back(Path(command == std::string("decode") ? "o.png" : "o.dds"));
            const RunResult run = Tovtex(args);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_NE(run.err.find(Path("bad.dds") + ": "), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        }
    }
}

TEST_F(DdsFrontEndTest, VolumesKeepTheirDepthThroughInfoDecodeAndConvert) {
    // 2 x 1 x 2, two levels: the second 1 x 1 x 1. A8B8G8R8, so the front end
    // converts it.
    const PixelFormat abgr{0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000};
    const std::vector<uint8_t> file =
        Join({Header(2, 1, abgr, 0, 1, 2, 2),
              {0x10, 0x20, 0x30, 0xFF, 0x11, 0x21, 0x31, 0xFF, 0x50, 0x60, 0x70, 0xFF, 0x51, 0x61, 0x71, 0xFF},
              {0x90, 0xA0, 0xB0, 0xFF}});
    WriteFile(Path("v.dds"), file);
    RunResult run = Tovtex({"info", Path("v.dds")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Path("v.dds") + ": DDS A8B8G8R8 2x1, depth 2, 2 levels, 1 face\n");
    // Keep the file's own two levels: a full chain of 2 x 1 x 2 has two.
    run = Tovtex({"convert", Path("v.dds"), Path("out.dds"), "--filter", "none"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Tovtex({"info", Path("out.dds")});
    EXPECT_EQ(run.out, Path("out.dds") + ": DDS A8R8G8B8 2x1, depth 2, 2 levels, 1 face\n");
    struct Slice {
        const char* level;
        const char* slice;
        std::vector<uint32_t> texels;
    };
    const Slice slices[] = {{"0", "0", {0xFF102030, 0xFF112131}},
                            {"0", "1", {0xFF506070, 0xFF516171}},
                            {"1", "0", {0xFF90A0B0}}};
    for (const char* name : {"v.dds", "out.dds"}) {
        for (const Slice& s : slices) {
            SCOPED_TRACE(std::string(name) + " level " + s.level + " slice " + s.slice);
            std::filesystem::remove(Path("s.png"));
            run = Tovtex({"decode", Path(name), Path("s.png"), "--level", s.level, "--slice", s.slice});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            Picture picture;
            ASSERT_TRUE(DecodeToPicture(ReadFile(Path("s.png")), &picture));
            EXPECT_EQ(picture.pixels, s.texels);
        }
    }
    run = Tovtex({"decode", Path("v.dds"), Path("s2.png"), "--slice", "2"});
    EXPECT_EQ(run.exitCode, 1);
    run = Tovtex({"convert", Path("v.dds"), Path("c.dds"), "--cube"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("not a cube map"), std::string::npos) << run.err;
}

// Files the library reads right go to it untouched: same bytes, no copy.
TEST(DdsFrontEndPassThrough, LeavesTheLibrarysOwnLayoutsAlone) {
    const std::vector<uint8_t> argb = Join({Header(2, 1, {0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}),
                                            std::vector<uint8_t>(8, 7)});
    const std::vector<uint8_t> dxt = Join({Header(4, 4, {0x4, Code("DXT1"), 0, 0, 0, 0, 0}), BC1_RED});
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G'};
    for (const auto* file : {&argb, &dxt, &png}) {
        tovtex_tool::DdsFrontEnd frontEnd;
        std::string reason;
        EXPECT_EQ(tovtex_tool::ReadDdsFrontEnd(file->data(), static_cast<UINT>(file->size()), &frontEnd, &reason), S_OK);
        EXPECT_FALSE(frontEnd.applied);
        EXPECT_EQ(frontEnd.file.data, nullptr);
    }
}

}  // namespace
