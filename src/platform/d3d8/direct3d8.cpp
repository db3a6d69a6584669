#include "direct3d8.h"

#include <new>

#include "d3d8_offscreen.h"
#include "device.h"
#include "device_profile.h"
#include "display_mode.h"
#include "sdl_init.h"

namespace platform {

namespace {

bool KnownDeviceType(D3DDEVTYPE type) {
    return type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF;
}

bool IsDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

}  // namespace

// Video starts only when something needs the display: the desktop's mode, or
// a device with a window. A program that loads textures on a windowless
// device never starts it, so it needs no display and prints nothing.
Direct3D8::Direct3D8() = default;

void Direct3D8::EnsureVideo() {
    if (!video_ && !OffscreenDevicesAllowed()) {
        video_ = AcquireSdlVideo();
    }
}

Direct3D8::~Direct3D8() {
    if (video_) {
        ReleaseSdlVideo();
    }
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
    if (Adapter != 0 || pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    EnsureVideo();
    *pMode = DesktopDisplayMode();
    return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                     D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
    if (Adapter != 0 || !KnownDeviceType(DeviceType) || !IsDisplayFormat(AdapterFormat) ||
        (Usage & ~DWORD{D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL}) != 0) {
        return D3DERR_INVALIDCALL;
    }
    return ProfileAccepts(Usage, RType, CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) {
    if (Adapter != 0 || !KnownDeviceType(DeviceType) || pCaps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    FillDeviceCaps(DeviceType, pCaps);
    return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                D3DPRESENT_PARAMETERS* pPresentationParameters,
                                IDirect3DDevice8** ppReturnedDeviceInterface) {
    platform_testing::CreateDeviceAttempt attempt{Adapter, DeviceType, hFocusWindow, BehaviorFlags, {}, D3D_OK};
    if (pPresentationParameters != nullptr) {
        attempt.presentParameters = *pPresentationParameters;
    }
    const int earlier = CreateDeviceAttemptsSoFar();
    HRESULT hr = D3D_OK;
    const DWORD processing = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                              D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
    const bool oneProcessingFlag = processing != 0 && (processing & (processing - 1)) == 0;
    if (Adapter != 0 || !KnownDeviceType(DeviceType) || !oneProcessingFlag || pPresentationParameters == nullptr ||
        ppReturnedDeviceInterface == nullptr) {
        hr = D3DERR_INVALIDCALL;
    } else {
        const auto& profile = CurrentDeviceProfile();
        // A windowed device with no window, in a program that never tried to
        // open one, can show nothing anywhere: it is offscreen by itself (a
        // device for loading or drawing into memory). Any other device is
        // made only where it can be seen, so a game whose window could not
        // be opened does not run invisibly.
        const bool windowless = hFocusWindow == nullptr && pPresentationParameters->hDeviceWindow == nullptr &&
                                pPresentationParameters->Windowed && !SdlVideoRequested();
        if (!windowless) {
            EnsureVideo();
        }
        if (!windowless && !OffscreenDevicesAllowed() && !DisplayAvailable()) {
            // Nothing it drew could be seen.
            hr = D3DERR_NOTAVAILABLE;
        } else if (earlier < profile.failFirstCreateDevices ||
                   (profile.createDeviceFails && profile.createDeviceFails(DeviceType, BehaviorFlags))) {
            hr = D3DERR_NOTAVAILABLE;
        } else {
            hr = Device::Create(this, DeviceType, hFocusWindow, BehaviorFlags, pPresentationParameters,
                                ppReturnedDeviceInterface);
        }
    }
    attempt.result = hr;
    RecordCreateDeviceAttempt(attempt);
    return hr;
}

}  // namespace platform

IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion) {
    if (SDKVersion != D3D_SDK_VERSION || platform::CurrentDeviceProfile().failDirect3DCreate) {
        return nullptr;
    }
    return new (std::nothrow) platform::Direct3D8;
}
