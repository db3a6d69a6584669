#include "sdl_init.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Without XDG_RUNTIME_DIR a Wayland server can only be reached through an
// absolute WAYLAND_DISPLAY; otherwise SDL's probe of it merely makes
// libwayland print a complaint on standard error before X11 is tried. The
// hint yields to a driver the user names in the environment.
void SkipUnreachableWayland() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    const bool reachable =
        (runtimeDir != nullptr && runtimeDir[0] != '\0') || (waylandDisplay != nullptr && waylandDisplay[0] == '/');
    if (!reachable) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
}

bool videoRequested = false;

bool EnsureSubsystem(Uint32 flag) {
    if (SDL_WasInit(flag) == flag) {
        return true;
    }
    return InitSdlSubsystem(flag) == 0;
}

}  // namespace

int InitSdlSubsystem(unsigned int flags) {
    // SDL would otherwise turn SIGINT and SIGTERM into its own quit event,
    // also in a program that opens no window; the windows install their own.
    // The hint is read when the event loop starts: set it before every start.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if ((flags & SDL_INIT_VIDEO) != 0) {
        videoRequested = true;
        SkipUnreachableWayland();
    }
    return SDL_InitSubSystem(flags);
}

bool SdlVideoRequested() {
    return videoRequested;
}

bool EnsureSdlVideo() {
    return EnsureSubsystem(SDL_INIT_VIDEO);
}

bool DisplayAvailable() {
    if (!EnsureSdlVideo()) {
        return false;
    }
    // SDL falls back to these where there is no display; they show nothing.
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

bool EnsureSdlJoystick() {
    return EnsureSubsystem(SDL_INIT_JOYSTICK);
}

}  // namespace platform
