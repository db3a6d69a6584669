#include "d3d8_fixture.h"

namespace {

class Resources : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        MakeDevice();
    }
};

struct LayoutCase {
    D3DFORMAT format;
    UINT width, height;
    UINT level;
    UINT levelWidth, levelHeight;
    INT pitch;
    UINT size;
};

TEST_F(Resources, LevelSizesAndPitches) {
    const LayoutCase cases[] = {
        {D3DFMT_A8R8G8B8, 300, 200, 0, 300, 200, 1200, 240000},
        {D3DFMT_A8R8G8B8, 300, 200, 3, 37, 25, 148, 3700},
        {D3DFMT_A8R8G8B8, 300, 200, 8, 1, 1, 4, 4},  // 300 x 200 has 9 levels
        {D3DFMT_R5G6B5, 7, 3, 1, 3, 1, 6, 6},
        {D3DFMT_R8G8B8, 5, 5, 0, 5, 5, 15, 75},
        {D3DFMT_L8, 1, 9, 3, 1, 1, 1, 1},
        {D3DFMT_DXT1, 16, 16, 0, 16, 16, 32, 128},
        {D3DFMT_DXT1, 10, 6, 0, 10, 6, 24, 48},  // 3 x 2 blocks
        {D3DFMT_DXT1, 16, 16, 3, 2, 2, 8, 8},    // at least one block
        {D3DFMT_DXT5, 16, 16, 4, 1, 1, 16, 16},
        {D3DFMT_DXT3, 12, 4, 0, 12, 4, 48, 48},
        {D3DFMT_UYVY, 5, 3, 0, 5, 3, 12, 36},  // width rounded up to a pair
        {D3DFMT_YUY2, 8, 2, 2, 2, 1, 4, 4},
        {D3DFMT_YUY2, 8, 2, 3, 1, 1, 4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "format " << c.format << " " << c.width << "x" << c.height << " level " << c.level);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(c.level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, c.levelWidth);
        EXPECT_EQ(desc.Height, c.levelHeight);
        EXPECT_EQ(desc.Size, c.size);
        EXPECT_EQ(desc.Format, c.format);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(c.level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, c.pitch);
        EXPECT_EQ(texture->UnlockRect(c.level), D3D_OK);
        texture->Release();
    }
}

TEST_F(Resources, LevelCountsOfEveryKind) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(1024, 512, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 11u);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(texture->GetLevelDesc(11, &desc), D3DERR_INVALIDCALL);
    texture->Release();

    IDirect3DCubeTexture8* cube = nullptr;
    ASSERT_EQ(device_->CreateCubeTexture(100, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &cube), D3D_OK);
    EXPECT_EQ(cube->GetLevelCount(), 7u);
    IDirect3DSurface8* face = nullptr;
    ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_NEGATIVE_Z, 2, &face), D3D_OK);
    face->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 25u);
    EXPECT_EQ(desc.Height, 25u);
    face->Release();
    cube->Release();

    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(device_->CreateVolumeTexture(8, 4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume), D3D_OK);
    EXPECT_EQ(volume->GetLevelCount(), 4u);
    D3DVOLUME_DESC vdesc;
    ASSERT_EQ(volume->GetLevelDesc(1, &vdesc), D3D_OK);
    EXPECT_EQ(vdesc.Width, 4u);
    EXPECT_EQ(vdesc.Height, 2u);
    EXPECT_EQ(vdesc.Depth, 1u);
    D3DLOCKED_BOX box;
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    EXPECT_EQ(box.RowPitch, 32);
    EXPECT_EQ(box.SlicePitch, 128);
    EXPECT_EQ(volume->UnlockBox(0), D3D_OK);
    volume->Release();
}

TEST_F(Resources, CreationRefusesBadRequests) {
    struct Case {
        UINT width, height, levels;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
        HRESULT expected;
    } cases[] = {
        {0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {16, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {4097, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {16, 16, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},  // full chain is 5
        {16, 16, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {16, 16, 1, 0, static_cast<D3DFORMAT>(12345), D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {16, 16, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(7), D3DERR_INVALIDCALL},
        {16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {16, 16, 1, 0x100, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
        {4096, 4096, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, D3D_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " levels " << c.levels);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture), c.expected);
        EXPECT_EQ(texture != nullptr, c.expected == D3D_OK);
        if (texture != nullptr) {
            texture->Release();
        }
    }
}

TEST_F(Resources, HugeRequestsRunOutOfMemoryWithoutThrowing) {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.maxTextureWidth = profile.maxTextureHeight = 1u << 20;
    profile.maxVolumeExtent = 1u << 16;
    platform_testing::SetDeviceProfile(profile);
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(1u << 20, 1u << 20, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              E_OUTOFMEMORY);
    EXPECT_EQ(device_->CreateTexture(1u << 20, 1u << 20, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture),
              D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DVolumeTexture8* volume = nullptr;
    EXPECT_EQ(
        device_->CreateVolumeTexture(1u << 16, 1u << 16, 1u << 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &volume),
        E_OUTOFMEMORY);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(volume, nullptr);
}

TEST_F(Resources, LockRules) {
    IDirect3DTexture8* plain = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 16, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain), D3D_OK);
    IDirect3DTexture8* dxt = nullptr;
    ASSERT_EQ(device_->CreateTexture(10, 10, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &dxt), D3D_OK);
    IDirect3DTexture8* yuv = nullptr;
    ASSERT_EQ(device_->CreateTexture(6, 2, 1, 0, D3DFMT_YUY2, D3DPOOL_MANAGED, &yuv), D3D_OK);
    IDirect3DTexture8* hidden = nullptr;
    ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &hidden), D3D_OK);

    D3DLOCKED_RECT whole;
    ASSERT_EQ(plain->LockRect(0, &whole, nullptr, 0), D3D_OK);
    D3DLOCKED_RECT second;
    EXPECT_EQ(plain->LockRect(0, &second, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    EXPECT_EQ(plain->LockRect(1, &second, nullptr, 0), D3D_OK);              // other levels are separate
    EXPECT_EQ(plain->UnlockRect(1), D3D_OK);
    EXPECT_EQ(plain->UnlockRect(0), D3D_OK);
    EXPECT_EQ(plain->UnlockRect(0), D3DERR_INVALIDCALL);  // not locked
    EXPECT_EQ(plain->UnlockRect(2), D3DERR_INVALIDCALL);  // no such level

    struct RectCase {
        IDirect3DTexture8* texture;
        RECT rect;
        HRESULT expected;
        ptrdiff_t offset;  // bytes from the level's first byte
    } cases[] = {
        // clang-format off
        {plain, {4, 2, 8, 6}, D3D_OK, 2 * 64 + 4 * 4},
        {plain, {0, 0, 16, 16}, D3D_OK, 0},
        {plain, {0, 0, 17, 16}, D3DERR_INVALIDCALL, 0},
        {plain, {5, 0, 5, 4}, D3DERR_INVALIDCALL, 0},   // empty
        {plain, {-1, 0, 4, 4}, D3DERR_INVALIDCALL, 0},
        {plain, {8, 0, 4, 4}, D3DERR_INVALIDCALL, 0},   // left of right
        {dxt, {4, 4, 8, 8}, D3D_OK, 1 * 48 + 1 * 16},
        {dxt, {4, 8, 10, 10}, D3D_OK, 2 * 48 + 1 * 16},  // reaches the edge
        {dxt, {2, 0, 8, 4}, D3DERR_INVALIDCALL, 0},      // inside a block
        {dxt, {0, 0, 6, 4}, D3DERR_INVALIDCALL, 0},
        {yuv, {2, 1, 6, 2}, D3D_OK, 12 + 4},
        {yuv, {1, 0, 4, 2}, D3DERR_INVALIDCALL, 0},     // splits a pair
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "rect " << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom);
        D3DLOCKED_RECT all, part;
        ASSERT_EQ(c.texture->LockRect(0, &all, nullptr, D3DLOCK_READONLY), D3D_OK);
        ASSERT_EQ(c.texture->UnlockRect(0), D3D_OK);
        EXPECT_EQ(c.texture->LockRect(0, &part, &c.rect, 0), c.expected);
        if (c.expected == D3D_OK) {
            EXPECT_EQ(static_cast<uint8_t*>(part.pBits) - static_cast<uint8_t*>(all.pBits), c.offset);
            EXPECT_EQ(part.Pitch, all.Pitch);
            EXPECT_EQ(c.texture->UnlockRect(0), D3D_OK);
        }
    }

    EXPECT_EQ(hidden->LockRect(0, &whole, nullptr, 0), D3DERR_INVALIDCALL);  // default pool
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(hidden->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_EQ(surface->LockRect(&whole, nullptr, 0), D3DERR_INVALIDCALL);
    surface->Release();

    for (IDirect3DTexture8* t : {plain, dxt, yuv, hidden}) {
        t->Release();
    }
}

TEST_F(Resources, ReadOnlyLockKeepsWhatWasSampled) {
    // A read-only lock must not hide later changes: a write lock after it
    // is seen by the next draw.
    IDirect3DTexture8* texture = MakeTexture(1, 1, 1, [](UINT, UINT, UINT) { return 0xFF0000FFu; });
    ASSERT_NE(texture, nullptr);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetTexture(0, texture);
    DrawScreenQuad(0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(ReadBackBuffer()[0] & 0xFFFFFF, 0x0000FFu);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    texture->UnlockRect(0);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    *static_cast<uint32_t*>(locked.pBits) = 0xFF00FF00u;
    texture->UnlockRect(0);
    DrawScreenQuad(0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(ReadBackBuffer()[0] & 0xFFFFFF, 0x00FF00u);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(Resources, UpdateTextureCopiesLevelByLevel) {
    IDirect3DTexture8* source = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &source), D3D_OK);
    for (UINT level = 0; level < source->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(source->LockRect(level, &locked, nullptr, 0), D3D_OK);
        *static_cast<uint16_t*>(locked.pBits) = static_cast<uint16_t>(0x1000 + level);
        source->UnlockRect(level);
    }
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 2, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &target), D3D_OK);
    EXPECT_EQ(device_->UpdateTexture(source, target), D3D_OK);

    // The copy is visible when the default-pool texture is drawn (levels 0 and 1).
    IDirect3DTexture8* wrongFormat = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &wrongFormat), D3D_OK);
    IDirect3DTexture8* wrongSize = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, &wrongSize), D3D_OK);
    EXPECT_EQ(device_->UpdateTexture(source, wrongFormat), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->UpdateTexture(source, wrongSize), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->UpdateTexture(target, source), D3DERR_INVALIDCALL);  // wrong direction
    EXPECT_EQ(device_->UpdateTexture(source, nullptr), D3DERR_INVALIDCALL);

    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetTexture(0, target);
    DrawScreenQuad(0, 0, 8, 8, 0xFFFFFFFF);
    // 0x1000 in R5G6B5: red 2 of 31, green 0, blue 0.
    EXPECT_EQ(ReadBackBuffer()[0] & 0xFFFFFF, 0x100000u);
    device_->SetTexture(0, nullptr);
    for (IDirect3DTexture8* t : {source, target, wrongFormat, wrongSize}) {
        t->Release();
    }
}

TEST_F(Resources, LevelsKeepTheirContainerAlive) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);  // the surface still holds it
    D3DSURFACE_DESC desc;
    EXPECT_EQ(level->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 2u);
    IDirect3DTexture8* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, texture);
    container->Release();
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(level->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device_);
    owner->Release();
    EXPECT_EQ(level->Release(), 0u);

    IDirect3DVolumeTexture8* volumeTexture = nullptr;
    ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &volumeTexture), D3D_OK);
    IDirect3DVolume8* volume = nullptr;
    ASSERT_EQ(volumeTexture->GetVolumeLevel(0, &volume), D3D_OK);
    volumeTexture->Release();
    D3DVOLUME_DESC vdesc;
    EXPECT_EQ(volume->GetDesc(&vdesc), D3D_OK);
    EXPECT_EQ(vdesc.Depth, 4u);
    EXPECT_EQ(volume->Release(), 0u);
}

TEST_F(Resources, ReleasedWhileLockedIsReportedAndStaysValid) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    texture->Release();
    D3DLOCKED_RECT locked;
    ASSERT_EQ(level->LockRect(&locked, nullptr, 0), D3D_OK);
    const int live = platform_testing::LiveObjectCount();
    EXPECT_EQ(level->Release(), 0u);
    EXPECT_EQ(platform_testing::ReleasedWhileLockedCount(), 1);
    EXPECT_EQ(platform_testing::LiveObjectCount(), live);  // still counted
    static_cast<uint32_t*>(locked.pBits)[15] = 1;          // the memory is still there
    EXPECT_EQ(level->UnlockRect(), D3D_OK);                // and the unlock lets it go
    EXPECT_LT(platform_testing::LiveObjectCount(), live);
}

TEST_F(Resources, DefaultProfileAcceptsTheTableFormats) {
    for (D3DFORMAT format :
         {D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,    D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
          D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,       D3DFMT_A8R3G3B2,  D3DFMT_X4R4G4B4, D3DFMT_A8P8,
          D3DFMT_P8,       D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4,      D3DFMT_V8U8,     D3DFMT_L6V5U5,
          D3DFMT_X8L8V8U8, D3DFMT_Q8W8V8U8, D3DFMT_V16U16,   D3DFMT_W11V11U10, D3DFMT_UYVY,     D3DFMT_YUY2,
          D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,      D3DFMT_DXT5}) {
        SCOPED_TRACE(::testing::Message() << "format " << format);
        const bool packed = format == D3DFMT_UYVY || format == D3DFMT_YUY2 || format >= D3DFMT_DXT1;
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, format), D3D_OK);
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_CUBETEXTURE, format), D3D_OK);
        EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_VOLUMETEXTURE, format),
                  packed ? D3DERR_NOTAVAILABLE : D3D_OK);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(5, 3, 0, 0, format, D3DPOOL_SYSTEMMEM, &texture), D3D_OK);
        if (texture != nullptr) {
            texture->Release();
        }
    }
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                      D3DFMT_D16),
              D3D_OK);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_D16),
              D3DERR_NOTAVAILABLE);
}

TEST_F(Resources, ProfileLimitsApplyToCreationAndCaps) {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.textureCaps |= D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY;
    profile.textureCaps &= ~DWORD{D3DPTEXTURECAPS_MIPMAP};
    profile.maxTextureWidth = profile.maxTextureHeight = 256;
    profile.formats[D3DRTYPE_TEXTURE].erase(D3DFMT_A8R8G8B8);
    platform_testing::SetDeviceProfile(profile);

    D3DCAPS8 caps;
    ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.TextureCaps, profile.textureCaps);
    EXPECT_EQ(caps.MaxTextureWidth, 256u);
    EXPECT_EQ(d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);

    struct Case {
        UINT width, height, levels;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {
        {64, 64, 1, D3DFMT_X8R8G8B8, D3D_OK},
        {64, 64, 0, D3DFMT_X8R8G8B8, D3D_OK},  // no mip maps: one level
        {64, 64, 2, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},
        {60, 60, 1, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},    // not a power of two
        {64, 32, 1, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},    // not square
        {512, 512, 1, D3DFMT_X8R8G8B8, D3DERR_INVALIDCALL},  // beyond the limit
        {64, 64, 1, D3DFMT_A8R8G8B8, D3DERR_INVALIDCALL},    // format withdrawn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " format " << c.format);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(c.width, c.height, c.levels, 0, c.format, D3DPOOL_MANAGED, &texture),
                  c.expected);
        if (texture != nullptr) {
            EXPECT_EQ(texture->GetLevelCount(), 1u);
            texture->Release();
        }
    }
}

}  // namespace
