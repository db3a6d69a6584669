// The DDS files the tool writes read back through the library's DDS reader
// as exactly the levels, faces and bytes that went in.

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>
#include <vector>

#include "dds_writer.h"
#include "support/texture_device_fixture.h"
#include "tovtex.h"

namespace {

using tovtex_tool::AppendDdsLevel;
using tovtex_tool::DdsHeader;
using tovtex_tool::DdsLayout;
using tovtex_tool::DdsRowBytes;
using tovtex_tool::DdsRowCount;

const D3DFORMAT WRITABLE[] = {D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,
                              D3DFMT_DXT5,     D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                              D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};

struct Shape {
    UINT width, height, levels;
    bool cube;
};

// Odd sizes (partial blocks, a short side reaching 1 first), one level, and
// cubes with and without mips.
const Shape SHAPES[] = {{5, 3, 3, false}, {8, 8, 1, false}, {16, 2, 5, false}, {4, 4, 3, true}, {6, 6, 1, true}};

UINT Half(UINT size) {
    return size > 1 ? size / 2 : 1;
}

TEST(DdsWriter, EveryFormatAndShapeReadsBackByteForByte) {
    std::mt19937 random(7);
    for (D3DFORMAT format : WRITABLE) {
        for (const Shape& shape : SHAPES) {
            SCOPED_TRACE(testing::Message() << "format " << format << ", " << shape.width << "x" << shape.height << ", "
                                            << shape.levels << " levels" << (shape.cube ? ", cube" : ""));
            const UINT faces = shape.cube ? 6 : 1;
            // Each level with a pitch wider than its rows, so padding must
            // not reach the file.
            std::vector<std::vector<BYTE>> levels;
            std::vector<BYTE> file = DdsHeader({format, shape.width, shape.height, shape.levels, shape.cube});
            for (UINT face = 0; face < faces; ++face) {
                UINT w = shape.width, h = shape.height;
                for (UINT level = 0; level < shape.levels; ++level) {
                    const UINT rowBytes = static_cast<UINT>(DdsRowBytes(format, w));
                    const UINT rows = static_cast<UINT>(DdsRowCount(format, h));
                    const UINT pitch = rowBytes + 3;
                    std::vector<BYTE> padded(size_t{pitch} * rows);
                    std::vector<BYTE> packed;
                    for (UINT y = 0; y < rows; ++y) {
                        for (UINT x = 0; x < pitch; ++x) {
                            padded[size_t{y} * pitch + x] = static_cast<BYTE>(random());
                            if (x < rowBytes) packed.push_back(padded[size_t{y} * pitch + x]);
                        }
                    }
                    AppendDdsLevel(&file, format, w, h, padded.data(), pitch);
                    levels.push_back(packed);
                    w = Half(w);
                    h = Half(h);
                }
            }

            Image image;
            ASSERT_EQ(ReadDds(&image, file.data(), static_cast<UINT>(file.size())), S_OK);
            size_t index = 0;
            UINT faceCount = 0;
            for (const Image* face = &image; face != nullptr; face = face->nextFace, ++faceCount) {
                UINT levelCount = 0, w = shape.width, h = shape.height;
                for (const Image* level = face; level != nullptr; level = level->nextLevel, ++levelCount) {
                    ASSERT_LT(index, levels.size());
                    EXPECT_EQ(level->format, format);
                    EXPECT_EQ(level->rect.right, static_cast<LONG>(w));
                    EXPECT_EQ(level->rect.bottom, static_cast<LONG>(h));
                    const std::vector<BYTE>& expected = levels[index++];
                    const std::vector<BYTE> stored(level->pixels, level->pixels + expected.size());
                    EXPECT_EQ(stored, expected) << "level " << levelCount << " of face " << faceCount;
                    w = Half(w);
                    h = Half(h);
                }
                EXPECT_EQ(levelCount, shape.levels);
            }
            EXPECT_EQ(faceCount, faces);
            EXPECT_EQ(index, levels.size());
        }
    }
}

TEST(DdsWriter, HeaderCarriesTheSizesOtherReadersLookFor) {
    // Readers other than ours trust the flags, the pitch or linear size and
    // the capability bits.
    struct Case {
        DdsLayout layout;
        DWORD flags, pitchOrSize, mipCount, caps1, caps2;
    };
    const Case cases[] = {
        // clang-format off
        {{D3DFMT_DXT1, 64, 64, 7, false}, 0x000A1007, 2048, 7, 0x401008, 0},
        {{D3DFMT_DXT5, 10, 6, 1, false}, 0x00081007, 96, 0, 0x1000, 0},
        {{D3DFMT_A8R8G8B8, 30, 2, 1, true}, 0x0000100F, 120, 0, 0x1008, 0xFE00},
        {{D3DFMT_R5G6B5, 3, 3, 2, false}, 0x0002100F, 6, 2, 0x401008, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        const std::vector<BYTE> header = DdsHeader(c.layout);
        auto at = [&](size_t offset) {
            return DWORD{header[offset]} | DWORD{header[offset + 1]} << 8 | DWORD{header[offset + 2]} << 16 |
                   DWORD{header[offset + 3]} << 24;
        };
        SCOPED_TRACE(testing::Message() << "format " << c.layout.format);
        ASSERT_EQ(header.size(), 128u);
        EXPECT_EQ(at(4), 124u);
        EXPECT_EQ(at(8), c.flags);
        EXPECT_EQ(at(20), c.pitchOrSize);
        EXPECT_EQ(at(28), c.mipCount);
        EXPECT_EQ(at(76), 32u);
        EXPECT_EQ(at(108), c.caps1);
        EXPECT_EQ(at(112), c.caps2);
    }
}

// Of the library's formats the writer takes exactly those the reader reads,
// and writes the colour ones with the masks every DDS reader looks for.
TEST(DdsWriter, WritesExactlyTheReadersFormatsWithTheirMasks) {
    const std::set<D3DFORMAT> writable(std::begin(WRITABLE), std::end(WRITABLE));
    for (const PixelFormatInfo& info : PixelFormats()) {
        EXPECT_EQ(tovtex_tool::IsDdsWritable(info.format), writable.count(info.format) == 1) << info.format;
    }
    struct Case {
        D3DFORMAT format;
        DWORD flags, bits, red, green, blue, alpha;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0x41, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
        {D3DFMT_X8R8G8B8, 0x40, 32, 0xFF0000, 0xFF00, 0xFF, 0},
        {D3DFMT_R5G6B5, 0x40, 16, 0xF800, 0x7E0, 0x1F, 0},
        {D3DFMT_X1R5G5B5, 0x40, 16, 0x7C00, 0x3E0, 0x1F, 0},
        {D3DFMT_A1R5G5B5, 0x41, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
        {D3DFMT_A4R4G4B4, 0x41, 16, 0xF00, 0xF0, 0xF, 0xF000},
    };
    for (const Case& c : cases) {
        const std::vector<BYTE> header = DdsHeader({c.format, 4, 4, 1, false});
        auto at = [&](size_t offset) {
            return DWORD{header[offset]} | DWORD{header[offset + 1]} << 8 | DWORD{header[offset + 2]} << 16 |
                   DWORD{header[offset + 3]} << 24;
        };
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        EXPECT_EQ(at(80), c.flags);
        EXPECT_EQ(at(84), 0u);
        EXPECT_EQ(at(88), c.bits);
        EXPECT_EQ(at(92), c.red);
        EXPECT_EQ(at(96), c.green);
        EXPECT_EQ(at(100), c.blue);
        EXPECT_EQ(at(104), c.alpha);
    }
}

class TextureToDdsTest : public TextureDeviceTest {};

TEST_F(TextureToDdsTest, LevelsOfATextureAreWrittenFromTheirLockedMemory) {
    IDirect3DTexture8* texture = NewTexture(12, 5, 0, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    const UINT levels = texture->GetLevelCount();
    for (UINT level = 0; level < levels; ++level) {
        WriteLevel(texture, level, [&](UINT x, UINT y) { return 0x01000000u * level + y * 256 + x; });
    }
    std::vector<BYTE> file;
    ASSERT_EQ(tovtex_tool::TextureToDds(texture, &file), S_OK);
    Image image;
    ASSERT_EQ(ReadDds(&image, file.data(), static_cast<UINT>(file.size())), S_OK);
    const Image* read = &image;
    for (UINT level = 0; level < levels; ++level, read = read->nextLevel) {
        ASSERT_NE(read, nullptr);
        const std::vector<uint32_t> expected = ReadLevel(texture, level);
        std::vector<uint32_t> stored(expected.size());
        std::memcpy(stored.data(), read->pixels, stored.size() * 4);
        EXPECT_EQ(stored, expected) << "level " << level;
    }
    EXPECT_EQ(read, nullptr);
    texture->Release();
}

TEST_F(TextureToDdsTest, FormatsWithoutADdsLayoutAreRefused) {
    IDirect3DTexture8* texture = NewTexture(4, 4, 1, D3DFMT_L8);
    ASSERT_NE(texture, nullptr);
    std::vector<BYTE> file;
    EXPECT_EQ(tovtex_tool::TextureToDds(texture, &file), D3DERR_NOTAVAILABLE);
    texture->Release();
}

}  // namespace
