// One game frame (update + render + present) against a frame that only
// clears and presents, on the software device with the window headless.

#include <benchmark/benchmark.h>

#include <d3d8.h>
#include <d3d8_offscreen.h>
#include <windows.h>

#include <cstdlib>

#include "game/game_state.h"
#include "input/key_tracker.h"
#include "render/render_frame.h"
#include "shell/shell_state.h"
#include "shell/startup.h"

namespace {

bool EnsureStarted() {
    static const bool started = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::AllowOffscreenDevices(true);
        return StartUp(GetModuleHandleA(nullptr), "");
    }();
    return started;
}

// Keeps the body in flight: relaunches whenever it lands.
void StepFlight() {
    keyStates = KeyStates{};
    if (gameState.phase != PHASE_FLIGHT) {
        gameState = GameState{};
        UpdateGame();
        keyStates.space = KEY_PRESSED;
        keyStates.enter = KEY_PRESSED;
    }
    UpdateGame();
}

void BM_ClearAndPresent(benchmark::State& state) {
    if (!EnsureStarted()) {
        state.SkipWithError("no device");
        return;
    }
    IDirect3DDevice8* device = shellState.device;
    for (auto _ : state) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOR, 1.0f, 0);
        device->BeginScene();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
}
BENCHMARK(BM_ClearAndPresent)->Unit(benchmark::kMicrosecond);

void BM_GameFrameInFlight(benchmark::State& state) {
    if (!EnsureStarted()) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        StepFlight();
        RenderFrame();
    }
}
BENCHMARK(BM_GameFrameInFlight)->Unit(benchmark::kMicrosecond);

void BM_GameUpdateOnly(benchmark::State& state) {
    for (auto _ : state) {
        StepFlight();
        benchmark::DoNotOptimize(gameState.posX);
    }
}
BENCHMARK(BM_GameUpdateOnly);

}  // namespace

BENCHMARK_MAIN();
