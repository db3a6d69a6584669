#include "texload/image_file_to_surface.h"
#include "texload/image_readers.h"

HRESULT CopyImageFileToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, const void* fileData, UINT fileSize, const RECT* sourceRect,
                               DWORD filter, D3DCOLOR colorKey, ImageInfo* info) {
    if (destination == nullptr || fileData == nullptr || fileSize == 0) {
        return D3DERR_INVALIDCALL;
    }
    Image image;
    HRESULT hr = DecodeImageFile(&image, static_cast<const BYTE*>(fileData), fileSize, info);
    if (FAILED(hr)) {
        return hr;
    }
    RECT rect = image.rect;
    if (sourceRect != nullptr) {
        if (sourceRect->left < 0 || sourceRect->left > sourceRect->right || sourceRect->right > image.rect.right ||
            sourceRect->top < 0 || sourceRect->top > sourceRect->bottom || sourceRect->bottom > image.rect.bottom) {
            return D3DERR_INVALIDCALL;
        }
        rect = *sourceRect;
    }
    return CopyPixelsToSurface(destination, destinationPalette, destinationRect, image.pixels, image.format,
                               image.rowPitch, image.palette, &rect, filter, colorKey);
}
