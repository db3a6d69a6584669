#include "convert/convert_region.h"
#include "convert/surface_loading.h"
#include "convert/surface_rules.h"

HRESULT CopyPixelsToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, const void* sourcePixels, D3DFORMAT sourceFormat,
                           UINT sourceRowPitch, UINT sourceSlicePitch, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey) {
    if (destination == nullptr || sourcePixels == nullptr || sourceBox == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (!tovtex::SourceBoxUsable(*sourceBox)) {
        return D3DERR_INVALIDCALL;
    }
    filter = tovtex::ResolveCopyFilter(filter, sourceFormat);

    D3DVOLUME_DESC desc{};
    HRESULT hr = destination->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    D3DBOX box{0, 0, desc.Width, desc.Height, 0, desc.Depth};
    if (destinationBox != nullptr) {
        if (!tovtex::BoxFits(*destinationBox, desc.Width, desc.Height, desc.Depth)) {
            return D3DERR_INVALIDCALL;
        }
        box = *destinationBox;
    }

    D3DLOCKED_BOX locked{};
    if (tovtex::LocksWholeLevel(desc.Format)) {
        hr = destination->LockBox(&locked, nullptr, 0);
    } else {
        hr = destination->LockBox(&locked, &box, 0);
        box = D3DBOX{0, 0, box.Right - box.Left, box.Bottom - box.Top, 0, box.Back - box.Front};
    }
    if (FAILED(hr)) {
        return hr;
    }

    PixelRegion to{};
    to.pixels = static_cast<BYTE*>(locked.pBits);
    to.format = desc.Format;
    to.rowPitch = locked.RowPitch;
    to.slicePitch = locked.SlicePitch;
    to.surfaceBox = SurfaceExtent{0, 0, desc.Width, desc.Height, 0, desc.Depth};
    to.box = tovtex::BoxFromD3DBox(box);
    to.colorKey = 0;
    to.palette = destinationPalette;

    PixelRegion from{};
    from.pixels = static_cast<BYTE*>(const_cast<void*>(sourcePixels));
    from.format = sourceFormat;
    from.rowPitch = static_cast<INT>(sourceRowPitch);
    from.slicePitch = static_cast<INT>(sourceSlicePitch);
    from.box = tovtex::BoxFromD3DBox(*sourceBox);
    from.colorKey = colorKey;
    from.palette = sourcePalette;

    hr = ConvertRegion(&to, &from, filter);
    destination->UnlockBox();
    return FAILED(hr) ? hr : S_OK;
}
