#include <cmath>

#include "d3d8_fixture.h"

namespace {

constexpr float FOV_Y = 1.0471973f;
constexpr float ASPECT = 1.33f;

D3DMATRIX Perspective() {
    const float yScale = std::cos(FOV_Y / 2) / std::sin(FOV_Y / 2);
    const float q = 100.0f / 99.0f;
    D3DMATRIX m{};
    m._11 = yScale / ASPECT;
    m._22 = yScale;
    m._33 = q;
    m._34 = 1;
    m._43 = -q;
    return m;
}

int Channel(uint32_t c, int shift) {
    return static_cast<int>((c >> shift) & 255u);
}

class Raster : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        MakeDevice();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
    void TearDown() override {
        if (device_ != nullptr) {
            device_->SetTexture(0, nullptr);
        }
        if (texture_ != nullptr) {
            texture_->Release();
        }
        D3D8Test::TearDown();
    }
    void Blending() {
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    void DrawWorld(const WorldVertex* vertices, UINT triangles) {
        const D3DMATRIX projection = Perspective();
        device_->SetTransform(D3DTS_PROJECTION, &projection);
        device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, triangles, vertices, sizeof(WorldVertex)), D3D_OK);
    }
    IDirect3DTexture8* texture_ = nullptr;  // released after the test
};

TEST_F(Raster, FansCoverEveryPixelExactlyOnce) {
    // Half-alpha white over black: a pixel drawn twice would be brighter, one
    // missed would stay black.
    Blending();
    const ScreenVertex corners[] = {{0, 0, 0, 1, 0x80FFFFFF, 0, 0},
                                    {640, 0, 0, 1, 0x80FFFFFF, 0, 0},
                                    {640, 480, 0, 1, 0x80FFFFFF, 0, 0},
                                    {0, 480, 0, 1, 0x80FFFFFF, 0, 0}};
    // A fan around an off-centre point with rim points between pixel centres.
    ScreenVertex star[10];
    star[0] = {320.3f, 240.7f, 0, 1, 0x80FFFFFF, 0, 0};
    const float rim[][2] = {{0, 0},        {211.6f, 0}, {640, 0},    {640, 300.25f}, {640, 480},
                            {100.5f, 480}, {0, 480},    {0, 123.4f}, {0, 0}};
    for (int i = 0; i < 9; ++i) {
        star[i + 1] = {rim[i][0], rim[i][1], 0, 1, 0x80FFFFFF, 0, 0};
    }
    struct Case {
        const ScreenVertex* vertices;
        UINT triangles;
    } cases[] = {{corners, 2}, {star, 8}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, c.triangles, c.vertices, sizeof(ScreenVertex)), D3D_OK);
        const auto pixels = ReadBackBuffer();
        int wrong = 0;
        for (uint32_t p : pixels) {
            wrong += (p & 0xFFFFFF) != (pixels[0] & 0xFFFFFF);
        }
        EXPECT_EQ(wrong, 0) << c.triangles << " triangles";
        EXPECT_NEAR(Channel(pixels[0], 8), 128, 1);
    }
}

TEST_F(Raster, HalfPixelOffsetReproducesTexelsOneToOne) {
    texture_ = MakeTexture(
        16, 8, 1, [](UINT, UINT x, UINT y) { return 0xFF000000u | (x * 13u) << 16 | (y * 29u) << 8 | (x ^ y); });
    ASSERT_NE(texture_, nullptr);
    device_->SetTexture(0, texture_);
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        device_->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device_->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        DrawScreenQuad(-0.5f, -0.5f, 15.5f, 7.5f, 0xFFFFFFFF);
        const auto pixels = ReadBackBuffer();
        for (UINT y = 0; y < 8; ++y) {
            for (UINT x = 0; x < 16; ++x) {
                ASSERT_EQ(pixels[y * 640 + x] & 0xFFFFFF, (x * 13u) << 16 | (y * 29u) << 8 | (x ^ y))
                    << "filter " << filter << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(pixels[16] & 0xFFFFFF, 0u);       // nothing right of the quad
        EXPECT_EQ(pixels[8 * 640] & 0xFFFFFF, 0u);  // nor below it
    }
}

TEST_F(Raster, PerspectiveCorrectTextureCoordinates) {
    // A wall tilted away from the camera; row v of the texture holds v in blue.
    texture_ = MakeTexture(1, 256, 1, [](UINT, UINT, UINT y) { return 0xFF000000u | y; });
    ASSERT_NE(texture_, nullptr);
    device_->SetTexture(0, texture_);
    const WorldVertex wall[] = {{-10, -10, 10, 0xFFFFFFFF, 0, 0},
                                {-10, 10, 40, 0xFFFFFFFF, 0, 1},
                                {10, 10, 40, 0xFFFFFFFF, 1, 1},
                                {10, -10, 10, 0xFFFFFFFF, 1, 0}};
    DrawWorld(wall, 2);
    const auto pixels = ReadBackBuffer();
    // The wall's midpoint (0, 0, 25) projects onto the screen centre; an
    // affine interpolation would read about row 204 there.
    EXPECT_NEAR(Channel(pixels[240 * 640 + 320], 0), 128, 1);
    // Along a row the depth is constant, so v is too: lines stay straight.
    for (int x = 250; x < 390; x += 10) {
        EXPECT_EQ(pixels[300 * 640 + x], pixels[300 * 640 + 320]) << x;
    }
}

TEST_F(Raster, DepthTestAtEqualDepth) {
    struct Case {
        DWORD func;
        bool secondVisible;
    } cases[] = {{D3DCMP_LESSEQUAL, true},
                 {D3DCMP_LESS, false},
                 {D3DCMP_EQUAL, true},
                 {D3DCMP_ALWAYS, true},
                 {D3DCMP_GREATER, false}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        DrawScreenQuad(10, 10, 50, 50, 0xFFFF0000, 0, 0, 1, 1, 0.5f);
        device_->SetRenderState(D3DRS_ZFUNC, c.func);
        DrawScreenQuad(10, 10, 50, 50, 0xFF00FF00, 0, 0, 1, 1, 0.5f);
        const auto pixels = ReadBackBuffer();
        EXPECT_EQ(pixels[20 * 640 + 20] & 0xFFFFFF, c.secondVisible ? 0x00FF00u : 0xFF0000u) << "func " << c.func;
    }
    // A nearer quad hides a farther one drawn after it; ZWRITEENABLE off keeps the old depth.
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawScreenQuad(10, 10, 50, 50, 0xFFFF0000, 0, 0, 1, 1, 0.2f);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    DrawScreenQuad(10, 10, 50, 50, 0xFF0000FF, 0, 0, 1, 1, 0.3f);
    DrawScreenQuad(10, 10, 50, 50, 0xFF00FF00, 0, 0, 1, 1, 0.6f);
    EXPECT_EQ(ReadBackBuffer()[20 * 640 + 20] & 0xFFFFFF, 0x0000FFu);

    // A quad sloping from depth 0.25 to 0.75 across 200 pixels through a flat
    // one at 0.5: it shows on the near side only, whatever the span grouping.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawScreenQuad(0, 0, 200, 8, 0xFFFF0000, 0, 0, 1, 1, 0.5f);
    const ScreenVertex slope[4] = {{0, 0, 0.25f, 1, 0xFF00FF00, 0, 0},
                                   {200, 0, 0.75f, 1, 0xFF00FF00, 0, 0},
                                   {200, 8, 0.75f, 1, 0xFF00FF00, 0, 0},
                                   {0, 8, 0.25f, 1, 0xFF00FF00, 0, 0}};
    device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, slope, sizeof(ScreenVertex));
    const auto pixels = ReadBackBuffer();
    for (int x = 0; x < 200; ++x) {
        if (x < 99 || x > 100) {  // the crossing itself may go either way
            ASSERT_EQ(pixels[4 * 640 + x] & 0xFFFFFF, x < 99 ? 0x00FF00u : 0xFF0000u) << x;
        }
    }
}

TEST_F(Raster, BlendingFollowsTheFormula) {
    Blending();
    const uint32_t alphas[] = {0, 1, 64, 127, 128, 200, 254, 255};
    const uint32_t sources[] = {0xFFFFFF, 0x80FF10, 0x000000};
    const uint32_t targets[] = {0x000000, 0x20A0FF};
    for (uint32_t alpha : alphas) {
        for (uint32_t src : sources) {
            for (uint32_t dst : targets) {
                device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | dst, 1.0f, 0);
                DrawScreenQuad(0, 0, 4, 4, alpha << 24 | src);
                const uint32_t got = ReadBackBuffer()[641];
                for (int shift : {0, 8, 16}) {
                    const double expected =
                        Channel(src, shift) * alpha / 255.0 + Channel(dst, shift) * (255 - alpha) / 255.0;
                    EXPECT_NEAR(Channel(got, shift), expected, 1.0)
                        << "alpha " << alpha << " src " << std::hex << src << " dst " << dst;
                }
            }
        }
    }
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF20A0FF, 1.0f, 0);
    DrawScreenQuad(0, 0, 4, 4, 0x10336699);
    EXPECT_EQ(ReadBackBuffer()[641] & 0xFFFFFF, 0x336699u);
}

TEST_F(Raster, MinificationPicksSmallerLevels) {
    const uint32_t colours[] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFF00, 0xFF00FFFF,
                                0xFFFF00FF, 0xFF808080, 0xFF404040, 0xFF202020};
    texture_ = MakeTexture(256, 256, 0, [&](UINT level, UINT, UINT) { return colours[level]; });
    ASSERT_NE(texture_, nullptr);
    device_->SetTexture(0, texture_);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    struct Case {
        DWORD mip;
        float size;
        uint32_t expected;
        DWORD maxMip = 0;
    } cases[] = {
        // clang-format off
        {D3DTEXF_POINT, 256, colours[0]}, {D3DTEXF_POINT, 128, colours[1]}, {D3DTEXF_POINT, 64, colours[2]},
        {D3DTEXF_POINT, 32, colours[3]},  {D3DTEXF_POINT, 16, colours[4]},  {D3DTEXF_NONE, 16, colours[0]},
        {D3DTEXF_LINEAR, 64, colours[2]}, {D3DTEXF_LINEAR, 512, colours[0]},
        {D3DTEXF_LINEAR, 90.50967f, 0xFF7F7F00},  // lod 1.5: half level 1, half level 2
        // The most detailed level allowed is a floor under the level of
        // detail: finer levels give way to it, coarser ones stay.
        {D3DTEXF_POINT, 128, colours[2], 2}, {D3DTEXF_POINT, 16, colours[4], 2}, {D3DTEXF_NONE, 16, colours[2], 2},
        {D3DTEXF_LINEAR, 90.50967f, colours[2], 2}, {D3DTEXF_LINEAR, 512, colours[2], 2},
        {D3DTEXF_LINEAR, 16, colours[4], 2}, {D3DTEXF_NONE, 256, colours[8], 20},
        // clang-format on
    };
    for (const auto& c : cases) {
        device_->SetTextureStageState(0, D3DTSS_MIPFILTER, c.mip);
        device_->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, c.maxMip);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        DrawScreenQuad(0, 0, c.size, c.size, 0xFFFFFFFF);
        const uint32_t got = ReadBackBuffer()[5 * 640 + 5];
        for (int shift : {0, 8, 16}) {
            EXPECT_NEAR(Channel(got, shift), Channel(c.expected, shift), 1)
                << "mip " << c.mip << " size " << c.size << " most detailed " << c.maxMip << std::hex << " got "
                << got;
        }
    }
}

TEST_F(Raster, UnboundStageSamplesWhiteAndLightingDarkensWorldVertices) {
    DrawScreenQuad(0, 0, 4, 4, 0xFF806040);
    EXPECT_EQ(ReadBackBuffer()[0] & 0xFFFFFF, 0x806040u);

    const WorldVertex quad[] = {{-1, -1, 5, 0xFF806040, 0, 0},
                                {-1, 1, 5, 0xFF806040, 0, 1},
                                {1, 1, 5, 0xFF806040, 1, 1},
                                {1, -1, 5, 0xFF806040, 1, 0}};
    DrawWorld(quad, 2);
    EXPECT_EQ(ReadBackBuffer()[240 * 640 + 320] & 0xFFFFFF, 0x806040u);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);  // no lights: only the ambient light, black by default
    DrawWorld(quad, 2);
    EXPECT_EQ(ReadBackBuffer()[240 * 640 + 320] & 0xFFFFFF, 0u);
}

TEST_F(Raster, NearPlaneClipsAndCullingFollowsWinding) {
    // A floor from behind the camera to z 20: only the part beyond the near
    // plane is drawn.
    const WorldVertex floor[] = {{-5, -2, -5, 0xFFFF0000, 0, 0},
                                 {-5, -2, 20, 0xFFFF0000, 0, 1},
                                 {5, -2, 20, 0xFFFF0000, 1, 1},
                                 {5, -2, -5, 0xFFFF0000, 1, 0}};
    DrawWorld(floor, 2);
    auto pixels = ReadBackBuffer();
    EXPECT_EQ(pixels[400 * 640 + 320] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[270 * 640 + 320] & 0xFFFFFF, 0u);  // beyond the far edge at about row 282
    const WorldVertex behind[] = {{-5, -5, -3, 0xFF00FF00, 0, 0},
                                  {-5, 5, -3, 0xFF00FF00, 0, 1},
                                  {5, 5, -3, 0xFF00FF00, 1, 1},
                                  {5, -5, -3, 0xFF00FF00, 1, 0}};
    DrawWorld(behind, 2);
    pixels = ReadBackBuffer();
    for (uint32_t p : pixels) {
        ASSERT_NE(p & 0xFFFFFF, 0x00FF00u);
    }

    struct Case {
        DWORD cull;
        bool clockwise;
        bool drawn;
    } cases[] = {{D3DCULL_CCW, true, true},
                 {D3DCULL_CCW, false, false},
                 {D3DCULL_CW, true, false},
                 {D3DCULL_CW, false, true},
                 {D3DCULL_NONE, false, true}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.cull);
        // Clockwise on screen: left, top right, bottom right.
        ScreenVertex tri[3] = {
            {0, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {40, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {40, 40, 0, 1, 0xFFFFFFFF, 0, 0}};
        if (!c.clockwise) {
            std::swap(tri[1], tri[2]);
        }
        device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ScreenVertex));
        EXPECT_EQ((ReadBackBuffer()[5 * 640 + 30] & 0xFFFFFF) != 0, c.drawn) << "cull " << c.cull;
    }
}

TEST(RasterFormats, SixteenBitBackBuffer) {
    platform::AllowOffscreenDevices(true);
    platform_testing::ResetDeviceProfile();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 64;
    p.BackBufferHeight = 32;
    p.BackBufferFormat = D3DFMT_R5G6B5;
    p.SwapEffect = D3DSWAPEFFECT_FLIP;
    p.Windowed = FALSE;
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    DWORD zenable = 1;
    device->GetRenderState(D3DRS_ZENABLE, &zenable);
    EXPECT_EQ(zenable, DWORD{D3DZB_FALSE});  // no depth buffer asked for
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    const ScreenVertex quad[4] = {{0, 0, 0, 1, 0xFFFF0000, 0, 0},
                                  {32, 0, 0, 1, 0xFFFF0000, 0, 0},
                                  {32, 32, 0, 1, 0xFFFF0000, 0, 0},
                                  {0, 32, 0, 1, 0xFFFF0000, 0, 0}};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, 128);
    const auto* row = static_cast<const uint16_t*>(locked.pBits);
    EXPECT_EQ(row[0], 0xF800);
    EXPECT_EQ(row[40], 0x001F);
    back->UnlockRect();
    back->Release();
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

}  // namespace

namespace {

struct PlacementCase {
    float centreX, centreY, depth, width, height, cameraX;
    int left, top, right, bottom;  // expected covered pixels, inclusive, within one pixel
};

class Placement : public Raster {};

TEST_F(Placement, WorldQuadsLandWhereTheCameraSeesThem) {
    const PlacementCase cases[] = {
        // A 10 x 10 body at x 0, height 17, depth 49 with the camera at 30:
        // centred near (65, 96), about 85 pixels square.
        {0, 17, 49, 10, 10, 30, 23, 54, 107, 138},
        // The 192 x 48 backdrop at depth 50: rows 40 to 440, the whole width.
        {84, 0, 50, 192, 48, 60, 0, 40, 639, 439},
    };
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        D3DMATRIX view{}, world{};
        view._11 = view._22 = view._33 = view._44 = 1;
        view._41 = -c.cameraX;
        world._11 = world._22 = world._33 = world._44 = 1;
        world._41 = c.centreX;
        world._42 = c.centreY;
        world._43 = c.depth;
        device_->SetTransform(D3DTS_VIEW, &view);
        device_->SetTransform(D3DTS_WORLD, &world);
        const float hw = c.width / 2, hh = c.height / 2;
        const WorldVertex quad[] = {{-hw, -hh, 0, 0xFFFFFFFF, 0, 1},
                                    {-hw, hh, 0, 0xFFFFFFFF, 0, 0},
                                    {hw, hh, 0, 0xFFFFFFFF, 1, 0},
                                    {hw, -hh, 0, 0xFFFFFFFF, 1, 1}};
        DrawWorld(quad, 2);
        const auto pixels = ReadBackBuffer();
        int left = 640, top = 480, right = -1, bottom = -1;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                if ((pixels[y * 640 + x] & 0xFFFFFF) != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_NEAR(left, c.left, 1);
        EXPECT_NEAR(top, c.top, 1);
        EXPECT_NEAR(right, c.right, 1);
        EXPECT_NEAR(bottom, c.bottom, 1);
    }
}

}  // namespace

namespace {

class Addressing : public Raster {};

TEST_F(Addressing, WrapClampAndMirrorBeyondTheEdges) {
    // Two texels, red and green, over six pixels with u from -1 to 2: the
    // pixel centres read texel columns -2 .. 3.
    texture_ = MakeTexture(2, 1, 1, [](UINT, UINT x, UINT) { return x == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
    ASSERT_NE(texture_, nullptr);
    device_->SetTexture(0, texture_);
    struct Case {
        DWORD mode;
        const char* expected;  // r or g per pixel
    } cases[] = {{D3DTADDRESS_WRAP, "rgrgrg"}, {D3DTADDRESS_CLAMP, "rrrggg"}, {D3DTADDRESS_MIRROR, "grrggr"}};
    for (const auto& c : cases) {
        device_->SetTextureStageState(0, D3DTSS_ADDRESSU, c.mode);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        DrawScreenQuad(-0.5f, -0.5f, 5.5f, 0.5f, 0xFFFFFFFF, -1, 0, 2, 1);
        const auto pixels = ReadBackBuffer();
        for (int x = 0; x < 6; ++x) {
            const uint32_t want = c.expected[x] == 'r' ? 0xFF0000u : 0x00FF00u;
            EXPECT_EQ(pixels[x] & 0xFFFFFF, want) << "mode " << c.mode << " pixel " << x;
        }
    }
}

}  // namespace
