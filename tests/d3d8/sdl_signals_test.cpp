// Starting the platform's SDL parts without a window, as a tool's software
// device does, leaves the process's SIGINT and SIGTERM as they were: SDL's
// own handlers would turn them into a quit event that nothing reads, and
// Ctrl-C would no longer stop the program.

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>

#include <d3d8.h>
#include <d3d8_offscreen.h>

#include "sdl_init.h"

namespace {

bool SignalsLeftAlone() {
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction now {};
        if (sigaction(signal, nullptr, &now) != 0 || now.sa_handler != SIG_DFL) {
            return false;
        }
    }
    return true;
}

TEST(SdlSignals, StartingWithoutAWindowLeavesTheProcessSignalsAlone) {
    // A fresh process, in which nothing has started SDL yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            signal(SIGINT, SIG_DFL);
            signal(SIGTERM, SIG_DFL);
            platform::AllowOffscreenDevices(true);
            IDirect3D8* direct3d = Direct3DCreate8(D3D_SDK_VERSION);
            D3DPRESENT_PARAMETERS params{};
            params.BackBufferWidth = 1;
            params.BackBufferHeight = 1;
            params.BackBufferFormat = D3DFMT_X8R8G8B8;
            params.SwapEffect = D3DSWAPEFFECT_DISCARD;
            params.Windowed = TRUE;
            IDirect3DDevice8* device = nullptr;
            const bool created = direct3d != nullptr && SUCCEEDED(direct3d->CreateDevice(
                                                            0, D3DDEVTYPE_HAL, nullptr,
                                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device));
            const bool afterDevice = SignalsLeftAlone();
            platform::EnsureSdlVideo();
            platform::EnsureSdlJoystick();
            std::exit(created && afterDevice && SignalsLeftAlone() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
