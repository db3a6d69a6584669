#pragma once
// Fitting a texture request to what the device accepts: sizes defaulted,
// clamped to the device limits and aspect ratio, rounded to powers of two
// where the device demands it (and to whole 4 x 4 blocks for DXT), the level
// count capped at a full chain, and the format replaced by the nearest
// format the device takes when it lacks the requested one.

#include <d3d8.h>
#include <windows.h>

#include "codec/pixel_format_table.h"

enum ResourceKind : DWORD {
    RESOURCE_TEXTURE = 0,
    RESOURCE_CUBE_TEXTURE = 1,
    RESOURCE_VOLUME_TEXTURE = 2,
};

// FormatDistance's answer for a format that may not stand in at all.
inline constexpr DWORD DISTANCE_INCOMPATIBLE = 0xFFFFFFFF;

// How far a candidate format is from the requested one: losing a channel
// outweighs any loss of precision, losing precision outweighs adding a
// channel, adding a channel outweighs adding precision.
DWORD FormatDistance(const PixelFormatInfo& requested, const PixelFormatInfo& candidate);

// Every pointer is read as a request (null or DEFAULT_ARG: choose for me)
// and overwritten with the fitted value on success only. S_OK;
// D3DERR_INVALIDCALL for no device or a bad usage or pool;
// D3DERR_NOTAVAILABLE when no format fits.
HRESULT FitTextureRequest(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* depth, UINT* mipLevels,
                          DWORD usage, D3DFORMAT* format, D3DPOOL pool, ResourceKind kind);

HRESULT FitTexture(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                   D3DPOOL pool);

// One edge length for all six faces.
HRESULT FitCubeTexture(IDirect3DDevice8* device, UINT* size, UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                       D3DPOOL pool);

HRESULT FitVolumeTexture(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* depth, UINT* mipLevels, DWORD usage,
                         D3DFORMAT* format, D3DPOOL pool);

// Fit, then create with the fitted values. Creation failures are passed
// through unchanged.
HRESULT CreateFittedTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                            D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture);

HRESULT CreateFittedCubeTexture(IDirect3DDevice8* device, UINT size, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture);

HRESULT CreateFittedVolumeTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT depth, UINT mipLevels,
                                  DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DVolumeTexture8** volumeTexture);
