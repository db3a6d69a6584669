#include "device.h"

#include <new>

#include "device_profile.h"
#include "display_mode.h"
#include "window_registry.h"

namespace platform {

namespace {

bool IsBackBufferFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5;
}

}  // namespace

Device::Device(IDirect3D8* direct3d, D3DDEVTYPE type, HWND focusWindow)
    : direct3d_(direct3d), type_(type), focusWindow_(focusWindow) {
    direct3d_->AddRef();
}

Device::~Device() {
    ReleaseBoundTextures();
    presenter_.Detach();
    if (fullScreenWindow_) {
        if (SDL_Window* window = SdlWindowFromHwnd(PresentationWindow())) {
            LeaveFullScreen(window, windowedPlace_);
        }
    }
    delete backBuffer_;
    delete depthBuffer_;
    if (link_ != nullptr) {
        link_->Clear();
        link_->Release();
    }
    direct3d_->Release();
}

HRESULT Device::Create(IDirect3D8* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD /*behaviorFlags*/,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out) {
    D3DPRESENT_PARAMETERS settled = *params;
    HRESULT hr = SettleParameters(settled, focusWindow);
    if (FAILED(hr)) {
        return hr;
    }
    auto* device = new (std::nothrow) Device(direct3d, type, focusWindow);
    if (device == nullptr) {
        return E_OUTOFMEMORY;
    }
    device->link_ = DeviceLink::Create(device);
    if (device->link_ == nullptr) {
        device->Release();
        return E_OUTOFMEMORY;
    }
    hr = device->CreateBuffers(settled);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    device->SetDefaultStates();
    device->ApplyWindowMode();
    *params = settled;
    *out = device;
    return D3D_OK;
}

HRESULT Device::SettleParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow) {
    if (p.MultiSampleType != D3DMULTISAMPLE_NONE || p.BackBufferCount > 3 || p.SwapEffect < D3DSWAPEFFECT_DISCARD ||
        p.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) {
        return D3DERR_INVALIDCALL;
    }
    if (p.Windowed) {
        if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
            // The client area of the window, as the platform does.
            int w = 640, h = 480;
            HWND window = p.hDeviceWindow != nullptr ? p.hDeviceWindow : focusWindow;
            if (SDL_Window* sdl = SdlWindowFromHwnd(window)) {
                SDL_GetWindowSize(sdl, &w, &h);
            }
            if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(w > 0 ? w : 1);
            if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(h > 0 ? h : 1);
        }
        if (p.BackBufferFormat == D3DFMT_UNKNOWN) {
            p.BackBufferFormat = DesktopDisplayMode().Format;
        }
    } else if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (!IsBackBufferFormat(p.BackBufferFormat) || p.BackBufferWidth > 16384 || p.BackBufferHeight > 16384) {
        return D3DERR_INVALIDCALL;
    }
    if (p.EnableAutoDepthStencil &&
        !ProfileAccepts(D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, p.AutoDepthStencilFormat)) {
        return D3DERR_INVALIDCALL;
    }
    if (p.BackBufferCount == 0) {
        p.BackBufferCount = 1;
    }
    return D3D_OK;
}

HRESULT Device::CreateBuffers(const D3DPRESENT_PARAMETERS& p) {
    if (backBuffer_ == nullptr) {
        backBuffer_ = new (std::nothrow) Surface(this, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, true);
    }
    if (backBuffer_ == nullptr ||
        !backBuffer_->Data().Describe(p.BackBufferFormat, p.BackBufferWidth, p.BackBufferHeight, 1) ||
        !backBuffer_->Data().Allocate()) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    delete depthBuffer_;
    depthBuffer_ = nullptr;
    if (p.EnableAutoDepthStencil) {
        const bool lockable = p.AutoDepthStencilFormat == D3DFMT_D16_LOCKABLE;
        depthBuffer_ = new (std::nothrow) Surface(this, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, lockable);
        if (depthBuffer_ == nullptr ||
            !depthBuffer_->Data().Describe(p.AutoDepthStencilFormat, p.BackBufferWidth, p.BackBufferHeight, 1) ||
            !depthBuffer_->Data().Allocate()) {
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        // Depth starts at the far end, as after a clear to 1.
        auto* depth = reinterpret_cast<uint16_t*>(depthBuffer_->Data().Bits());
        const uint64_t count = depthBuffer_->Data().Size() / 2;
        for (uint64_t i = 0; i < count; ++i) {
            depth[i] = 0xFFFF;
        }
    }
    params_ = p;
    return D3D_OK;
}

HWND Device::PresentationWindow() const {
    return params_.hDeviceWindow != nullptr ? params_.hDeviceWindow : focusWindow_;
}

void Device::ApplyWindowMode() {
    SDL_Window* window = SdlWindowFromHwnd(PresentationWindow());
    if (window == nullptr) {
        return;
    }
    // Set up before the window changes: a GPU renderer may replace the
    // window's native window.
    presenter_.Attach(window);
    // Full screen keeps the display's mode: the back buffer stays as asked
    // and the presenter scales it to the whole screen.
    const bool fullScreen = !params_.Windowed;
    if (fullScreen != fullScreenWindow_) {
        if (fullScreen) {
            windowedPlace_ = EnterFullScreen(window);
        } else {
            LeaveFullScreen(window, windowedPlace_);
        }
        fullScreenWindow_ = fullScreen;
    }
}

bool Device::AnyLevelLocked() const {
    return (backBuffer_ != nullptr && backBuffer_->Data().Locked()) ||
           (depthBuffer_ != nullptr && depthBuffer_->Data().Locked());
}

HRESULT Device::OwnerDevice(IDirect3DDevice8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    AddRef();
    *out = this;
    return D3D_OK;
}

HRESULT Device::TestCooperativeLevel() {
    return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT Device::GetDirect3D(IDirect3D8** ppD3D8) {
    if (ppD3D8 == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    direct3d_->AddRef();
    *ppD3D8 = direct3d_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* pCaps) {
    if (pCaps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    FillDeviceCaps(type_, pCaps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* pMode) {
    if (pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMode = DesktopDisplayMode();
    if (!params_.Windowed) {
        pMode->Width = params_.BackBufferWidth;
        pMode->Height = params_.BackBufferHeight;
        pMode->Format = params_.BackBufferFormat;
    }
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
    CountResetCall();
    if (pPresentationParameters == nullptr || AnyLevelLocked()) {
        return D3DERR_INVALIDCALL;
    }
    if (lost_ && failedResets_ < CurrentDeviceProfile().failResets) {
        ++failedResets_;
        return D3DERR_DEVICELOST;
    }
    D3DPRESENT_PARAMETERS settled = *pPresentationParameters;
    HRESULT hr = SettleParameters(settled, focusWindow_);
    if (FAILED(hr)) {
        return hr;
    }
    hr = CreateBuffers(settled);
    if (FAILED(hr)) {
        return hr;
    }
    ReleaseBoundTextures();
    SetDefaultStates();
    ApplyWindowMode();
    inScene_ = false;
    lost_ = false;
    failedResets_ = 0;
    *pPresentationParameters = settled;
    return D3D_OK;
}

HRESULT Device::Present(CONST RECT*, CONST RECT*, HWND hDestWindowOverride, CONST RGNDATA*) {
    CountPresentCall();
    ++presents_;
    const unsigned loseAt = CurrentDeviceProfile().loseDeviceAtPresent;
    if (loseAt != 0 && presents_ == loseAt) {
        lost_ = true;
    }
    if (lost_) {
        return D3DERR_DEVICELOST;
    }
    HWND window = hDestWindowOverride != nullptr ? hDestWindowOverride : PresentationWindow();
    presenter_.Show(SdlWindowFromHwnd(window), backBuffer_->Data());
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface8** ppBackBuffer) {
    if (ppBackBuffer == nullptr || BackBuffer >= params_.BackBufferCount || Type != D3DBACKBUFFER_TYPE_MONO) {
        return D3DERR_INVALIDCALL;
    }
    backBuffer_->AddRef();
    *ppBackBuffer = backBuffer_;
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) {
    if (ppZStencilSurface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (depthBuffer_ == nullptr) {
        *ppZStencilSurface = nullptr;
        return D3DERR_NOTFOUND;
    }
    depthBuffer_->AddRef();
    *ppZStencilSurface = depthBuffer_;
    return D3D_OK;
}

HRESULT Device::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}

}  // namespace platform
