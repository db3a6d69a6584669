// The per-texel steps of convert: sRGB pictures' mips averaged in linear
// light, premultiplied alpha, and cube maps made from six pictures or a
// cross and kept as cube maps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_runner.h"
#include "tovtex.h"

namespace {

using namespace tool_test;

constexpr size_t CLASSIC_HEADER = 128;
constexpr size_t DX10_HEADER = 148;

uint32_t At(const std::vector<uint8_t>& file, size_t offset) {
    return uint32_t{file[offset]} | uint32_t{file[offset + 1]} << 8 | uint32_t{file[offset + 2]} << 16 |
           uint32_t{file[offset + 3]} << 24;
}

size_t HeaderSize(const std::vector<uint8_t>& file) {
    return At(file, 84) == 0x30315844u ? DX10_HEADER : CLASSIC_HEADER;  // "DX10"
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

int Channel(uint32_t argb, int shift) {
    return static_cast<int>((argb >> shift) & 0xFF);
}

// A checker of black and white, whose alpha is a checker of 0 and 255 too.
Picture Checker(unsigned size) {
    Picture picture{size, size, {}};
    for (unsigned y = 0; y < size; ++y) {
        for (unsigned x = 0; x < size; ++x) {
            const uint32_t v = (x + y) % 2 != 0 ? 255 : 0;
            picture.pixels.push_back(Argb(y % 2 != 0 ? 255 : 0, v, v, v));
        }
    }
    return picture;
}

Picture Filled(unsigned size, uint32_t argb) {
    return {size, size, std::vector<uint32_t>(size_t{size} * size, argb)};
}

class TexelSteps : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::vector<uint8_t> Convert(const std::string& input, const std::string& name,
                                 const std::vector<std::string>& options) {
        std::vector<std::string> args = {"convert", "-f", Path(input), Path(name)};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult run = Tovtex(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return ReadFile(Path(name));
    }
    std::string dir_;
};

// 8 x 8 black and white: level 1 is half the light, 188 in every colour
// channel, and alpha (no light) averages plainly to 128; on both device
// paths, uncompressed and through the block encoders. The file says sRGB.
TEST_F(TexelSteps, SrgbMipsAreAveragedInLinearLight) {
    struct Case {
        const char* device;
        const char* format;
        uint32_t dxgi;
    };
    const Case cases[] = {
        {"modern", "A8R8G8B8", 91}, {"d3d8", "A8R8G8B8", 91}, {"modern", "DXT5", 78}, {"d3d8", "DXT5", 78},
        {"d3d8", "DXT1", 72},
    };
    WriteFile(Path("checker.png"), PngOf(Checker(8)));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.device) + " " + c.format);
        const std::string name = std::string(c.device) + c.format + ".dds";
        const std::vector<uint8_t> file =
            Convert("checker.png", name, {"--srgb", "--device", c.device, "--format", c.format});
        ASSERT_EQ(HeaderSize(file), DX10_HEADER);
        EXPECT_EQ(At(file, 128), c.dxgi);
        EXPECT_EQ(At(file, 28), 4u);  // 8, 4, 2, 1
        std::vector<uint32_t> level1(16);
        if (std::string(c.format) == "A8R8G8B8") {
            ASSERT_GE(file.size(), DX10_HEADER + 8 * 8 * 4 + 4 * 4 * 4);
            std::memcpy(level1.data(), file.data() + DX10_HEADER + 8 * 8 * 4, 16 * 4);
            for (uint32_t texel : level1) {
                EXPECT_EQ(texel, Argb(128, 188, 188, 188));
            }
            continue;
        }
        const bool dxt1 = std::string(c.format) == "DXT1";
        const size_t block = dxt1 ? 8 : 16;
        ASSERT_GE(file.size(), DX10_HEADER + 5 * block);
        const BYTE* level1Block = file.data() + DX10_HEADER + 4 * block;
        dxt1 ? DecodeDxt1Block(level1Block, reinterpret_cast<DWORD*>(level1.data()))
             : DecodeDxt5Block(level1Block, reinterpret_cast<DWORD*>(level1.data()));
        for (uint32_t texel : level1) {
            for (int shift : {0, 8, 16}) {
                EXPECT_NEAR(Channel(texel, shift), 188, 4);  // 128 when averaged as stored
            }
            if (!dxt1) {
                EXPECT_NEAR(Channel(texel, 24), 128, 2);
            }
        }
    }
}

// --srgb only changes the lower levels and the header: the top level (the
// only level with --mips none) is the same texel for texel.
TEST_F(TexelSteps, SrgbKeepsTheTopLevel) {
    Picture picture{16, 8, {}};
    for (unsigned i = 0; i < 16 * 8; ++i) {
        picture.pixels.push_back(Argb((i * 37) & 0xFF, (i * 11) & 0xFF, (i * 5 + 3) & 0xFF, (i * 91) & 0xFF));
    }
    WriteFile(Path("in.png"), PngOf(picture));
    for (const char* device : {"modern", "d3d8"}) {
        for (const char* mips : {"none", "all"}) {
            SCOPED_TRACE(std::string(device) + " --mips " + mips);
            const std::vector<uint8_t> plain =
                Convert("in.png", "plain.dds", {"--device", device, "--mips", mips, "--format", "A8R8G8B8"});
            const std::vector<uint8_t> srgb = Convert(
                "in.png", "srgb.dds", {"--device", device, "--mips", mips, "--format", "A8R8G8B8", "--srgb"});
            ASSERT_GE(plain.size(), CLASSIC_HEADER + 16 * 8 * 4);
            ASSERT_EQ(srgb.size() - DX10_HEADER, plain.size() - CLASSIC_HEADER);
            EXPECT_TRUE(std::equal(plain.begin() + CLASSIC_HEADER, plain.begin() + CLASSIC_HEADER + 16 * 8 * 4,
                                   srgb.begin() + DX10_HEADER));
            if (std::string(mips) == "none") {
                EXPECT_EQ(srgb.size() - DX10_HEADER, size_t{16 * 8 * 4});
            }
        }
    }
}

// Colour times alpha, rounded: every texel exact; the block formats that
// say so (DXT2, DXT4) or the DX10 header's alpha mode.
TEST_F(TexelSteps, PremultiplyIsExactAndLabelled) {
    const uint32_t texels[] = {Argb(128, 40, 120, 200), Argb(0, 255, 255, 255), Argb(255, 1, 2, 3),
                               Argb(1, 255, 128, 127), Argb(254, 255, 3, 0),   Argb(77, 199, 64, 250),
                               Argb(200, 255, 0, 100), Argb(51, 51, 102, 204)};
    Picture picture{8, 1, std::vector<uint32_t>(std::begin(texels), std::end(texels))};
    WriteFile(Path("in.png"), PngOf(picture));
    for (const char* device : {"modern", "d3d8"}) {
        SCOPED_TRACE(device);
        const std::vector<uint8_t> file =
            Convert("in.png", "p.dds", {"--premultiply", "--format", "A8R8G8B8", "--mips", "none", "--device", device});
        ASSERT_EQ(file.size(), CLASSIC_HEADER + 8 * 4);
        for (size_t i = 0; i < 8; ++i) {
            const uint32_t in = texels[i], out = At(file, CLASSIC_HEADER + 4 * i);
            const int a = Channel(in, 24);
            EXPECT_EQ(Channel(out, 24), a);
            for (int shift : {0, 8, 16}) {
                EXPECT_EQ(Channel(out, shift), (Channel(in, shift) * a * 2 + 255) / 510) << "texel " << i;
            }
        }
    }
    struct Label {
        const char* format;
        bool dx10;
        uint32_t fourCc;  // classic header
        uint32_t dxgi;
    };
    const Label labels[] = {
        {"DXT3", false, 0x32545844u, 0}, {"DXT5", false, 0x34545844u, 0}, {"DXT4", false, 0x34545844u, 0},
        {"DXT5", true, 0, 77},           {"A8R8G8B8", true, 0, 87},
    };
    for (const Label& label : labels) {
        SCOPED_TRACE(std::string(label.format) + (label.dx10 ? " dx10" : ""));
        std::vector<std::string> options = {"--premultiply", "--format", label.format};
        if (label.dx10) options.push_back("--dx10");
        const std::vector<uint8_t> file = Convert("in.png", "l.dds", options);
        ASSERT_GE(file.size(), DX10_HEADER);
        if (label.dx10) {
            EXPECT_EQ(At(file, 128), label.dxgi);
            EXPECT_EQ(At(file, 144), 2u);  // premultiplied
        } else {
            EXPECT_EQ(At(file, 84), label.fourCc);
        }
    }
    // Premultiplied once, not again by the DXT4 codec: 200 at half alpha
    // is stored as 100 (50 when multiplied twice).
    WriteFile(Path("half.png"), PngOf(Filled(4, Argb(128, 200, 200, 200))));
    for (const char* device : {"modern", "d3d8"}) {
        SCOPED_TRACE(device);
        const std::vector<uint8_t> dxt4 =
            Convert("half.png", "h.dds", {"--premultiply", "--format", "DXT4", "--mips", "none", "--device", device});
        ASSERT_EQ(dxt4.size(), CLASSIC_HEADER + 16);
        DWORD decoded[16];
        DecodeDxt5Block(dxt4.data() + CLASSIC_HEADER, decoded);
        for (int shift : {0, 8, 16}) {
            EXPECT_NEAR(Channel(decoded[5], shift), 100, 4);
        }
        EXPECT_NEAR(Channel(decoded[5], 24), 128, 2);
    }
}

constexpr uint32_t FACE_COLOURS[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

// The centre texel of each face's top level in a cube DDS file of A8R8G8B8
// faces (edge x edge, levels each).
void ExpectFaces(const std::vector<uint8_t>& file, unsigned edge) {
    ASSERT_GE(file.size(), CLASSIC_HEADER);
    EXPECT_EQ(At(file, 112) & 0xFE00u, 0xFE00u);  // cube map, every face
    const unsigned levels = At(file, 28) == 0 ? 1 : At(file, 28);
    size_t faceBytes = 0;
    for (unsigned level = 0; level < levels; ++level) {
        const size_t side = std::max(1u, edge >> level);
        faceBytes += side * side * 4;
    }
    ASSERT_EQ(file.size(), CLASSIC_HEADER + 6 * faceBytes);
    for (size_t face = 0; face < 6; ++face) {
        const size_t centre = (edge / 2) * edge + edge / 2;
        EXPECT_EQ(At(file, CLASSIC_HEADER + face * faceBytes + 4 * centre), FACE_COLOURS[face]) << "face " << face;
    }
}

TEST_F(TexelSteps, CubeMapsFromSixPicturesAndCrossesKeepTheirFaces) {
    const unsigned edge = 8;
    std::vector<std::string> faces;
    for (int face = 0; face < 6; ++face) {
        faces.push_back(Path("face" + std::to_string(face) + ".png"));
        WriteFile(faces.back(), PngOf(Filled(edge, FACE_COLOURS[face])));
    }
    // Each face's place in the cross, in face edges (column, row); upright,
    // -Z hangs below turned half round (a uniform colour does not show it,
    // so its corner is marked and checked apart).
    struct Layout {
        const char* name;
        unsigned columns, rows;
        unsigned place[6][2];
    };
    const Layout layouts[] = {
        {"across", 4, 3, {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {3, 1}}},
        {"upright", 3, 4, {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {1, 3}}},
    };
    for (const Layout& layout : layouts) {
        Picture cross{layout.columns * edge, layout.rows * edge, {}};
        cross.pixels.assign(size_t{cross.width} * cross.height, 0xFF202020);
        for (int face = 0; face < 6; ++face) {
            for (unsigned y = 0; y < edge; ++y) {
                for (unsigned x = 0; x < edge; ++x) {
                    cross.pixels[(layout.place[face][1] * edge + y) * cross.width + layout.place[face][0] * edge + x] =
                        FACE_COLOURS[face];
                }
            }
        }
        // The last texel of -Z as drawn: its first texel once in the cube
        // when upright (turned half round), its last when across.
        cross.pixels[(layout.place[5][1] * edge + edge - 1) * cross.width + layout.place[5][0] * edge + edge - 1] =
            0xFF123456;
        WriteFile(Path(std::string(layout.name) + ".png"), PngOf(cross));
    }

    std::vector<std::string> args = {"convert", "-f", "--cube-faces"};
    args.insert(args.end(), faces.begin(), faces.end());
    args.push_back(Path("six.dds"));
    RunResult run = Tovtex(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<uint8_t> six = ReadFile(Path("six.dds"));
    {
        SCOPED_TRACE("six pictures");
        ExpectFaces(six, edge);
    }
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        const std::vector<uint8_t> file =
            Convert(std::string(layout.name) + ".png", std::string(layout.name) + ".dds", {"--cube", "--mips", "none"});
        ExpectFaces(file, edge);
        const size_t negativeZ = CLASSIC_HEADER + 5 * edge * edge * 4;
        const bool upright = std::string(layout.name) == "upright";
        EXPECT_EQ(At(file, negativeZ + (upright ? 0 : 4 * (edge * edge - 1))), 0xFF123456u);
    }
    // A cube DDS file stays a cube map without --cube, on either device path.
    for (const char* device : {"modern", "d3d8"}) {
        SCOPED_TRACE(std::string("again, ") + device);
        ExpectFaces(Convert("six.dds", "again.dds", {"--device", device, "--format", "A8R8G8B8"}), edge);
    }

    // Faces that do not make a cube: plain words, naming the file.
    WriteFile(Path("wide.png"), PngOf({16, 8, std::vector<uint32_t>(128, 0xFF000000)}));
    WriteFile(Path("big.png"), PngOf(Filled(16, 0xFF000000)));
    struct Bad {
        std::vector<std::string> faces;
        int exitCode;
        std::string message;
    };
    const Bad bads[] = {
        {{faces[0], faces[1], faces[2], Path("wide.png"), faces[4], faces[5]},
         1,
         Path("wide.png") + ": --cube-faces: the picture is 16x8; a cube map's faces are square"},
        {{faces[0], faces[1], faces[2], faces[3], faces[4], Path("big.png")},
         1,
         Path("big.png") + ": --cube-faces: the picture is 16x16, the first face 8x8; every face must be the same size"},
        {{faces[0], faces[1], faces[2], Path("missing.png"), faces[4], faces[5]}, 1, Path("missing.png") + ": cannot read"},
        {{faces[0], faces[1], faces[2]}, 2, "--cube-faces takes six pictures, +X -X +Y -Y +Z -Z, then OUT.dds"},
    };
    for (const Bad& bad : bads) {
        std::vector<std::string> badArgs = {"convert", "-f", "--cube-faces"};
        badArgs.insert(badArgs.end(), bad.faces.begin(), bad.faces.end());
        badArgs.push_back(Path("bad.dds"));
        run = Tovtex(badArgs);
        EXPECT_EQ(run.exitCode, bad.exitCode) << run.err;
        EXPECT_NE(run.err.find(bad.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(Path("bad.dds")));
    }
}

// Options that cannot be honoured are refused before any file is read.
TEST_F(TexelSteps, SrgbRefusesWhatItCannotSay) {
    WriteFile(Path("in.png"), PngOf(Checker(4)));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--srgb", "--format", "R5G6B5"}, "--srgb: R5G6B5 has no sRGB form"},
        {{"--srgb", "--mip-filter", "triangle"}, "--mip-filter box or point"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"convert", Path("in.png"), Path("out.dds")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult run = Tovtex(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // Grey pictures become X8R8G8B8 under --srgb (L8 has no sRGB form).
    WriteFile(Path("grey.png"), PngOf(Filled(4, 0xFF808080)));
    Convert("grey.png", "grey.dds", {"--format", "L8"});
    const std::vector<uint8_t> file = Convert("grey.dds", "srgb.dds", {"--srgb"});
    ASSERT_GE(file.size(), DX10_HEADER);
    EXPECT_EQ(At(file, 128), 93u);
}

// Peers read our sRGB DX10 output (each skipped when missing).
TEST_F(TexelSteps, PeersReadSrgbOutput) {
    const std::string nvddsinfo = FindProgram({"nvddsinfo"});
    const std::string nvdecompress = FindProgram({"nvdecompress"});
    if (nvddsinfo.empty() && nvdecompress.empty()) {
        GTEST_SKIP() << "neither nvddsinfo nor nvdecompress is installed";
    }
    WriteFile(Path("in.png"), PngOf(Checker(16)));
    for (const char* format : {"A8R8G8B8", "DXT1", "DXT5"}) {
        SCOPED_TRACE(format);
        const std::string dds = Path(std::string(format) + ".dds");
        Convert("in.png", std::string(format) + ".dds", {"--srgb", "--format", format});
        if (!nvddsinfo.empty()) {
            const RunResult run = RunProgram({nvddsinfo, dds});
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
        if (!nvdecompress.empty()) {
            const RunResult run = RunProgram({nvdecompress, dds});
            EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        }
    }
}

}  // namespace
