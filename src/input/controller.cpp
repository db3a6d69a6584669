#include "input/controller.h"

#include "shell/shell_state.h"

BOOL CALLBACK OnControllerFound(LPCDIDEVICEINSTANCEA device, LPVOID /*context*/) {
    const HRESULT hr = shellState.directInput->CreateDevice(device->guidInstance, &shellState.controller, nullptr);
    if (FAILED(hr)) {
        return DIENUM_CONTINUE;
    }
    return DIENUM_STOP;
}

void OpenController(HINSTANCE instance) {
    shellState.controllerReady = true;
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<LPVOID*>(&shellState.directInput), nullptr))) {
        shellState.controllerReady = false;
        return;
    }
    if (FAILED(shellState.directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, OnControllerFound, nullptr,
                                                   DIEDFL_ATTACHEDONLY))) {
        shellState.controllerReady = false;
    }
    if (shellState.controller == nullptr) {
        shellState.controllerReady = false;
    }
    if (!shellState.controllerReady) {
        return;
    }
    DIPROPRANGE range = {};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwObj = 0;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = CONTROLLER_RANGE_MIN;
    range.lMax = CONTROLLER_RANGE_MAX;
    shellState.controller->SetDataFormat(&c_dfDIJoystick);
    shellState.controller->SetProperty(DIPROP_RANGE, &range.diph);
    shellState.controller->Acquire();
}
