#pragma once
// The texture library's front door: an image file (in memory, on disk or a
// bitmap resource) becomes a texture or cube texture with every level
// filled.
//
// Arguments of the full-option operations: width, height (cubes: one size)
// and mipLevels of 0 or DEFAULT_ARG come from the image and the device (0
// levels: a full chain); format D3DFMT_UNKNOWN is chosen from the image's
// format and the colour key; filter and mipFilter DEFAULT_ARG become the
// triangle filter with dithering and the box filter (point for signed
// formats). colorKey (ARGB, 0: none) turns matching pixels transparent
// black. info, when given, describes the file and is filled as soon as the
// file is decoded. palette, when given, receives the image's 256 palette
// entries; without it a palette format is replaced by a colour format.
// The new texture is stored through the last argument on success only; the
// caller then holds its only reference.
//
// Results: S_OK; D3DERR_INVALIDCALL for missing arguments or no data;
// ERR_INVALIDDATA when no reader accepts the data; ERR_IMAGETOOLARGE when the
// picture exceeds the pixel limit (SetImagePixelLimit); E_FAIL for a cube
// load of an image without exactly six faces; D3DERR_NOTAVAILABLE when the
// device takes no fitting format; a file or resource that cannot be had gives its
// system error as 0x8007xxxx; other failures are passed through.

#include <d3d8.h>
#include <windows.h>

#include "texload/image.h"

HRESULT LoadTextureFromMemory(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, UINT width, UINT height,
                              UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                              DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                              IDirect3DTexture8** texture);

HRESULT LoadTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, UINT width, UINT height, UINT mipLevels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                             D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette, IDirect3DTexture8** texture);

HRESULT LoadTextureFromFileW(IDirect3DDevice8* device, LPCWSTR fileName, UINT width, UINT height, UINT mipLevels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                             D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette, IDirect3DTexture8** texture);

HRESULT LoadTextureFromResourceA(IDirect3DDevice8* device, HMODULE module, LPCSTR resourceName, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                 IDirect3DTexture8** texture);

HRESULT LoadTextureFromResourceW(IDirect3DDevice8* device, HMODULE module, LPCWSTR resourceName, UINT width,
                                 UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                 IDirect3DTexture8** texture);

// The image must hold six faces, in the order +X, -X, +Y, -Y, +Z, -Z. Edges
// of a face are never filtered against the opposite edge.
HRESULT LoadCubeTextureFromMemory(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, UINT size, UINT mipLevels,
                                  DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                  D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                  IDirect3DCubeTexture8** cubeTexture);

HRESULT LoadCubeTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, UINT size, UINT mipLevels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                 ImageInfo* info, PALETTEENTRY* palette, IDirect3DCubeTexture8** cubeTexture);

HRESULT LoadCubeTextureFromFileW(IDirect3DDevice8* device, LPCWSTR fileName, UINT size, UINT mipLevels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                 ImageInfo* info, PALETTEENTRY* palette, IDirect3DCubeTexture8** cubeTexture);

// Everything chosen by the library: size and a full chain from the image and
// the device, the image's format, managed pool, default filters, no colour
// key.
HRESULT LoadTextureFromMemoryDefault(IDirect3DDevice8* device, LPCVOID data, UINT dataSize,
                                     IDirect3DTexture8** texture);
HRESULT LoadTextureFromFileDefaultA(IDirect3DDevice8* device, LPCSTR fileName, IDirect3DTexture8** texture);
HRESULT LoadTextureFromFileDefaultW(IDirect3DDevice8* device, LPCWSTR fileName, IDirect3DTexture8** texture);
HRESULT LoadTextureFromResourceDefaultA(IDirect3DDevice8* device, HMODULE module, LPCSTR resourceName,
                                        IDirect3DTexture8** texture);
HRESULT LoadTextureFromResourceDefaultW(IDirect3DDevice8* device, HMODULE module, LPCWSTR resourceName,
                                        IDirect3DTexture8** texture);
HRESULT LoadCubeTextureFromMemoryDefault(IDirect3DDevice8* device, LPCVOID data, UINT dataSize,
                                         IDirect3DCubeTexture8** cubeTexture);
HRESULT LoadCubeTextureFromFileDefaultA(IDirect3DDevice8* device, LPCSTR fileName, IDirect3DCubeTexture8** cubeTexture);
HRESULT LoadCubeTextureFromFileDefaultW(IDirect3DDevice8* device, LPCWSTR fileName,
                                        IDirect3DCubeTexture8** cubeTexture);
