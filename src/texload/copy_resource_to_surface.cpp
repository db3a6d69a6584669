#include "texload/image_file_to_surface.h"
#include "texload/resource_data.h"

namespace {

HRESULT CopyBitmapResourceToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                                    const RECT* destinationRect, HMODULE module, const void* name, bool wide,
                                    const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info) {
    ResourceData resource;
    const HRESULT hr = resource.Locate(module, name, wide);
    if (FAILED(hr)) {
        return hr;
    }
    return CopyImageFileToSurface(destination, destinationPalette, destinationRect, resource.Data(), resource.Size(),
                                  sourceRect, filter, colorKey, info);
}

}  // namespace

HRESULT CopyResourceToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCSTR resourceName, const RECT* sourceRect,
                               DWORD filter, D3DCOLOR colorKey, ImageInfo* info) {
    return CopyBitmapResourceToSurface(destination, destinationPalette, destinationRect, module, resourceName, false,
                                       sourceRect, filter, colorKey, info);
}

HRESULT CopyResourceToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCWSTR resourceName,
                               const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info) {
    return CopyBitmapResourceToSurface(destination, destinationPalette, destinationRect, module, resourceName, true,
                                       sourceRect, filter, colorKey, info);
}
