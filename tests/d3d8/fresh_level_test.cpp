// A new level reads as zero bytes, whatever its size (heap blocks and
// fresh pages alike) and whatever a texture released before it held.

#include <cstring>

#include "d3d8_fixture.h"

namespace {

class FreshLevels : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        MakeDevice();
    }

    // Fills every level of a texture with `value`, or checks that every
    // byte is zero; true when it could lock every level.
    static bool VisitLevels(IDirect3DTexture8* texture, int value, bool* allZero) {
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            IDirect3DSurface8* surface = nullptr;
            if (texture->GetSurfaceLevel(level, &surface) != D3D_OK) {
                return false;
            }
            D3DSURFACE_DESC desc{};
            surface->GetDesc(&desc);
            D3DLOCKED_RECT locked{};
            if (surface->LockRect(&locked, nullptr, 0) != D3D_OK) {
                surface->Release();
                return false;
            }
            auto* bytes = static_cast<unsigned char*>(locked.pBits);
            if (allZero == nullptr) {
                std::memset(bytes, value, desc.Size);
            } else {
                for (UINT i = 0; i < desc.Size; ++i) {
                    *allZero = *allZero && bytes[i] == 0;
                }
            }
            surface->UnlockRect();
            surface->Release();
        }
        return true;
    }
};

TEST_F(FreshLevels, NewLevelsAreZeroEvenWhereAReleasedTextureWrote) {
    struct Case {
        UINT width, height;
        D3DFORMAT format;
    };
    const Case cases[] = {
        {4, 4, D3DFMT_A8R8G8B8},       // small heap blocks
        {300, 200, D3DFMT_R5G6B5},     // around the switch to fresh pages
        {1024, 512, D3DFMT_A8R8G8B8},  // fresh pages, several large levels
        {512, 512, D3DFMT_DXT1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " format " << c.format);
        for (int round = 0; round < 2; ++round) {
            IDirect3DTexture8* texture = nullptr;
            ASSERT_EQ(device_->CreateTexture(c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
            bool allZero = true;
            ASSERT_TRUE(VisitLevels(texture, 0, &allZero));
            EXPECT_TRUE(allZero) << "round " << round;
            // Dirty the memory so the next round's texture may be handed
            // the same blocks.
            ASSERT_TRUE(VisitLevels(texture, 0xA5, nullptr));
            texture->Release();
        }
    }
}

}  // namespace
