#pragma once
// Putting the first level and face of an image file into a surface: from
// the file's bytes in memory, from a file on disk, or from a bitmap resource
// of a module. The file is decoded by the image readers, then copied as
// CopyPixelsToSurface does; results, rectangles, filter and colour key are
// as there, and info, when given, is filled as soon as the file has been
// decoded.

#include <d3d8.h>
#include <windows.h>

#include "convert/surface_loading.h"
#include "texload/image.h"

HRESULT CopyImageFileToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, const void* fileData, UINT fileSize, const RECT* sourceRect,
                               DWORD filter, D3DCOLOR colorKey, ImageInfo* info);

HRESULT CopyFileToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info);
HRESULT CopyFileToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCWSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info);

// The resource is a bitmap resource (RT_BITMAP) of the module.
HRESULT CopyResourceToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCSTR resourceName, const RECT* sourceRect,
                               DWORD filter, D3DCOLOR colorKey, ImageInfo* info);
HRESULT CopyResourceToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCWSTR resourceName,
                               const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info);
