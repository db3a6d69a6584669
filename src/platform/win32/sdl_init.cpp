#include "sdl_init.h"

#include <SDL.h>

#include <cstring>

namespace platform {

namespace {

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
    return SDL_InitSubSystem(flags);
}

bool EnsureSdlVideo() { return EnsureSubsystem(SDL_INIT_VIDEO); }

bool DisplayAvailable() {
    if (!EnsureSdlVideo()) {
        return false;
    }
    // SDL falls back to these where there is no display; they show nothing.
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

bool EnsureSdlJoystick() { return EnsureSubsystem(SDL_INIT_JOYSTICK); }

}  // namespace platform
