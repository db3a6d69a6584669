// The device's palette calls; paletted textures are drawn with the current
// palette (see palette_table.h).

#include "device.h"

namespace platform {

HRESULT Device::SetPaletteEntries(UINT PaletteNumber, CONST PALETTEENTRY* pEntries) {
    return palettes_.Set(PaletteNumber, pEntries);
}

HRESULT Device::GetPaletteEntries(UINT PaletteNumber, PALETTEENTRY* pEntries) {
    return palettes_.Get(PaletteNumber, pEntries);
}

HRESULT Device::SetCurrentTexturePalette(UINT PaletteNumber) {
    return palettes_.SetCurrent(PaletteNumber);
}

HRESULT Device::GetCurrentTexturePalette(UINT* PaletteNumber) {
    if (PaletteNumber == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *PaletteNumber = palettes_.Current();
    return D3D_OK;
}

}  // namespace platform
