#pragma once
// Putting pixels into one level of a texture: a surface (a texture level or
// a cube face) or a volume (a volume-texture level). Each operation locks
// what it needs, converts with ConvertRegion and unlocks before returning.
//
// Results: S_OK; D3DERR_INVALIDCALL for a missing argument or a rectangle or
// box out of range; otherwise the failing platform call's, decoder's or
// conversion's result. A null destination rectangle or box means the whole
// level; a filter of FILTER_DEFAULT picks point sampling with dithering for
// signed source formats and the triangle filter with dithering otherwise.
// The colour key (0: none) applies to the source only; pixels equal to it
// become transparent black.

#include <windows.h>
#include <d3d8.h>

#include "texload/image.h"

HRESULT CopyPixelsToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                            const RECT* destinationRect, const void* sourcePixels, D3DFORMAT sourceFormat,
                            UINT sourceRowPitch, const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                            DWORD filter, D3DCOLOR colorKey);

HRESULT CopyPixelsToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, const void* sourcePixels, D3DFORMAT sourceFormat,
                           UINT sourceRowPitch, UINT sourceSlicePitch, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey);

// Decodes an image file held in memory and copies its first level and face.
// info, when given, is filled as soon as the file has been decoded.
HRESULT CopyImageFileToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, const void* fileData, UINT fileSize,
                               const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info);

HRESULT CopySurfaceToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                             const RECT* destinationRect, IDirect3DSurface8* source,
                             const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                             D3DCOLOR colorKey);

HRESULT CopyVolumeToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, IDirect3DVolume8* source, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey);

HRESULT CopyFileToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info);
HRESULT CopyFileToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                           const RECT* destinationRect, LPCWSTR fileName, const RECT* sourceRect, DWORD filter,
                           D3DCOLOR colorKey, ImageInfo* info);

// The resource is a bitmap resource (RT_BITMAP) of the module.
HRESULT CopyResourceToSurfaceA(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCSTR resourceName,
                               const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info);
HRESULT CopyResourceToSurfaceW(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                               const RECT* destinationRect, HMODULE module, LPCWSTR resourceName,
                               const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey, ImageInfo* info);
