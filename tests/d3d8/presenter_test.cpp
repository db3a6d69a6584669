// Presentation into a real SDL window (the dummy video driver keeps the
// window's surface in memory, so the copy can be checked).

#include <SDL.h>

#include "d3d8_fixture.h"
#include "window_registry.h"

namespace {

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

    HWND handle_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
    SDL_Window* window_ = nullptr;
    bool video_ = false;
};

TEST_F(Presenting, PresentShowsTheBackBufferInTheWindow) {
    D3DPRESENT_PARAMETERS p = Params();
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_), D3D_OK);
    EXPECT_EQ(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN, 0u);
    const D3DRECT left{0, 0, 320, 480};
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    device_->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        GTEST_SKIP() << "the video driver offers no window surface";
    }
    ASSERT_EQ(SDL_LockSurface(surface), 0);
    auto pixelAt = [&](int x, int y) {
        Uint32 value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch +
                                x * surface->format->BytesPerPixel,
                    surface->format->BytesPerPixel);
        Uint8 r, g, b;
        SDL_GetRGB(value, surface->format, &r, &g, &b);
        return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    };
    EXPECT_EQ(pixelAt(10, 10), 0xFF0000u);
    EXPECT_EQ(pixelAt(630, 470), 0x0000FFu);
    SDL_UnlockSurface(surface);
}

TEST_F(Presenting, FullScreenDeviceTakesTheWholeScreenUntilReleased) {
    D3DPRESENT_PARAMETERS p = Params(D3DFMT_R5G6B5, FALSE);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_), D3D_OK);
    EXPECT_NE(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN, 0u);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    EXPECT_EQ(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN, 0u);
}

}  // namespace
