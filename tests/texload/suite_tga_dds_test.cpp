#include <gtest/gtest.h>

#include <filesystem>

#include "base/tovtex_defs.h"
#include "suite_test_util.h"

using namespace texload_test;

namespace {

TEST(TgaSuite, PillowCommonFilesMatchTheirReferences) {
    int checked = 0;
    for (const std::string& path : FilesIn(Suite("tga/pillow/common"), ".tga")) {
        std::string name = std::filesystem::path(path).filename().string();
        std::string size = name.substr(0, name.find('_'));
        std::string mode = name.substr(size.size() + 1, name.find('_', size.size() + 1) - size.size() - 1);
        Decoded d;
        DecodeWith(ReadTga, path, &d);
        if (mode == "la") {  // 16-bit grey with alpha is not among the Targa layouts read
            EXPECT_EQ(d.hr, E_FAIL) << name;
            continue;
        }
        ASSERT_EQ(d.hr, S_OK) << name;
        EXPECT_EQ(MaxChannelDifference(ToRgba8(d.image),
                                       ReferencePng(Suite("tga/pillow/common/" + size + "_" + mode + ".png"))),
                  0)
            << name;
        ++checked;
    }
    EXPECT_GE(checked, 16);
}

TEST(TgaSuite, ImageRsAndPillowSamples) {
    struct Case {
        const char* file;
        HRESULT result;
        const char* reference;  // null: no comparison
        bool colourOnly;        // 5-bit colours: widening differs by 1; the attribute bit is an open question
    };
    const Case cases[] = {
        {"image-rs/testsuite/bottom_left.tga", S_OK, "image-rs/reference/bottom_left.tga.png", false},
        {"image-rs/testsuite/bottom_right.tga", S_OK, "image-rs/reference/bottom_right.tga.png", false},
        {"image-rs/testsuite/top_left.tga", S_OK, "image-rs/reference/top_left.tga.png", false},
        {"image-rs/testsuite/top_right.tga", S_OK, "image-rs/reference/top_right.tga.png", false},
        {"image-rs/testsuite/b5-noattrib.tga", S_OK, "image-rs/reference/b5-noattrib.tga.png", true},
        {"image-rs/testsuite/b5-attrib.tga", S_OK, "image-rs/reference/b5-attrib.tga.png", true},
        {"image-rs/testsuite/b5-cmap.tga", S_OK, "image-rs/reference/b5-cmap.tga.png", true},
        {"image-rs/testsuite/b5-unused-cmap.tga", S_OK, "image-rs/reference/b5-unused-cmap.tga.png", true},
        {"image-rs/testsuite/cmap_offset.tga", S_OK, "image-rs/reference/cmap_offset.tga.png", false},
        {"pillow/cross_scan_line.tga", S_OK, "pillow/cross_scan_line.png", false},
        {"pillow/cross_scan_line_truncated.tga", E_FAIL, nullptr, false},
        {"image-rs/regression/bad-color-map.tga", E_FAIL, nullptr, false},
        {"image-rs/regression/flip-zero-height.tga", E_FAIL, nullptr, false},
        {"image-rs/regression/orientation-zero-width.tga", E_FAIL, nullptr, false},
        {"image-rs/regression/slice-copy-length.tga", E_FAIL, nullptr, false},
        {"image-rs/regression/overfull-image.tga", E_FAIL, nullptr, false},  // its colour map runs past the end
    };
    for (const Case& c : cases) {
        Decoded d;
        DecodeWith(ReadTga, Suite(std::string("tga/") + c.file), &d);
        ASSERT_EQ(d.hr, c.result) << c.file;
        if (c.reference == nullptr) continue;
        Rgba8 got = ToRgba8(d.image);
        Rgba8 want = ReferencePng(Suite(std::string("tga/") + c.reference));
        int diff = c.colourOnly ? MaxColourDifference(got, want) : MaxChannelDifference(got, want);
        EXPECT_LE(diff, c.colourOnly ? 4 : 0) << c.file;
    }
    // Pillow's two pixels of the 16-bit sample.
    Decoded d;
    DecodeWith(ReadTga, Suite("tga/pillow/rgba16.tga"), &d);
    ASSERT_EQ(d.hr, S_OK);
    EXPECT_EQ(d.image.format, D3DFMT_A1R5G5B5);
    Rgba8 got = ToRgba8(d.image);
    const uint8_t* p0 = PixelAt(got, 0, 0);
    const uint8_t* p1 = PixelAt(got, 1, 0);
    EXPECT_NEAR(p0[0], 172, 2);
    EXPECT_EQ(p0[1], 0);
    EXPECT_EQ(p0[2], 255);
    EXPECT_EQ(p1[0], 0);
    EXPECT_EQ(p1[1], 255);
    EXPECT_NEAR(p1[2], 82, 2);
}

struct DdsCase {
    const char* file;
    HRESULT result;
    D3DFORMAT format;
    UINT levels;
    const char* reference;  // top level, null: no comparison
    int tolerance;
};

TEST(DdsSuite, SamplesDecodeAsTheirReadmeSays) {
    const DdsCase cases[] = {
        {"pillow/dxt1-rgb-4bbp-noalpha_MipMaps-1.dds", S_OK, D3DFMT_DXT1, 1,
         "pillow/dxt1-rgb-4bbp-noalpha_MipMaps-1.png", 2},
        {"pillow/dxt3-argb-8bbp-explicitalpha_MipMaps-1.dds", S_OK, D3DFMT_DXT3, 1,
         "pillow/dxt3-argb-8bbp-explicitalpha_MipMaps-1.png", 2},
        {"pillow/dxt5-argb-8bbp-interpolatedalpha_MipMaps-1.dds", S_OK, D3DFMT_DXT5, 1,
         "pillow/dxt5-argb-8bbp-interpolatedalpha_MipMaps-1.png", 2},
        {"pillow/bgr15.dds", S_OK, D3DFMT_X1R5G5B5, 1, "pillow/bgr15.png", 2},
        {"pillow/dxt5-colorblock-alpha-issue-4142.dds", S_OK, D3DFMT_DXT5, 1, nullptr, 0},
        {"pillow/hopper.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"pillow/palette.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"pillow/zero_mask_totals.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"pillow/timeout-c60a3d7314213624607bfb3e38d551a8b24a7435.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/dxt5.dds", S_OK, D3DFMT_DXT5, 1, nullptr, 0},
        {"magnum-plugins/dxt3-incomplete-blocks.dds", S_OK, D3DFMT_DXT3, 1, nullptr, 0},
        {"magnum-plugins/dxt4.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/dxt1-cube-mips.dds", S_OK, D3DFMT_DXT1, 3, nullptr, 0},
        {"magnum-plugins/rgba8unorm-cube.dds", S_OK, D3DFMT_A8R8G8B8, 1, nullptr, 0},
        {"magnum-plugins/rgba8unorm-cube-incomplete.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/bgrx8unorm.dds", S_OK, D3DFMT_X8R8G8B8, 1, nullptr, 0},
        {"magnum-plugins/rgbx8unorm.dds", S_OK, D3DFMT_X8R8G8B8, 1, nullptr, 0},
        {"magnum-plugins/bgr8unorm-mips.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/rgb8unorm.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/dxt10-rgba8unorm.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/unknown-format.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"magnum-plugins/wrong-signature.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"image-dds/images/nvtt/BC1 RGB.dds", S_OK, D3DFMT_DXT1, 8, "image-dds/output/nvtt/BC1 RGB.png", 2},
        {"image-dds/images/nvtt/BC1a RGBA.dds", S_OK, D3DFMT_DXT1, 8, "image-dds/output/nvtt/BC1a RGBA.png", 2},
        {"image-dds/images/nvtt/BC2 RGBA.dds", S_OK, D3DFMT_DXT3, 8, "image-dds/output/nvtt/BC2 RGBA.png", 2},
        {"image-dds/images/nvtt/BC3 RGBA.dds", S_OK, D3DFMT_DXT5, 8, "image-dds/output/nvtt/BC3 RGBA.png", 2},
        {"image-dds/images/nvtt/8.8.8.8 BGRA.dds", S_OK, D3DFMT_A8R8G8B8, 8, "image-dds/output/nvtt/8.8.8.8 BGRA.png",
         0},
        {"image-dds/images/nvtt/8.8.8.X BGRX.dds", S_OK, D3DFMT_X8R8G8B8, 8, "image-dds/output/nvtt/8.8.8.X BGRX.png",
         0},
        {"image-dds/images/nvtt/8.8.8 BGR.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"image-dds/images/uncompressed/DX9 B5G6R5_UNORM.dds", S_OK, D3DFMT_R5G6B5, 8,
         "image-dds/output/uncompressed/DX9 B5G6R5_UNORM.png", 2},
        {"image-dds/images/uncompressed/DX9 B5G5R5A1_UNORM.dds", S_OK, D3DFMT_A1R5G5B5, 8,
         "image-dds/output/uncompressed/DX9 B5G5R5A1_UNORM.png", 2},
        {"image-dds/images/uncompressed/DX9 B4G4R4A4_UNORM.dds", S_OK, D3DFMT_A4R4G4B4, 8,
         "image-dds/output/uncompressed/DX9 B4G4R4A4_UNORM.png", 2},
        {"image-dds/images/cube/DXT1 Pretoria Gardens DX9.dds", S_OK, D3DFMT_DXT1, 8, nullptr, 0},
        {"image-dds/images/cube/Pretoria Gardens DX9.dds", S_OK, D3DFMT_R5G6B5, 1, nullptr, 0},
        {"image-dds/images/other/dxt5-simple-1x1.dds", S_OK, D3DFMT_DXT5, 1,
         "image-dds/output/other/dxt5-simple-1x1.png", 2},
        {"image-dds/images/other/dxt5-simple-odd.dds", S_OK, D3DFMT_DXT5, 1,
         "image-dds/output/other/dxt5-simple-odd.png", 2},
        {"image-dds/images/other/24-bit-uncompressed-odd.dds", E_FAIL, D3DFMT_UNKNOWN, 0, nullptr, 0},
        {"image-dds/images/other/32-bit-uncompressed-odd.dds", S_OK, D3DFMT_A8R8G8B8, 1,
         "image-dds/output/other/32-bit-uncompressed-odd.png", 0},
        {"image-dds/images/other/restricted-header.dds", S_OK, D3DFMT_A1R5G5B5, 8,
         "image-dds/output/other/restricted-header.png", 2},
    };
    for (const DdsCase& c : cases) {
        Decoded d;
        DecodeWith(ReadDds, Suite(std::string("dds/") + c.file), &d);
        ASSERT_EQ(d.hr, c.result) << c.file;
        if (c.result != S_OK) continue;
        EXPECT_EQ(d.image.format, c.format) << c.file;
        UINT levels = 0;
        for (const Image* l = &d.image; l != nullptr; l = l->nextLevel) ++levels;
        EXPECT_EQ(levels, c.levels) << c.file;
        if (c.reference != nullptr) {
            EXPECT_LE(MaxChannelDifference(ToRgba8(d.image), ReferencePng(Suite(std::string("dds/") + c.reference))),
                      c.tolerance)
                << c.file;
        }
    }
}

TEST(DdsSuite, CubeMapLayoutOfTheSmallDxt1File) {
    Decoded d;
    DecodeWith(ReadDds, Suite("dds/magnum-plugins/dxt1-cube-mips.dds"), &d);
    ASSERT_EQ(d.hr, S_OK);
    size_t expected = 128;
    int faces = 0;
    for (const Image* f = &d.image; f != nullptr; f = f->nextFace, ++faces) {
        for (const Image* l = f; l != nullptr; l = l->nextLevel) {
            EXPECT_EQ(static_cast<size_t>(l->pixels - d.file.data()), expected);
            expected += l == f ? 32 : 8;
        }
    }
    EXPECT_EQ(faces, 6);
    EXPECT_EQ(expected, 128u + 6 * 48);
}

TEST(DdsSuite, ColourBlockOfDxt5IsDecodedInFourColourMode) {
    Decoded d;
    DecodeWith(ReadDds, Suite("dds/pillow/dxt5-colorblock-alpha-issue-4142.dds"), &d);
    ASSERT_EQ(d.hr, S_OK);
    Rgba8 got = ToRgba8(d.image);
    for (uint32_t x : {0u, 1u}) {
        const uint8_t* p = PixelAt(got, x, 0);
        EXPECT_TRUE(p[0] != 0 && p[1] != 0 && p[2] != 0) << x;
    }
}

}  // namespace
