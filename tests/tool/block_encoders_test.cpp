// tovtex convert's block encoders: fast writes the library's own bytes,
// normal and best write the same bytes on any number of threads, lose no
// more than fast does, and DXT1 keeps the asked alpha threshold.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "base/com_ref.h"
#include "d3d8_profiles.h"
#include "dds_writer.h"
#include "support/device_fixture.h"
#include "support/lcg.h"
#include "tool_runner.h"
#include "tovtex.h"

namespace {

using namespace tool_test;

// Every channel varies from pixel to pixel, so that an encoder's choices
// show in its bytes; alpha spans the whole range.
Picture Noise(unsigned width, unsigned height, uint32_t seed) {
    Picture picture{width, height, {}};
    test_support::Lcg random{seed};
    for (unsigned i = 0; i < width * height; ++i) {
        picture.pixels.push_back(random.Step());
    }
    return picture;
}

// Smooth colour ramps with hard edges and an alpha ramp across: blocks of
// every kind an encoder meets in real art.
Picture Art(unsigned width, unsigned height, bool translucent) {
    Picture picture{width, height, {}};
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const bool stripe = (x / 5 + y / 7) % 3 == 0;
            const uint32_t r = stripe ? 240 : x * 255 / (width - 1);
            const uint32_t g = stripe ? 30 : (y * 255 / (height - 1) + x) & 0xFF;
            const uint32_t b = (x * y) % 256;
            const uint32_t a = translucent ? x * 255 / (width - 1) : 255;
            picture.pixels.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    }
    return picture;
}

struct Error {
    double rgb = 0;    // each texel's colour weighted by its alpha
    double alpha = 0;  // alpha channel alone
};

Error Measure(const Picture& source, const Picture& decoded) {
    double rgb = 0, alpha = 0, weight = 0;
    for (size_t i = 0; i < source.pixels.size(); ++i) {
        const uint32_t s = source.pixels[i], d = decoded.pixels[i];
        const double w = (s >> 24) / 255.0;
        for (int shift : {0, 8, 16}) {
            const double e = double((s >> shift) & 0xFF) - double((d >> shift) & 0xFF);
            rgb += w * e * e;
        }
        weight += 3 * w;
        const double e = double(s >> 24) - double(d >> 24);
        alpha += e * e;
    }
    return {weight > 0 ? std::sqrt(rgb / weight) : 0, std::sqrt(alpha / source.pixels.size())};
}

class BlockEncoders : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        // The device the tool makes: its default profile, no window.
        ASSERT_TRUE(platform::SelectDeviceProfile("default"));
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 1;
        params.BackBufferHeight = 1;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.Windowed = TRUE;
        CreateDevice(params);
        dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        DeviceTest::TearDown();
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::vector<uint8_t> Convert(const std::vector<std::string>& args) {
        const RunResult run = Tovtex(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        // The output: the second file named after the options that lead.
        return ReadFile(args[args[1] == "-f" ? 3 : 2]);
    }

    Picture DecodeTop(const std::string& dds) {
        const RunResult run = Tovtex({"decode", "-f", dds, Path("top.png")});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        Picture picture;
        EXPECT_TRUE(DecodeToPicture(ReadFile(Path("top.png")), &picture));
        return picture;
    }

    std::string dir_;
};

const struct {
    const char* name;
    D3DFORMAT format;
} BLOCK_FORMATS[] = {
    {"DXT1", D3DFMT_DXT1}, {"DXT2", D3DFMT_DXT2}, {"DXT3", D3DFMT_DXT3}, {"DXT4", D3DFMT_DXT4}, {"DXT5", D3DFMT_DXT5}};

TEST_F(BlockEncoders, FastWritesTheLibrarysOwnBytes) {
    // 64 x 32 down to 1 x 1: the lowest levels are partial blocks.
    const std::vector<uint8_t> png = PngOf(Noise(64, 32, 99));
    WriteFile(Path("in.png"), png);
    const UINT size = static_cast<UINT>(png.size());
    for (const auto& f : BLOCK_FORMATS) {
        SCOPED_TRACE(f.name);
        // One level: what the library's loader makes of the file.
        ComRef<IDirect3DTexture8> loaded;
        ASSERT_EQ(
            LoadTextureFromMemory(device_, png.data(), size, DEFAULT_ARG, DEFAULT_ARG, 1, 0, f.format, D3DPOOL_MANAGED,
                                  FILTER_DEFAULT, FILTER_DEFAULT, 0, nullptr, nullptr, loaded.Out()),
            D3D_OK);
        std::vector<BYTE> expected;
        ASSERT_EQ(tovtex_tool::TextureToDds(loaded.Get(), &expected), D3D_OK);
        EXPECT_EQ(Convert({"convert", "-f", Path("in.png"), Path("one.dds"), "--quality", "fast", "--mips", "none",
                           "--format", f.name}),
                  expected);

        // A chain: each level the library's copy of the uncompressed level.
        ComRef<IDirect3DTexture8> chain, blocks;
        ASSERT_EQ(
            LoadTextureFromMemory(device_, png.data(), size, DEFAULT_ARG, DEFAULT_ARG, 0, 0, D3DFMT_A8R8G8B8,
                                  D3DPOOL_MANAGED, FILTER_DEFAULT, FILTER_DEFAULT, 0, nullptr, nullptr, chain.Out()),
            D3D_OK);
        const UINT levels = chain->GetLevelCount();
        ASSERT_EQ(levels, 7u);
        ASSERT_EQ(device_->CreateTexture(64, 32, levels, 0, f.format, D3DPOOL_SYSTEMMEM, blocks.Out()), D3D_OK);
        for (UINT level = 0; level < levels; ++level) {
            ComRef<IDirect3DSurface8> from, to;
            ASSERT_EQ(chain->GetSurfaceLevel(level, from.Out()), D3D_OK);
            ASSERT_EQ(blocks->GetSurfaceLevel(level, to.Out()), D3D_OK);
            ASSERT_EQ(CopySurfaceToSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, FILTER_NONE, 0),
                      D3D_OK);
        }
        ASSERT_EQ(tovtex_tool::TextureToDds(blocks.Get(), &expected), D3D_OK);
        EXPECT_EQ(Convert({"convert", "-f", Path("in.png"), Path("chain.dds"), "--quality", "fast", "--format", f.name}),
                  expected);
    }
}

TEST_F(BlockEncoders, AnyThreadCountWritesTheSameBytes) {
    // Chains of 16 block rows at the top and partial blocks at the
    // bottom; a one-level picture of a size no power of two.
    WriteFile(Path("in.png"), PngOf(Noise(64, 64, 5)));
    WriteFile(Path("odd.png"), PngOf(Noise(52, 36, 6)));
    std::vector<BYTE> cube = tovtex_tool::DdsHeader({D3DFMT_A8R8G8B8, 16, 16, 1, true});
    for (uint32_t face = 0; face < 6; ++face) {
        const Picture picture = Noise(16, 16, 50 + face);
        tovtex_tool::AppendDdsLevel(&cube, D3DFMT_A8R8G8B8, 16, 16,
                                    reinterpret_cast<const BYTE*>(picture.pixels.data()), 16 * 4);
    }
    WriteFile(Path("cube.dds"), cube);
    const struct {
        const char* input;
        std::vector<std::string> options;
    } cases[] = {
        {"in.png", {"--format", "DXT5"}},
        {"in.png", {"--format", "DXT1", "--quality", "best", "--alpha-threshold", "90"}},
        {"odd.png", {"--format", "DXT2"}},
        {"in.png", {"--format", "DXT3", "--quality", "fast"}},
        {"odd.png", {"--format", "DXT5", "--quality", "fast"}},
        {"cube.dds", {"--format", "DXT4", "--cube", "--weights", "perceptual"}},
        {"cube.dds", {"--format", "DXT1", "--cube", "--quality", "best"}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> first;
        for (const char* jobs : {"1", "2", "3", "0"}) {
            std::vector<std::string> args{"convert", "-f", Path(c.input), Path("out.dds"), "-j", jobs};
            args.insert(args.end(), c.options.begin(), c.options.end());
            std::string joined;
            for (const std::string& a : args) joined += a + " ";
            SCOPED_TRACE(joined);
            const std::vector<uint8_t> bytes = Convert(args);
            ASSERT_GT(bytes.size(), 128u);
            if (first.empty()) {
                first = bytes;
            } else {
                EXPECT_EQ(bytes, first);
            }
        }
    }
    // A batch splits its threads between files and within them: the same
    // bytes again.
    const std::vector<uint8_t> alone = Convert({"convert", "-f", Path("in.png"), Path("alone.dds"), "--format", "DXT5"});
    std::filesystem::copy_file(Path("in.png"), Path("again.png"));
    ASSERT_EQ(Tovtex({"convert", "-f", "-j", "3", "--format", "DXT5", "-o", Path("batch"), Path("in.png"), Path("again.png")})
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(Path("batch/in.dds")), alone);
    EXPECT_EQ(ReadFile(Path("batch/again.dds")), alone);
}

TEST_F(BlockEncoders, SearchingLevelsLoseNoMoreThanFast) {
    for (const char* format : {"DXT1", "DXT3", "DXT5"}) {
        const bool translucent = std::string(format) != "DXT1";
        const Picture source = Art(64, 48, translucent);
        WriteFile(Path("in.png"), PngOf(source));
        Error fast;
        for (const char* quality : {"fast", "normal", "best"}) {
            SCOPED_TRACE(testing::Message() << format << ", " << quality);
            Convert({"convert", "-f", Path("in.png"), Path("out.dds"), "--format", format, "--mips", "none", "--quality",
                     quality});
            const Picture decoded = DecodeTop(Path("out.dds"));
            ASSERT_EQ(decoded.pixels.size(), source.pixels.size());
            const Error error = Measure(source, decoded);
            if (std::string(quality) == "fast") {
                fast = error;
                EXPECT_GT(fast.rgb, 0.5);  // the picture does test the encoders
                continue;
            }
            EXPECT_LE(error.rgb, fast.rgb);
            EXPECT_LE(error.alpha, fast.alpha);
        }
    }
}

TEST_F(BlockEncoders, Dxt1TransparencyFollowsTheAlphaThreshold) {
    // Every alpha value, four times each, in blocks of mixed alpha.
    Picture source{32, 32, {}};
    for (uint32_t i = 0; i < 32 * 32; ++i) {
        const uint32_t alpha = (i * 7) % 256;
        source.pixels.push_back(alpha << 24 | (i * 2654435761u >> 8 & 0xFFFFFF));
    }
    WriteFile(Path("in.png"), PngOf(source));
    const struct {
        const char* quality;
        const char* threshold;  // nullptr: the default
        uint32_t cut;           // alpha below this is transparent
    } cases[] = {{"normal", nullptr, 128}, {"best", nullptr, 128}, {"normal", "0", 0},    {"best", "1", 1},
                 {"normal", "200", 200},   {"best", "255", 255},   {"fast", nullptr, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.quality << ", threshold " << (c.threshold ? c.threshold : "default"));
        std::vector<std::string> args{"convert", "-f", Path("in.png"), Path("out.dds"), "--format", "DXT1",
                                      "--mips",  "none",         "--quality",     c.quality};
        if (c.threshold != nullptr) {
            args.insert(args.end(), {"--alpha-threshold", c.threshold});
        }
        Convert(args);
        const Picture decoded = DecodeTop(Path("out.dds"));
        ASSERT_EQ(decoded.pixels.size(), source.pixels.size());
        int wrong = 0;
        for (size_t i = 0; i < source.pixels.size(); ++i) {
            const uint32_t expected = (source.pixels[i] >> 24) < c.cut ? 0 : 255;
            wrong += (decoded.pixels[i] >> 24) != expected;
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
