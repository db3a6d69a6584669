#include "joystick_guid.h"

#include <cstring>

namespace platform {

namespace {

// Data2, Data3 and Data4 are fixed; Data1 holds SDL's instance id, which SDL
// never reuses while the program runs.
constexpr WORD DATA2 = 0x6A6F;
constexpr WORD DATA3 = 0x7973;
constexpr BYTE DATA4[8] = {'t', 'o', 'v', 'l', 'e', 'n', 'j', 's'};

}  // namespace

GUID JoystickInstanceGuid(SDL_JoystickID id) {
    GUID guid{};
    guid.Data1 = static_cast<DWORD>(id);
    guid.Data2 = DATA2;
    guid.Data3 = DATA3;
    std::memcpy(guid.Data4, DATA4, sizeof(DATA4));
    return guid;
}

int JoystickDeviceIndex(REFGUID instance) {
    if (instance.Data2 != DATA2 || instance.Data3 != DATA3 || std::memcmp(instance.Data4, DATA4, sizeof(DATA4)) != 0 ||
        SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
        return -1;
    }
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (static_cast<DWORD>(SDL_JoystickGetDeviceInstanceID(index)) == instance.Data1) {
            return index;
        }
    }
    return -1;
}

}  // namespace platform
