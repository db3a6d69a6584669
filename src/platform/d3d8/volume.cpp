#include "volume.h"

namespace platform {

HRESULT Volume::GetContainer(REFIID riid, void** ppContainer) {
    if (ppContainer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return owner_->OwnerQueryInterface(riid, ppContainer);
}

HRESULT Volume::GetDesc(D3DVOLUME_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    pDesc->Format = data_.Format();
    pDesc->Type = D3DRTYPE_VOLUME;
    pDesc->Usage = usage_;
    pDesc->Pool = pool_;
    pDesc->Size = static_cast<UINT>(data_.Size());
    pDesc->Width = data_.Width();
    pDesc->Height = data_.Height();
    pDesc->Depth = data_.Depth();
    return D3D_OK;
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* pLockedVolume, CONST D3DBOX* pBox, DWORD Flags) {
    if (pool_ == D3DPOOL_DEFAULT) {
        return D3DERR_INVALIDCALL;
    }
    return data_.LockBox(pLockedVolume, pBox, Flags);
}

HRESULT Volume::UnlockBox() {
    const HRESULT hr = data_.Unlock();
    if (SUCCEEDED(hr)) {
        owner_->LevelUnlocked();
    }
    return hr;
}

}  // namespace platform
