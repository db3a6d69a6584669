// The software device draws what the library's codecs read: every format a
// texture can take, drawn 1:1 with point sampling, matches ConvertRegion's
// decoding into A8R8G8B8 (and the 16-bit back buffer's precision of it);
// cube textures reach each face by direction, volume textures each slice.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codec/create_pixel_codec.h"
#include "convert/convert_region.h"
#include "support/device_fixture.h"
#include "support/lcg.h"

namespace {

constexpr UINT SIZE = 8;

struct Vertex3 {
    float x, y, z, rhw;
    float u, v, w;
};

class DeviceSampling : public DeviceTest {
protected:
    void Make(D3DFORMAT backBuffer) {
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 16;
        p.BackBufferHeight = 16;
        p.BackBufferFormat = backBuffer;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.Windowed = TRUE;
        CreateDevice(p);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    }

    // Pixel (x, y) of the back buffer as stored (16 or 32 bits).
    uint32_t BackPixel(UINT x, UINT y) {
        IDirect3DSurface8* back = nullptr;
        EXPECT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch;
        uint32_t value = 0;
        std::memcpy(&value, row + x * (desc.Format == D3DFMT_R5G6B5 ? 2 : 4), desc.Format == D3DFMT_R5G6B5 ? 2 : 4);
        back->UnlockRect();
        back->Release();
        return value;
    }

    void DrawQuad(float x0, float y0, float x1, float y1, const float (*coords)[3], DWORD fvf) {
        Vertex3 quad[4] = {{x0, y0, 0, 1, coords[0][0], coords[0][1], coords[0][2]},
                           {x1, y0, 0, 1, coords[1][0], coords[1][1], coords[1][2]},
                           {x1, y1, 0, 1, coords[2][0], coords[2][1], coords[2][2]},
                           {x0, y1, 0, 1, coords[3][0], coords[3][1], coords[3][2]}};
        ASSERT_EQ(device_->SetVertexShader(fvf), D3D_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex3)), D3D_OK);
    }
};

uint8_t ToByte(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    const float scaled = c * 255.0f;
    return static_cast<uint8_t>(scaled + 0.5f);
}

bool IsSigned(D3DFORMAT f) {
    return f == D3DFMT_V8U8 || f == D3DFMT_L6V5U5 || f == D3DFMT_X8L8V8U8 || f == D3DFMT_Q8W8V8U8 ||
           f == D3DFMT_V16U16 || f == D3DFMT_W11V11U10;
}

// What the library reads from the level, as A8R8G8B8. DXT2 and DXT4 are
// read as the stored (premultiplied) colour, as their DXT3 and DXT5 twins.
// Signed formats go through the codec: U, V, W or 1, and Q, the luminance
// or 1, below zero 0. The device reads A8 with black colour, as cards do.
std::vector<uint32_t> LibraryTexels(D3DFORMAT format, BYTE* bits, INT pitch, const PALETTEENTRY* palette) {
    std::vector<uint32_t> out(SIZE * SIZE);
    const D3DFORMAT read = format == D3DFMT_DXT2 ? D3DFMT_DXT3 : format == D3DFMT_DXT4 ? D3DFMT_DXT5 : format;
    PixelRegion source{bits,    read, pitch, 0, {0, 0, SIZE, SIZE, 0, 1}, {0, 0, SIZE, SIZE, 0, 1}, 0, 0,
                       palette};
    if (IsSigned(format)) {
        PixelCodec* codec = CreatePixelCodec(source);
        EXPECT_NE(codec, nullptr);
        std::vector<ColorF> row(SIZE);
        for (UINT y = 0; y < SIZE; ++y) {
            codec->DecodeRow(y, 0, row.data());
            for (UINT x = 0; x < SIZE; ++x) {
                const ColorF& c = row[x];
                const bool hasW = format == D3DFMT_Q8W8V8U8 || format == D3DFMT_W11V11U10;
                const bool hasA = format == D3DFMT_Q8W8V8U8 || format == D3DFMT_L6V5U5 || format == D3DFMT_X8L8V8U8;
                out[y * SIZE + x] = uint32_t{ToByte(hasA ? c.a : 1.0f)} << 24 | uint32_t{ToByte(c.r)} << 16 |
                                    uint32_t{ToByte(c.g)} << 8 | ToByte(hasW ? c.b : 1.0f);
            }
        }
        delete codec;
        return out;
    }
    PixelRegion destination{reinterpret_cast<BYTE*>(out.data()),
                            D3DFMT_A8R8G8B8,
                            SIZE * 4,
                            0,
                            {0, 0, SIZE, SIZE, 0, 1},
                            {0, 0, SIZE, SIZE, 0, 1},
                            0,
                            0,
                            nullptr};
    EXPECT_EQ(ConvertRegion(&destination, &source, FILTER_POINT), S_OK);
    if (format == D3DFMT_A8) {
        for (uint32_t& texel : out) {
            texel &= 0xFF000000u;
        }
    }
    return out;
}

uint32_t To565(uint32_t c) {
    return ((c >> 8) & 0xF800u) | ((c >> 5) & 0x07E0u) | ((c >> 3) & 0x001Fu);
}

constexpr D3DFORMAT EVERY_FORMAT[] = {
    D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,   D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A8P8,
    D3DFMT_P8,       D3DFMT_A8,       D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,   D3DFMT_R3G3B2,   D3DFMT_A8R3G3B2, D3DFMT_X4R4G4B4,
    D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4,       D3DFMT_V8U8,     D3DFMT_L6V5U5,   D3DFMT_X8L8V8U8,
    D3DFMT_Q8W8V8U8, D3DFMT_V16U16,   D3DFMT_W11V11U10,  D3DFMT_UYVY,     D3DFMT_YUY2,     D3DFMT_DXT1,
    D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,       D3DFMT_DXT5,
};

TEST_F(DeviceSampling, EveryFormatDrawnOneToOneMatchesTheLibrarysDecoding) {
    for (const D3DFORMAT backBuffer : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}) {
        Make(backBuffer);
        test_support::Lcg random{0x5EED0000u + backBuffer};
        PALETTEENTRY palette[256];
        for (PALETTEENTRY& e : palette) {
            const uint32_t r = random.Next();
            e = {static_cast<BYTE>(r), static_cast<BYTE>(r >> 8), static_cast<BYTE>(r >> 16), static_cast<BYTE>(r >> 24)};
        }
        ASSERT_EQ(device_->SetPaletteEntries(3, palette), D3D_OK);
        ASSERT_EQ(device_->SetCurrentTexturePalette(3), D3D_OK);
        for (const D3DFORMAT format : EVERY_FORMAT) {
            SCOPED_TRACE(::testing::Message() << "format " << format << ", back buffer " << backBuffer);
            IDirect3DTexture8* texture = nullptr;
            ASSERT_EQ(device_->CreateTexture(SIZE, SIZE, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
            D3DSURFACE_DESC desc;
            texture->GetLevelDesc(0, &desc);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
            auto* bits = static_cast<BYTE*>(locked.pBits);
            for (UINT i = 0; i < desc.Size; ++i) {
                bits[i] = static_cast<BYTE>(random.Next());
            }
            const std::vector<uint32_t> expected = LibraryTexels(format, bits, locked.Pitch, palette);
            texture->UnlockRect(0);
            device_->SetTexture(0, texture);
            const float coords[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
            DrawQuad(0, 0, SIZE, SIZE, coords, D3DFVF_XYZRHW | D3DFVF_TEX1);
            int wrong = 0;
            for (UINT y = 0; y < SIZE; ++y) {
                for (UINT x = 0; x < SIZE; ++x) {
                    const uint32_t want = expected[y * SIZE + x];
                    const uint32_t got = BackPixel(x, y);
                    const uint32_t shown = backBuffer == D3DFMT_R5G6B5 ? To565(want) : want;
                    if (got != shown && wrong++ < 3) {
                        ADD_FAILURE() << "texel (" << x << ", " << y << "): drawn " << std::hex << got << ", read "
                                      << shown;
                    }
                }
            }
            device_->SetTexture(0, nullptr);
            texture->Release();
        }
        device_->Release();
        device_ = nullptr;
    }
}

TEST_F(DeviceSampling, PalettesFollowTheDocumentedCalls) {
    Make(D3DFMT_A8R8G8B8);
    PALETTEENTRY entries[256] = {};
    UINT current = 99;
    EXPECT_EQ(device_->GetCurrentTexturePalette(&current), D3D_OK);
    EXPECT_EQ(current, 0u);
    EXPECT_EQ(device_->GetPaletteEntries(0, entries), D3DERR_INVALIDCALL);  // never set
    EXPECT_EQ(device_->SetPaletteEntries(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetPaletteEntries(0x10000, entries), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetCurrentTexturePalette(0x10000), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->GetCurrentTexturePalette(nullptr), D3DERR_INVALIDCALL);

    // A P8 texel of index 5 drawn with a palette never set, then with two set ones.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static_cast<BYTE*>(locked.pBits)[0] = 5;
    texture->UnlockRect(0);
    device_->SetTexture(0, texture);
    const float coords[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    auto draw = [&] {
        DrawQuad(0, 0, 2, 2, coords, D3DFVF_XYZRHW | D3DFVF_TEX1);
        return BackPixel(0, 0);
    };
    EXPECT_EQ(draw(), 0xFFFFFFFFu);
    entries[5] = {0x10, 0x20, 0x30, 0x80};
    ASSERT_EQ(device_->SetPaletteEntries(7, entries), D3D_OK);
    EXPECT_EQ(draw(), 0xFFFFFFFFu);  // palette 0 is still current
    ASSERT_EQ(device_->SetCurrentTexturePalette(7), D3D_OK);
    EXPECT_EQ(draw(), 0x80102030u);
    entries[5] = {0xFF, 0, 0, 0xFF};
    ASSERT_EQ(device_->SetPaletteEntries(7, entries), D3D_OK);
    EXPECT_EQ(draw(), 0xFFFF0000u);  // the new entries, not a stale decoding
    PALETTEENTRY back[256];
    ASSERT_EQ(device_->GetPaletteEntries(7, back), D3D_OK);
    EXPECT_EQ(std::memcmp(back, entries, sizeof(back)), 0);
    device_->SetTexture(0, nullptr);
    texture->Release();
}

// Each face of a 4 x 4 cube is filled with its own colour, texel (x, y)
// carrying x and y in its low bits; a direction reaches the face texel the
// documented orientation gives.
TEST_F(DeviceSampling, CubeFacesAreReachedByDirectionAtTheirCentresAndEdges) {
    Make(D3DFMT_A8R8G8B8);
    IDirect3DCubeTexture8* cube = nullptr;
    ASSERT_EQ(device_->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
    for (UINT f = 0; f < 6; ++f) {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(f), 0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < 4; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
            for (UINT x = 0; x < 4; ++x) {
                row[x] = 0xFF000000u | (f + 1) << 16 | y << 8 | x;
            }
        }
        cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(f), 0);
    }
    device_->SetTexture(0, cube);
    struct Case {
        float x, y, z;
        UINT face, texelX, texelY;
    } cases[] = {
        // clang-format off
        // centres (the texel right and below the middle)
        {1, 0, 0, 0, 2, 2}, {-1, 0, 0, 1, 2, 2}, {0, 1, 0, 2, 2, 2},
        {0, -1, 0, 3, 2, 2}, {0, 0, 1, 4, 2, 2}, {0, 0, -1, 5, 2, 2},
        // near the edges: +X's top left is (+1, +1, +1); +Y's top left (-1, +1, -1)... 
        {1, 0.9f, 0.9f, 0, 0, 0}, {1, -0.9f, -0.9f, 0, 3, 3},
        {-1, 0.9f, -0.9f, 1, 0, 0}, {-1, -0.9f, 0.9f, 1, 3, 3},
        {-0.9f, 1, -0.9f, 2, 0, 0}, {0.9f, 1, 0.9f, 2, 3, 3},
        {-0.9f, -1, 0.9f, 3, 0, 0}, {0.9f, -1, -0.9f, 3, 3, 3},
        {-0.9f, 0.9f, 1, 4, 0, 0}, {0.9f, -0.9f, 1, 4, 3, 3},
        {0.9f, 0.9f, -1, 5, 0, 0}, {-0.9f, -0.9f, -1, 5, 3, 3},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "direction " << c.x << ", " << c.y << ", " << c.z);
        const float coords[4][3] = {{c.x, c.y, c.z}, {c.x, c.y, c.z}, {c.x, c.y, c.z}, {c.x, c.y, c.z}};
        DrawQuad(0, 0, 2, 2, coords, D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
        EXPECT_EQ(BackPixel(0, 0), 0xFF000000u | (c.face + 1) << 16 | c.texelY << 8 | c.texelX);
    }
    device_->SetTexture(0, nullptr);
    cube->Release();
}

// A 2 x 2 x 4 volume whose slices are grey levels 0, 80, 160, 240: point
// sampling reaches each slice, linear filtering blends neighbours.
TEST_F(DeviceSampling, VolumeSlicesAreReachedAndBlended) {
    Make(D3DFMT_A8R8G8B8);
    IDirect3DVolumeTexture8* volume = nullptr;
    ASSERT_EQ(device_->CreateVolumeTexture(2, 2, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &volume), D3D_OK);
    D3DLOCKED_BOX box;
    ASSERT_EQ(volume->LockBox(0, &box, nullptr, 0), D3D_OK);
    for (int z = 0; z < 4; ++z) {
        for (int y = 0; y < 2; ++y) {
            std::memset(static_cast<BYTE*>(box.pBits) + z * box.SlicePitch + y * box.RowPitch, 80 * z, 2);
        }
    }
    volume->UnlockBox(0);
    device_->SetTexture(0, volume);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
    struct Case {
        DWORD filter;
        float w;
        uint32_t grey;
    } cases[] = {
        {D3DTEXF_POINT, 0.125f, 0},  {D3DTEXF_POINT, 0.375f, 80},  {D3DTEXF_POINT, 0.625f, 160},
        {D3DTEXF_POINT, 0.875f, 240}, {D3DTEXF_POINT, 0.99f, 240},  {D3DTEXF_LINEAR, 0.25f, 40},
        {D3DTEXF_LINEAR, 0.5f, 120}, {D3DTEXF_LINEAR, 0.625f, 160}, {D3DTEXF_LINEAR, 0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "filter " << c.filter << ", w " << c.w);
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, c.filter);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, c.filter);
        const float coords[4][3] = {{0, 0, c.w}, {1, 0, c.w}, {1, 1, c.w}, {0, 1, c.w}};
        DrawQuad(0, 0, 2, 2, coords, D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
        EXPECT_EQ(BackPixel(0, 0), 0xFF000000u | c.grey << 16 | c.grey << 8 | c.grey);
    }
    device_->SetTexture(0, nullptr);
    volume->Release();
}

}  // namespace
