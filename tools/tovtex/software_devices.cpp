#include "software_devices.h"

#include "d3d8_offscreen.h"
#include "d3d8_profiles.h"

namespace tovtex_tool {

SoftwareDevices::~SoftwareDevices() {
    for (IDirect3DDevice8*& device : devices_) {
        device->Release();
        device = nullptr;
    }
    if (direct3d_ != nullptr) {
        direct3d_->Release();
        direct3d_ = nullptr;
    }
}

HRESULT SoftwareDevices::Create(const char* profile, unsigned count) {
    if (!platform::SelectDeviceProfile(profile)) {
        return D3DERR_INVALIDCALL;
    }
    // The tool shows nothing: its devices need no display and start none.
    platform::AllowOffscreenDevices(true);
    direct3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3d_ == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (unsigned i = 0; i < count; ++i) {
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 1;
        params.BackBufferHeight = 1;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.Windowed = TRUE;
        IDirect3DDevice8* device = nullptr;
        const HRESULT hr =
            direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
        if (FAILED(hr)) {
            return hr;
        }
        devices_.push_back(device);
    }
    return S_OK;
}

}  // namespace tovtex_tool
