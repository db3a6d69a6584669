#pragma once
// Copying one face's image levels into a texture's levels, and (unless the
// mip builder does it) resampling the image's deepest level into each level
// below.

#include <d3d8.h>
#include <windows.h>

#include "base/com_ref.h"
#include "convert/surface_loading.h"
#include "texload/image.h"
#include "texload/image_level_copy.h"
#include "texload/load_settings.h"
#include "texload/mapped_file.h"

namespace tovtex {

// getSurface(level, out) hands out a referenced surface of the target; file,
// when given, is the file the face's pixels belong to.
template <typename GetSurface>
HRESULT FillFaceLevels(const Image& face, UINT textureLevels, const LoadSettings& settings,
                       const PALETTEENTRY* destinationPalette, GetSurface getSurface, MappedFile* file = nullptr) {
    const Image* deepest = &face;
    UINT level = 0;
    for (const Image* source = &face; source != nullptr && level < textureLevels; source = source->nextLevel, ++level) {
        ComRef<IDirect3DSurface8> surface;
        HRESULT hr = getSurface(level, surface.Out());
        if (FAILED(hr)) {
            return hr;
        }
        hr = CopyImageLevel(surface.Get(), destinationPalette, *source, settings.palette, settings.filter,
                            settings.colorKey, file);
        if (FAILED(hr)) {
            return hr;
        }
        deepest = source;
    }
    if (settings.useMipBuilder) {
        return S_OK;
    }
    // Each lower level straight from the deepest image level, so no level
    // inherits the blur of the one above.
    for (; level < textureLevels; ++level) {
        ComRef<IDirect3DSurface8> surface;
        HRESULT hr = getSurface(level, surface.Out());
        if (FAILED(hr)) {
            return hr;
        }
        hr = CopyImageLevel(surface.Get(), destinationPalette, *deepest, settings.palette, settings.mipFilter,
                            settings.colorKey, file);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

}  // namespace tovtex
