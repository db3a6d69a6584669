#pragma once
// The software device: resources, states, drawing into its back buffer and
// presentation into the window.

#include <array>

#include "counted_object.h"
#include "device_link.h"
#include "full_screen.h"
#include "palette_table.h"
#include "pipeline_state.h"
#include "presenter.h"
#include "rasterizer.h"
#include "surface.h"

namespace platform {

class Device final : public CountedObject<IDirect3DDevice8> {
public:
    static constexpr DWORD STAGES = 8;
    static constexpr DWORD RENDER_STATES = 256;
    static constexpr DWORD STAGE_STATES = 32;

    static HRESULT Create(IDirect3D8* direct3d, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out);

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D8** ppD3D8) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS8* pCaps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(D3DDISPLAYMODE* pMode) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    HRESULT STDMETHODCALLTYPE Present(CONST RECT* pSourceRect, CONST RECT* pDestRect, HWND hDestWindowOverride,
                                      CONST RGNDATA* pDirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT BackBuffer, D3DBACKBUFFER_TYPE Type,
                                            IDirect3DSurface8** ppBackBuffer) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, IDirect3DTexture8** ppTexture) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                                                  D3DFORMAT Format, D3DPOOL Pool,
                                                  IDirect3DVolumeTexture8** ppVolumeTexture) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                                D3DPOOL Pool, IDirect3DCubeTexture8** ppCubeTexture) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                                            IDirect3DBaseTexture8* pDestinationTexture) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD Count, CONST D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                                    DWORD Stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE State, CONST D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(CONST D3DVIEWPORT8* pViewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT8* pViewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                              CONST void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(DWORD Handle) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(DWORD* pHandle) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT PaletteNumber, CONST PALETTEENTRY* pEntries) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT PaletteNumber) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT* PaletteNumber) override;

    HRESULT OwnerDevice(IDirect3DDevice8** out) override;

protected:
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirect3DDevice8; }
    bool AnyLevelLocked() const override;

private:
    Device(IDirect3D8* direct3d, D3DDEVTYPE type, HWND focusWindow);
    ~Device() override;

    // Checks the parameters and fills in what the device chooses.
    static HRESULT SettleParameters(D3DPRESENT_PARAMETERS& params, HWND focusWindow);
    HRESULT CreateBuffers(const D3DPRESENT_PARAMETERS& params);
    void SetDefaultStates();
    void ApplyWindowMode();
    HWND PresentationWindow() const;
    bool BuildDrawContext(DrawContext& context);
    void BindSampledTexture();
    void ReleaseBoundTextures();

    IDirect3D8* direct3d_;
    DeviceLink* link_ = nullptr;
    D3DDEVTYPE type_;
    HWND focusWindow_;
    D3DPRESENT_PARAMETERS params_{};
    Surface* backBuffer_ = nullptr;
    Surface* depthBuffer_ = nullptr;

    std::array<DWORD, RENDER_STATES> renderStates_{};
    std::array<std::array<DWORD, STAGE_STATES>, STAGES> stageStates_{};
    std::array<IDirect3DBaseTexture8*, STAGES> textures_{};
    D3DMATRIX world_{}, view_{}, projection_{};
    std::array<D3DMATRIX, STAGES> textureTransforms_{};
    D3DVIEWPORT8 viewport_{};
    DWORD vertexShader_ = 0;
    bool inScene_ = false;
    bool lost_ = false;
    unsigned presents_ = 0;
    unsigned failedResets_ = 0;
    bool fullScreenWindow_ = false;
    WindowPlace windowedPlace_;
    Presenter presenter_;
    SampledTexture sampled_;
    PaletteTable palettes_;
    Rasterizer rasterizer_;
};

}  // namespace platform
