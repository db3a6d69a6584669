// The formats and headers the tool writes beyond the library reader's
// layouts: luminance and alpha formats and DX10 headers, with their
// standard descriptions, read by nvcompress's tools and ImageMagick (each
// skipped when missing).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

using namespace tool_test;

uint32_t At(const std::vector<uint8_t>& file, size_t offset) {
    return uint32_t{file[offset]} | uint32_t{file[offset + 1]} << 8 | uint32_t{file[offset + 2]} << 16 |
           uint32_t{file[offset + 3]} << 24;
}

// Grey levels rising left to right, alpha rising top to bottom.
Picture GreyRamp(unsigned size) {
    Picture picture{size, size, {}};
    for (unsigned y = 0; y < size; ++y) {
        for (unsigned x = 0; x < size; ++x) {
            const uint32_t v = x * 255 / (size - 1), a = y * 255 / (size - 1);
            picture.pixels.push_back(a << 24 | v << 16 | v << 8 | v);
        }
    }
    return picture;
}

class DdsOut : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(DdsOut, NewFormatsAndDx10HeadersAreWrittenAndReadByPeers) {
    struct Case {
        const char* format;
        bool dx10;
        uint32_t pfFlags, bits, dxgi;
        bool magickReads;  // its DDS reader takes the layout: the grey must come back unchanged
    };
    const Case cases[] = {
        {"L8", false, 0x20000, 8, 0, true},         {"A8L8", false, 0x20001, 16, 0, false},
        {"A4L4", false, 0x20001, 8, 0, false},      {"A8", false, 0x2, 8, 0, false},
        {"A8R8G8B8", true, 0x4, 0, 87, false},       {"DXT1", true, 0x4, 0, 71, false},
        {"DXT5", true, 0x4, 0, 77, false},          {"R5G6B5", true, 0x4, 0, 85, false},
    };
    const std::string magick = FindProgram({"magick", "convert"});
    const std::string nvddsinfo = FindProgram({"nvddsinfo"});
    const std::string nvdecompress = FindProgram({"nvdecompress"});
    const Picture source = GreyRamp(32);
    WriteFile(Path("in.png"), PngOf(source));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + (c.dx10 ? " dx10" : ""));
        const std::string dds = Path(std::string(c.format) + (c.dx10 ? "_dx10" : "") + ".dds");
        std::vector<std::string> args = {"convert", Path("in.png"), dds, "--format", c.format};
        if (c.dx10) args.push_back("--dx10");
        RunResult run = Tovtex(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::vector<uint8_t> file = ReadFile(dds);
        ASSERT_GE(file.size(), 148u);
        EXPECT_EQ(At(file, 80), c.pfFlags);
        EXPECT_EQ(At(file, 88), c.bits);
        if (c.dx10) {
            EXPECT_EQ(At(file, 84), 0x30315844u);  // "DX10"
            EXPECT_EQ(At(file, 128), c.dxgi);
            EXPECT_EQ(At(file, 132), 3u);
            EXPECT_EQ(At(file, 140), 1u);
        }
        if (!nvddsinfo.empty()) {
            run = RunProgram({nvddsinfo, dds});
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
        if (!nvdecompress.empty() && c.dx10) {
            run = RunProgram({nvdecompress, dds});  // writes a .tga beside it
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
        if (!magick.empty() && c.magickReads) {
            const std::string theirs = Path(std::string("magick_") + c.format + ".png");
            run = RunProgram({magick, dds + "[0]", "-depth", "8", "PNG32:" + theirs});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            Picture read;
            ASSERT_TRUE(DecodeToPicture(ReadFile(theirs), &read));
            ASSERT_EQ(read.width, source.width);
            for (size_t i = 0; i < read.pixels.size(); ++i) {
                ASSERT_EQ(read.pixels[i] & 0xFF, source.pixels[i] & 0xFF) << "pixel " << i;
            }
        }
    }
    // A format without a DXGI code is refused before any file is read.
    RunResult run = Tovtex({"convert", Path("in.png"), Path("l8.dds"), "--format", "L8", "--dx10"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--dx10: L8 has no DXGI format"), std::string::npos) << run.err;
}

}  // namespace
