// The device's state calls: render states, texture-stage states, transforms,
// the viewport and the vertex format.

#include "device.h"
#include "vertex_format.h"

namespace platform {

namespace {

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

}  // namespace

void Device::SetDefaultStates() {
    renderStates_.fill(0);
    renderStates_[D3DRS_ZENABLE] = depthBuffer_ != nullptr ? D3DZB_TRUE : D3DZB_FALSE;
    renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates_[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates_[D3DRS_LASTPIXEL] = TRUE;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRS_LIGHTING] = TRUE;
    renderStates_[D3DRS_COLORVERTEX] = TRUE;
    for (DWORD stage = 0; stage < STAGES; ++stage) {
        auto& s = stageStates_[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        s[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        s[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        s[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        s[D3DTSS_MAXANISOTROPY] = 1;
    }
    world_ = view_ = projection_ = Identity();
    textureTransforms_.fill(Identity());
    viewport_ = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
    vertexShader_ = 0;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (State >= RENDER_STATES) {
        return D3DERR_INVALIDCALL;
    }
    renderStates_[State] = Value;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (State >= RENDER_STATES || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = renderStates_[State];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    if (Stage >= STAGES || Type >= STAGE_STATES) {
        return D3DERR_INVALIDCALL;
    }
    stageStates_[Stage][Type] = Value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
    if (Stage >= STAGES || Type >= STAGE_STATES || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = stageStates_[Stage][Type];
    return D3D_OK;
}

static D3DMATRIX* TransformSlot(D3DTRANSFORMSTATETYPE state, D3DMATRIX& world, D3DMATRIX& view, D3DMATRIX& projection,
                                std::array<D3DMATRIX, Device::STAGES>& texture) {
    if (state == D3DTS_WORLD) return &world;
    if (state == D3DTS_VIEW) return &view;
    if (state == D3DTS_PROJECTION) return &projection;
    if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + Device::STAGES) return &texture[state - D3DTS_TEXTURE0];
    return nullptr;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, CONST D3DMATRIX* pMatrix) {
    D3DMATRIX* slot = TransformSlot(State, world_, view_, projection_, textureTransforms_);
    if (slot == nullptr || pMatrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *slot = *pMatrix;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    D3DMATRIX* slot = TransformSlot(State, world_, view_, projection_, textureTransforms_);
    if (slot == nullptr || pMatrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMatrix = *slot;
    return D3D_OK;
}

HRESULT Device::SetViewport(CONST D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr || pViewport->Width == 0 || pViewport->Height == 0 ||
        uint64_t{pViewport->X} + pViewport->Width > params_.BackBufferWidth ||
        uint64_t{pViewport->Y} + pViewport->Height > params_.BackBufferHeight || !(pViewport->MinZ >= 0.0f) ||
        !(pViewport->MaxZ <= 1.0f) || !(pViewport->MinZ <= pViewport->MaxZ)) {
        return D3DERR_INVALIDCALL;
    }
    viewport_ = *pViewport;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pViewport = viewport_;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD Handle) {
    VertexFormat format;
    if (!DescribeVertexFormat(Handle, format)) {
        return D3DERR_INVALIDCALL;
    }
    vertexShader_ = Handle;
    return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* pHandle) {
    if (pHandle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pHandle = vertexShader_;
    return D3D_OK;
}

}  // namespace platform
