#include <windows.h>

#include <SDL.h>

#include "sdl_init.h"

namespace {

// The frame of a window with a dialog frame and a caption, in pixels.
constexpr int CAPTION_HEIGHT = 19;
constexpr int DIALOG_FRAME = 3;

int DesktopSize(bool width) {
    SDL_DisplayMode mode{};
    if (!platform::EnsureSdlVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return 0;
    }
    return width ? mode.w : mode.h;
}

}  // namespace

int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN: return DesktopSize(true);
    case SM_CYSCREEN: return DesktopSize(false);
    case SM_CYCAPTION: return CAPTION_HEIGHT;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return DIALOG_FRAME;
    default: return 0;
    }
}
