#include "convert/surface_loading.h"
#include "convert/surface_rules.h"

HRESULT CopyVolumeToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, IDirect3DVolume8* source, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey) {
    if (destination == nullptr || source == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DVOLUME_DESC desc{};
    HRESULT hr = source->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    D3DBOX box{0, 0, desc.Width, desc.Height, 0, desc.Depth};
    if (sourceBox != nullptr) {
        if (!tovtex::BoxFits(*sourceBox, desc.Width, desc.Height, desc.Depth)) {
            return D3DERR_INVALIDCALL;
        }
        box = *sourceBox;
    }

    D3DLOCKED_BOX locked{};
    if (tovtex::LocksWholeLevel(desc.Format)) {
        hr = source->LockBox(&locked, nullptr, D3DLOCK_READONLY);
    } else {
        hr = source->LockBox(&locked, &box, D3DLOCK_READONLY);
        box = D3DBOX{0, 0, box.Right - box.Left, box.Bottom - box.Top, 0, box.Back - box.Front};
    }
    if (FAILED(hr)) {
        return hr;
    }
    hr = CopyPixelsToVolume(destination, destinationPalette, destinationBox, locked.pBits, desc.Format,
                            static_cast<UINT>(locked.RowPitch), static_cast<UINT>(locked.SlicePitch), sourcePalette,
                            &box, filter, colorKey);
    source->UnlockBox();
    return hr;
}
