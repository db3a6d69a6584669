// Presentation into a real SDL window (the dummy video driver's windows keep
// their pixels in memory, so what the renderer drew can be read back).

#include <SDL.h>

#include "d3d8_fixture.h"
#include "presenter.h"
#include "window_registry.h"

namespace {

TEST(FitPicture, KeepsTheShapeCentredAndAsLargeAsFits) {
    struct Case {
        int width, height, outputWidth, outputHeight;
        SDL_Rect expected;
    };
    const Case cases[] = {
        {640, 480, 640, 480, {0, 0, 640, 480}},
        {640, 480, 1024, 768, {0, 0, 1024, 768}},
        {640, 480, 1280, 720, {160, 0, 960, 720}},
        {640, 480, 1920, 1080, {240, 0, 1440, 1080}},
        {640, 480, 800, 480, {80, 0, 640, 480}},
        {640, 480, 640, 600, {0, 60, 640, 480}},
        {640, 480, 1280, 1024, {0, 32, 1280, 960}},
        {640, 480, 100, 100, {0, 12, 100, 75}},
        {640, 480, 1, 1, {0, 0, 1, 1}},
        {640, 480, 3, 1000, {0, 499, 3, 2}},
        {640, 480, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const SDL_Rect got = platform::FitPicture(c.width, c.height, c.outputWidth, c.outputHeight);
        EXPECT_TRUE(got.x == c.expected.x && got.y == c.expected.y && got.w == c.expected.w && got.h == c.expected.h)
            << c.outputWidth << "x" << c.outputHeight << ": " << got.x << "," << got.y << " " << got.w << "x" << got.h;
    }
}

class Presenting : public D3D8Test {
protected:
    void SetUp() override {
        D3D8Test::SetUp();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            GTEST_SKIP() << "no video driver";
        }
        video_ = true;
        window_ = SDL_CreateWindow("present", 0, 0, 640, 480, 0);
        ASSERT_NE(window_, nullptr);
        platform::RegisterSdlWindow(handle_, window_);
    }
    void TearDown() override {
        if (device_ != nullptr) {
            EXPECT_EQ(device_->Release(), 0u);
            device_ = nullptr;
        }
        if (window_ != nullptr) {
            platform::UnregisterSdlWindow(handle_);
            SDL_DestroyWindow(window_);
        }
        if (video_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        D3D8Test::TearDown();
    }

    // Left half red, right half blue.
    void DrawHalves() {
        const D3DRECT left{0, 0, 320, 480};
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
        device_->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    }

    // What the window shows, as 0xRRGGBB.
    std::vector<uint32_t> Shown(int& width, int& height) {
        std::vector<uint32_t> pixels;
        SDL_Renderer* renderer = SDL_GetRenderer(window_);
        if (renderer == nullptr || SDL_GetRendererOutputSize(renderer, &width, &height) != 0) {
            ADD_FAILURE() << "the window has no renderer";
            return pixels;
        }
        pixels.resize(static_cast<size_t>(width) * height);
        if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4) != 0) {
            ADD_FAILURE() << SDL_GetError();
        }
        for (uint32_t& p : pixels) {
            p &= 0xFFFFFF;
        }
        return pixels;
    }

    HWND handle_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
    SDL_Window* window_ = nullptr;
    bool video_ = false;
};

TEST_F(Presenting, TheWholeBackBufferIsScaledIntoTheWindowWithItsShapeKept) {
    struct Case {
        int width, height;
        SDL_Rect picture;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 640, 480}},
        {800, 480, {80, 0, 640, 480}},
        {640, 600, {0, 60, 640, 480}},
        {1280, 720, {160, 0, 960, 720}},
    };
    for (const Case& c : cases) {
        SDL_SetWindowSize(window_, c.width, c.height);
        D3DPRESENT_PARAMETERS p = Params();
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
                  D3D_OK);
        DrawHalves();
        ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        int width = 0;
        int height = 0;
        const std::vector<uint32_t> shown = Shown(width, height);
        ASSERT_EQ(width, c.width);
        ASSERT_EQ(height, c.height);
        auto at = [&](int x, int y) { return shown[static_cast<size_t>(y) * width + x]; };
        const SDL_Rect& r = c.picture;
        const int midY = r.y + r.h / 2;
        EXPECT_EQ(at(r.x + 2, r.y + 2), 0xFF0000u) << c.width << "x" << c.height;
        EXPECT_EQ(at(r.x + r.w / 4, midY), 0xFF0000u);
        EXPECT_EQ(at(r.x + r.w * 3 / 4, midY), 0x0000FFu);
        EXPECT_EQ(at(r.x + r.w - 3, r.y + r.h - 3), 0x0000FFu);
        // The bars, where there are any, are black.
        if (r.x > 0) {
            EXPECT_EQ(at(r.x - 1, midY), 0u);
            EXPECT_EQ(at(0, 0), 0u);
            EXPECT_EQ(at(width - 1, height - 1), 0u);
        }
        if (r.y > 0) {
            EXPECT_EQ(at(width / 2, r.y - 1), 0u);
            EXPECT_EQ(at(width / 2, r.y + r.h), 0u);
        }
        // What the program reads back stays the back buffer's own size.
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        D3DSURFACE_DESC desc{};
        back->GetDesc(&desc);
        back->Release();
        EXPECT_EQ(desc.Width, 640u);
        EXPECT_EQ(desc.Height, 480u);
        EXPECT_EQ(device_->Release(), 0u);
        device_ = nullptr;
    }
}

TEST_F(Presenting, FullScreenCoversTheDisplayWithoutChangingItsModeUntilReleased) {
    SDL_Rect bounds;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0);
    SDL_DisplayMode before;
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &before), 0);
    SDL_SetWindowPosition(window_, 30, 40);

    D3DPRESENT_PARAMETERS p = Params(D3DFMT_R5G6B5, FALSE);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    EXPECT_EQ(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
    SDL_DisplayMode during;
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &during), 0);
    EXPECT_EQ(during.w, before.w);
    EXPECT_EQ(during.h, before.h);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device_->GetDisplayMode(&mode), D3D_OK);
    EXPECT_EQ(mode.Width, 640u);
    EXPECT_EQ(mode.Height, 480u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);

    DrawHalves();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> shown = Shown(width, height);
    EXPECT_EQ(width, bounds.w);
    EXPECT_EQ(height, bounds.h);
    const SDL_Rect picture = platform::FitPicture(640, 480, width, height);
    if (!shown.empty()) {
        const int midY = picture.y + picture.h / 2;
        EXPECT_EQ(shown[static_cast<size_t>(midY) * width + picture.x + picture.w / 4], 0xFF0000u);
        EXPECT_EQ(shown[static_cast<size_t>(midY) * width + picture.x + picture.w * 3 / 4], 0x0000FFu);
    }

    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN, 0u);
    int w = 0, h = 0, x = 0, y = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetWindowPosition(window_, &x, &y);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

}  // namespace
