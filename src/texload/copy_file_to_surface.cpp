#include "texload/image_file_to_surface.h"
#include "texload/mapped_file.h"

namespace {

HRESULT CopyMappedFileToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                                const RECT* destinationRect, const void* fileName, bool wide, const RECT* sourceRect,
                                DWORD filter, D3DCOLOR colorKey, ImageInfo* info) {
    MappedFile file;
    const HRESULT hr = file.Open(fileName, wide);
    if (FAILED(hr)) {
        return hr;
    }
    // The mapping closes with `file`, after the decoded image is gone.
    return CopyImageFileToSurface(destination, destinationPalette, destinationRect, file.View(), file.Size(),
                                  sourceRect, filter, colorKey, info);
}

}  // namespace

HRESULT CopyFileToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info) {
    return CopyMappedFileToSurface(destination, destinationPalette, destinationRect, fileName, false, sourceRect,
                                   filter, colorKey, info);
}

HRESULT CopyFileToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCWSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info) {
    return CopyMappedFileToSurface(destination, destinationPalette, destinationRect, fileName, true, sourceRect, filter,
                                   colorKey, info);
}
