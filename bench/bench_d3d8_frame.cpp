// The game's own frames on the software device, drawn by the game's
// RenderFrame with synthetic textures: a frame in flight (a clear, the
// backdrop and four blended billboards through the perspective camera, the
// boost counter, all with trilinear filtering, then Present) and the title
// frame. Reports the milliseconds per frame and their share of the 30 ms
// frame step.

#include <benchmark/benchmark.h>

#include <d3d8.h>
#include <d3d8_offscreen.h>
#include <windows.h>

#include <SDL.h>

#include <chrono>

#include "game/game_state.h"
#include "render/render_frame.h"
#include "shell/shell_state.h"

namespace {

IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT width, UINT height, bool soft) {
    IDirect3DTexture8* texture = nullptr;
    if (device->CreateTexture(width, height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) {
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
                const uint32_t alpha = soft ? ((x * 7 + y * 3) & 255) : 255;
                row[x] = alpha << 24 | ((x * 5) & 255) << 16 | ((y * 3) & 255) << 8 | ((x ^ y) & 255);
            }
        }
        texture->UnlockRect(level);
    }
    return texture;
}

// The game's records as start-up leaves them, with an offscreen device of
// the game's back buffer and no window; every object is released and the
// records cleared at the end.
class GameDevice {
public:
    GameDevice() {
        shellState = ShellState{};
        D3DPRESENT_PARAMETERS& params = shellState.presentParams;
        params.BackBufferWidth = 640;
        params.BackBufferHeight = 480;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_FLIP;
        params.Windowed = TRUE;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D16;
        shellState.direct3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (shellState.direct3d != nullptr) {
            shellState.direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                                              &shellState.device);
        }
    }

    ~GameDevice() {
        if (shellState.device != nullptr) {
            shellState.device->SetTexture(0, nullptr);
        }
        for (IDirect3DTexture8*& texture : shellState.textures) {
            if (texture != nullptr) {
                texture->Release();
            }
        }
        if (shellState.device != nullptr) {
            shellState.device->Release();
        }
        if (shellState.direct3d != nullptr) {
            shellState.direct3d->Release();
        }
        shellState = ShellState{};
        gameState = GameState{};
    }

    GameDevice(const GameDevice&) = delete;
    GameDevice& operator=(const GameDevice&) = delete;

    bool Ready() const { return shellState.device != nullptr; }

    void Load(TextureSlot slot, UINT width, UINT height, bool soft) {
        shellState.textures[slot] = MakeTexture(shellState.device, width, height, soft);
    }
};

// A step of a flight with every world sprite showing: the aim arrow ahead
// of the camera, the body (drawn twice) behind it, and a puff.
GameState InFlight(float cameraX) {
    GameState g;
    g.phase = PHASE_FLIGHT;
    g.posX = cameraX - 10;
    g.posY = 5;
    g.aimAngle = AIM_START;
    g.boostsLeft = BOOST_COUNT - 1;
    g.boostTimer = BOOST_COOLDOWN;
    g.puffX = cameraX - 20;
    g.puffY = 3;
    g.puffAngle = AIM_START;
    g.cameraX = cameraX;
    g.resetPending = 0;
    return g;
}

void BM_GameFrame(benchmark::State& state) {
    GameDevice game;
    if (!game.Ready()) {
        state.SkipWithError("no device");
        return;
    }
    game.Load(TEXTURE_BACKGROUND, 1024, 512, false);
    game.Load(TEXTURE_ATLAS, 256, 256, true);
    float cameraX = CAMERA_MIN_X;
    gameState = InFlight(cameraX);
    RenderFrame();  // warm the sampler's caches
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        gameState = InFlight(cameraX);
        RenderFrame();
        cameraX = cameraX < CAMERA_MAX_X ? cameraX + 0.5f : CAMERA_MIN_X;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double msPerFrame = seconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = msPerFrame;
    state.counters["share_of_30ms_step"] = msPerFrame / 30.0;
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMillisecond);

// The title phase as the game loads it: a 640 x 480 picture (not a power of
// two, so a single level) stretched over the screen with the linear filter.
void BM_TitleFrame(benchmark::State& state) {
    GameDevice game;
    if (!game.Ready()) {
        state.SkipWithError("no device");
        return;
    }
    game.Load(TEXTURE_TITLE, 640, 480, false);
    gameState = GameState{};
    gameState.phase = PHASE_TITLE;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        RenderFrame();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["ms_per_frame"] = seconds * 1000.0 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond);

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Present alone into a window whose client area is the argument's width
// (at 4:3): 640 shows the back buffer as it is, larger sizes scale it up as
// a full screen does. The SDL driver in force decides where it goes (the
// dummy driver's memory, or an X server). Compare with BM_TitleFrame.
void BM_PresentToWindow(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = width * 3 / 4;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = "BENCH";
    RegisterClassA(&windowClass);
    // A popup without a caption has no frame: the outer size is the client's.
    HWND window = CreateWindowExA(0, "BENCH", "bench", WS_VISIBLE | WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  nullptr, nullptr);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 640;
    params.BackBufferHeight = 480;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    if (window == nullptr || d3d == nullptr ||
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device) != D3D_OK) {
        state.SkipWithError("no window or no device");
    } else {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF004040, 1.0f, 0);
        device->Present(nullptr, nullptr, nullptr, nullptr);
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) {
            device->Present(nullptr, nullptr, nullptr, nullptr);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["ms_per_present"] = seconds * 1000.0 / static_cast<double>(state.iterations());
        device->Release();
    }
    if (d3d != nullptr) {
        d3d->Release();
    }
    if (window != nullptr) {
        DestroyWindow(window);
    }
}
BENCHMARK(BM_PresentToWindow)->Arg(640)->Arg(1024)->Arg(1280)->Unit(benchmark::kMillisecond);

// The baseline for BM_PresentToWindow: a 640 x 480 picture stretched into
// the window's own surface by SDL's blitter and shown (no renderer, no
// bars), the way the device presented before it used SDL's renderer.
void BM_SurfaceBlitToWindow(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = width * 3 / 4;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError("no video");
        return;
    }
    SDL_Window* window = SDL_CreateWindow("bench", 0, 0, width, height, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_RGB888);
    SDL_Surface* screen = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
    if (screen == nullptr || picture == nullptr) {
        state.SkipWithError("no window surface");
    } else {
        SDL_FillRect(picture, nullptr, 0x004040);
        SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state) {
            if (width == 640) {
                SDL_BlitSurface(picture, nullptr, screen, nullptr);
            } else {
                SDL_BlitScaled(picture, nullptr, screen, nullptr);
            }
            SDL_UpdateWindowSurface(window);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["ms_per_present"] = seconds * 1000.0 / static_cast<double>(state.iterations());
    }
    SDL_FreeSurface(picture);
    if (window != nullptr) {
        SDL_DestroyWindow(window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(BM_SurfaceBlitToWindow)->Arg(640)->Arg(1024)->Arg(1280)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs no display; a window, where one is opened, still shows it.
    platform::AllowOffscreenDevices(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
