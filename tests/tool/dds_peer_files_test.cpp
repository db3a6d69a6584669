// DDS files written by nvcompress (BC4 / ATI1, BC5 / ATI2) and ImageMagick
// (24-bit RGB without compression), which the library's reader refuses,
// read by the tool. Each peer's part is skipped when it is missing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tool_runner.h"

namespace {

using namespace tool_test;

// Grey in red, green and blue and alpha alike (whatever channel a BC4
// writer takes, it is this one) rising along x; y in green for BC5.
Picture Ramp(unsigned size, bool greenFromY) {
    Picture picture{size, size, {}};
    for (unsigned y = 0; y < size; ++y) {
        for (unsigned x = 0; x < size; ++x) {
            const uint32_t v = x * 255 / (size - 1), g = greenFromY ? y * 255 / (size - 1) : v;
            picture.pixels.push_back((greenFromY ? 0xFFu : v) << 24 | v << 16 | g << 8 | (greenFromY ? 0 : v));
        }
    }
    return picture;
}

int WorstDifference(const Picture& a, const Picture& b, uint32_t channelMask) {
    int worst = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int c = 0; c < 4; ++c) {
            if (((channelMask >> (8 * c)) & 0xFF) == 0) continue;
            worst = std::max(worst, std::abs(int((a.pixels[i] >> (8 * c)) & 0xFF) - int((b.pixels[i] >> (8 * c)) & 0xFF)));
        }
    }
    return worst;
}

class DdsPeerFiles : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    Picture Decoded(const std::string& dds) {
        const RunResult run = Tovtex({"decode", dds, Path("decoded.png")});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        Picture picture;
        EXPECT_TRUE(DecodeToPicture(ReadFile(Path("decoded.png")), &picture));
        std::filesystem::remove(Path("decoded.png"));
        return picture;
    }
    std::string dir_;
};

TEST_F(DdsPeerFiles, NvcompressBc4AndBc5) {
    const std::string nvcompress = FindProgram({"nvcompress"});
    if (nvcompress.empty()) GTEST_SKIP() << "nvcompress not found";
    struct Case {
        const char* option;
        const char* name;   // as info shows it
        bool twoChannels;   // BC5: red and green
        uint32_t compared;  // channels compared
    };
    const Case cases[] = {{"-bc4", "BC4 (ATI1)", false, 0x00FFFFFF}, {"-bc5", "BC5 (ATI2)", true, 0x00FFFF00}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const Picture source = Ramp(32, c.twoChannels);
        WriteFile(Path("in.png"), PngOf(source));
        const std::string dds = Path(std::string(c.option + 1) + ".dds");
        const RunResult made = RunProgram({nvcompress, c.option, Path("in.png"), dds});
        ASSERT_EQ(made.exitCode, 0) << made.err << made.out;
        const RunResult info = Tovtex({"info", dds});
        ASSERT_EQ(info.exitCode, 0) << info.err;
        EXPECT_EQ(info.out, dds + ": DDS " + c.name + " 32x32, depth 1, 6 levels, 1 face\n");
        const Picture ours = Decoded(dds);
        ASSERT_EQ(ours.pixels.size(), source.pixels.size());
        // Eight levels between two endpoints per block: a ramp of 8 steps
        // per 4 texels lands within a few values.
        EXPECT_LE(WorstDifference(ours, source, c.compared), 4);
        if (c.twoChannels) {
            EXPECT_EQ(WorstDifference(ours, Picture{32, 32, std::vector<uint32_t>(32 * 32, 0xFF000000)}, 0xFF0000FF), 0);
        }
    }
}

TEST_F(DdsPeerFiles, ImageMagick24BitRgbIsExact) {
    const std::string magick = FindProgram({"magick", "convert"});
    if (magick.empty()) GTEST_SKIP() << "ImageMagick not found";
    Picture source = Ramp(16, true);
    for (uint32_t& p : source.pixels) p |= 0x40;  // some blue
    WriteFile(Path("in.png"), PngOf(source));
    const RunResult made = RunProgram({magick, Path("in.png"), "-alpha", "off", "-define", "dds:compression=none",
                                       "-define", "dds:mipmaps=0", Path("rgb.dds")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const RunResult info = Tovtex({"info", Path("rgb.dds")});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, Path("rgb.dds") + ": DDS R8G8B8 16x16, depth 1, 1 level, 1 face\n");
    EXPECT_EQ(Decoded(Path("rgb.dds")).pixels, source.pixels);
}

}  // namespace
