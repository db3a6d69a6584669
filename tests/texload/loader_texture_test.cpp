// The texture front door: the game's loads, stored levels and the two ways
// of filling lower levels, defaults, palettes and colour keys, the
// default-pool twin, cube loads and failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "allocation_limit.h"
#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "support/texture_device_fixture.h"
#include "texload/image_file_to_surface.h"
#include "texload/image_readers.h"
#include "texload/texture_loader.h"

namespace {

using test_support::Bytes;

constexpr DWORD MIPS = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP;

// A 24-bit bitmap with a smooth but uneven picture.
Bytes Picture24(int width, int height) {
    test_support::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    const uint32_t stride = test_support::BmpStride(width, 24);
    layout.pixels.assign(size_t{stride} * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &layout.pixels[size_t{stride} * y + 3 * x];
            p[0] = static_cast<uint8_t>(x * 255 / width);
            p[1] = static_cast<uint8_t>(y * 255 / height);
            p[2] = static_cast<uint8_t>((x * y) % 251);
        }
    }
    return test_support::BuildBmp(layout);
}

// An 8-bit bitmap: index (x + y) % 4 over red, opaque green, blue, white.
Bytes Picture8() {
    test_support::BmpLayout layout;
    layout.width = 8;
    layout.height = 4;
    layout.bitCount = 8;
    layout.colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    layout.coloursUsed = 4;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            layout.pixels.push_back(static_cast<uint8_t>((x + y) % 4));
        }
    }
    return test_support::BuildBmp(layout);
}

class LoaderTest : public TextureDeviceTest {
protected:
    void TearDown() override {
        if (!tempDir_.empty()) {
            std::filesystem::remove_all(tempDir_);
        }
        TextureDeviceTest::TearDown();
    }

    std::string WriteTemp(const std::string& name, const Bytes& bytes) {
        if (tempDir_.empty()) {
            tempDir_ = test_support::MakeTempDir();
        }
        const std::string path = tempDir_ + "/" + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!bytes.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        }
        std::fclose(file);
        return path;
    }

    // What a level must hold when resampled straight from one image level.
    std::vector<uint32_t> Resampled(const Image& level, UINT width, UINT height, DWORD filter) {
        ComRef<IDirect3DTexture8> texture;
        *texture.Out() = NewTexture(width, height, 1, D3DFMT_A8R8G8B8);
        ComRef<IDirect3DSurface8> surface;
        texture->GetSurfaceLevel(0, surface.Out());
        EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, level.pixels, level.format, level.rowPitch,
                                      level.palette, &level.rect, filter, 0),
                  S_OK);
        return ReadPixels(surface.Get());
    }

    HRESULT Load(const Bytes& file, UINT width, UINT height, D3DFORMAT format, D3DCOLOR key,
                 IDirect3DTexture8** texture, PALETTEENTRY* palette = nullptr, D3DPOOL pool = D3DPOOL_MANAGED,
                 DWORD filter = FILTER_LINEAR, DWORD mipFilter = FILTER_LINEAR, ImageInfo* info = nullptr) {
        return LoadTextureFromMemory(device_, file.data(), static_cast<UINT>(file.size()), width, height, 0, 0, format,
                                     pool, filter, mipFilter, key, info, palette, texture);
    }

    static D3DSURFACE_DESC Desc(IDirect3DTexture8* texture, UINT level = 0) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        return desc;
    }

    std::string tempDir_;
};

TEST_F(LoaderTest, GamePathResamplesEveryLevelFromThePicture) {
    UseProfile([](platform_testing::DeviceProfile& p) { p.textureCaps = D3DPTEXTURECAPS_POW2 | MIPS; });
    const Bytes file = Picture24(300, 200);
    const std::string path = WriteTemp("picture.qmd", file);
    ComRef<IDirect3DTexture8> texture;
    ASSERT_EQ(LoadTextureFromFileA(device_, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, FILTER_LINEAR,
                                   FILTER_LINEAR, 0, nullptr, nullptr, texture.Out()),
              S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 10u);
    EXPECT_EQ(Desc(texture.Get()).Width, 512u);
    EXPECT_EQ(Desc(texture.Get()).Height, 256u);
    EXPECT_EQ(Desc(texture.Get()).Format, D3DFMT_A8R8G8B8);

    Image image;
    ASSERT_EQ(DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), nullptr), S_OK);
    for (UINT level = 0; level < 10; ++level) {
        const D3DSURFACE_DESC desc = Desc(texture.Get(), level);
        EXPECT_EQ(ReadLevel(texture.Get(), level), Resampled(image, desc.Width, desc.Height, FILTER_LINEAR))
            << "level " << level;
    }
}

// 32 x 32 A8R8G8B8 with four stored levels, down to 4 x 4.
Bytes DdsWithFourLevels() {
    test_support::DdsLayout layout;
    layout.width = 32;
    layout.height = 32;
    layout.mipCount = 4;
    layout.pfFlags = 0x41;
    layout.masks[3] = 0xFF000000u;
    layout.dataBytes = 4 * (32 * 32 + 16 * 16 + 8 * 8 + 4 * 4);
    return test_support::BuildDds(layout);
}

TEST_F(LoaderTest, StoredLevelsFirstThenTheMipFilterFromTheDeepestOne) {
    const Bytes file = DdsWithFourLevels();
    Image image;
    ASSERT_EQ(DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), nullptr), S_OK);
    const Image* stored[4] = {&image, image.nextLevel, image.nextLevel->nextLevel,
                              image.nextLevel->nextLevel->nextLevel};

    ComRef<IDirect3DTexture8> texture;
    ASSERT_EQ(Load(file, 0, 0, D3DFMT_A8R8G8B8, 0, texture.Out()), S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 6u);
    for (UINT level = 0; level < 4; ++level) {
        EXPECT_EQ(ReadLevel(texture.Get(), level), Resampled(*stored[level], 32 >> level, 32 >> level, FILTER_LINEAR));
    }
    EXPECT_EQ(ReadLevel(texture.Get(), 4), Resampled(*stored[3], 2, 2, FILTER_LINEAR));
    EXPECT_EQ(ReadLevel(texture.Get(), 5), Resampled(*stored[3], 1, 1, FILTER_LINEAR));

    // With the box mip filter the builder halves level by level instead.
    ComRef<IDirect3DTexture8> boxed;
    ASSERT_EQ(Load(file, 0, 0, D3DFMT_A8R8G8B8, 0, boxed.Out(), nullptr, D3DPOOL_MANAGED, FILTER_LINEAR, FILTER_BOX),
              S_OK);
    const std::vector<uint32_t> level3 = ReadLevel(boxed.Get(), 3);
    EXPECT_EQ(level3, ReadLevel(texture.Get(), 3));
    const std::vector<uint32_t> level4 = ReadLevel(boxed.Get(), 4);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 2; ++x) {
            for (int c = 0; c < 4; ++c) {
                const int sum = Channel(level3[8 * y + 2 * x], c) + Channel(level3[8 * y + 2 * x + 1], c) +
                                Channel(level3[8 * y + 4 + 2 * x], c) + Channel(level3[8 * y + 4 + 2 * x + 1], c);
                EXPECT_NEAR(Channel(level4[2 * y + x], c), sum / 4.0, 1.0);
            }
        }
    }
}

TEST_F(LoaderTest, SizesAndDefaultFilters) {
    const Bytes wide = Picture24(128, 32);
    ComRef<IDirect3DTexture8> texture;
    ASSERT_EQ(Load(wide, DEFAULT_ARG, 64, D3DFMT_A8R8G8B8, 0, texture.Out()), S_OK);
    EXPECT_EQ(Desc(texture.Get()).Width, 128u);
    EXPECT_EQ(Desc(texture.Get()).Height, 64u);

    // The default filters of a decoded file: triangle with dithering, then
    // box (into a 16-bit format, where dithering shows).
    const Bytes file = Picture24(45, 30);
    ComRef<IDirect3DTexture8> byDefault;
    ComRef<IDirect3DTexture8> named;
    ASSERT_EQ(Load(file, 64, 32, D3DFMT_R5G6B5, 0, byDefault.Out(), nullptr, D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG),
              S_OK);
    ASSERT_EQ(Load(file, 64, 32, D3DFMT_R5G6B5, 0, named.Out(), nullptr, D3DPOOL_MANAGED,
                   FILTER_TRIANGLE | FILTER_DITHER, FILTER_BOX),
              S_OK);
    ASSERT_EQ(byDefault->GetLevelCount(), named->GetLevelCount());
    for (UINT level = 0; level < named->GetLevelCount(); ++level) {
        ComRef<IDirect3DSurface8> a;
        ComRef<IDirect3DSurface8> b;
        byDefault->GetSurfaceLevel(level, a.Out());
        named->GetSurfaceLevel(level, b.Out());
        const D3DSURFACE_DESC desc = Desc(named.Get(), level);
        EXPECT_EQ(ReadBytes(a.Get(), desc.Width * 2, desc.Height), ReadBytes(b.Get(), desc.Width * 2, desc.Height));
    }
    ComRef<IDirect3DTexture8> viaDefaultForm;
    ASSERT_EQ(LoadTextureFromMemoryDefault(device_, file.data(), static_cast<UINT>(file.size()), viaDefaultForm.Out()),
              S_OK);
    EXPECT_EQ(Desc(viaDefaultForm.Get()).Width, 45u);
    EXPECT_EQ(Desc(viaDefaultForm.Get()).Format, D3DFMT_X8R8G8B8);
}

TEST_F(LoaderTest, FormatsPalettesAndColourKeys) {
    struct Case {
        const char* name;
        Bytes file;
        D3DCOLOR key;
        bool paletteArray;
        D3DFORMAT format;
        std::vector<uint32_t> firstRow;  // empty: not checked
    };
    const uint32_t red = 0xFFFF0000u, green = 0xFF00FF00u, blue = 0xFF0000FFu, white = 0xFFFFFFFFu;
    const Case cases[] = {
        {"palette, green keyed",
         Picture8(),
         0xFF00FF00u,
         false,
         D3DFMT_A8R8G8B8,
         {red, 0, blue, white, red, 0, blue, white}},
        {"palette, no key", Picture8(), 0, false, D3DFMT_X8R8G8B8, {}},
        {"palette, key matches nothing", Picture8(), 0xFE00FF00u, false, D3DFMT_X8R8G8B8, {}},
        {"palette handed back", Picture8(), 0xFF00FF00u, true, D3DFMT_P8, {}},
        {"24-bit, no key", Picture24(8, 4), 0, false, D3DFMT_X8R8G8B8, {}},
        {"24-bit, keyed", Picture24(8, 4), 0xFF000000u, false, D3DFMT_A8R8G8B8, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComRef<IDirect3DTexture8> texture;
        PALETTEENTRY palette[256];
        ASSERT_EQ(Load(c.file, 0, 0, D3DFMT_UNKNOWN, c.key, texture.Out(), c.paletteArray ? palette : nullptr,
                       D3DPOOL_MANAGED, FILTER_NONE, FILTER_BOX),
                  S_OK);
        EXPECT_EQ(Desc(texture.Get()).Format, c.format);
        if (!c.firstRow.empty()) {
            // Bitmaps are stored bottom-up: the first row is the last stored.
            std::vector<uint32_t> pixels = ReadLevel(texture.Get(), 0);
            pixels.resize(8);
            std::vector<uint32_t> expected = c.firstRow;
            std::rotate(expected.begin(), expected.begin() + 3, expected.end());
            EXPECT_EQ(pixels, expected);
        }
        if (c.paletteArray) {
            EXPECT_EQ(palette[0].peRed, 0xFF);
            EXPECT_EQ(palette[0].peFlags, 0xFF);
            EXPECT_EQ(palette[1].peGreen, 0);  // keyed: transparent black
            EXPECT_EQ(palette[1].peFlags, 0);
            EXPECT_EQ(palette[200].peFlags, 0xFF);  // entries the file lacks are opaque white
        }
    }
    (void)green;
}

TEST_F(LoaderTest, DefaultPoolIsFilledThroughASystemMemoryTwin) {
    const Bytes file = Picture24(32, 16);
    ComRef<IDirect3DTexture8> managed;
    ComRef<IDirect3DTexture8> inDefault;
    ASSERT_EQ(Load(file, 0, 0, D3DFMT_A8R8G8B8, 0, managed.Out()), S_OK);
    ASSERT_EQ(Load(file, 0, 0, D3DFMT_A8R8G8B8, 0, inDefault.Out(), nullptr, D3DPOOL_DEFAULT), S_OK);
    EXPECT_EQ(Desc(inDefault.Get()).Pool, D3DPOOL_DEFAULT);
    ASSERT_EQ(inDefault->GetLevelCount(), managed->GetLevelCount());
    // Bring the default-pool contents back into memory we may read.
    ComRef<IDirect3DTexture8> readBack;
    *readBack.Out() = NewTexture(32, 16, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    for (UINT level = 0; level < managed->GetLevelCount(); ++level) {
        ComRef<IDirect3DSurface8> from;
        ComRef<IDirect3DSurface8> to;
        inDefault->GetSurfaceLevel(level, from.Out());
        readBack->GetSurfaceLevel(level, to.Out());
        D3DLOCKED_RECT locked{};
        if (from->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            from->UnlockRect();
            EXPECT_EQ(ReadPixels(from.Get()), ReadLevel(managed.Get(), level));
        }
    }
}

TEST_F(LoaderTest, CubeLoads) {
    // A 2D picture is not a cube; the description is filled all the same.
    const Bytes flat = Picture24(16, 8);
    ImageInfo info{};
    ComRef<IDirect3DCubeTexture8> cube;
    EXPECT_EQ(LoadCubeTextureFromMemory(device_, flat.data(), static_cast<UINT>(flat.size()), 0, 0, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, FILTER_DEFAULT, FILTER_DEFAULT, 0, &info, nullptr, cube.Out()),
              E_FAIL);
    EXPECT_FALSE(cube);
    EXPECT_EQ(info.width, 16u);
    EXPECT_EQ(info.height, 8u);
    EXPECT_EQ(info.format, D3DFMT_R8G8B8);

    test_support::DdsLayout layout;
    layout.width = 8;
    layout.height = 8;
    layout.mipCount = 1;
    layout.pfFlags = 0x41;
    layout.masks[3] = 0xFF000000u;
    layout.caps2 = 0xFE00;
    layout.dataBytes = 6 * 8 * 8 * 4;
    const Bytes file = test_support::BuildDds(layout);
    const std::string path = WriteTemp("cube.dds", file);
    ASSERT_EQ(LoadCubeTextureFromFileA(device_, path.c_str(), 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, FILTER_DEFAULT,
                                       FILTER_LINEAR, 0, nullptr, nullptr, cube.Out()),
              S_OK);
    EXPECT_EQ(cube->GetLevelCount(), 4u);
    ComRef<IDirect3DCubeTexture8> managed;
    ASSERT_EQ(LoadCubeTextureFromFileDefaultA(device_, path.c_str(), managed.Out()), S_OK);
    for (UINT face = 0; face < 6; ++face) {
        ComRef<IDirect3DSurface8> top;
        ComRef<IDirect3DSurface8> bottom;
        managed->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, top.Out());
        managed->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 3, bottom.Out());
        std::vector<uint32_t> expected(64);
        std::memcpy(expected.data(), file.data() + 128 + face * 256, 256);
        EXPECT_EQ(ReadPixels(top.Get()), expected) << "face " << face;
        // The box chain of each face stays within that face.
        uint64_t sums[4] = {};
        for (uint32_t pixel : expected) {
            for (int c = 0; c < 4; ++c) {
                sums[c] += Channel(pixel, c);
            }
        }
        const uint32_t mean = ReadPixels(bottom.Get())[0];
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(Channel(mean, c), sums[c] / 64.0, 2.0) << "face " << face;
        }
    }
}

TEST_F(LoaderTest, FailuresLeaveTheOutputAndTheInformationAlone) {
    const Bytes file = Picture24(4, 4);
    IDirect3DTexture8* const untouched = reinterpret_cast<IDirect3DTexture8*>(0x1);
    IDirect3DTexture8* texture = untouched;
    ImageInfo info{77, 77, 77, 77, D3DFMT_UNKNOWN};
    const uint8_t junk[20] = {9, 9, 9};
    const std::string empty = WriteTemp("empty.bmp", {});
    const std::string missing = (tempDir_.empty() ? std::string("/nonexistent") : tempDir_) + "/missing.bmp";
    struct Case {
        const char* name;
        std::function<HRESULT()> call;
        HRESULT result;
    };
    const Case cases[] = {
        {"no device",
         [&] {
             return LoadTextureFromMemory(nullptr, file.data(), 4, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                          DEFAULT_ARG, DEFAULT_ARG, 0, &info, nullptr, &texture);
         },
         D3DERR_INVALIDCALL},
        {"no data", [&] { return LoadTextureFromMemoryDefault(device_, nullptr, 10, &texture); }, D3DERR_INVALIDCALL},
        {"size 0", [&] { return LoadTextureFromMemoryDefault(device_, file.data(), 0, &texture); }, D3DERR_INVALIDCALL},
        {"no reader", [&] { return LoadTextureFromMemoryDefault(device_, junk, sizeof(junk), &texture); },
         ERR_INVALIDDATA},
        {"missing file", [&] { return LoadTextureFromFileDefaultA(device_, missing.c_str(), &texture); },
         static_cast<HRESULT>(0x80070002)},
        {"missing file, wide name",
         [&] {
             const std::u16string wide(missing.begin(), missing.end());
             return LoadTextureFromFileDefaultW(device_, wide.c_str(), &texture);
         },
         static_cast<HRESULT>(0x80070002)},
        {"zero-length file",
         [&] {
             return LoadTextureFromFileA(device_, empty.c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                         DEFAULT_ARG, DEFAULT_ARG, 0, &info, nullptr, &texture);
         },
         static_cast<HRESULT>(0x800703EE)},
        {"null file name", [&] { return LoadTextureFromFileDefaultA(device_, nullptr, &texture); }, D3DERR_INVALIDCALL},
        {"bad pool", [&] { return Load(file, 0, 0, D3DFMT_UNKNOWN, 0, &texture, nullptr, static_cast<D3DPOOL>(7)); },
         D3DERR_INVALIDCALL},
        {"missing resource", [&] { return LoadTextureFromResourceDefaultA(device_, nullptr, "NOPE", &texture); },
         static_cast<HRESULT>(0x80070715)},  // no bitmap resources at all: type not found
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(texture, untouched);
        EXPECT_EQ(info.width, 77u);
    }
    UseProfile([](platform_testing::DeviceProfile& p) { p.formats[D3DRTYPE_TEXTURE] = {D3DFMT_V8U8}; });
    EXPECT_EQ(Load(file, 0, 0, D3DFMT_UNKNOWN, 0, &texture), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(texture, untouched);
}

TEST_F(LoaderTest, PictureAboveThePixelLimitIsRefusedByEveryEntry) {
    // Every way in reaches the readers through DecodeImageFile; the caller
    // learns why the picture was refused.
    const Bytes file = Picture24(9, 8);
    const std::string path = WriteTemp("picture.bmp", file);
    ComRef<IDirect3DTexture8> target;
    *target.Out() = NewTexture(16, 16, 1, D3DFMT_A8R8G8B8);
    ComRef<IDirect3DSurface8> surface;
    ASSERT_EQ(target->GetSurfaceLevel(0, surface.Out()), S_OK);
    platform_testing::AddResource(nullptr, MAKEINTRESOURCEA(2), "PICTURE", file.data(), file.size());
    IDirect3DTexture8* const untouched = reinterpret_cast<IDirect3DTexture8*>(0x1);
    IDirect3DTexture8* texture = untouched;
    IDirect3DCubeTexture8* cube = nullptr;
    const UINT size = static_cast<UINT>(file.size());
    struct Case {
        const char* name;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {"texture from memory", [&] { return LoadTextureFromMemoryDefault(device_, file.data(), size, &texture); }},
        {"texture from a file", [&] { return LoadTextureFromFileDefaultA(device_, path.c_str(), &texture); }},
        {"texture from a resource",
         [&] { return LoadTextureFromResourceDefaultA(device_, nullptr, "PICTURE", &texture); }},
        {"cube from memory", [&] { return LoadCubeTextureFromMemoryDefault(device_, file.data(), size, &cube); }},
        {"surface from memory",
         [&] {
             return CopyImageFileToSurface(surface.Get(), nullptr, nullptr, file.data(), size, nullptr, FILTER_POINT, 0,
                                           nullptr);
         }},
        {"surface from a file",
         [&] {
             return CopyFileToSurfaceA(surface.Get(), nullptr, nullptr, path.c_str(), nullptr, FILTER_POINT, 0,
                                       nullptr);
         }},
        {"surface from a resource",
         [&] {
             return CopyResourceToSurfaceA(surface.Get(), nullptr, nullptr, nullptr, "PICTURE", nullptr, FILTER_POINT,
                                           0, nullptr);
         }},
    };
    {
        PixelLimit limit(64);
        for (const Case& c : cases) {
            EXPECT_EQ(c.call(), ERR_IMAGETOOLARGE) << c.name;
        }
        EXPECT_EQ(texture, untouched);
        EXPECT_EQ(cube, nullptr);
    }
    // With the limit at the picture's 72 pixels it loads.
    PixelLimit limit(72);
    ComRef<IDirect3DTexture8> loaded;
    EXPECT_EQ(LoadTextureFromMemoryDefault(device_, file.data(), size, loaded.Out()), S_OK);
    platform_testing::ClearResources();
}

TEST_F(LoaderTest, ResourcesAndWideNames) {
    const Bytes file = Picture24(8, 8);
    platform_testing::AddResource(nullptr, MAKEINTRESOURCEA(2), "PICTURE", file.data(), file.size());
    ComRef<IDirect3DTexture8> narrow;
    ComRef<IDirect3DTexture8> wide;
    EXPECT_EQ(LoadTextureFromResourceDefaultA(device_, nullptr, "PICTURE", narrow.Out()), S_OK);
    EXPECT_EQ(LoadTextureFromResourceDefaultW(device_, nullptr, u"PICTURE", wide.Out()), S_OK);
    platform_testing::ClearResources();
    ASSERT_TRUE(narrow && wide);
    EXPECT_EQ(ReadLevel(narrow.Get(), 0), ReadLevel(wide.Get(), 0));

    const std::string path = WriteTemp("picture.bmp", file);
    const std::u16string widePath(path.begin(), path.end());
    ComRef<IDirect3DTexture8> fromFile;
    ASSERT_EQ(LoadTextureFromFileW(device_, widePath.c_str(), 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_SYSTEMMEM,
                                   FILTER_POINT, FILTER_POINT, 0, nullptr, nullptr, fromFile.Out()),
              S_OK);
    EXPECT_EQ(fromFile->GetLevelCount(), 1u);
    EXPECT_EQ(ReadLevel(fromFile.Get(), 0), ReadLevel(narrow.Get(), 0));
}

}  // namespace

namespace {

// The game's own pictures load as the game asks for them.
TEST_F(LoaderTest, GamePicturesLoad) {
    struct Case {
        const char* file;
        UINT width, height, levels;
    };
    const Case cases[] = {{"texture1.dds", 256, 256, 9}, {"title.qmd", 640, 480, 1}, {"bg.qmd", 1024, 256, 11}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = test_support::SourceDir() + "/data/" + c.file;
        ComRef<IDirect3DTexture8> texture;
        ASSERT_EQ(LoadTextureFromFileA(device_, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       FILTER_LINEAR, FILTER_LINEAR, 0, nullptr, nullptr, texture.Out()),
                  S_OK);
        EXPECT_EQ(Desc(texture.Get()).Width, c.width);
        EXPECT_EQ(Desc(texture.Get()).Height, c.height);
        EXPECT_EQ(texture->GetLevelCount(), c.levels);
    }
}

}  // namespace
