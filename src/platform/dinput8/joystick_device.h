#pragma once
// Inside the platform layer: IDirectInputDevice8A over one opened SDL
// joystick.

#include <SDL.h>

#include <dinput.h>

#include <vector>

#include "com_object.h"

namespace platform {

class JoystickDevice : public ComObject<IDirectInputDevice8A> {
public:
    // Takes over the opened joystick; closes it when the last reference goes.
    explicit JoystickDevice(SDL_Joystick* joystick);

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT lpdf) override;
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;
    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;

protected:
    ~JoystickDevice() override;
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirectInputDevice8A; }

private:
    struct Range {
        LONG min;
        LONG max;
    };

    HRESULT SetRange(const DIPROPRANGE& range);
    // The SDL axis a property header names, or -1.
    int AxisByOffset(DWORD offset) const;

    SDL_Joystick* joystick_;
    std::vector<DIOBJECTDATAFORMAT> format_;
    bool hasFormat_ = false;
    bool acquired_ = false;
    std::vector<Range> ranges_;
};

}  // namespace platform
