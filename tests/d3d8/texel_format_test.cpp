// Every format the sampler decodes, one known pixel each, read back through
// an A8R8G8B8 back buffer so alpha survives.

#include "d3d8_fixture.h"

namespace {

class TexelFormats : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        MakeDevice(D3DFMT_A8R8G8B8);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    }
};

TEST_F(TexelFormats, DecodesOnePixelOfEachFormat) {
    struct Case {
        D3DFORMAT format;
        uint8_t bytes[4];
        uint32_t expected;
    } cases[] = {
        // clang-format off
        {D3DFMT_A8R8G8B8, {0x56, 0x34, 0x12, 0x80}, 0x80123456},
        {D3DFMT_X8R8G8B8, {0x56, 0x34, 0x12, 0x00}, 0xFF123456},
        {D3DFMT_R8G8B8, {0x56, 0x34, 0x12}, 0xFF123456},
        {D3DFMT_R5G6B5, {0x00, 0xF8}, 0xFFFF0000},
        {D3DFMT_R5G6B5, {0xE0, 0x07}, 0xFF00FF00},
        {D3DFMT_X1R5G5B5, {0x1F, 0x80}, 0xFF0000FF},
        {D3DFMT_A1R5G5B5, {0xE0, 0x03}, 0x0000FF00},
        {D3DFMT_A4R4G4B4, {0x00, 0x8F}, 0x88FF0000},
        {D3DFMT_X4R4G4B4, {0x0F, 0x00}, 0xFF0000FF},
        {D3DFMT_R3G3B2, {0xE0}, 0xFFFF0000},
        {D3DFMT_A8R3G3B2, {0x03, 0x40}, 0x400000FF},
        {D3DFMT_A8, {0x80}, 0x80000000},
        {D3DFMT_L8, {0x80}, 0xFF808080},
        {D3DFMT_A8L8, {0x80, 0x40}, 0x40808080},
        {D3DFMT_A4L4, {0x3C}, 0x33CCCCCC},
        {D3DFMT_DXT1, {0x00, 0x00, 0x00, 0x00}, 0xFF000000},  // equal ends: index 0 is c0, opaque black
        {D3DFMT_V8U8, {0x10, 0x20}, 0xFF2040FF},              // U 0.125, V 0.25, blue missing: 1
        {D3DFMT_V8U8, {0xF0, 0x80}, 0xFF0000FF},              // negative U and V read as 0
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "format " << c.format);
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        std::memcpy(locked.pBits, c.bytes, std::min<UINT>(desc.Size, 4));
        texture->UnlockRect(0);
        device_->SetTexture(0, texture);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        DrawScreenQuad(0, 0, 2, 2, 0xFFFFFFFF);
        EXPECT_EQ(ReadBackBuffer()[0], c.expected);
        device_->SetTexture(0, nullptr);
        texture->Release();
    }
}

}  // namespace
