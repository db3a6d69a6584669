#pragma once
// The choices a texture load settles from the decoded image before fitting:
// format, filters, colour key and the working palette.

#include <d3d8.h>
#include <windows.h>

#include "texload/image.h"

namespace tovtex {

struct LoadSettings {
    D3DFORMAT format;
    DWORD filter;
    DWORD mipFilter;
    D3DCOLOR colorKey;          // 0 once the key has been applied through the palette
    bool useMipBuilder;         // lower levels by the mip builder, not resampled from the image
    PALETTEENTRY palette[256];  // the working palette, the source palette of every copy
};

// Fills settings from the caller's wishes and the image; copies the working
// palette into paletteOut when given, and otherwise replaces a palette
// format by a colour format.
void SettleLoadSettings(const Image& image, D3DFORMAT format, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                        PALETTEENTRY* paletteOut, LoadSettings* settings);

}  // namespace tovtex
