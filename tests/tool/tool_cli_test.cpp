// The tovtex command line, run as a program: round trips through every
// writable format, cube maps, failures and their exit codes, JSON output,
// batches, device profiles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "dds_writer.h"
#include "support/lcg.h"
#include "tool_runner.h"

namespace {

using namespace tool_test;

// Smooth gradients with a little structure, alpha optional.
Picture Gradient(unsigned width, unsigned height, bool translucent) {
    Picture picture{width, height, {}};
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const uint32_t r = x * 255 / (width - 1), g = y * 255 / (height - 1), b = (x + y) * 127 / (width + height);
            const uint32_t a = translucent ? 64 + (x * 191) / (width - 1) : 255;
            picture.pixels.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    }
    return picture;
}

struct Difference {
    double mean = 0;
    int worst = 0;
};

Difference Compare(const Picture& a, const Picture& b) {
    Difference d;
    if (a.width != b.width || a.height != b.height) {
        d.worst = 1000;
        return d;
    }
    double total = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int c = 0; c < 4; ++c) {
            const int diff = std::abs(int((a.pixels[i] >> (8 * c)) & 0xFF) - int((b.pixels[i] >> (8 * c)) & 0xFF));
            total += diff;
            d.worst = std::max(d.worst, diff);
        }
    }
    d.mean = total / (a.pixels.size() * 4.0);
    return d;
}

Picture DecodeFile(const std::string& path) {
    Picture picture;
    EXPECT_TRUE(DecodeToPicture(ReadFile(path), &picture)) << path;
    return picture;
}

class ToolCli : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(ToolCli, RoundTripThroughEveryWritableFormat) {
    // Codec error on smooth gradients: mean and worst channel difference.
    struct Case {
        const char* format;
        bool translucent;
        double mean;
        int worst;
    };
    const Case cases[] = {
        // clang-format off
        {"A8R8G8B8", true, 0, 0},  {"X8R8G8B8", false, 0, 0}, {"R5G6B5", false, 2.5, 8},
        {"X1R5G5B5", false, 2.5, 8}, {"A1R5G5B5", false, 2.5, 8}, {"A4R4G4B4", true, 6, 17},
        {"DXT1", false, 3.5, 20},    {"DXT2", true, 8, 48},       {"DXT3", true, 5, 20},
        {"DXT4", true, 6, 40},       {"DXT5", true, 3.5, 20},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const Picture source = Gradient(64, 32, c.translucent);
        WriteFile(Path("in.png"), PngOf(source));
        const std::string dds = Path(std::string(c.format) + ".dds");
        RunResult run = Tovtex({"convert", "-f", Path("in.png"), dds, "--format", c.format});
        ASSERT_EQ(run.exitCode, 0) << run.err;

        run = Tovtex({"info", dds});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, dds + ": DDS " + c.format + " 64x32, depth 1, 7 levels, 1 face\n");

        ASSERT_EQ(Tovtex({"decode", "-f", dds, Path("top.png")}).exitCode, 0);
        Picture decoded = DecodeFile(Path("top.png"));
        // Premultiplied formats (DXT2, DXT4) decode back to straight colour.
        const Picture& expected = source;
        const Difference d = Compare(decoded, expected);
        EXPECT_LE(d.mean, c.mean);
        EXPECT_LE(d.worst, c.worst);

        ASSERT_EQ(Tovtex({"decode", "-f", dds, Path("last.png"), "--level", "6"}).exitCode, 0);
        const Picture last = DecodeFile(Path("last.png"));
        EXPECT_EQ(last.width, 1u);
        EXPECT_EQ(last.height, 1u);
    }
}

TEST_F(ToolCli, CubeMapsKeepTheirFacesInOrder) {
    // Colours a 5:6:5 format holds exactly, one per face.
    const uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    std::vector<BYTE> file = tovtex_tool::DdsHeader({D3DFMT_A8R8G8B8, 8, 8, 1, true});
    for (uint32_t colour : colours) {
        const std::vector<uint32_t> face(64, colour);
        tovtex_tool::AppendDdsLevel(&file, D3DFMT_A8R8G8B8, 8, 8, reinterpret_cast<const BYTE*>(face.data()), 32);
    }
    WriteFile(Path("cube.dds"), file);
    RunResult run = Tovtex({"convert", "-f", "--cube", "--format", "DXT1", Path("cube.dds"), Path("out.dds")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Tovtex({"info", Path("out.dds")});
    EXPECT_EQ(run.out, Path("out.dds") + ": DDS DXT1 8x8, depth 1, 4 levels, 6 faces\n");
    for (int face = 0; face < 6; ++face) {
        for (const char* level : {"0", "3"}) {
            SCOPED_TRACE(testing::Message() << "face " << face << ", level " << level);
            run =
                Tovtex({"decode", "-f", Path("out.dds"), Path("face.png"), "--face", std::to_string(face), "--level", level});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const Picture picture = DecodeFile(Path("face.png"));
            ASSERT_FALSE(picture.pixels.empty());
            EXPECT_EQ(picture.pixels[0], colours[face]);
        }
    }
}

TEST_F(ToolCli, InfoReadsHeadersAndDecodesOnlyToCheck) {
    const std::vector<uint8_t> png = PngOf(Gradient(64, 48, true));
    WriteFile(Path("good.png"), png);
    WriteFile(Path("cut.png"), std::vector<uint8_t>(png.begin(), png.end() - 40));
    const std::string good = Path("good.png"), cut = Path("cut.png");
    const std::string line = "PNG A8R8G8B8 64x48, depth 1, 1 level, 1 face";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;
    };
    const Case cases[] = {
        {{"info", good}, 0, good + ": " + line, ""},
        {{"info", "--check", good}, 0, good + ": " + line, ""},
        // The header alone is sound: without a check the pixels are not read.
        {{"info", cut}, 0, cut + ": " + line, ""},
        {{"info", "--check", cut, good}, 1, good + ": " + line, cut + ": the PNG header is sound but the pixel data is not [ERR_INVALIDDATA]"},
        // convert plans from the header and decodes later, compressing as
        // it decodes or not: the broken pixels are reported all the same.
        {{"convert", "-f", cut, Path("cut.dds"), "--format", "DXT5"}, 1, "", cut + ": the PNG file is damaged or cut short [ERR_INVALIDDATA]"},
        {{"convert", "-f", cut, Path("cut.dds"), "--format", "A8R8G8B8"}, 1, "", cut + ": the PNG file is damaged or cut short [ERR_INVALIDDATA]"},
    };
    for (const Case& c : cases) {
        const RunResult run = Tovtex(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back();
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST_F(ToolCli, FailuresGiveTheirExitCodesAndNameTheFileAndResult) {
    WriteFile(Path("good.png"), PngOf(Gradient(8, 8, false)));
    WriteFile(Path("junk.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    WriteFile(Path("empty.png"), {});
    const std::string good = Path("good.png"), junk = Path("junk.png"), out = Path("out.dds");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;  // expected in standard error
    };
    const Case cases[] = {
        // clang-format off
        {{"info", Path("missing.png")}, 1, Path("missing.png") + ": cannot read: file not found [0x80070002]"},
        {{"info", junk}, 1, junk + ": not a picture tovtex reads (BMP, DDS, JPEG, PNG, TGA, PPM) [ERR_INVALIDDATA]"},
        {{"info", Path("empty.png")}, 1, Path("empty.png") + ": cannot read: the file is empty or cannot be mapped [0x800703EE]"},
        {{"convert", junk, out}, 1, junk + ": not a picture tovtex reads (BMP, DDS, JPEG, PNG, TGA, PPM) [ERR_INVALIDDATA]"},
        {{"convert", good, Path("no/such/dir/out.dds")}, 1, Path("no/such/dir/out.dds") + ": cannot write: the folder " + Path("no/such/dir") + " does not exist [0x80070003]"},
        {{"convert", "--cube", good, out}, 1, good + ": --cube: the picture is not a cube map and has no six faces [E_FAIL]"},
        {{"decode", good, Path("o.png"), "--level", "1"}, 1, good + ": there is no face 0, level 1: the file has 1 face of 1 level [D3DERR_INVALIDCALL]"},
        {{"decode", good, Path("o.png"), "--face", "6"}, 2, "bad face (0..5) '6'"},
        // clang-format on
        {{"info", "--max-pixels", "63", good},
         1,
         good + ": the picture is larger than the pixel limit [ERR_IMAGETOOLARGE]"},
        // clang-format off
        {{"convert", "--max-pixels", "63", good, out}, 1, good + ": the picture is larger than the pixel limit [ERR_IMAGETOOLARGE]"},
        {{"decode", "--max-pixels", "63", good, Path("o.png")}, 1, good + ": the picture is larger than the pixel limit [ERR_IMAGETOOLARGE]"},
        {{"info", "--max-pixels", "lots", good}, 2, "bad pixel count 'lots'"},
        {{"convert", good, out, "--max-pixels", "-1"}, 2, "bad pixel count '-1'"},
        {{"convert", good, out, "--format", "P8"}, 2, "bad format"},
        {{"convert", good, out, "--format", "XYZ"}, 2, "bad format"},
        {{"convert", good, out, "--mips", "many"}, 2, "bad mip level count 'many'"},
        {{"convert", good, out, "--size", "12y4"}, 2, "bad size"},
        {{"convert", good, out, "--filter", "cubic"}, 2, "bad filter"},
        {{"convert", good, out, "--mirror", "u,x"}, 2, "bad mirror axes"},
        {{"convert", good, out, "--color-key", "FF00FF"}, 2, "bad colour key"},
        {{"convert", good, out, "--device", "ancient"}, 2, "bad device profile"},
        {{"convert", good, out, "-j", "257"}, 2, "bad job count '257'"},
        {{"convert", good, out, "--quality", "slow"}, 2, "bad quality (fast, normal, best) 'slow'"},
        {{"convert", good, out, "--alpha-threshold", "256"}, 2, "bad alpha threshold (0..255) '256'"},
        {{"convert", good, out, "--alpha-threshold", "-1"}, 2, "bad alpha threshold (0..255) '-1'"},
        {{"convert", good, out, "--weights", "eye"}, 2, "bad weights (plain, perceptual) 'eye'"},
        {{"convert", good, out, "--quality", "fast", "--alpha-threshold", "100"}, 2, "--alpha-threshold needs --quality normal or best"},
        {{"convert", good, out, "--weights", "perceptual", "--quality", "fast"}, 2, "--weights perceptual needs --quality normal or best"},
        {{"convert", "--cube", "--size", "16x8", good, out}, 2, "a cube map has one size"},
        {{"convert", good}, 2, "expected an input and an output file"},
        {{"convert", good, junk, out}, 2, "several inputs need -o DIR"},
        {{"convert", "-o", dir_, good, Path("sub/good.jpg")}, 2, "two inputs would both write"},
        {{"convert", "-o", Path("one.dds"), good}, 2, "-o takes a folder; to write one file, name it after the input (IN " + Path("one.dds") + ")"},
        {{"convert", "-o", dir_, "-"}, 2, "standard input has no name to write under -o; name the output (- OUT.dds)"},
        {{"decode", "-o", dir_, good, Path("sub/")}, 2, "'" + Path("sub/") + "' names no file to write under -o"},
        {{"convert", good, out, "--bogus"}, 2, "unknown option '--bogus'"},
        {{"convert", good, out, "--format"}, 2, "option '--format' needs a value"},
        {{"info"}, 2, "no input files"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"convert", good, Path("out.png")}, 2, Path("out.png") + ": convert writes DDS files: the output's name must end in .dds"},
        {{"decode", good, Path("out.bmp")}, 2, Path("out.bmp") + ": decode writes PNG or Targa files: the output's name must end in .png or .tga"},
        {{"convert", good, good.substr(0, good.size() - 4) + ".dds", "--size", "17000x8"}, 2, "--size 17000x8 is above the device's limit of 16384x16384"},
        {{"convert", good, good.substr(0, good.size() - 4) + ".dds", "--device", "d3d8", "--size", "5000x8"}, 2, "--size 5000x8 is above the device's limit of 4096x4096"},
        {{"convert", good, out, "--max-size", "0"}, 2, "bad largest size '0'"},
        {{"convert", good, out, "--device", "default", "--format", "auto", "--max-size", "2", "-f"}, 0, ""},
        {{"convert", good, out}, 1, out + ": cannot write: the file exists (-f overwrites it) [0x80070050]"},
        {{"help", "convert", "decode"}, 2, "one command at a time"},
        {{}, 2, "Usage: tovtex COMMAND"},
        // clang-format on
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        const RunResult run = Tovtex(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // At the limit (the picture's 64 pixels) the same file goes through.
    EXPECT_EQ(Tovtex({"info", "--max-pixels", "64", good}).exitCode, 0);
    EXPECT_EQ(Tovtex({"decode", "--max-pixels", "64", good, Path("o.png")}).exitCode, 0);
    for (const char* command : {"info", "convert", "decode"}) {
        const RunResult run = Tovtex({command, "--help"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind(std::string("Usage: tovtex ") + command, 0), 0u) << run.out;
    }
}

TEST_F(ToolCli, JsonOutputParsesBackWithAwkwardFileNames) {
    const std::string python = FindProgram({"python3"});
    if (python.empty()) GTEST_SKIP() << "python3 not found";
    const std::vector<uint8_t> png = PngOf(Gradient(12, 10, true));
    const std::vector<std::string> names = {"plain.png", "quote\"back\\slash.png", "new\nline\ttab.png",
                                            "latin1\xE9.png", "utf8\xC3\xA9.png"};
    std::vector<std::string> args{"info", "--json"};
    for (const std::string& name : names) {
        WriteFile(Path(name), png);
        args.push_back(Path(name));
    }
    args.push_back(Path("missing.png"));
    const RunResult run = Tovtex(args);
    EXPECT_EQ(run.exitCode, 1);
    WriteFile(Path("out.json"), std::vector<uint8_t>(run.out.begin(), run.out.end()));
    const RunResult parsed = RunProgram({python, "-c",
                                         "import json,sys\n"
                                         "for e in json.load(open(sys.argv[1], encoding='utf-8')):\n"
                                         "  n = e['file'].rsplit('/', 1)[1]\n"
                                         "  print(ascii(n), e.get('reader'), e.get('format'), e.get('width'),"
                                         " e.get('height'), e.get('mipLevels'), e.get('faces'), e.get('result'))\n",
                                         Path("out.json")});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err << run.out;
    EXPECT_EQ(parsed.out,
              "'plain.png' PNG A8R8G8B8 12 10 1 1 None\n"
              "'quote\"back\\\\slash.png' PNG A8R8G8B8 12 10 1 1 None\n"
              "'new\\nline\\ttab.png' PNG A8R8G8B8 12 10 1 1 None\n"
              "'latin1\\ufffd.png' PNG A8R8G8B8 12 10 1 1 None\n"
              "'utf8\\xe9.png' PNG A8R8G8B8 12 10 1 1 None\n"
              "'missing.png' None None None None None None 0x80070002\n");
}

TEST_F(ToolCli, BatchesRunInParallelAndSummarise) {
    // The output folder does not exist yet: -o makes it.
    std::vector<std::string> args{"convert", "-f", "-j", "2", "-o", Path("out"), "--format", "DXT5"};
    for (int i = 0; i < 5; ++i) {
        const std::string name = Path("in" + std::to_string(i) + ".png");
        WriteFile(name, PngOf(Gradient(16 + 8 * i, 16, true)));
        args.push_back(name);
    }
    WriteFile(Path("bad.png"), {1, 2, 3});
    args.push_back(Path("bad.png"));
    const RunResult run = Tovtex(args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(Path("bad.png") + ": not a picture tovtex reads (BMP, DDS, JPEG, PNG, TGA, PPM) [ERR_INVALIDDATA]"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("6 files: 5 succeeded, 1 failed"), std::string::npos) << run.err;
    for (int i = 0; i < 5; ++i) {
        const RunResult info = Tovtex({"info", Path("out/in" + std::to_string(i) + ".dds")});
        EXPECT_NE(info.out.find("DDS DXT5 " + std::to_string(16 + 8 * i) + "x16"), std::string::npos) << info.out;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out/bad.dds")));

    WriteFile(Path("plain-file"), {1});
    const RunResult blocked = Tovtex({"convert", "-f", "-o", Path("plain-file"), Path("in0.png")});
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_NE(blocked.err.find("cannot make the output folder"), std::string::npos) << blocked.err;
}

// Many files on two threads share the platform's handle and view tables.
TEST_F(ToolCli, ManyFilesOnTwoThreadsAllSucceed) {
    std::vector<std::string> args{"convert", "-f", "-j", "2", "-o", Path("many"), "--format", "A8R8G8B8", "--mips", "none"};
    constexpr int FILES = 48;
    for (int i = 0; i < FILES; ++i) {
        const std::string name = Path("m" + std::to_string(i) + ".png");
        WriteFile(name, PngOf(Gradient(8 + i % 5, 8, true)));
        args.push_back(name);
    }
    for (int round = 0; round < 3; ++round) {
        const RunResult run = Tovtex(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.err.find("48 files: 48 succeeded, 0 failed"), std::string::npos) << run.err;
    }
}

TEST_F(ToolCli, DeviceProfilesAndSizesShapeTheTexture) {
    WriteFile(Path("in.png"), PngOf(Gradient(48, 20, false)));
    struct Case {
        std::vector<std::string> options;
        std::string expected;  // size and levels as info prints them
    };
    const Case cases[] = {
        // Sizes that are not powers of two get no mip chain on this device.
        // clang-format off
        {{"--device", "d3d8"}, "48x20, depth 1, 1 level"},
        {{}, "48x20, depth 1, 6 levels"},
        {{"--device", "pow2"}, "64x32, depth 1, 7 levels"},
        {{"--device", "square"}, "32x32, depth 1, 6 levels"},
        {{"--size", "32x8", "--mips", "none"}, "32x8, depth 1, 1 level"},
        {{"--size", "32x16", "--mips", "3", "--filter", "point", "--mip-filter", "linear"}, "32x16, depth 1, 3 levels"},
        {{"--size", "64", "--mirror", "u,v", "--dither", "--color-key", "FF000000"}, "64x64, depth 1, 7 levels"},
        // clang-format on
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"convert", "-f", Path("in.png"), Path("out.dds"), "--format", "X8R8G8B8"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult run = Tovtex(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const RunResult info = Tovtex({"info", Path("out.dds")});
        EXPECT_NE(info.out.find(c.expected), std::string::npos) << info.out << " wanted " << c.expected;
    }
}

// Every channel varies from pixel to pixel, so that a block codec's choices
// show in its bytes; alpha stays below 255 so the picture stays A8R8G8B8.
Picture Noise(unsigned width, unsigned height) {
    Picture picture{width, height, {}};
    test_support::Lcg random{12345};
    for (unsigned i = 0; i < width * height; ++i) {
        picture.pixels.push_back((random.Step() | 0x01000000u) & 0xFEFFFFFFu);
    }
    return picture;
}

// The stored bytes of one level of a DDS file the tool wrote (one face).
std::vector<uint8_t> DdsLevelBytes(const std::vector<uint8_t>& file, D3DFORMAT format, UINT width, UINT height,
                                   UINT level) {
    size_t offset = 128;
    for (UINT l = 0; l < level; ++l) {
        offset += tovtex_tool::DdsRowBytes(format, width) * tovtex_tool::DdsRowCount(format, height);
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
    }
    const size_t size = tovtex_tool::DdsRowBytes(format, width) * tovtex_tool::DdsRowCount(format, height);
    if (offset + size > file.size()) {
        return {};
    }
    return std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size);
}

TEST_F(ToolCli, BlockLevelsAreCompressedOnceFromTheUncompressedChain) {
    // Each lower level must be the uncompressed chain's level compressed
    // once, not a level made from the compressed level above it.
    WriteFile(Path("in.png"), PngOf(Noise(32, 32)));
    ASSERT_EQ(Tovtex({"convert", "-f", Path("in.png"), Path("argb.dds"), "--format", "A8R8G8B8"}).exitCode, 0);
    const struct {
        const char* name;
        D3DFORMAT format;
    } formats[] = {{"DXT1", D3DFMT_DXT1},
                   {"DXT2", D3DFMT_DXT2},
                   {"DXT3", D3DFMT_DXT3},
                   {"DXT4", D3DFMT_DXT4},
                   {"DXT5", D3DFMT_DXT5}};
    for (const auto& f : formats) {
        const std::string chain = Path(std::string(f.name) + ".dds");
        RunResult run = Tovtex({"convert", "-f", Path("in.png"), chain, "--format", f.name});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::vector<uint8_t> chainBytes = ReadFile(chain);
        // Levels of whole blocks: 32, 16, 8, 4.
        for (UINT level = 0; level < 4; ++level) {
            SCOPED_TRACE(testing::Message() << f.name << ", level " << level);
            ASSERT_EQ(
                Tovtex({"decode", "-f", Path("argb.dds"), Path("level.png"), "--level", std::to_string(level)}).exitCode, 0);
            run = Tovtex({"convert", "-f", Path("level.png"), Path("once.dds"), "--format", f.name, "--mips", "none"});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const UINT size = 32 >> level;
            const std::vector<uint8_t> once = DdsLevelBytes(ReadFile(Path("once.dds")), f.format, size, size, 0);
            ASSERT_FALSE(once.empty());
            EXPECT_EQ(DdsLevelBytes(chainBytes, f.format, 32, 32, level), once);
        }
    }
}

TEST_F(ToolCli, BlockFormatsKeepTheShapeTheDeviceGivesThem) {
    // Sizes rounded up to whole blocks (and to powers of two on some
    // devices) differ from what the uncompressed format would get; the
    // output has the block format's size and level count all the same.
    struct Case {
        unsigned width, height;
        const char* device;
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        // clang-format off
        {2, 7, "d3d8", {}, "DXT5 4x8, depth 1, 4 levels"},
        {30, 18, "d3d8", {}, "DXT5 32x20, depth 1, 1 level"},
        {30, 18, "modern", {}, "DXT5 30x18, depth 1, 5 levels"},
        {70, 46, "modern", {}, "DXT5 70x46, depth 1, 7 levels"},
        {5000, 4, "modern", {}, "DXT5 5000x4, depth 1, 13 levels"},
        {30, 18, "pow2", {}, "DXT5 32x32, depth 1, 6 levels"},
        {5, 3, "square", {}, "DXT5 4x4, depth 1, 3 levels"},
        {1, 1, "d3d8", {}, "DXT5 4x4, depth 1, 3 levels"},
        {64, 32, "d3d8", {"--size", "13x9", "--mips", "2"}, "DXT5 16x12, depth 1, 1 level"},
        {64, 32, "modern", {"--size", "13x9", "--mips", "2"}, "DXT5 13x9, depth 1, 2 levels"},
        {64, 32, "pow2", {"--size", "13x9", "--mips", "2"}, "DXT5 16x16, depth 1, 2 levels"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        WriteFile(Path("in.png"), PngOf(Noise(c.width, c.height)));
        std::vector<std::string> args{"convert", "-f", Path("in.png"), Path("out.dds"), "--format",
                                      "DXT5",    "--device",     c.device};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult run = Tovtex(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(Tovtex({"info", Path("out.dds")}).out.find(c.expected), std::string::npos);
        ASSERT_EQ(Tovtex({"decode", "-f", Path("out.dds"), Path("top.png")}).exitCode, 0);
    }
}

TEST_F(ToolCli, ImagesWithoutADdsLayoutAreWrittenInA8R8G8B8) {
    // A grey picture decodes as L8, which no DDS layout here holds.
    Picture grey = Gradient(8, 8, false);
    for (uint32_t& p : grey.pixels) p = 0xFF000000u | (p & 0xFF) * 0x010101u;
    WriteFile(Path("grey.png"), PngOf(grey));
    const RunResult run = Tovtex({"convert", "-f", Path("grey.png"), Path("out.dds")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(Tovtex({"info", Path("out.dds")}).out.find("DDS A8R8G8B8 8x8"), std::string::npos);
}

}  // namespace

namespace {

using namespace tool_test;

class ToolConventions : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(ToolConventions, NoticesSizesFormatsAndStreams) {
    Picture picture{70, 46, {}};
    for (unsigned i = 0; i < 70 * 46; ++i) picture.pixels.push_back(0xFF000000u | (i * 2654435761u >> 8));
    WriteFile(Path("in.png"), PngOf(picture));
    const std::string in = Path("in.png"), out = Path("out.dds");
    struct Case {
        std::vector<std::string> args;
        std::string info;    // what info says of the output
        std::string notice;  // expected on standard error ("" : nothing at all)
    };
    const Case cases[] = {
        {{}, "DDS A8R8G8B8 70x46, depth 1, 7 levels", ""},
        {{"--device", "d3d8"}, "DDS A8R8G8B8 70x46, depth 1, 1 level",
         in + ": note: the texture is 70x46 A8R8G8B8 1 level, not 70x46 A8R8G8B8 7 levels as asked (device d3d8)"},
        {{"--device", "d3d8", "-q"}, "DDS A8R8G8B8 70x46, depth 1, 1 level", ""},
        {{"--device", "pow2", "--format", "DXT1"}, "DDS DXT1 128x64, depth 1, 8 levels",
         in + ": note: the texture is 128x64 DXT1 8 levels, not 70x46 DXT1 7 levels as asked (device pow2)"},
        {{"--max-size", "35"}, "DDS A8R8G8B8 35x23, depth 1, 6 levels", ""},
        {{"--mips", "9"}, "DDS A8R8G8B8 70x46, depth 1, 7 levels",
         in + ": note: the texture is 70x46 A8R8G8B8 7 levels, not 70x46 A8R8G8B8 9 levels as asked (device modern)"},
        {{"-v", "--format", "A8R8G8B8"}, "DDS A8R8G8B8 70x46, depth 1, 7 levels",
         in + " -> " + out + ": 70x46 A8R8G8B8 7 levels, 17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info);
        std::vector<std::string> args{"convert", "-f", in, out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult run = Tovtex(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        if (c.notice.empty()) {
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_EQ(run.err.rfind(c.notice, 0), 0u) << run.err;
        }
        EXPECT_NE(Tovtex({"info", out}).out.find(c.info), std::string::npos) << Tovtex({"info", out}).out;
    }
    // Standard input and output, and a Targa picture decoded from it.
    const RunResult piped = RunProgram({"/bin/sh", "-c", std::string(TOVTEX_EXE) + " convert - - < '" + in +
                                                             "' > '" + Path("piped.dds") + "'"});
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_NE(Tovtex({"info", Path("piped.dds")}).out.find("DDS A8R8G8B8 70x46, depth 1, 7 levels"), std::string::npos);
    ASSERT_EQ(Tovtex({"decode", Path("piped.dds"), Path("top.tga")}).exitCode, 0);
    Picture tga;
    ASSERT_TRUE(DecodeToPicture(ReadFile(Path("top.tga")), &tga));
    EXPECT_EQ(tga.width, 70u);
    EXPECT_EQ(tga.pixels, picture.pixels);
    // The version and the help of each command.
    EXPECT_EQ(Tovtex({"--version"}).out, "tovtex 0.2\n");
    for (const char* command : {"info", "convert", "decode"}) {
        const RunResult help = Tovtex({"help", command});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out, Tovtex({command, "--help"}).out);
    }
}

TEST_F(ToolConventions, DitherOnlyWhereBitsAreLost) {
    // A flat colour that A8R8G8B8 holds exactly: any dither noise shows.
    Picture flat{16, 16, std::vector<uint32_t>(256, 0xFF7F3F1Fu)};
    WriteFile(Path("in.png"), PngOf(flat));
    ASSERT_EQ(Tovtex({"convert", Path("in.png"), Path("out.dds"), "--format", "A8R8G8B8", "--size", "24"}).exitCode, 0);
    Picture back;
    ASSERT_TRUE(DecodeToPicture(ReadFile(Path("out.dds")), &back));
    for (uint32_t p : back.pixels) EXPECT_EQ(p, 0xFF7F3F1Fu);
}

}  // namespace
