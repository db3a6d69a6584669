#include "texture.h"

#include <new>

namespace platform {

Texture::Texture(DeviceLink* link, const TextureRequest& request)
    : link_(link), pool_(request.pool), format_(request.format) {
    link_->AddRef();
}

Texture::~Texture() {
    for (UINT i = 0; i < levelCount_; ++i) {
        delete levels_[i];
    }
    link_->Release();
}

HRESULT Texture::Create(DeviceLink* link, TextureRequest request, IDirect3DTexture8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    request.depth = 1;
    request.type = D3DRTYPE_TEXTURE;
    HRESULT hr = ValidateTextureRequest(request);
    if (FAILED(hr)) {
        return hr;
    }
    auto* texture = new (std::nothrow) Texture(link, request);
    if (texture == nullptr) {
        return E_OUTOFMEMORY;
    }
    // Default-pool memory is not visible to the program, except render targets.
    const bool lockable = request.pool != D3DPOOL_DEFAULT || (request.usage & D3DUSAGE_RENDERTARGET) != 0;
    for (UINT i = 0; i < request.levels; ++i) {
        auto* surface = new (std::nothrow) Surface(texture, request.usage, request.pool, lockable);
        if (surface == nullptr) {
            texture->Release();
            return E_OUTOFMEMORY;
        }
        texture->levels_[i] = surface;
        texture->levelCount_ = i + 1;
        LevelData& data = surface->Data();
        if (!data.Describe(request.format, LevelExtent(request.width, i), LevelExtent(request.height, i), 1) ||
            !data.Allocate(link->Blocks())) {
            texture->Release();
            return OutOfMemoryFor(request.pool);
        }
    }
    *out = texture;
    return D3D_OK;
}

bool Texture::IsInterface(REFIID riid) const {
    return riid == IID_IDirect3DTexture8 || riid == IID_IDirect3DBaseTexture8 || riid == IID_IDirect3DResource8;
}

bool Texture::AnyLevelLocked() const {
    for (UINT i = 0; i < levelCount_; ++i) {
        if (levels_[i]->Data().Locked()) {
            return true;
        }
    }
    return false;
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    Surface* surface = this->Level(Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->GetDesc(pDesc);
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) {
    Surface* surface = this->Level(Level);
    if (surface == nullptr || ppSurfaceLevel == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    surface->AddRef();
    *ppSurfaceLevel = surface;
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect, DWORD Flags) {
    Surface* surface = this->Level(Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->LockRect(pLockedRect, pRect, Flags);
}

HRESULT Texture::UnlockRect(UINT Level) {
    Surface* surface = this->Level(Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->UnlockRect();
}

}  // namespace platform
