// Mip chains: which level each level is made from, the default filters, the
// forced mirroring of cube faces, and the source level's range.

#include <gtest/gtest.h>

#include <vector>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "convert/mip_chain.h"
#include "support/texture_device_fixture.h"

namespace {

class MipChainTest : public TextureDeviceTest {};

uint32_t Noise(UINT x, UINT y) {
    uint32_t v = x * 0x9E3779B1u ^ y * 0x85EBCA77u;
    v ^= v >> 13;
    v *= 0xC2B2AE3Du;
    return v ^ (v >> 16);
}

// Per channel, the rounded mean of the given A8R8G8B8 values.
uint32_t Mean(std::initializer_list<uint32_t> values) {
    uint32_t result = 0;
    for (int c = 0; c < 4; ++c) {
        int sum = 0;
        for (uint32_t v : values) {
            sum += Channel(v, c);
        }
        const int n = static_cast<int>(values.size());
        result |= static_cast<uint32_t>((sum + n / 2) / n) << (8 * c);
    }
    return result;
}

TEST_F(MipChainTest, DefaultFilterOnColourBoxAveragesTheLevelAbove) {
    ComRef<IDirect3DTexture8> texture;
    *texture.Out() = NewTexture(16, 8, 0, D3DFMT_A8R8G8B8);
    WriteLevel(texture.Get(), 0, Noise);
    ASSERT_EQ(BuildTextureMips(texture.Get(), nullptr, 0, FILTER_DEFAULT), S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 5u);
    for (UINT level = 1; level < 5; ++level) {
        const std::vector<uint32_t> above = ReadLevel(texture.Get(), level - 1);
        const std::vector<uint32_t> below = ReadLevel(texture.Get(), level);
        const UINT aboveWidth = 16 >> (level - 1);
        const UINT width = std::max(1u, 16u >> level);
        const UINT height = std::max(1u, 8u >> level);
        const UINT aboveHeight = std::max(1u, 8u >> (level - 1));
        for (UINT y = 0; y < height; ++y) {
            for (UINT x = 0; x < width; ++x) {
                const UINT y0 = 2 * y;
                const UINT y1 = aboveHeight == 1 ? y0 : y0 + 1;
                const uint32_t expected = Mean({above[y0 * aboveWidth + 2 * x], above[y0 * aboveWidth + 2 * x + 1],
                                                above[y1 * aboveWidth + 2 * x], above[y1 * aboveWidth + 2 * x + 1]});
                EXPECT_LE(ChannelDistance(below[y * width + x], expected), 1)
                    << "level " << level << " pixel " << x << "," << y;
            }
        }
    }
}

TEST_F(MipChainTest, DefaultFilterOnSignedFormatsPointSamplesLevelByLevel) {
    ComRef<IDirect3DTexture8> texture;
    *texture.Out() = NewTexture(8, 8, 0, D3DFMT_Q8W8V8U8);
    WriteLevel(texture.Get(), 0, [](UINT x, UINT y) { return (x << 4 | y) * 0x01010101u & 0x7F7F7F7Fu; });
    ASSERT_EQ(BuildTextureMips(texture.Get(), nullptr, 0, FILTER_DEFAULT), S_OK);
    for (UINT level = 1; level < texture->GetLevelCount(); ++level) {
        const std::vector<uint32_t> above = ReadLevel(texture.Get(), level - 1);
        const std::vector<uint32_t> below = ReadLevel(texture.Get(), level);
        const UINT width = 8 >> level;
        for (UINT y = 0; y < width; ++y) {
            for (UINT x = 0; x < width; ++x) {
                EXPECT_EQ(below[y * width + x], above[2 * y * 2 * width + 2 * x]) << level;
            }
        }
    }
}

// The linear filter resamples every level from the source level, with the
// first sample half a pixel before the edge, wrapped around.
TEST_F(MipChainTest, LinearResamplesFromTheSourceLevelWithWrap) {
    ComRef<IDirect3DTexture8> texture;
    *texture.Out() = NewTexture(256, 128, 0, D3DFMT_A8R8G8B8);
    WriteLevel(texture.Get(), 0, Noise);
    ASSERT_EQ(BuildTextureMips(texture.Get(), nullptr, 0, FILTER_LINEAR), S_OK);
    const std::vector<uint32_t> top = ReadLevel(texture.Get(), 0);
    auto at = [&](UINT x, UINT y) { return top[y * 256 + x]; };
    const std::vector<uint32_t> level1 = ReadLevel(texture.Get(), 1);
    EXPECT_LE(ChannelDistance(level1[0], Mean({at(255, 127), at(0, 127), at(255, 0), at(0, 0)})), 1);
    const std::vector<uint32_t> last = ReadLevel(texture.Get(), texture->GetLevelCount() - 1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_LE(ChannelDistance(last[0], Mean({at(255, 127), at(0, 127), at(255, 0), at(0, 0)})), 1);
    // Level 2 pixel (1, 1) sits at source position 4 - 0.5 on each axis.
    const std::vector<uint32_t> level2 = ReadLevel(texture.Get(), 2);
    EXPECT_LE(ChannelDistance(level2[64 + 1], Mean({at(3, 3), at(4, 3), at(3, 4), at(4, 4)})), 1);
}

TEST_F(MipChainTest, CubeFacesAreMirroredWhateverTheCallerAsks) {
    ComRef<IDirect3DCubeTexture8> cube;
    ASSERT_EQ(device_->CreateCubeTexture(8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, cube.Out()), D3D_OK);
    std::vector<uint32_t> corners;
    for (UINT face = 0; face < 6; ++face) {
        ComRef<IDirect3DSurface8> surface;
        ASSERT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, surface.Out()), D3D_OK);
        WritePixels(surface.Get(), [face](UINT x, UINT y) { return Noise(x + 100 * face, y); });
        corners.push_back(Noise(100 * face, 0));
    }
    ASSERT_EQ(BuildCubeTextureMips(cube.Get(), nullptr, 0, FILTER_LINEAR), S_OK);
    for (UINT face = 0; face < 6; ++face) {
        for (UINT level = 1; level < cube->GetLevelCount(); ++level) {
            ComRef<IDirect3DSurface8> surface;
            ASSERT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, surface.Out()), D3D_OK);
            EXPECT_EQ(ReadPixels(surface.Get())[0], corners[face]) << "face " << face << " level " << level;
        }
    }
}

TEST_F(MipChainTest, SourceLevelRange) {
    struct Case {
        UINT levels;
        UINT sourceLevel;
        HRESULT result;
        UINT firstWritten;  // levels from here on are expected to change
    };
    const Case cases[] = {
        {4, 0xFFFFFFFF, S_OK, 1},       // means level 0
        {4, 1, S_OK, 2},                // levels above the source stay
        {4, 3, S_OK, 4},                // the last level: nothing to do
        {1, 0, S_OK, 1},                // one level: nothing to do
        {2, 2, D3DERR_INVALIDCALL, 2},  // beyond the chain
        {2, 0xFFFFFFFE, D3DERR_INVALIDCALL, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourceLevel);
        ComRef<IDirect3DTexture8> texture;
        *texture.Out() = NewTexture(8, 8, c.levels, D3DFMT_A8R8G8B8);
        for (UINT level = 0; level < c.levels; ++level) {
            WriteLevel(texture.Get(), level, [level](UINT, UINT) { return 0x11111111u * (level + 1); });
        }
        EXPECT_EQ(BuildTextureMips(texture.Get(), nullptr, c.sourceLevel, FILTER_POINT), c.result);
        for (UINT level = 0; level < c.levels; ++level) {
            const uint32_t original = 0x11111111u * (level + 1);
            const uint32_t fromSource = 0x11111111u * ((c.sourceLevel == 0xFFFFFFFF ? 0 : c.sourceLevel) + 1);
            const uint32_t expected = level >= c.firstWritten ? fromSource : original;
            for (uint32_t pixel : ReadLevel(texture.Get(), level)) {
                ASSERT_EQ(pixel, expected) << "level " << level;
            }
        }
    }
    EXPECT_EQ(BuildTextureMips(nullptr, nullptr, 0, FILTER_BOX), D3DERR_INVALIDCALL);
    EXPECT_EQ(BuildCubeTextureMips(nullptr, nullptr, 0, FILTER_BOX), D3DERR_INVALIDCALL);
    EXPECT_EQ(BuildVolumeTextureMips(nullptr, nullptr, 0, FILTER_BOX), D3DERR_INVALIDCALL);
}

TEST_F(MipChainTest, VolumesHalveLevelByLevelAndMalformedFiltersStopAtTheFirstLevel) {
    ComRef<IDirect3DVolumeTexture8> volume;
    ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, volume.Out()), D3D_OK);
    D3DLOCKED_BOX locked{};
    ASSERT_EQ(volume->LockBox(0, &locked, nullptr, 0), D3D_OK);
    for (UINT z = 0; z < 4; ++z) {
        for (UINT y = 0; y < 4; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + z * locked.SlicePitch +
                                                    y * locked.RowPitch);
            for (UINT x = 0; x < 4; ++x) {
                row[x] = 0xFF000000u | (z < 2 ? 0x000040u : 0x0000C0u);
            }
        }
    }
    volume->UnlockBox(0);
    EXPECT_EQ(BuildVolumeTextureMips(volume.Get(), nullptr, 0, 0x7F), D3DERR_INVALIDCALL);
    ASSERT_EQ(BuildVolumeTextureMips(volume.Get(), nullptr, 0xFFFFFFFF, FILTER_DEFAULT), S_OK);
    ASSERT_EQ(volume->LockBox(2, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    // Halves of 0x40 and 0xC0 slices meet in the middle.
    EXPECT_LE(ChannelDistance(*static_cast<uint32_t*>(locked.pBits), 0xFF000080u), 1);
    volume->UnlockBox(2);
}

}  // namespace
