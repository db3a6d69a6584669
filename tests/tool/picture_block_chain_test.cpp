// A block chain compressed straight from the decoded picture writes the very
// bytes of the route through a whole uncompressed chain and the library's
// DDS writer (either header), on any number of threads, with the searching
// encoders or the library's, and is taken only where the top level would be
// the picture's own bytes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "any_shape_loader.h"
#include "base/com_ref.h"
#include "block_chain.h"
#include "d3d8_profiles.h"
#include "dds_writer.h"
#include "pending_picture.h"
#include "picture_block_chain.h"
#include "png_writer.h"
#include "support/device_fixture.h"
#include "support/lcg.h"
#include "support/test_paths.h"
#include "tovtex.h"

namespace {

using tovtex_tool::AnyShape;
using tovtex_tool::BlockEncoding;
using tovtex_tool::ChainRework;

std::vector<BYTE> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PictureBlockChain : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(platform::SelectDeviceProfile("modern"));
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 1;
        params.BackBufferHeight = 1;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.Windowed = TRUE;
        CreateDevice(params);
    }

    // Smooth ramps, hard edges and noise, alpha across the whole range; a
    // row pitch wider than the row, as decoders may leave it.
    void Fill(Image* image, std::vector<DWORD>* pixels, UINT width, UINT height, uint32_t seed) {
        const UINT pitch = width + 3;
        test_support::Lcg random{seed};
        pixels->assign(static_cast<size_t>(pitch) * height, 0xDEADBEEF);
        for (UINT y = 0; y < height; ++y) {
            for (UINT x = 0; x < width; ++x) {
                const DWORD noise = random.Next();
                const DWORD edge = (x / 3 + y / 5) % 4 == 0 ? 0x00F01E00 : 0;
                const DWORD ramp = (x * 255 / width) << 16 | (y * 255 / height) << 8;
                (*pixels)[static_cast<size_t>(y) * pitch + x] =
                    (noise & 0xFF00000F) | ((ramp ^ edge) & 0x00FFFFF0) | ((x * y) & 0xF0);
            }
        }
        image->format = D3DFMT_A8R8G8B8;
        image->pixels = reinterpret_cast<BYTE*>(pixels->data());
        image->rowPitch = pitch * 4;
        image->rect = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    }
};

TEST_F(PictureBlockChain, WritesTheBytesOfTheWholeChain) {
    // library: the library's encoder, whose bytes are those of the library's
    // own copy of each whole level; the tall shapes are shared out in bands
    // of block rows, one ending in a lone partial block row.
    const struct {
        UINT width, height, levels;
        D3DFORMAT format;
        DWORD filter, mipFilter;
        DxtEncodeOptions encoder;
        DWORD ddsFlags;
        bool library;
    } cases[] = {
        {64, 64, 7, D3DFMT_DXT5, FILTER_TRIANGLE, FILTER_BOX, {}, 0, false},
        {52, 36, 6, D3DFMT_DXT1, FILTER_TRIANGLE, FILTER_BOX, {DXT_QUALITY_BEST, 90, false}, DDS_SAVE_DX10, false},
        {37, 5, 6, D3DFMT_DXT3, FILTER_NONE, FILTER_TRIANGLE, {}, 0, false},
        {1, 9, 4, D3DFMT_DXT5, FILTER_POINT, FILTER_POINT | FILTER_MIRROR_V, {}, DDS_SAVE_DX10 | DDS_SAVE_SRGB, false},
        {20, 12, 5, D3DFMT_DXT4, FILTER_BOX, FILTER_LINEAR | FILTER_MIRROR_U, {DXT_QUALITY_NORMAL, 128, true},
         DDS_SAVE_DX10 | DDS_SAVE_PREMULTIPLIED, false},
        {16, 16, 1, D3DFMT_DXT2, FILTER_TRIANGLE, FILTER_BOX, {}, 0, false},
        {33, 70, 3, D3DFMT_DXT1, FILTER_TRIANGLE, FILTER_BOX | FILTER_DITHER, {}, 0, false},
        {64, 34, 7, D3DFMT_DXT1, FILTER_TRIANGLE, FILTER_BOX, {}, 0, true},
        {37, 70, 7, D3DFMT_DXT2, FILTER_TRIANGLE, FILTER_BOX, {}, DDS_SAVE_DX10, true},
        {9, 130, 8, D3DFMT_DXT3, FILTER_POINT, FILTER_LINEAR | FILTER_MIRROR_V, {}, 0, true},
        {60, 36, 6, D3DFMT_DXT4, FILTER_BOX, FILTER_BOX, {}, DDS_SAVE_DX10 | DDS_SAVE_PREMULTIPLIED, true},
        {2, 3, 2, D3DFMT_DXT5, FILTER_TRIANGLE, FILTER_BOX, {}, DDS_SAVE_DX10 | DDS_SAVE_SRGB, true},
    };
    uint32_t seed = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " format " +
                     std::to_string(c.format) + " levels " + std::to_string(c.levels));
        Image image;
        std::vector<DWORD> pixels;
        Fill(&image, &pixels, c.width, c.height, seed++);
        const AnyShape shape{c.width, c.height, c.levels, D3DFMT_A8R8G8B8, c.filter, c.mipFilter, 0};
        BlockEncoding encoding{c.library, c.encoder, 1};
        ASSERT_TRUE(tovtex_tool::CompressesFromPicture(image, shape, ChainRework{}));

        ComRef<IDirect3DTexture8> chain;
        ASSERT_EQ(tovtex_tool::LoadAnyShape(device_, image, shape, &chain), S_OK);
        std::vector<BYTE> expected;
        if (c.library) {
            ComRef<IDirect3DTexture8> blocks;
            ASSERT_EQ(device_->CreateTexture(c.width, c.height, c.levels, 0, c.format, D3DPOOL_SYSTEMMEM, blocks.Out()),
                      S_OK);
            for (UINT level = 0; level < c.levels; ++level) {
                ComRef<IDirect3DSurface8> from, to;
                ASSERT_EQ(chain->GetSurfaceLevel(level, from.Out()), S_OK);
                ASSERT_EQ(blocks->GetSurfaceLevel(level, to.Out()), S_OK);
                ASSERT_EQ(CopySurfaceToSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, FILTER_NONE, 0),
                          S_OK);
            }
            ASSERT_EQ(tovtex_tool::SaveDds(blocks.Get(), c.ddsFlags, &expected), S_OK);
        } else {
            ASSERT_EQ(tovtex_tool::CompressToDds(device_, chain.Get(), c.format, encoding, c.ddsFlags, &expected),
                      S_OK);
        }
        for (unsigned threads : {1u, 2u, 5u}) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            encoding.threads = threads;
            std::vector<BYTE> direct;
            ASSERT_EQ(tovtex_tool::CompressPictureToDds(device_, image, shape, c.format, encoding, c.ddsFlags, &direct), S_OK);
            EXPECT_EQ(direct, expected);
            if (c.library) {
                std::vector<BYTE> whole;
                ASSERT_EQ(tovtex_tool::CompressToDds(device_, chain.Get(), c.format, encoding, c.ddsFlags, &whole),
                          S_OK);
                EXPECT_EQ(whole, expected);
            }
        }
        image.pixels = nullptr;  // not the image's own
    }
}

// The picture decoded from its file while its top level is compressed,
// block row by block row as its pixel rows are finished: the bytes of the
// route through the whole uncompressed chain, opaque JPEG and PNG pictures
// (decoded with full alpha) as much as PNG pictures with alpha, with either
// encoder; a broken file gives the decoder's own result and no bytes.
TEST_F(PictureBlockChain, CompressingWhileDecodingWritesTheSameBytes) {
    const struct {
        const char* file;  // of the public suites; null: a PNG of Fill's picture
        UINT width, height, levels;
        D3DFORMAT format;
        DxtEncodeOptions encoder;
        bool library;
        DWORD mipFilter = FILTER_BOX;
    } cases[] = {
        {nullptr, 64, 64, 7, D3DFMT_DXT5, {}, false},
        {nullptr, 52, 38, 6, D3DFMT_DXT1, {DXT_QUALITY_BEST, 90, false}, false},
        {nullptr, 37, 5, 6, D3DFMT_DXT3, {}, false},
        {nullptr, 1, 9, 4, D3DFMT_DXT5, {}, false},
        {nullptr, 300, 203, 1, D3DFMT_DXT5, {}, false},
        {nullptr, 300, 203, 9, D3DFMT_DXT5, {}, true},
        {nullptr, 64, 34, 7, D3DFMT_DXT2, {}, true},
        {"jpeg/libjpeg-turbo/testorig.jpg", 227, 149, 8, D3DFMT_DXT1, {}, false},
        {"jpeg/libjpeg-turbo/testorig.jpg", 227, 149, 8, D3DFMT_DXT5, {}, true},
        {"pngsuite/basn2c08.png", 32, 32, 6, D3DFMT_DXT1, {}, true},
        {"pngsuite/basi2c08.png", 32, 32, 6, D3DFMT_DXT3, {DXT_QUALITY_BEST, 128, false}, false},
        // Tall enough that the rows pass through a window a few times over.
        {nullptr, 24, 1200, 11, D3DFMT_DXT5, {}, false},
        {nullptr, 40, 1030, 11, D3DFMT_DXT1, {}, true, FILTER_POINT},
        {nullptr, 36, 900, 10, D3DFMT_DXT5, {DXT_QUALITY_BEST, 128, false}, false, FILTER_POINT | FILTER_MIRROR_V},
        {nullptr, 20, 1201, 1, D3DFMT_DXT3, {}, true},
        {nullptr, 20, 1201, 11, D3DFMT_DXT5, {}, false},
        // Widths whose window is not a whole number of rows' pages: rows
        // straddle its seams, and level 1 is not a plain halving across.
        {nullptr, 27, 1100, 11, D3DFMT_DXT5, {}, false},
        {nullptr, 101, 700, 10, D3DFMT_DXT1, {}, true, FILTER_POINT},
    };
    uint32_t seed = 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file != nullptr ? c.file : "") + " " + std::to_string(c.width) + "x" +
                     std::to_string(c.height) + " format " + std::to_string(c.format) + " levels " +
                     std::to_string(c.levels) + (c.library ? " library" : ""));
        std::vector<BYTE> file;
        if (c.file != nullptr) {
            file = ReadFileBytes(test_support::TestDataDir() + "/" + c.file);
            ASSERT_FALSE(file.empty());
        } else {
            Image source;
            std::vector<DWORD> pixels;
            Fill(&source, &pixels, c.width, c.height, seed++);
            std::vector<uint32_t> packed;
            for (UINT y = 0; y < c.height; ++y) {
                const DWORD* row = reinterpret_cast<const DWORD*>(source.pixels + y * source.rowPitch);
                packed.insert(packed.end(), row, row + c.width);
            }
            source.pixels = nullptr;  // not the image's own
            ASSERT_EQ(tovtex_tool::EncodePng(packed.data(), c.width, c.height, &file), S_OK);
        }
        const UINT size = static_cast<UINT>(file.size());

        Image decoded;
        ASSERT_EQ(DecodeImageFile(&decoded, file.data(), size, nullptr), S_OK);
        ASSERT_EQ(static_cast<UINT>(decoded.rect.right), c.width);
        ASSERT_EQ(decoded.format, c.file != nullptr ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8);
        const AnyShape shape{c.width, c.height, c.levels, D3DFMT_A8R8G8B8, FILTER_TRIANGLE, c.mipFilter, 0};
        BlockEncoding encoding{c.library, c.encoder, 1};
        ComRef<IDirect3DTexture8> chain;
        ASSERT_EQ(tovtex_tool::LoadAnyShape(device_, decoded, shape, &chain), S_OK);
        std::vector<BYTE> expected;
        ASSERT_EQ(tovtex_tool::CompressToDds(device_, chain.Get(), c.format, encoding, 0, &expected), S_OK);
        for (unsigned threads : {1u, 2u, 5u}) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            encoding.threads = threads;
            Image image;
            tovtex_tool::PendingPicture pending;
            ASSERT_TRUE(pending.Defer(file.data(), size, &image));
            ASSERT_TRUE(tovtex_tool::CompressesFromPicture(image, shape, ChainRework{}, &pending));
            std::vector<BYTE> streamed;
            ASSERT_EQ(tovtex_tool::CompressPictureToDds(device_, image, shape, c.format, encoding, 0, &streamed,
                                                        &pending),
                      S_OK);
            EXPECT_FALSE(pending.Pending());
            EXPECT_FALSE(pending.Failed());
            EXPECT_EQ(streamed, expected);
        }
        if (c.file != nullptr) {
            continue;
        }
        // Cut short: the header still plans the picture, the decode fails.
        const UINT cut = size / 2;
        Image broken;
        const HRESULT own = DecodeImageFile(&broken, file.data(), cut, nullptr);
        ASSERT_TRUE(FAILED(own));
        Image image;
        tovtex_tool::PendingPicture pending;
        ASSERT_TRUE(pending.Defer(file.data(), cut, &image));
        std::vector<BYTE> streamed;
        encoding.threads = 2;
        EXPECT_EQ(tovtex_tool::CompressPictureToDds(device_, image, shape, c.format, encoding, 0, &streamed, &pending),
                  own);
        EXPECT_TRUE(pending.Failed());
        EXPECT_TRUE(streamed.empty());
    }
}

TEST_F(PictureBlockChain, TakenOnlyWhereTheTopLevelIsThePicture) {
    Image image;
    std::vector<DWORD> pixels;
    Fill(&image, &pixels, 24, 16, 9);
    const AnyShape shape{24, 16, 5, D3DFMT_A8R8G8B8, FILTER_TRIANGLE, FILTER_BOX, 0};
    EXPECT_TRUE(tovtex_tool::CompressesFromPicture(image, shape, {}));
    const struct {
        const char* what;
        AnyShape shape;
        ChainRework rework;
    } refused[] = {
        {"another size", {24, 12, 5, D3DFMT_A8R8G8B8, FILTER_TRIANGLE, FILTER_BOX, 0}, {}},
        {"a colour key", {24, 16, 5, D3DFMT_A8R8G8B8, FILTER_TRIANGLE, FILTER_BOX, 0xFF000000}, {}},
        {"dithering", {24, 16, 5, D3DFMT_A8R8G8B8, FILTER_TRIANGLE | FILTER_DITHER, FILTER_BOX, 0}, {}},
        {"premultiplied", shape, {false, true, FILTER_BOX}},
        {"linear light", shape, {true, false, FILTER_BOX}},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(tovtex_tool::CompressesFromPicture(image, r.shape, r.rework)) << r.what;
    }
    // An opaque picture decoded already may hold anything in its unused
    // byte: the whole chain makes it full alpha.
    image.format = D3DFMT_X8R8G8B8;
    EXPECT_FALSE(tovtex_tool::CompressesFromPicture(image, shape, {})) << "no alpha channel";
    image.pixels = nullptr;
}

}  // namespace
