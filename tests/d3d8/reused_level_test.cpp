// A device keeps the memory of large released levels and hands it to the
// next level of that size. Whoever looks at such a level first, by any
// route, sees zeros; only a lock that promises to write the whole level
// skips the clearing, and the level then holds just what was written.

#include <d3d8_overwrite.h>

#include <cstring>
#include <functional>
#include <vector>

#include "d3d8_fixture.h"

namespace {

constexpr UINT SIDE = 512;  // 1 MB levels in A8R8G8B8: large enough to be kept

class ReusedLevels : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        MakeDevice();
    }

    // Creates and releases a texture of the size whose every level was
    // written with value, so the next texture of the size reuses its memory.
    void LeaveDirtyBlocks(D3DPOOL pool, int value) {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(SIDE, SIDE, 1, 0, D3DFMT_A8R8G8B8, pool, &texture), D3D_OK);
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        std::memset(locked.pBits, value, size_t{SIDE} * locked.Pitch);
        surface->UnlockRect();
        surface->Release();
        texture->Release();
    }

    static bool AllBytes(const void* bytes, size_t size, uint8_t value) {
        const auto* b = static_cast<const uint8_t*>(bytes);
        for (size_t i = 0; i < size; ++i) {
            if (b[i] != value) {
                return false;
            }
        }
        return true;
    }

    // Every byte of the level, through a whole-level read-only lock.
    static bool LevelIs(IDirect3DSurface8* surface, uint8_t value) {
        D3DLOCKED_RECT locked{};
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
            return false;
        }
        const bool same = AllBytes(locked.pBits, size_t{SIDE} * locked.Pitch, value);
        surface->UnlockRect();
        return same;
    }
};

TEST_F(ReusedLevels, AReusedLevelReadsAsZeroByEveryRoute) {
    using Observer = std::function<bool(IDirect3DDevice8*, IDirect3DSurface8*)>;
    struct Case {
        const char* route;
        Observer zeroSeen;
    };
    const Case cases[] = {
        {"whole lock", [](IDirect3DDevice8*, IDirect3DSurface8* s) { return LevelIs(s, 0); }},
        {"lock of a small rectangle, then the whole",
         [](IDirect3DDevice8*, IDirect3DSurface8* s) {
             RECT rect{8, 8, 9, 9};
             D3DLOCKED_RECT locked{};
             if (s->LockRect(&locked, &rect, 0) != D3D_OK) {
                 return false;
             }
             const bool pixelZero = AllBytes(locked.pBits, 4, 0);
             static_cast<uint8_t*>(locked.pBits)[0] = 7;  // the rest must stay zero
             s->UnlockRect();
             D3DLOCKED_RECT whole{};
             if (!pixelZero || s->LockRect(&whole, nullptr, D3DLOCK_READONLY) != D3D_OK) {
                 return false;
             }
             auto* bytes = static_cast<uint8_t*>(whole.pBits);
             const size_t at = size_t{8} * whole.Pitch + 8 * 4;
             const bool rest = bytes[at] == 7 && AllBytes(bytes, at, 0) &&
                               AllBytes(bytes + at + 1, size_t{SIDE} * whole.Pitch - at - 1, 0);
             s->UnlockRect();
             return rest;
         }},
        {"sampled when drawn",
         [this](IDirect3DDevice8* device, IDirect3DSurface8* s) {
             IDirect3DTexture8* texture = nullptr;
             if (s->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&texture)) != D3D_OK) {
                 return false;
             }
             device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
             device->BeginScene();
             device->SetTexture(0, texture);
             DrawScreenQuad(0, 0, 64, 64, 0xFFFFFFFF);
             device->SetTexture(0, nullptr);
             device->EndScene();
             texture->Release();
             const std::vector<uint32_t> pixels = ReadBackBuffer();
             // Zero texels times white: black, where stale bytes would show.
             return pixels.size() > 640 * 10 + 10 && (pixels[640 * 10 + 10] & 0xFFFFFF) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route);
        LeaveDirtyBlocks(D3DPOOL_MANAGED, 0xA5);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(SIDE, SIDE, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        EXPECT_TRUE(c.zeroSeen(device_, surface));
        surface->Release();
        texture->Release();
    }
}

TEST_F(ReusedLevels, AnOverwritingLockSkipsTheClearingAndKeepsWhatIsWritten) {
    LeaveDirtyBlocks(D3DPOOL_MANAGED, 0xA5);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(SIDE, SIDE, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(platform::LockSurfaceToOverwrite(surface, &locked), D3D_OK);
    ASSERT_EQ(locked.Pitch, static_cast<INT>(SIDE * 4));
    // The released texture's memory came back, not yet cleared.
    EXPECT_TRUE(AllBytes(locked.pBits, size_t{SIDE} * locked.Pitch, 0xA5));
    // A second lock, of any kind, fails while this one holds.
    D3DLOCKED_RECT again{};
    EXPECT_EQ(surface->LockRect(&again, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(platform::LockSurfaceToOverwrite(surface, &again), D3DERR_INVALIDCALL);
    std::memset(locked.pBits, 0x3C, size_t{SIDE} * locked.Pitch);
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);
    EXPECT_TRUE(LevelIs(surface, 0x3C));
    surface->Release();
    texture->Release();

    // Unlockable levels refuse it as they refuse LockRect.
    IDirect3DTexture8* hidden = nullptr;
    ASSERT_EQ(device_->CreateTexture(SIDE, SIDE, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &hidden), D3D_OK);
    ASSERT_EQ(hidden->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_EQ(platform::LockSurfaceToOverwrite(surface, &locked), D3DERR_INVALIDCALL);
    EXPECT_EQ(platform::LockSurfaceToOverwrite(nullptr, &locked), D3DERR_INVALIDCALL);
    surface->Release();
    hidden->Release();
}

TEST_F(ReusedLevels, TexturesOutlivingTheirDeviceGiveTheirMemoryBack) {
    LeaveDirtyBlocks(D3DPOOL_MANAGED, 0x11);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(SIDE, SIDE, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    // The cache went with the device; the texture's blocks are unmapped
    // when it goes (the sanitizers and the live-object check watch this).
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_TRUE(LevelIs(surface, 0));
    surface->Release();
    EXPECT_EQ(texture->Release(), 0u);
}

}  // namespace
