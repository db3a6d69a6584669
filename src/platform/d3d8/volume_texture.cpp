#include "volume_texture.h"

#include <new>

namespace platform {

VolumeTexture::VolumeTexture(DeviceLink* link, const TextureRequest& request)
    : link_(link), pool_(request.pool), format_(request.format) {
    link_->AddRef();
}

VolumeTexture::~VolumeTexture() {
    for (UINT i = 0; i < levelCount_; ++i) {
        delete levels_[i];
    }
    link_->Release();
}

HRESULT VolumeTexture::Create(DeviceLink* link, TextureRequest request, IDirect3DVolumeTexture8** out) {
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    request.type = D3DRTYPE_VOLUMETEXTURE;
    HRESULT hr = ValidateTextureRequest(request);
    if (FAILED(hr)) {
        return hr;
    }
    auto* texture = new (std::nothrow) VolumeTexture(link, request);
    if (texture == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (UINT i = 0; i < request.levels; ++i) {
        auto* volume = new (std::nothrow) Volume(texture, request.usage, request.pool);
        if (volume == nullptr) {
            texture->Release();
            return E_OUTOFMEMORY;
        }
        texture->levels_[i] = volume;
        texture->levelCount_ = i + 1;
        if (!volume->Data().Describe(request.format, LevelExtent(request.width, i), LevelExtent(request.height, i),
                                     LevelExtent(request.depth, i)) ||
            !volume->Data().Allocate(link->Blocks())) {
            texture->Release();
            return OutOfMemoryFor(request.pool);
        }
    }
    *out = texture;
    return D3D_OK;
}

bool VolumeTexture::IsInterface(REFIID riid) const {
    return riid == IID_IDirect3DVolumeTexture8 || riid == IID_IDirect3DBaseTexture8 || riid == IID_IDirect3DResource8;
}

bool VolumeTexture::AnyLevelLocked() const {
    for (UINT i = 0; i < levelCount_; ++i) {
        if (levels_[i]->Data().Locked()) {
            return true;
        }
    }
    return false;
}

HRESULT VolumeTexture::GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) {
    Volume* volume = this->Level(Level);
    return volume == nullptr ? D3DERR_INVALIDCALL : volume->GetDesc(pDesc);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT Level, IDirect3DVolume8** ppVolumeLevel) {
    Volume* volume = this->Level(Level);
    if (volume == nullptr || ppVolumeLevel == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    volume->AddRef();
    *ppVolumeLevel = volume;
    return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, CONST D3DBOX* pBox, DWORD Flags) {
    Volume* volume = this->Level(Level);
    return volume == nullptr ? D3DERR_INVALIDCALL : volume->LockBox(pLockedVolume, pBox, Flags);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
    Volume* volume = this->Level(Level);
    return volume == nullptr ? D3DERR_INVALIDCALL : volume->UnlockBox();
}

}  // namespace platform
