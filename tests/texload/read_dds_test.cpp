#include <gtest/gtest.h>

#include <vector>

#include "allocation_limit.h"
#include "support/image_builders.h"
#include "texload/image_readers.h"

using namespace test_support;

namespace {

HRESULT Read(const Bytes& file, Image* image) {
    return ReadDds(image, file.data(), static_cast<UINT>(file.size()));
}

struct Level {
    LONG width, height;
    UINT pitch;
    size_t offset;  // from the start of the file
};

std::vector<Level> Levels(const Image& face, const Bytes& file) {
    std::vector<Level> out;
    for (const Image* l = &face; l != nullptr; l = l->nextLevel) {
        out.push_back({l->rect.right, l->rect.bottom, l->rowPitch, static_cast<size_t>(l->pixels - file.data())});
        EXPECT_FALSE(l->ownsPixels);
        EXPECT_EQ(l->palette, nullptr);
    }
    return out;
}

bool operator==(const Level& a, const Level& b) {
    return a.width == b.width && a.height == b.height && a.pitch == b.pitch && a.offset == b.offset;
}

TEST(ReadDds, Dxt1ChainTakesWholeBlocksDownToOneByOne) {
    DdsLayout layout{.width = 64, .height = 64, .mipCount = 7, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '1')};
    layout.dataBytes = 2744;
    Bytes file = BuildDds(layout);
    Image image;
    ASSERT_EQ(Read(file, &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_DXT1);
    const std::vector<Level> expected = {{64, 64, 128, 128}, {32, 32, 64, 2176}, {16, 16, 32, 2688}, {8, 8, 16, 2816},
                                         {4, 4, 8, 2848},    {2, 2, 8, 2856},    {1, 1, 8, 2864}};
    EXPECT_EQ(Levels(image, file), expected);

    layout.dataBytes = 2743;
    Image shorter;
    EXPECT_EQ(Read(BuildDds(layout), &shorter), E_FAIL);
}

TEST(ReadDds, UncompressedLevelsAndShortSidesStopAtOne) {
    DdsLayout big{.width = 256, .height = 128, .mipCount = 0};
    big.dataBytes = 256 * 128 * 4 + 5;  // extra bytes are ignored
    Bytes file = BuildDds(big);
    Image image;
    ASSERT_EQ(Read(file, &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Levels(image, file), (std::vector<Level>{{256, 128, 1024, 128}}));

    DdsLayout thin{.width = 8, .height = 2, .mipCount = 4, .bitCount = 16, .masks = {0xF800, 0x7E0, 0x1F, 0}};
    thin.dataBytes = 32 + 8 + 4 + 2;
    Bytes thinFile = BuildDds(thin);
    Image chain;
    ASSERT_EQ(Read(thinFile, &chain), S_OK);
    EXPECT_EQ(chain.format, D3DFMT_R5G6B5);
    EXPECT_EQ(Levels(chain, thinFile),
              (std::vector<Level>{{8, 2, 16, 128}, {4, 1, 8, 160}, {2, 1, 4, 168}, {1, 1, 2, 172}}));
}

TEST(ReadDds, PixelFormatSelection) {
    struct Case {
        const char* name;
        uint32_t flags, fourCC, bits;
        uint32_t masks[4];
        D3DFORMAT format;  // D3DFMT_UNKNOWN: refused
    };
    const Case cases[] = {
        // clang-format off
        {"argb", 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, D3DFMT_A8R8G8B8},
        {"alpha flag without alpha mask", 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_UNKNOWN},
        {"xrgb", 0x40, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_X8R8G8B8},
        {"xbgr still xrgb", 0x40, 0, 32, {0xFF, 0xFF00, 0xFF0000, 0}, D3DFMT_X8R8G8B8},
        {"r5g6b5", 0x40, 0, 16, {0xF800, 0x7E0, 0x1F, 0}, D3DFMT_R5G6B5},
        {"x1r5g5b5", 0x40, 0, 16, {0x7C00, 0x3E0, 0x1F, 0}, D3DFMT_X1R5G5B5},
        {"a1r5g5b5", 0x41, 0, 16, {0x7C00, 0x3E0, 0x1F, 0x8000}, D3DFMT_A1R5G5B5},
        {"a4r4g4b4", 0x41, 0, 16, {0xF00, 0xF0, 0xF, 0xF000}, D3DFMT_A4R4G4B4},
        {"x4r4g4b4", 0x40, 0, 16, {0xF00, 0xF0, 0xF, 0}, D3DFMT_UNKNOWN},
        {"24-bit", 0x40, 0, 24, {0xFF0000, 0xFF00, 0xFF, 0}, D3DFMT_UNKNOWN},
        {"luminance", 0x20000, 0, 8, {0xFF, 0, 0, 0}, D3DFMT_UNKNOWN},
        {"dxt3 with flags 0", 0, FourCC('D', 'X', 'T', '3'), 0, {0, 0, 0, 0}, D3DFMT_DXT3},
        {"dxt2", 4, FourCC('D', 'X', 'T', '2'), 0, {0, 0, 0, 0}, D3DFMT_DXT2},
        {"dxt4", 4, FourCC('D', 'X', 'T', '4'), 0, {0, 0, 0, 0}, D3DFMT_DXT4},
        {"yuy2", 4, FourCC('Y', 'U', 'Y', '2'), 0, {0, 0, 0, 0}, D3DFMT_UNKNOWN},
        // clang-format on
    };
    for (const Case& c : cases) {
        DdsLayout layout{.width = 4, .height = 4, .pfFlags = c.flags, .fourCC = c.fourCC, .bitCount = c.bits};
        std::copy(std::begin(c.masks), std::end(c.masks), layout.masks);
        layout.dataBytes = 64;
        Image image;
        HRESULT hr = Read(BuildDds(layout), &image);
        if (c.format == D3DFMT_UNKNOWN) {
            EXPECT_EQ(hr, E_FAIL) << c.name;
        } else {
            EXPECT_EQ(hr, S_OK) << c.name;
            EXPECT_EQ(image.format, c.format) << c.name;
        }
    }
}

TEST(ReadDds, CubeMapsNeedAllSixFaces) {
    DdsLayout layout{.width = 4, .height = 4, .mipCount = 3, .pfFlags = 4, .fourCC = FourCC('D', 'X', 'T', '5')};
    layout.dataBytes = 6 * 3 * 16;
    layout.caps2 = 0xFC00;  // the six face bits, without the cube-map bit itself
    Bytes file = BuildDds(layout);
    Image image;
    ASSERT_EQ(Read(file, &image), S_OK);
    int faces = 0, images = 0;
    size_t expectedOffset = 128;
    for (const Image* f = &image; f != nullptr; f = f->nextFace, ++faces) {
        EXPECT_EQ(f->rect.right, 4);
        for (const Image* l = f; l != nullptr; l = l->nextLevel, ++images) {
            EXPECT_EQ(static_cast<size_t>(l->pixels - file.data()), expectedOffset);
            expectedOffset += 16;
            if (l != f) {
                EXPECT_EQ(l->nextFace, nullptr);
            }
        }
    }
    EXPECT_EQ(faces, 6);
    EXPECT_EQ(images, 18);

    layout.caps2 = 0xFE00 & ~0x8000;  // +X, -X, +Y, -Y, +Z only
    Image partial;
    EXPECT_EQ(Read(BuildDds(layout), &partial), E_FAIL);
    layout.caps2 = 0x0600;  // +X and -X
    EXPECT_EQ(Read(BuildDds(layout), &partial), E_FAIL);
}

TEST(ReadDds, MipCountBeyondTheFullChainIsTheFullChain) {
    // Levels past 1 x 1 would be more 1 x 1 levels; their bytes are extra
    // data, ignored as after any last level.
    struct Case {
        const char* name;
        DdsLayout layout;
        std::vector<Level> levels;
    };
    const Case cases[] = {
        {"1 x 1 R5G6B5 claiming 2^24 levels",
         DdsLayout{.width = 1,
                   .height = 1,
                   .mipCount = 1u << 24,
                   .bitCount = 16,
                   .masks = {0xF800, 0x7E0, 0x1F, 0},
                   .dataBytes = 2 * 64},
         {{1, 1, 2, 128}}},
        {"8 x 2 claiming 100 levels",
         DdsLayout{.width = 8, .height = 2, .mipCount = 100, .dataBytes = 4 * (16 + 4 + 2 + 1) + 400},
         {{8, 2, 32, 128}, {4, 1, 16, 192}, {2, 1, 8, 208}, {1, 1, 4, 216}}},
        {"4 x 4 DXT1 claiming 2^32 - 1 levels",
         DdsLayout{.width = 4,
                   .height = 4,
                   .mipCount = 0xFFFFFFFF,
                   .pfFlags = 4,
                   .fourCC = FourCC('D', 'X', 'T', '1'),
                   .dataBytes = 3 * 8},
         {{4, 4, 8, 128}, {2, 2, 8, 136}, {1, 1, 8, 144}}},
    };
    for (const Case& c : cases) {
        const Bytes file = BuildDds(c.layout);
        Image image;
        ASSERT_EQ(Read(file, &image), S_OK) << c.name;
        EXPECT_EQ(Levels(image, file), c.levels) << c.name;
    }
}

TEST(ReadDds, RefusesShortOrHugeHeaders) {
    struct Case {
        const char* name;
        DdsLayout layout;
        size_t cut;  // bytes removed from the end
    };
    const Case cases[] = {
        // clang-format off
        {"header cut short", DdsLayout{.dataBytes = 64}, 64 + 1},
        {"one byte of level missing", DdsLayout{.dataBytes = 64}, 1},
        // 65536 x 65536 x 4 bytes needs 2^34 bytes: a 32-bit size would wrap to 0.
        {"level size wraps in 32 bits", DdsLayout{.width = 65536, .height = 65536, .dataBytes = 16}, 0},
        {"sides beyond 2^31", DdsLayout{.width = 0x80000000u, .height = 0x80000000u, .dataBytes = 16}, 0},
        {"zero width", DdsLayout{.width = 0, .height = 4, .dataBytes = 64}, 0},
        // clang-format on
        {"a billion levels, data for two of three",
         DdsLayout{.width = 4, .height = 4, .mipCount = 1000000000, .dataBytes = 64 + 16}, 0},
    };
    PixelLimit none(0);  // 65536 x 65536 would be refused for its size first
    for (const Case& c : cases) {
        Bytes file = BuildDds(c.layout);
        file.resize(file.size() - c.cut);
        Image image;
        EXPECT_EQ(Read(file, &image), E_FAIL) << c.name;
    }
    Bytes magic = {'D', 'D', 'S'};
    Image image;
    EXPECT_EQ(Read(magic, &image), E_FAIL);
}

}  // namespace
