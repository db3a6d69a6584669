#include "shell/frame_loop.h"

#include <windows.h>

#include "game/game_state.h"
#include "input/key_tracker.h"
#include "render/render_frame.h"
#include "shell/frame_clock.h"
#include "shell/shell_state.h"

void RunFrame() {
    PollKeys();
    UpdateGame();
    if (!frameClock.skipRender) {
        RenderFrame();
    }
    CountFrame();
    WaitForNextFrame();
}

void RunMessageLoop() {
    MSG message;
    while (!shellState.quitRequested) {
        // One message per turn; a frame runs only when none waits.
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            continue;
        }
        RunFrame();
    }
}
