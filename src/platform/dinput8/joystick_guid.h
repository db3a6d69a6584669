#pragma once
// Inside the platform layer: the instance GUID that names one attached SDL
// joystick for as long as it stays attached.

#include <SDL.h>

#include <dinput.h>

namespace platform {

GUID JoystickInstanceGuid(SDL_JoystickID id);

// The SDL device index of the attached joystick an instance GUID names, or
// -1 when the GUID names none.
int JoystickDeviceIndex(REFGUID instance);

}  // namespace platform
