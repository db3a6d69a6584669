#include "convert/surface_loading.h"
#include "convert/surface_rules.h"

HRESULT CopySurfaceToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                             const RECT* destinationRect, IDirect3DSurface8* source, const PALETTEENTRY* sourcePalette,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey) {
    if (destination == nullptr || source == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc{};
    HRESULT hr = source->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    RECT rect{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (sourceRect != nullptr) {
        if (!tovtex::RectFits(*sourceRect, desc.Width, desc.Height)) {
            return D3DERR_INVALIDCALL;
        }
        rect = *sourceRect;
    }

    D3DLOCKED_RECT locked{};
    if (tovtex::LocksWholeLevel(desc.Format)) {
        hr = source->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    } else {
        hr = source->LockRect(&locked, &rect, D3DLOCK_READONLY);
        rect = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    }
    if (FAILED(hr)) {
        return hr;
    }
    hr = CopyPixelsToSurface(destination, destinationPalette, destinationRect, locked.pBits, desc.Format,
                             static_cast<UINT>(locked.Pitch), sourcePalette, &rect, filter, colorKey);
    source->UnlockRect();
    return hr;
}
