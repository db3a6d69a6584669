// Fitting requests to device profiles: defaults, limits, aspect ratio,
// powers of two, block multiples, level counts and the format search.

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "support/texture_device_fixture.h"
#include "texload/texture_fitting.h"

namespace {

using platform_testing::DeviceProfile;

class FitTextureTest : public TextureDeviceTest {};

constexpr DWORD MIPS = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_MIPVOLUMEMAP;

void CapsOnly(DeviceProfile& p, DWORD caps) {
    p.textureCaps = caps | D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP;
}

void FormatsOnly(DeviceProfile& p, std::set<D3DFORMAT> formats) {
    p.formats[D3DRTYPE_TEXTURE] = formats;
    p.formats[D3DRTYPE_CUBETEXTURE] = formats;
    p.formats[D3DRTYPE_VOLUMETEXTURE] = formats;
}

TEST_F(FitTextureTest, SizesAndLevelCounts) {
    struct Case {
        const char* name;
        std::function<void(DeviceProfile&)> profile;
        ResourceKind kind;
        UINT width, height, levels;
        D3DFORMAT format;
        UINT wantWidth, wantHeight, wantLevels;
    };
    const Case cases[] = {
        {"all defaults", [](DeviceProfile&) {}, RESOURCE_TEXTURE, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG,
         D3DFMT_A8R8G8B8, 256, 256, 9},
        {"300 square on a power-of-two device", [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_POW2 | MIPS); },
         RESOURCE_TEXTURE, 300, DEFAULT_ARG, 0, D3DFMT_A8R8G8B8, 512, 512, 10},
        {"300 square elsewhere: not a power of two, one level", [](DeviceProfile& p) { CapsOnly(p, MIPS); },
         RESOURCE_TEXTURE, 300, DEFAULT_ARG, 0, D3DFMT_A8R8G8B8, 300, 300, 1},
        {"height from width default", [](DeviceProfile&) {}, RESOURCE_TEXTURE, DEFAULT_ARG, 64, 0, D3DFMT_A8R8G8B8, 64,
         64, 7},
        {"zero sizes", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 0, 0, 0, D3DFMT_A8R8G8B8, 1, 1, 1},
        {"square only", [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_SQUAREONLY | MIPS); }, RESOURCE_TEXTURE,
         1024, 256, 0, D3DFMT_A8R8G8B8, 256, 256, 9},
        {"aspect 2", [](DeviceProfile& p) { p.maxTextureAspectRatio = 2; }, RESOURCE_TEXTURE, 1024, 256, 0,
         D3DFMT_A8R8G8B8, 512, 256, 10},
        {"aspect 2, tall", [](DeviceProfile& p) { p.maxTextureAspectRatio = 2; }, RESOURCE_TEXTURE, 16, 128, 0,
         D3DFMT_A8R8G8B8, 16, 32, 6},
        {"device limits",
         [](DeviceProfile& p) {
             p.maxTextureWidth = 512;
             p.maxTextureHeight = 128;
         },
         RESOURCE_TEXTURE, 2048, 2048, 0, D3DFMT_A8R8G8B8, 512, 128, 10},
        {"no mip maps", [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_POW2); }, RESOURCE_TEXTURE, 256, 256, 0,
         D3DFMT_A8R8G8B8, 256, 256, 1},
        {"cube 100 on a power-of-two device",
         [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_CUBEMAP_POW2 | MIPS); }, RESOURCE_CUBE_TEXTURE, 100, 100, 0,
         D3DFMT_A8R8G8B8, 128, 128, 8},
        {"cube 100 elsewhere", [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_POW2 | MIPS); },
         RESOURCE_CUBE_TEXTURE, 100, 100, 0, D3DFMT_A8R8G8B8, 100, 100, 1},
        {"DXT1 6 x 6 on a power-of-two device", [](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_POW2 | MIPS); },
         RESOURCE_TEXTURE, 6, 6, 0, D3DFMT_DXT1, 8, 8, 4},
        {"DXT1 2 x 2", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 2, 2, 0, D3DFMT_DXT1, 4, 4, 3},
        {"DXT5 6 x 6 without power-of-two demand", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 6, 6, 0, D3DFMT_DXT5, 8, 8,
         4},
        {"5 levels of 9 kept", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 256, 256, 5, D3DFMT_A8R8G8B8, 256, 256, 5},
        {"12 levels of 9 capped", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 256, 256, 12, D3DFMT_A8R8G8B8, 256, 256, 9},
        {"0 levels: full chain", [](DeviceProfile&) {}, RESOURCE_TEXTURE, 256, 256, 0, D3DFMT_A8R8G8B8, 256, 256, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseProfile(c.profile);
        UINT width = c.width, height = c.height, levels = c.levels;
        D3DFORMAT format = c.format;
        const HRESULT hr = c.kind == RESOURCE_CUBE_TEXTURE
                               ? FitCubeTexture(device_, &width, &levels, 0, &format, D3DPOOL_MANAGED)
                               : FitTexture(device_, &width, &height, &levels, 0, &format, D3DPOOL_MANAGED);
        ASSERT_EQ(hr, S_OK);
        if (c.kind == RESOURCE_CUBE_TEXTURE) {
            height = width;
        }
        EXPECT_EQ(width, c.wantWidth);
        EXPECT_EQ(height, c.wantHeight);
        EXPECT_EQ(levels, c.wantLevels);
        EXPECT_EQ(format, c.format);
    }
}

TEST_F(FitTextureTest, NullPointersAndVolumes) {
    UINT depth = DEFAULT_ARG;
    UINT levels = DEFAULT_ARG;
    ASSERT_EQ(
        FitTextureRequest(device_, nullptr, nullptr, &depth, &levels, 0, nullptr, D3DPOOL_MANAGED, RESOURCE_TEXTURE),
        S_OK);
    EXPECT_EQ(depth, 1u);
    EXPECT_EQ(levels, 9u);

    UseProfile([](DeviceProfile& p) {
        p.maxVolumeExtent = 64;
        CapsOnly(p, D3DPTEXTURECAPS_VOLUMEMAP_POW2 | MIPS);
    });
    UINT width = 100, height = 20, volumeDepth = 300;
    levels = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    ASSERT_EQ(FitVolumeTexture(device_, &width, &height, &volumeDepth, &levels, 0, &format, D3DPOOL_MANAGED), S_OK);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 32u);
    EXPECT_EQ(volumeDepth, 64u);
    EXPECT_EQ(levels, 7u);
}

TEST_F(FitTextureTest, FormatSearchTakesTheNearestAvailableFormat) {
    struct Case {
        D3DFORMAT requested;
        std::set<D3DFORMAT> offered;
        HRESULT result;
        D3DFORMAT chosen;
    };
    const Case cases[] = {
        // Three 16-bit formats tie at 1048576 (four bits of each colour
        // lost); the earliest in the table wins.
        {D3DFMT_A8R8G8B8, {D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2}, S_OK, D3DFMT_A1R5G5B5},
        {D3DFMT_R8G8B8, {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}, S_OK, D3DFMT_X8R8G8B8},
        {D3DFMT_P8, {D3DFMT_A8R8G8B8, D3DFMT_A8P8}, S_OK, D3DFMT_A8P8},
        {D3DFMT_DXT1,
         {D3DFMT_DXT3, D3DFMT_UYVY, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5},
         S_OK,
         D3DFMT_A8R8G8B8},
        {D3DFMT_YUY2, {D3DFMT_UYVY, D3DFMT_DXT1, D3DFMT_R5G6B5}, S_OK, D3DFMT_R5G6B5},
        {D3DFMT_V8U8, {D3DFMT_A8R8G8B8, D3DFMT_L8}, D3DERR_NOTAVAILABLE, D3DFMT_V8U8},
        // Luminance widths are kept in the colour channels, so an 8-bit colour
        // format matches exactly while A8L8 adds a channel.
        // clang-format off
        {D3DFMT_L8, {D3DFMT_A8L8, D3DFMT_X8R8G8B8}, S_OK, D3DFMT_X8R8G8B8},
        {D3DFMT_L8, {D3DFMT_A8L8, D3DFMT_V8U8}, S_OK, D3DFMT_A8L8},
        {D3DFMT_UNKNOWN, {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, S_OK, D3DFMT_A8R8G8B8},
        {D3DFMT_X8R8G8B8, {D3DFMT_X8R8G8B8}, S_OK, D3DFMT_X8R8G8B8},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        UseProfile([&](DeviceProfile& p) { FormatsOnly(p, c.offered); });
        UINT width = 7;
        D3DFORMAT format = c.requested;
        EXPECT_EQ(FitTexture(device_, &width, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED), c.result);
        EXPECT_EQ(format, c.chosen);
    }
}

TEST_F(FitTextureTest, FormatDistanceScores) {
    struct Case {
        D3DFORMAT requested, candidate;
        DWORD score;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, 7 * 65536 + 3 * 65536 * 3},
        {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, 16777216},
        {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, 256},
        {D3DFMT_P8, D3DFMT_A8R8G8B8, 0},
        {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8, 256 + 3 + 2 + 3},
        {D3DFMT_A8R8G8B8, D3DFMT_L8, DISTANCE_INCOMPATIBLE},
        {D3DFMT_L8, D3DFMT_P8, DISTANCE_INCOMPATIBLE},
        {D3DFMT_V8U8, D3DFMT_A8R8G8B8, DISTANCE_INCOMPATIBLE},
        {D3DFMT_A8R8G8B8, D3DFMT_DXT5, DISTANCE_INCOMPATIBLE},
        {D3DFMT_V8U8, D3DFMT_V16U16, 16},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDistance(FindPixelFormat(c.requested), FindPixelFormat(c.candidate)), c.score)
            << c.requested << " -> " << c.candidate;
    }
}

TEST_F(FitTextureTest, BadArgumentsLeaveTheRequestUntouched) {
    struct Case {
        IDirect3DDevice8* device;
        DWORD usage;
        D3DPOOL pool;
        ResourceKind kind;
    };
    const Case cases[] = {
        {nullptr, 0, D3DPOOL_MANAGED, RESOURCE_TEXTURE},
        {device_, 0x8, D3DPOOL_MANAGED, RESOURCE_TEXTURE},  // a usage bit a texture may not have
        {device_, 0, static_cast<D3DPOOL>(3), RESOURCE_TEXTURE},
        {device_, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, RESOURCE_VOLUME_TEXTURE},
    };
    for (const Case& c : cases) {
        UINT width = 300, height = 3, levels = 0;
        D3DFORMAT format = D3DFMT_R8G8B8;
        EXPECT_EQ(FitTextureRequest(c.device, &width, &height, nullptr, &levels, c.usage, &format, c.pool, c.kind),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(width, 300u);
        EXPECT_EQ(height, 3u);
        EXPECT_EQ(levels, 0u);
        EXPECT_EQ(format, D3DFMT_R8G8B8);
    }
}

TEST_F(FitTextureTest, CreateFittedPassesFittedValuesToTheDevice) {
    UseProfile([](DeviceProfile& p) { CapsOnly(p, D3DPTEXTURECAPS_POW2 | MIPS | D3DPTEXTURECAPS_CUBEMAP_POW2); });
    ComRef<IDirect3DTexture8> texture;
    ASSERT_EQ(CreateFittedTexture(device_, 300, 200, 0, DEFAULT_ARG, D3DFMT_R8G8B8, D3DPOOL_MANAGED, texture.Out()),
              S_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(desc.Format, D3DFMT_R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 10u);

    ComRef<IDirect3DCubeTexture8> cube;
    ASSERT_EQ(CreateFittedCubeTexture(device_, 100, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, cube.Out()), S_OK);
    cube->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 128u);

    ComRef<IDirect3DVolumeTexture8> volume;
    ASSERT_EQ(CreateFittedVolumeTexture(device_, 8, 8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, volume.Out()), S_OK);
    EXPECT_EQ(volume->GetLevelCount(), 4u);
    EXPECT_EQ(CreateFittedTexture(device_, 8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(CreateFittedVolumeTexture(device_, 8, 8, 8, 0, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                        volume.Out()),
              D3DERR_INVALIDCALL);
}

}  // namespace
