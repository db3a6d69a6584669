#include "surface.h"

namespace platform {

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
    if (ppContainer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return owner_->OwnerQueryInterface(riid, ppContainer);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    pDesc->Format = data_.Format();
    pDesc->Type = D3DRTYPE_SURFACE;
    pDesc->Usage = usage_;
    pDesc->Pool = pool_;
    pDesc->Size = static_cast<UINT>(data_.Size());
    pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
    pDesc->Width = data_.Width();
    pDesc->Height = data_.Height();
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect, DWORD Flags) {
    if (!lockable_) {
        return D3DERR_INVALIDCALL;
    }
    return data_.LockRect(pLockedRect, pRect, Flags);
}

HRESULT Surface::LockToOverwrite(D3DLOCKED_RECT* locked) {
    if (!lockable_) {
        return D3DERR_INVALIDCALL;
    }
    return data_.LockToOverwrite(locked);
}

HRESULT Surface::UnlockRect() {
    const HRESULT hr = data_.Unlock();
    if (SUCCEEDED(hr)) {
        owner_->LevelUnlocked();  // may end an owner released while locked, and this surface with it
    }
    return hr;
}

}  // namespace platform
