#pragma once
// A software device for the texture library's tests, with helpers to read
// and write levels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "support/device_fixture.h"

class TextureDeviceTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 64;
        p.BackBufferHeight = 64;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.Windowed = TRUE;
        CreateDevice(p);
    }

    IDirect3DTexture8* NewTexture(UINT width, UINT height, UINT levels, D3DFORMAT format,
                                  D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, levels, 0, format, pool, &texture), D3D_OK);
        return texture;
    }

    // The only level of a new managed texture; the surface keeps the texture
    // alive.
    IDirect3DSurface8* NewSurface(UINT width, UINT height, D3DFORMAT format) {
        IDirect3DTexture8* texture = NewTexture(width, height, 1, format);
        if (texture == nullptr) {
            return nullptr;
        }
        IDirect3DSurface8* surface = nullptr;
        EXPECT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        texture->Release();
        return surface;
    }

    // Every byte of a level, rows packed without pitch padding (DXT: rows
    // of blocks).
    static std::vector<uint8_t> ReadBytes(IDirect3DSurface8* surface, UINT bytesPerRow, UINT rows) {
        std::vector<uint8_t> bytes;
        D3DLOCKED_RECT locked{};
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
            ADD_FAILURE() << "level could not be locked (left locked?)";
            return bytes;
        }
        bytes.resize(size_t{bytesPerRow} * rows);
        for (UINT y = 0; y < rows; ++y) {
            std::memcpy(&bytes[size_t{y} * bytesPerRow],
                        static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch, bytesPerRow);
        }
        surface->UnlockRect();
        return bytes;
    }

    // A 32-bit level as one value per pixel.
    static std::vector<uint32_t> ReadPixels(IDirect3DSurface8* surface) {
        D3DSURFACE_DESC desc{};
        surface->GetDesc(&desc);
        std::vector<uint8_t> bytes = ReadBytes(surface, desc.Width * 4, desc.Height);
        std::vector<uint32_t> pixels(bytes.size() / 4);
        std::memcpy(pixels.data(), bytes.data(), bytes.size());
        return pixels;
    }

    static std::vector<uint32_t> ReadLevel(IDirect3DTexture8* texture, UINT level) {
        IDirect3DSurface8* surface = nullptr;
        if (texture->GetSurfaceLevel(level, &surface) != D3D_OK) {
            ADD_FAILURE() << "no level " << level;
            return {};
        }
        std::vector<uint32_t> pixels = ReadPixels(surface);
        surface->Release();
        return pixels;
    }

    // Writes a 32-bit level pixel by pixel from fill(x, y).
    template <typename Fill>
    static void WritePixels(IDirect3DSurface8* surface, Fill fill) {
        D3DSURFACE_DESC desc{};
        surface->GetDesc(&desc);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x) {
                row[x] = fill(x, y);
            }
        }
        surface->UnlockRect();
    }

    template <typename Fill>
    static void WriteLevel(IDirect3DTexture8* texture, UINT level, Fill fill) {
        IDirect3DSurface8* surface = nullptr;
        ASSERT_EQ(texture->GetSurfaceLevel(level, &surface), D3D_OK);
        WritePixels(surface, fill);
        surface->Release();
    }
};

// Channel c (0 blue, 1 green, 2 red, 3 alpha) of an A8R8G8B8 value.
inline int Channel(uint32_t argb, int c) {
    return static_cast<int>((argb >> (8 * c)) & 0xFF);
}

// Largest per-channel difference of two A8R8G8B8 values.
inline int ChannelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int c = 0; c < 4; ++c) {
        const int d = Channel(a, c) - Channel(b, c);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst;
}
