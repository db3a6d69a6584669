// DirectInput8Create and IDirectInput8A over SDL's joysticks.

#include <dinput.h>

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "com_object.h"
#include "joystick_device.h"
#include "joystick_guid.h"
#include "sdl_init.h"
#include "shift_jis.h"

namespace platform {

namespace {

constexpr DWORD KNOWN_ENUM_FLAGS =
    DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK | DIEDFL_INCLUDEALIASES | DIEDFL_INCLUDEPHANTOMS | DIEDFL_INCLUDEHIDDEN;
constexpr WORD USAGE_PAGE_GENERIC = 0x01;
constexpr WORD USAGE_JOYSTICK = 0x04;
constexpr WORD USAGE_GAMEPAD = 0x05;

// Which joysticks a device class or type asks for: false for a value the
// platform does not know.
bool WantsJoysticks(DWORD devType, bool& all, bool& gamepads) {
    all = false;
    gamepads = false;
    switch (devType & 0xFF) {
    case DI8DEVCLASS_ALL:
    case DI8DEVCLASS_GAMECTRL: all = true; return true;
    case DI8DEVCLASS_DEVICE:
    case DI8DEVCLASS_POINTER:
    case DI8DEVCLASS_KEYBOARD: return true;
    case DI8DEVTYPE_JOYSTICK: return true;
    case DI8DEVTYPE_GAMEPAD: gamepads = true; return true;
    default: return (devType & 0xFF) >= DI8DEVTYPE_DEVICE && (devType & 0xFF) <= DI8DEVTYPE_SUPPLEMENTAL;
    }
}

void CopyName(const char* utf8, CHAR (&out)[MAX_PATH]) {
    const std::string name = Utf8ToCp932(utf8 != nullptr ? utf8 : "");
    const size_t length = std::min(name.size(), sizeof(out) - 1);
    std::memcpy(out, name.data(), length);
    out[length] = '\0';
}

DIDEVICEINSTANCEA DescribeJoystick(int index) {
    DIDEVICEINSTANCEA instance{};
    instance.dwSize = sizeof(instance);
    instance.guidInstance = JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(index));
    // The platform's product GUID: vendor and product id, then "PIDVID".
    instance.guidProduct.Data1 = static_cast<DWORD>(SDL_JoystickGetDeviceVendor(index)) |
                                 (static_cast<DWORD>(SDL_JoystickGetDeviceProduct(index)) << 16);
    const BYTE pidvid[8] = {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'};
    std::memcpy(instance.guidProduct.Data4, pidvid, sizeof(pidvid));
    const bool gamepad = SDL_JoystickGetDeviceType(index) == SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    instance.dwDevType = gamepad ? (DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8))
                                 : (DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8));
    CopyName(SDL_JoystickNameForIndex(index), instance.tszInstanceName);
    CopyName(SDL_JoystickNameForIndex(index), instance.tszProductName);
    instance.wUsagePage = USAGE_PAGE_GENERIC;
    instance.wUsage = gamepad ? USAGE_GAMEPAD : USAGE_JOYSTICK;
    return instance;
}

class DirectInput : public ComObject<IDirectInput8A> {
public:
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* lplpDirectInputDevice,
                                           LPUNKNOWN pUnkOuter) override {
        if (lplpDirectInputDevice == nullptr) {
            return E_POINTER;
        }
        *lplpDirectInputDevice = nullptr;
        if (pUnkOuter != nullptr) {
            return DIERR_NOAGGREGATION;
        }
        const int index = JoystickDeviceIndex(rguid);
        if (index < 0) {
            return DIERR_DEVICENOTREG;
        }
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        if (joystick == nullptr) {
            return DIERR_GENERIC;
        }
        auto* device = new (std::nothrow) JoystickDevice(joystick);
        if (device == nullptr) {
            SDL_JoystickClose(joystick);
            return DIERR_OUTOFMEMORY;
        }
        *lplpDirectInputDevice = device;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef,
                                          DWORD dwFlags) override {
        bool all = false;
        bool gamepads = false;
        if (lpCallback == nullptr || (dwFlags & ~KNOWN_ENUM_FLAGS) != 0 || !WantsJoysticks(dwDevType, all, gamepads)) {
            return DIERR_INVALIDPARAM;
        }
        // No joystick here offers force feedback.
        if ((dwFlags & DIEDFL_FORCEFEEDBACK) != 0 || SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
            return DI_OK;
        }
        SDL_JoystickUpdate();
        // Every SDL joystick is attached. The list is taken first, since a
        // callback may open devices.
        std::vector<DIDEVICEINSTANCEA> found;
        const int count = SDL_NumJoysticks();
        for (int index = 0; index < count; ++index) {
            const DIDEVICEINSTANCEA instance = DescribeJoystick(index);
            const BYTE type = static_cast<BYTE>(instance.dwDevType & 0xFF);
            if (all || (gamepads ? type == DI8DEVTYPE_GAMEPAD : type == (dwDevType & 0xFF))) {
                found.push_back(instance);
            }
        }
        for (const auto& instance : found) {
            if (lpCallback(&instance, pvRef) == DIENUM_STOP) {
                break;
            }
        }
        return DI_OK;
    }

protected:
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirectInput8A; }
};

}  // namespace

}  // namespace platform

HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut, LPUNKNOWN punkOuter) {
    if (ppvOut == nullptr) {
        return E_POINTER;
    }
    *ppvOut = nullptr;
    if (dwVersion < DIRECTINPUT_VERSION) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (dwVersion > DIRECTINPUT_VERSION) {
        return DIERR_BETADIRECTINPUTVERSION;
    }
    if (riidltf != IID_IDirectInput8A) {
        return DIERR_NOINTERFACE;
    }
    if (punkOuter != nullptr) {
        return DIERR_NOAGGREGATION;
    }
    // Without joystick support there is simply nothing to enumerate.
    platform::EnsureSdlJoystick();
    auto* directInput = new (std::nothrow) platform::DirectInput;
    if (directInput == nullptr) {
        return DIERR_OUTOFMEMORY;
    }
    *ppvOut = static_cast<IDirectInput8A*>(directInput);
    return DI_OK;
}
