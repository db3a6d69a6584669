#include "sdl_init.h"

#include <SDL.h>

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
    // Read when the event loop starts; must be set before every start.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(flags);
}

bool EnsureSdlVideo() { return EnsureSubsystem(SDL_INIT_VIDEO); }

bool EnsureSdlJoystick() { return EnsureSubsystem(SDL_INIT_JOYSTICK); }

}  // namespace platform
