#pragma once
// Filling the mip levels below a source level. Each level is one surface
// (or volume) copy. With FILTER_POINT and FILTER_BOX a level is made from the
// level just above it; with any other filter every level is resampled from
// the source level itself. FILTER_DEFAULT is FILTER_BOX, or FILTER_POINT for
// signed formats. A source level of 0xFFFFFFFF means level 0.
//
// Results: S_OK; D3DERR_INVALIDCALL without a texture or for a source level
// not below the level count; otherwise the first failing call's result, with
// the levels written before it kept.

#include <d3d8.h>
#include <windows.h>

// The palette serves as source and destination palette of every level.
HRESULT BuildTextureMips(IDirect3DTexture8* texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter);

// Faces are filtered with every mirror flag set: an edge of a face never
// wraps around to the opposite edge.
HRESULT BuildCubeTextureMips(IDirect3DCubeTexture8* cubeTexture, const PALETTEENTRY* palette, UINT sourceLevel,
                             DWORD filter);

HRESULT BuildVolumeTextureMips(IDirect3DVolumeTexture8* volumeTexture, const PALETTEENTRY* palette, UINT sourceLevel,
                               DWORD filter);
