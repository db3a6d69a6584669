// A full-screen quad (640 x 480) of a 1024 x 1024 texture with a full mip
// chain and linear filtering on the software device: DXT1 against the same
// picture as A8R8G8B8. The levels are decoded once, when first drawn, so
// DXT1 should cost what A8R8G8B8 costs; the ratio is reported as
// "vs_argb" on the DXT1 run.

#include <benchmark/benchmark.h>

#include <d3d8.h>
#include <d3d8_offscreen.h>

#include <chrono>

namespace {

struct Vertex {
    float x, y, z, rhw;
    float u, v;
};

double argbSeconds = 0.0;

IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, D3DFORMAT format) {
    IDirect3DTexture8* texture = nullptr;
    if (device->CreateTexture(1024, 1024, 0, 0, format, D3DPOOL_MANAGED, &texture) != D3D_OK) {
        return nullptr;
    }
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked;
        texture->LockRect(level, &locked, nullptr, 0);
        auto* bits = static_cast<uint8_t*>(locked.pBits);
        uint32_t state = 12345u + level;
        for (UINT i = 0; i < desc.Size; ++i) {
            state = state * 1664525u + 1013904223u;
            bits[i] = static_cast<uint8_t>(state >> 24);
        }
        texture->UnlockRect(level);
    }
    return texture;
}

void BM_FullScreenQuad(benchmark::State& state) {
    const D3DFORMAT format = static_cast<D3DFORMAT>(state.range(0));
    platform::AllowOffscreenDevices(true);
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 640;
    params.BackBufferHeight = 480;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    IDirect3DDevice8* device = nullptr;
    if (d3d == nullptr ||
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device) != D3D_OK) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DTexture8* texture = MakeTexture(device, format);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
    const Vertex quad[4] = {{0, 0, 0, 1, 0, 0}, {640, 0, 0, 1, 1, 0}, {640, 480, 0, 1, 1, 1}, {0, 480, 0, 1, 0, 1}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex));  // the first draw decodes the levels
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double perDraw = seconds / static_cast<double>(state.iterations());
    if (format == D3DFMT_A8R8G8B8) {
        argbSeconds = perDraw;
    } else if (argbSeconds > 0.0) {
        state.counters["vs_argb"] = perDraw / argbSeconds;
    }
    device->SetTexture(0, nullptr);
    texture->Release();
    device->Release();
    d3d->Release();
}

BENCHMARK(BM_FullScreenQuad)->Arg(D3DFMT_A8R8G8B8)->Arg(D3DFMT_DXT1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
