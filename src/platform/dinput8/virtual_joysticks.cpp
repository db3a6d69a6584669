// Test seams: SDL virtual joysticks stand in for attached controllers.

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform_testing.h"
#include "sdl_init.h"

namespace {

constexpr int AXES = 6;
constexpr int BUTTONS = 12;
constexpr int HATS = 1;

std::vector<SDL_JoystickID>& Attached() {
    static std::vector<SDL_JoystickID> attached;
    return attached;
}

int DeviceIndex(SDL_JoystickID id) {
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id) {
            return index;
        }
    }
    return -1;
}

}  // namespace

namespace platform_testing {

int AttachVirtualJoystick(const char* name, SDL_JoystickType type) {
    if (!platform::EnsureSdlJoystick()) {
        return -1;
    }
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    desc.naxes = AXES;
    desc.nbuttons = BUTTONS;
    desc.nhats = HATS;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) {
        return -1;
    }
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    Attached().push_back(id);
    return id;
}

void DetachVirtualJoystick(int instanceId) {
    const int index = DeviceIndex(instanceId);
    if (index >= 0) {
        SDL_JoystickDetachVirtual(index);
    }
    auto& attached = Attached();
    attached.erase(std::remove(attached.begin(), attached.end(), instanceId), attached.end());
}

void DetachAllVirtualJoysticks() {
    while (!Attached().empty()) {
        DetachVirtualJoystick(Attached().back());
    }
}

}  // namespace platform_testing
