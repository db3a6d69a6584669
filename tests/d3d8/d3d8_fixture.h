#pragma once
// Shared set-up of the device tests: a device with a 640 x 480 back buffer
// and depth buffer, and helpers to draw and read back.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/device_fixture.h"

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};

struct WorldVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};

class D3D8Test : public DeviceTest {
protected:
    static D3DPRESENT_PARAMETERS Params(D3DFORMAT format = D3DFMT_X8R8G8B8, BOOL windowed = TRUE) {
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = format;
        p.SwapEffect = D3DSWAPEFFECT_FLIP;
        p.Windowed = windowed;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D16;
        return p;
    }

    void MakeDevice(D3DFORMAT format = D3DFMT_X8R8G8B8) { CreateDevice(Params(format)); }

    // The back buffer as A8R8G8B8 values (alpha as stored).
    std::vector<uint32_t> ReadBackBuffer() {
        std::vector<uint32_t> pixels;
        IDirect3DSurface8* back = nullptr;
        if (device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK) {
            return pixels;
        }
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        D3DLOCKED_RECT locked;
        if (back->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            pixels.resize(size_t{desc.Width} * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y) {
                const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch;
                for (UINT x = 0; x < desc.Width; ++x) {
                    if (desc.Format == D3DFMT_R5G6B5) {
                        uint16_t v;
                        std::memcpy(&v, row + 2 * x, 2);
                        pixels[size_t{y} * desc.Width + x] = v;
                    } else {
                        std::memcpy(&pixels[size_t{y} * desc.Width + x], row + 4 * x, 4);
                    }
                }
            }
            back->UnlockRect();
        }
        back->Release();
        return pixels;
    }

    // A managed A8R8G8B8 texture whose level i is filled by fill(level, x, y).
    template <typename Fill>
    IDirect3DTexture8* MakeTexture(UINT width, UINT height, UINT levels, Fill fill) {
        IDirect3DTexture8* texture = nullptr;
        if (device_->CreateTexture(width, height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) {
            return nullptr;
        }
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc;
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked;
            texture->LockRect(level, &locked, nullptr, 0);
            for (UINT y = 0; y < desc.Height; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
                for (UINT x = 0; x < desc.Width; ++x) {
                    row[x] = fill(level, x, y);
                }
            }
            texture->UnlockRect(level);
        }
        return texture;
    }

    // A screen rectangle as a two-triangle fan.
    void DrawScreenQuad(float x0, float y0, float x1, float y1, D3DCOLOR colour, float u0 = 0, float v0 = 0,
                        float u1 = 1, float v1 = 1, float z = 0) {
        ScreenVertex quad[4] = {{x0, y0, z, 1, colour, u0, v0},
                                {x1, y0, z, 1, colour, u1, v0},
                                {x1, y1, z, 1, colour, u1, v1},
                                {x0, y1, z, 1, colour, u0, v1}};
        device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    }
};
