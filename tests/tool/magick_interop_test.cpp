// Interoperability with ImageMagick: it reads the DDS files the tool writes,
// and the tool reads the DDS files it writes. Skipped without ImageMagick.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tool_runner.h"

namespace {

using namespace tool_test;

std::string Magick() {
    return FindProgram({"magick", "convert"});
}

Picture Pattern(unsigned size) {
    Picture picture{size, size, {}};
    for (unsigned y = 0; y < size; ++y) {
        for (unsigned x = 0; x < size; ++x) {
            const uint32_t r = x * 255 / (size - 1), g = y * 255 / (size - 1), b = ((x / 8 + y / 8) % 2) * 160 + 40;
            const uint32_t a = 96 + (y * 159) / (size - 1);
            picture.pixels.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    }
    return picture;
}

// Mean and worst channel difference; colour only when withAlpha is false.
void ExpectClose(const Picture& a, const Picture& b, bool withAlpha, double mean, int worst) {
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    double total = 0;
    int largest = 0;
    const int channels = withAlpha ? 4 : 3;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int c = 0; c < channels; ++c) {
            const int d = std::abs(int((a.pixels[i] >> (8 * c)) & 0xFF) - int((b.pixels[i] >> (8 * c)) & 0xFF));
            total += d;
            largest = std::max(largest, d);
        }
    }
    EXPECT_LE(total / (a.pixels.size() * channels), mean);
    EXPECT_LE(largest, worst);
}

class MagickInterop : public testing::Test {
protected:
    void SetUp() override {
        magick_ = Magick();
        if (magick_.empty()) GTEST_SKIP() << "ImageMagick not found";
        dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string magick_, dir_;
};

TEST_F(MagickInterop, ImageMagickReadsOurDdsFilesAsWeDo) {
    struct Case {
        const char* format;
        bool withAlpha;  // DXT1 here is opaque
        double mean;     // decoders of the same blocks may round interpolated colours differently
        int worst;
    };
    const Case cases[] = {{"A8R8G8B8", true, 0, 0}, {"DXT1", false, 0.5, 3}, {"DXT5", true, 0.5, 3}};
    WriteFile(Path("in.png"), PngOf(Pattern(64)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string dds = Path(std::string(c.format) + ".dds");
        RunResult run = Tovtex({"convert", "-f", Path("in.png"), dds, "--format", c.format});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ASSERT_EQ(Tovtex({"decode", "-f", dds, Path("ours.png")}).exitCode, 0);
        const std::string theirs = Path(std::string("theirs_") + c.format + ".png");
        run = RunProgram({magick_, dds + "[0]", "-depth", "8", "PNG32:" + theirs});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        Picture ours, imageMagick;
        ASSERT_TRUE(DecodeToPicture(ReadFile(Path("ours.png")), &ours));
        ASSERT_TRUE(DecodeToPicture(ReadFile(theirs), &imageMagick));
        ExpectClose(imageMagick, ours, c.withAlpha, c.mean, c.worst);
    }
}

TEST_F(MagickInterop, WeReadTheDdsFilesImageMagickWrites) {
    struct Case {
        const char* compression;
        const char* format;  // as our reader sees it
        double mean;         // against the source picture
        int worst;
    };
    const Case cases[] = {{"none", "A8R8G8B8", 0, 0}, {"dxt1", "DXT1", 4, 24}, {"dxt5", "DXT5", 3.5, 24}};
    const Picture source = Pattern(64);
    WriteFile(Path("in.png"), PngOf(source));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.compression);
        const std::string dds = Path(std::string(c.compression) + ".dds");
        RunResult run = RunProgram({magick_, Path("in.png"), "-define", std::string("dds:compression=") + c.compression,
                                    "-define", "dds:mipmaps=3", dds});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        run = Tovtex({"info", dds});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, dds + ": DDS " + c.format + " 64x64, depth 1, 4 levels, 1 face\n");
        ASSERT_EQ(Tovtex({"decode", "-f", dds, Path("ours.png")}).exitCode, 0);
        Picture decoded;
        ASSERT_TRUE(DecodeToPicture(ReadFile(Path("ours.png")), &decoded));
        // DXT1 keeps colour only; its alpha is all or nothing.
        ExpectClose(decoded, source, std::string(c.compression) != "dxt1", c.mean, c.worst);
        // A stored lower level, read as stored.
        run = Tovtex({"decode", "-f", dds, Path("level3.png"), "--level", "3"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
    }
}

}  // namespace
