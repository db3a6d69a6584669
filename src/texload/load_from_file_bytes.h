#pragma once
// The memory forms of the texture loaders, given the file the bytes came
// from (or null): the file is closed as soon as the decoded picture no
// longer needs it, so a load does not hold the file and the texture at once.

#include <d3d8.h>
#include <windows.h>

#include "texload/image.h"
#include "texload/mapped_file.h"

namespace tovtex {

HRESULT LoadTextureFromFileBytes(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, MappedFile* file, UINT width,
                                 UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                 IDirect3DTexture8** texture);

HRESULT LoadCubeTextureFromFileBytes(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, MappedFile* file, UINT size,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                     IDirect3DCubeTexture8** cubeTexture);

}  // namespace tovtex
