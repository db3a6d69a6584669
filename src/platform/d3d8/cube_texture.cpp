#include "cube_texture.h"

#include <new>

namespace platform {

CubeTexture::CubeTexture(DeviceLink* link, const TextureRequest& request)
    : link_(link), pool_(request.pool), format_(request.format) {
    link_->AddRef();
}

CubeTexture::~CubeTexture() {
    for (Surface* surface : levels_) {
        delete surface;
    }
    link_->Release();
}

HRESULT CubeTexture::Create(DeviceLink* link, TextureRequest request, IDirect3DCubeTexture8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    request.height = request.width;
    request.depth = 1;
    request.type = D3DRTYPE_CUBETEXTURE;
    HRESULT hr = ValidateTextureRequest(request);
    if (FAILED(hr)) {
        return hr;
    }
    auto* cube = new (std::nothrow) CubeTexture(link, request);
    if (cube == nullptr) {
        return E_OUTOFMEMORY;
    }
    cube->levelCount_ = request.levels;
    const bool lockable = request.pool != D3DPOOL_DEFAULT || (request.usage & D3DUSAGE_RENDERTARGET) != 0;
    for (UINT face = 0; face < FACES; ++face) {
        for (UINT i = 0; i < request.levels; ++i) {
            auto* surface = new (std::nothrow) Surface(cube, request.usage, request.pool, lockable);
            if (surface == nullptr) {
                cube->Release();
                return E_OUTOFMEMORY;
            }
            cube->levels_[face * 32 + i] = surface;
            const uint32_t edge = LevelExtent(request.width, i);
            if (!surface->Data().Describe(request.format, edge, edge, 1) || !surface->Data().Allocate(link->Blocks())) {
                cube->Release();
                return OutOfMemoryFor(request.pool);
            }
        }
    }
    *out = cube;
    return D3D_OK;
}

bool CubeTexture::IsInterface(REFIID riid) const {
    return riid == IID_IDirect3DCubeTexture8 || riid == IID_IDirect3DBaseTexture8 || riid == IID_IDirect3DResource8;
}

bool CubeTexture::AnyLevelLocked() const {
    for (const Surface* surface : levels_) {
        if (surface != nullptr && const_cast<Surface*>(surface)->Data().Locked()) {
            return true;
        }
    }
    return false;
}

HRESULT CubeTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    Surface* surface = this->Level(0, Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->GetDesc(pDesc);
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level, IDirect3DSurface8** ppCubeMapSurface) {
    Surface* surface = this->Level(FaceType, Level);
    if (surface == nullptr || ppCubeMapSurface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    surface->AddRef();
    *ppCubeMapSurface = surface;
    return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect,
                              DWORD Flags) {
    Surface* surface = this->Level(FaceType, Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->LockRect(pLockedRect, pRect, Flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) {
    Surface* surface = this->Level(FaceType, Level);
    return surface == nullptr ? D3DERR_INVALIDCALL : surface->UnlockRect();
}

}  // namespace platform
