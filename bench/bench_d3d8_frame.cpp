// The game's typical frame on the software device: a clear, the backdrop and
// four blended billboards through the perspective camera, and a full-screen
// textured quad, all with trilinear filtering, then Present. Reports the
// milliseconds per frame and their share of the 30 ms frame step.

#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d8.h>
#include <d3d8_offscreen.h>

#include <SDL.h>

#include <chrono>
#include <cmath>

namespace {

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

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

// Left-handed perspective: 60-degree vertical field of view, aspect 1.33,
// depth 1 to 100, as the game's camera.
D3DMATRIX Projection() {
    const float half = 1.0471973f * 0.5f;
    const float yScale = std::cos(half) / std::sin(half);
    const float q = 100.0f / 99.0f;
    D3DMATRIX m{};
    m._11 = yScale / 1.33f;
    m._22 = yScale;
    m._33 = q;
    m._34 = 1.0f;
    m._43 = -q;
    return m;
}

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

void DrawBillboard(IDirect3DDevice8* device, float x, float y, float z) {
    const D3DMATRIX world = Translation(x, y, z);
    device->SetTransform(D3DTS_WORLD, &world);
    const WorldVertex quad[4] = {{-5, -5, 0, 0xFFFFFFFF, 0.5f, 0.75f},
                                 {-5, 5, 0, 0xFFFFFFFF, 0.5f, 0.5f},
                                 {5, 5, 0, 0xFFFFFFFF, 0.75f, 0.5f},
                                 {5, -5, 0, 0xFFFFFFFF, 0.75f, 0.75f}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(WorldVertex));
}

void RenderFrame(IDirect3DDevice8* device, IDirect3DTexture8* picture, IDirect3DTexture8* atlas, float cameraX) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF004040, 1.0f, 0);
    device->BeginScene();
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    const D3DMATRIX view = Translation(-cameraX, 0, 0);
    const D3DMATRIX projection = Projection();
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    // The world: the 192 x 48 backdrop at depth 50, then four billboards.
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const D3DMATRIX backdropWorld = Translation(84, 0, 50);
    device->SetTransform(D3DTS_WORLD, &backdropWorld);
    const WorldVertex backdrop[4] = {{-96, -24, 0, 0xFFFFFFFF, 0, 1},
                                     {-96, 24, 0, 0xFFFFFFFF, 0, 0},
                                     {96, 24, 0, 0xFFFFFFFF, 1, 0},
                                     {96, -24, 0, 0xFFFFFFFF, 1, 1}};
    device->SetTexture(0, picture);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, backdrop, sizeof(WorldVertex));
    device->SetTexture(0, atlas);
    DrawBillboard(device, cameraX + 30, 21, 47);
    DrawBillboard(device, cameraX - 10, 5, 49);
    DrawBillboard(device, cameraX - 9.9f, 5, 49);
    DrawBillboard(device, cameraX - 20, 3, 48);

    // The full-screen picture, as the title shows it.
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const ScreenVertex screen[4] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                    {0, 480, 0, 1, 0xFFFFFFFF, 0, 1},
                                    {640, 480, 0, 1, 0xFFFFFFFF, 1, 1},
                                    {640, 0, 0, 1, 0xFFFFFFFF, 1, 0}};
    device->SetTexture(0, picture);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, screen, sizeof(ScreenVertex));
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void BM_GameFrame(benchmark::State& state) {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 640;
    params.BackBufferHeight = 480;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = nullptr;
    if (d3d == nullptr ||
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device) != D3D_OK) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DTexture8* picture = MakeTexture(device, 1024, 512, false);
    IDirect3DTexture8* atlas = MakeTexture(device, 256, 256, true);
    float cameraX = 30.0f;
    RenderFrame(device, picture, atlas, cameraX);  // warm the sampler's caches
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        RenderFrame(device, picture, atlas, cameraX);
        cameraX = cameraX < 141.0f ? cameraX + 0.5f : 30.0f;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double msPerFrame = seconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = msPerFrame;
    state.counters["share_of_30ms_step"] = msPerFrame / 30.0;
    device->SetTexture(0, nullptr);
    picture->Release();
    atlas->Release();
    device->Release();
    d3d->Release();
}
BENCHMARK(BM_GameFrame)->Unit(benchmark::kMillisecond);

// The title phase as the game loads it: a 640 x 480 picture (not a power of
// two, so a single level) stretched over the screen with the linear filter.
void BM_TitleFrame(benchmark::State& state) {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 640;
    params.BackBufferHeight = 480;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = nullptr;
    if (d3d == nullptr ||
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device) != D3D_OK) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DTexture8* title = MakeTexture(device, 640, 480, false);
    const ScreenVertex screen[4] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                    {0, 480, 0, 1, 0xFFFFFFFF, 0, 1},
                                    {640, 480, 0, 1, 0xFFFFFFFF, 1, 1},
                                    {640, 0, 0, 1, 0xFFFFFFFF, 1, 0}};
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_MAGFILTER, D3DTSS_MINFILTER, D3DTSS_MIPFILTER}) {
        device->SetTextureStageState(0, type, D3DTEXF_LINEAR);
    }
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetTexture(0, title);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF004040, 1.0f, 0);
        device->BeginScene();
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, screen, sizeof(ScreenVertex));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["ms_per_frame"] = seconds * 1000.0 / static_cast<double>(state.iterations());
    device->SetTexture(0, nullptr);
    title->Release();
    device->Release();
    d3d->Release();
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
