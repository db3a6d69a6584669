// The device's resource calls: creation, UpdateTexture and texture binding.

#include <cstring>

#include "cube_texture.h"
#include "device.h"
#include "texture.h"
#include "volume_texture.h"

namespace platform {

namespace {

// Copies one level's bytes; both levels have the same format and size.
void CopyLevel(LevelData& from, LevelData& to) {
    std::memcpy(to.Bits(), from.Bits(), from.Size());
    to.Touch();
}

bool SameLevelShape(LevelData& a, LevelData& b) {
    return a.Format() == b.Format() && a.Width() == b.Width() && a.Height() == b.Height() && a.Depth() == b.Depth();
}

}  // namespace

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture8** ppTexture) {
    return Texture::Create(link_, {D3DRTYPE_TEXTURE, Width, Height, 1, Levels, Usage, Format, Pool}, ppTexture);
}

HRESULT Device::CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                    D3DPOOL Pool, IDirect3DVolumeTexture8** ppVolumeTexture) {
    return VolumeTexture::Create(link_, {D3DRTYPE_VOLUMETEXTURE, Width, Height, Depth, Levels, Usage, Format, Pool},
                                 ppVolumeTexture);
}

HRESULT Device::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DCubeTexture8** ppCubeTexture) {
    return CubeTexture::Create(link_, {D3DRTYPE_CUBETEXTURE, EdgeLength, EdgeLength, 1, Levels, Usage, Format, Pool},
                               ppCubeTexture);
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture, IDirect3DBaseTexture8* pDestinationTexture) {
    if (pSourceTexture == nullptr || pDestinationTexture == nullptr ||
        pSourceTexture->GetType() != pDestinationTexture->GetType()) {
        return D3DERR_INVALIDCALL;
    }
    if (auto* from = dynamic_cast<Texture*>(pSourceTexture)) {
        auto* to = dynamic_cast<Texture*>(pDestinationTexture);
        if (to == nullptr || from->Pool() != D3DPOOL_SYSTEMMEM || to->Pool() != D3DPOOL_DEFAULT ||
            !SameLevelShape(from->Level(0)->Data(), to->Level(0)->Data())) {
            return D3DERR_INVALIDCALL;
        }
        const UINT levels = std::min(from->GetLevelCount(), to->GetLevelCount());
        for (UINT i = 0; i < levels; ++i) {
            CopyLevel(from->Level(i)->Data(), to->Level(i)->Data());
        }
        return D3D_OK;
    }
    if (auto* from = dynamic_cast<CubeTexture*>(pSourceTexture)) {
        auto* to = dynamic_cast<CubeTexture*>(pDestinationTexture);
        if (to == nullptr || from->Pool() != D3DPOOL_SYSTEMMEM || to->Pool() != D3DPOOL_DEFAULT ||
            !SameLevelShape(from->Level(0, 0)->Data(), to->Level(0, 0)->Data())) {
            return D3DERR_INVALIDCALL;
        }
        const UINT levels = std::min(from->GetLevelCount(), to->GetLevelCount());
        for (UINT face = 0; face < CubeTexture::FACES; ++face) {
            for (UINT i = 0; i < levels; ++i) {
                CopyLevel(from->Level(face, i)->Data(), to->Level(face, i)->Data());
            }
        }
        return D3D_OK;
    }
    if (auto* from = dynamic_cast<VolumeTexture*>(pSourceTexture)) {
        auto* to = dynamic_cast<VolumeTexture*>(pDestinationTexture);
        if (to == nullptr || from->Pool() != D3DPOOL_SYSTEMMEM || to->Pool() != D3DPOOL_DEFAULT ||
            !SameLevelShape(from->Level(0)->Data(), to->Level(0)->Data())) {
            return D3DERR_INVALIDCALL;
        }
        const UINT levels = std::min(from->GetLevelCount(), to->GetLevelCount());
        for (UINT i = 0; i < levels; ++i) {
            CopyLevel(from->Level(i)->Data(), to->Level(i)->Data());
        }
        return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
    if (Stage >= STAGES || ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppTexture = textures_[Stage];
    if (*ppTexture != nullptr) {
        (*ppTexture)->AddRef();
    }
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
    if (Stage >= STAGES) {
        return D3DERR_INVALIDCALL;
    }
    if (pTexture != nullptr) {
        pTexture->AddRef();
    }
    if (textures_[Stage] != nullptr) {
        textures_[Stage]->Release();
    }
    textures_[Stage] = pTexture;
    return D3D_OK;
}

void Device::ReleaseBoundTextures() {
    for (auto& texture : textures_) {
        if (texture != nullptr) {
            texture->Release();
            texture = nullptr;
        }
    }
}

}  // namespace platform
