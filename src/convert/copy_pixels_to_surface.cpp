#include "convert/convert_region.h"
#include "convert/surface_loading.h"
#include "convert/surface_rules.h"

HRESULT CopyPixelsToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                            const RECT* destinationRect, const void* sourcePixels, D3DFORMAT sourceFormat,
                            UINT sourceRowPitch, const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                            DWORD filter, D3DCOLOR colorKey) {
    if (destination == nullptr || sourcePixels == nullptr || sourceRect == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!tovtex::SourceRectUsable(*sourceRect)) {
        return D3DERR_INVALIDCALL;
    }
    filter = tovtex::ResolveCopyFilter(filter, sourceFormat);

    D3DSURFACE_DESC desc{};
    HRESULT hr = destination->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    RECT rect{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    if (destinationRect != nullptr) {
        if (!tovtex::RectFits(*destinationRect, desc.Width, desc.Height)) {
            return D3DERR_INVALIDCALL;
        }
        rect = *destinationRect;
    }

    D3DLOCKED_RECT locked{};
    if (tovtex::LocksWholeLevel(desc.Format)) {
        hr = destination->LockRect(&locked, nullptr, 0);
    } else {
        hr = destination->LockRect(&locked, &rect, 0);
        rect = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    }
    if (FAILED(hr)) {
        return hr;
    }

    PixelRegion to{};
    to.pixels = static_cast<BYTE*>(locked.pBits);
    to.format = desc.Format;
    to.rowPitch = locked.Pitch;
    to.slicePitch = 0;
    to.surfaceBox = SurfaceExtent{0, 0, desc.Width, desc.Height, 0, 1};
    to.box = tovtex::BoxFromRect(rect);
    to.colorKey = 0;
    to.palette = destinationPalette;

    PixelRegion from{};
    // The engine only reads the source region.
    from.pixels = static_cast<BYTE*>(const_cast<void*>(sourcePixels));
    from.format = sourceFormat;
    from.rowPitch = static_cast<INT>(sourceRowPitch);
    from.slicePitch = 0;
    from.box = tovtex::BoxFromRect(*sourceRect);
    from.colorKey = colorKey;
    from.palette = sourcePalette;

    hr = ConvertRegion(&to, &from, filter);
    destination->UnlockRect();
    return FAILED(hr) ? hr : S_OK;
}
