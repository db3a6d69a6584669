#include "sdl_init.h"

#include <SDL.h>

namespace platform {

namespace {

bool EnsureSubsystem(Uint32 flag) {
    if (SDL_WasInit(flag) == flag) {
        return true;
    }
    return SDL_InitSubSystem(flag) == 0;
}

}  // namespace

bool EnsureSdlVideo() { return EnsureSubsystem(SDL_INIT_VIDEO); }

bool EnsureSdlJoystick() { return EnsureSubsystem(SDL_INIT_JOYSTICK); }

}  // namespace platform
