#include "joystick_device.h"

#include <algorithm>

namespace platform {

namespace {

// The platform's default axis range.
constexpr LONG DEFAULT_RANGE_MIN = 0;
constexpr LONG DEFAULT_RANGE_MAX = 65535;

bool IsAxis(DWORD type) {
    return (type & DIDFT_AXIS) != 0;
}
bool IsButton(DWORD type) {
    return !IsAxis(type) && (type & DIDFT_BUTTON) != 0;
}
bool IsPov(DWORD type) {
    return !IsAxis(type) && !IsButton(type) && (type & DIDFT_POV) != 0;
}

// Every object lies inside the data, axes and POVs as aligned 32-bit values.
bool IsValidFormat(const DIDATAFORMAT& format) {
    if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format.dwDataSize == 0 || format.dwDataSize % 4 != 0 || (format.dwNumObjs > 0 && format.rgodf == nullptr)) {
        return false;
    }
    for (DWORD i = 0; i < format.dwNumObjs; ++i) {
        const DIOBJECTDATAFORMAT& object = format.rgodf[i];
        if (!IsAxis(object.dwType) && !IsButton(object.dwType) && !IsPov(object.dwType)) {
            return false;
        }
        const uint64_t size = IsButton(object.dwType) ? 1 : 4;
        if ((size == 4 && object.dwOfs % 4 != 0) || uint64_t{object.dwOfs} + size > format.dwDataSize) {
            return false;
        }
    }
    return true;
}

}  // namespace

JoystickDevice::JoystickDevice(SDL_Joystick* joystick)
    : joystick_(joystick),
      ranges_(static_cast<size_t>(std::max(0, SDL_JoystickNumAxes(joystick))),
              Range{DEFAULT_RANGE_MIN, DEFAULT_RANGE_MAX}) {}

JoystickDevice::~JoystickDevice() {
    SDL_JoystickClose(joystick_);
}

HRESULT JoystickDevice::SetDataFormat(LPCDIDATAFORMAT lpdf) {
    if (lpdf == nullptr || !IsValidFormat(*lpdf)) {
        return DIERR_INVALIDPARAM;
    }
    if (acquired_) {
        return DIERR_ACQUIRED;
    }
    format_.assign(lpdf->rgodf, lpdf->rgodf + lpdf->dwNumObjs);
    hasFormat_ = true;
    return DI_OK;
}

HRESULT JoystickDevice::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) {
    if (pdiph == nullptr) {
        return DIERR_INVALIDPARAM;
    }
    if (rguidProp != DIPROP_RANGE) {
        return DIERR_UNSUPPORTED;
    }
    if (pdiph->dwSize != sizeof(DIPROPRANGE) || pdiph->dwHeaderSize != sizeof(DIPROPHEADER)) {
        return DIERR_INVALIDPARAM;
    }
    return SetRange(*reinterpret_cast<const DIPROPRANGE*>(pdiph));
}

HRESULT JoystickDevice::SetRange(const DIPROPRANGE& range) {
    if (range.lMin >= range.lMax) {
        return DIERR_INVALIDPARAM;
    }
    const DWORD object = range.diph.dwObj;
    int axis = -1;
    switch (range.diph.dwHow) {
    case DIPH_DEVICE:
        if (object != 0) {
            return DIERR_INVALIDPARAM;
        }
        std::fill(ranges_.begin(), ranges_.end(), Range{range.lMin, range.lMax});
        return DI_OK;
    case DIPH_BYOFFSET: axis = AxisByOffset(object); break;
    case DIPH_BYID:
        // An absolute axis's id: its type bit and its instance number.
        if ((object & DIDFT_ABSAXIS) != 0) {
            axis = DIDFT_GETINSTANCE(object);
        }
        break;
    default: return DIERR_INVALIDPARAM;
    }
    if (axis < 0 || static_cast<size_t>(axis) >= ranges_.size()) {
        return DIERR_NOTFOUND;
    }
    ranges_[static_cast<size_t>(axis)] = Range{range.lMin, range.lMax};
    return DI_OK;
}

int JoystickDevice::AxisByOffset(DWORD offset) const {
    // The data format's axes take the device's axes in order.
    int axis = 0;
    for (const auto& object : format_) {
        if (!IsAxis(object.dwType)) {
            continue;
        }
        if (object.dwOfs == offset) {
            return axis;
        }
        ++axis;
    }
    return -1;
}

HRESULT JoystickDevice::Acquire() {
    if (!hasFormat_) {
        return DIERR_INVALIDPARAM;
    }
    if (acquired_) {
        return DI_NOEFFECT;
    }
    if (SDL_JoystickGetAttached(joystick_) == SDL_FALSE) {
        return DIERR_UNPLUGGED;
    }
    acquired_ = true;
    return DI_OK;
}

HRESULT JoystickDevice::Unacquire() {
    if (!acquired_) {
        return DI_NOEFFECT;
    }
    acquired_ = false;
    return DI_OK;
}

}  // namespace platform
