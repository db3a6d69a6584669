#include "recording_objects.h"

#include <utility>

namespace {

// Forwards a call to the inner object, or answers E_NOTIMPL without one.
#define FORWARD(call) return inner_ != nullptr ? inner_->call : E_NOTIMPL

template <typename Interface>
class Recorder : public Interface {
public:
    Recorder(Interface* inner, std::string name, ReleaseLog* log) : inner_(inner), name_(std::move(name)), log_(log) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { FORWARD(QueryInterface(riid, out)); }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            if (log_ != nullptr) {
                log_->push_back(name_);
            }
            if (inner_ != nullptr) {
                inner_->Release();
            }
            delete this;
        }
        return left;
    }

protected:
    Interface* inner_;

private:
    std::string name_;
    ReleaseLog* log_;
    ULONG refs_ = 1;
};

class TextureRecorder final : public Recorder<IDirect3DTexture8> {
public:
    using Recorder::Recorder;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** device) override { FORWARD(GetDevice(device)); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return inner_ != nullptr ? inner_->GetLevelCount() : 0; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        FORWARD(GetLevelDesc(level, desc));
    }
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override {
        FORWARD(GetSurfaceLevel(level, surface));
    }
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override {
        FORWARD(LockRect(level, locked, rect, flags));
    }
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override { FORWARD(UnlockRect(level)); }
};

class Direct3DRecorder final : public Recorder<IDirect3D8> {
public:
    using Recorder::Recorder;
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return inner_ != nullptr ? inner_->GetAdapterCount() : 0; }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        FORWARD(GetAdapterDisplayMode(adapter, mode));
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType, D3DFORMAT format) override {
        FORWARD(CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, format));
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        FORWARD(GetDeviceCaps(adapter, type, caps));
    }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD behaviour,
                                           D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
        FORWARD(CreateDevice(adapter, type, window, behaviour, params, device));
    }
};

class DirectInputRecorder final : public Recorder<IDirectInput8A> {
public:
    using Recorder::Recorder;
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override {
        FORWARD(CreateDevice(guid, device, outer));
    }
    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                          DWORD flags) override {
        FORWARD(EnumDevices(type, callback, context, flags));
    }
};

class ControllerRecorder final : public Recorder<IDirectInputDevice8A> {
public:
    using Recorder::Recorder;
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override { FORWARD(SetDataFormat(format)); }
    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        FORWARD(SetProperty(property, header));
    }
    HRESULT STDMETHODCALLTYPE Acquire() override { FORWARD(Acquire()); }
    HRESULT STDMETHODCALLTYPE Unacquire() override { FORWARD(Unacquire()); }
};

class DeviceRecorder final : public Recorder<IDirect3DDevice8> {
public:
    DeviceRecorder(IDirect3DDevice8* inner, std::string name, DeviceRecord* record)
        : Recorder(inner, std::move(name), record->log), record_(record) {}

    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window,
                                      const RGNDATA* dirty) override {
        record_->log->push_back("Present");
        const HRESULT hr = inner_ != nullptr ? inner_->Present(source, dest, window, dirty) : S_OK;
        return FAILED(record_->presentResult) ? record_->presentResult : hr;
    }
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* params) override {
        record_->log->push_back("Reset");
        record_->lastResetParams = params;
        FORWARD(Reset(params));
    }

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override { FORWARD(TestCooperativeLevel()); }
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** d3d) override { FORWARD(GetDirect3D(d3d)); }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* caps) override { FORWARD(GetDeviceCaps(caps)); }
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* mode) override { FORWARD(GetDisplayMode(mode)); }
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override {
        FORWARD(GetBackBuffer(index, type, surface));
    }
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DTexture8** texture) override {
        FORWARD(CreateTexture(w, h, levels, usage, format, pool, texture));
    }
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT w, UINT h, UINT d, UINT levels, DWORD usage, D3DFORMAT format,
                                                  D3DPOOL pool, IDirect3DVolumeTexture8** texture) override {
        FORWARD(CreateVolumeTexture(w, h, d, levels, usage, format, pool, texture));
    }
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DCubeTexture8** texture) override {
        FORWARD(CreateCubeTexture(edge, levels, usage, format, pool, texture));
    }
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* source, IDirect3DBaseTexture8* dest) override {
        FORWARD(UpdateTexture(source, dest));
    }
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** surface) override {
        FORWARD(GetDepthStencilSurface(surface));
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override { FORWARD(BeginScene()); }
    HRESULT STDMETHODCALLTYPE EndScene() override { FORWARD(EndScene()); }
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override {
        FORWARD(Clear(count, rects, flags, color, z, stencil));
    }
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
        FORWARD(SetTransform(state, matrix));
    }
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override {
        FORWARD(GetTransform(state, matrix));
    }
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT8* viewport) override { FORWARD(SetViewport(viewport)); }
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* viewport) override { FORWARD(GetViewport(viewport)); }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        FORWARD(SetRenderState(state, value));
    }
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
        FORWARD(GetRenderState(state, value));
    }
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override {
        FORWARD(GetTexture(stage, texture));
    }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override {
        FORWARD(SetTexture(stage, texture));
    }
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override {
        FORWARD(GetTextureStageState(stage, type, value));
    }
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        FORWARD(SetTextureStageState(stage, type, value));
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                              UINT stride) override {
        FORWARD(DrawPrimitiveUP(type, count, data, stride));
    }
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD handle) override { FORWARD(SetVertexShader(handle)); }
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* handle) override { FORWARD(GetVertexShader(handle)); }
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT number, const PALETTEENTRY* entries) override {
        FORWARD(SetPaletteEntries(number, entries));
    }
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT number, PALETTEENTRY* entries) override {
        FORWARD(GetPaletteEntries(number, entries));
    }
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT number) override {
        FORWARD(SetCurrentTexturePalette(number));
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* number) override {
        FORWARD(GetCurrentTexturePalette(number));
    }

private:
    DeviceRecord* record_;
};

#undef FORWARD

}  // namespace

IDirect3DTexture8* RecordingTexture(IDirect3DTexture8* inner, std::string name, ReleaseLog* log) {
    return new TextureRecorder(inner, std::move(name), log);
}
IDirect3D8* RecordingDirect3D(IDirect3D8* inner, std::string name, ReleaseLog* log) {
    return new Direct3DRecorder(inner, std::move(name), log);
}
IDirectInput8A* RecordingDirectInput(IDirectInput8A* inner, std::string name, ReleaseLog* log) {
    return new DirectInputRecorder(inner, std::move(name), log);
}
IDirectInputDevice8A* RecordingController(IDirectInputDevice8A* inner, std::string name, ReleaseLog* log) {
    return new ControllerRecorder(inner, std::move(name), log);
}
IDirect3DDevice8* RecordingDevice(IDirect3DDevice8* inner, std::string name, DeviceRecord* record) {
    return new DeviceRecorder(inner, std::move(name), record);
}
