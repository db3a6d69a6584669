#include "texload/load_settings.h"

#include <cstring>

#include "base/tovtex_defs.h"
#include "codec/pixel_format_table.h"

namespace tovtex {

namespace {

// A colour key asks for an alpha channel the image's format may lack; with
// no key, a 24-bit image is widened to its 32-bit layout.
D3DFORMAT FormatForImage(D3DFORMAT imageFormat, D3DCOLOR colorKey) {
    switch (imageFormat) {
    case D3DFMT_R8G8B8: return colorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5: return colorKey != 0 ? D3DFMT_A8R8G8B8 : imageFormat;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_R3G3B2:
    case D3DFMT_X4R4G4B4: return colorKey != 0 ? D3DFMT_A1R5G5B5 : imageFormat;
    case D3DFMT_L8: return colorKey != 0 ? D3DFMT_A8L8 : imageFormat;
    default: return imageFormat;
    }
}

bool EntryMatchesKey(const PALETTEENTRY& entry, D3DCOLOR key) {
    return entry.peRed == ((key >> 16) & 0xFF) && entry.peGreen == ((key >> 8) & 0xFF) &&
           entry.peBlue == (key & 0xFF) && entry.peFlags == (key >> 24);
}

}  // namespace

void SettleLoadSettings(const Image& image, D3DFORMAT format, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                        PALETTEENTRY* paletteOut, LoadSettings* settings) {
    if (format == D3DFMT_UNKNOWN) {
        format = FormatForImage(image.format, colorKey);
    }
    const bool signedImage = FindPixelFormat(image.format).kind == FORMAT_KIND_SIGNED;
    if (filter == FILTER_DEFAULT) {
        filter = signedImage ? (FILTER_POINT | FILTER_DITHER) : (FILTER_TRIANGLE | FILTER_DITHER);
    }
    if (mipFilter == FILTER_DEFAULT) {
        mipFilter = signedImage ? FILTER_POINT : FILTER_BOX;
    }
    settings->useMipBuilder =
        (filter & 0xFF) == FILTER_NONE || (mipFilter & 0xFF) == FILTER_POINT || (mipFilter & 0xFF) == FILTER_BOX;

    if (image.palette != nullptr) {
        std::memcpy(settings->palette, image.palette, sizeof(settings->palette));
        if (colorKey != 0) {
            for (PALETTEENTRY& entry : settings->palette) {
                if (EntryMatchesKey(entry, colorKey)) {
                    entry = PALETTEENTRY{0, 0, 0, 0};
                }
            }
            // Applied through the palette: the pixels need no further keying.
            colorKey = 0;
        }
    } else {
        std::memset(settings->palette, 0xFF, sizeof(settings->palette));
    }

    if (paletteOut != nullptr) {
        std::memcpy(paletteOut, settings->palette, sizeof(settings->palette));
    } else if (format == D3DFMT_A8P8) {
        format = D3DFMT_A8R8G8B8;
    } else if (format == D3DFMT_P8) {
        bool translucent = false;
        for (const PALETTEENTRY& entry : settings->palette) {
            translucent = translucent || entry.peFlags != 0xFF;
        }
        format = translucent ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }

    settings->format = format;
    settings->filter = filter;
    settings->mipFilter = mipFilter;
    settings->colorKey = colorKey;
}

}  // namespace tovtex
