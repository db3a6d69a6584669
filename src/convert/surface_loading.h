#pragma once
// Putting pixels into one level of a texture: a surface (a texture level or
// a cube face) or a volume (a volume-texture level). Each operation locks
// what it needs, converts with ConvertRegion and unlocks before returning.
//
// Results: S_OK; D3DERR_INVALIDCALL for a missing argument or a rectangle or
// box out of range; otherwise the failing platform call's, or
// conversion's result. A null destination rectangle or box means the whole
// level; a filter of FILTER_DEFAULT picks point sampling with dithering for
// signed source formats and the triangle filter with dithering otherwise.
// The colour key (0: none) applies to the source only; pixels equal to it
// become transparent black.

#include <d3d8.h>
#include <windows.h>

HRESULT CopyPixelsToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                            const RECT* destinationRect, const void* sourcePixels, D3DFORMAT sourceFormat,
                            UINT sourceRowPitch, const PALETTEENTRY* sourcePalette, const RECT* sourceRect,
                            DWORD filter, D3DCOLOR colorKey);

HRESULT CopyPixelsToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, const void* sourcePixels, D3DFORMAT sourceFormat,
                           UINT sourceRowPitch, UINT sourceSlicePitch, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey);

HRESULT CopySurfaceToSurface(IDirect3DSurface8* destination, const PALETTEENTRY* destinationPalette,
                             const RECT* destinationRect, IDirect3DSurface8* source, const PALETTEENTRY* sourcePalette,
                             const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey);

HRESULT CopyVolumeToVolume(IDirect3DVolume8* destination, const PALETTEENTRY* destinationPalette,
                           const D3DBOX* destinationBox, IDirect3DVolume8* source, const PALETTEENTRY* sourcePalette,
                           const D3DBOX* sourceBox, DWORD filter, D3DCOLOR colorKey);
