#pragma once
// The Direct3D object: the one adapter, its formats and device creation.

#include "com_object.h"

#include <d3d8.h>

namespace platform {

class Direct3D8 final : public ComObject<IDirect3D8> {
public:
    Direct3D8();

    UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                                DWORD Usage, D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                           D3DPRESENT_PARAMETERS* pPresentationParameters,
                                           IDirect3DDevice8** ppReturnedDeviceInterface) override;

protected:
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirect3D8; }

private:
    ~Direct3D8() override;
    void EnsureVideo();
    bool video_ = false;
};

}  // namespace platform
