#pragma once
// A texture load that decodes a JPEG or PNG file straight into the new
// texture's top level, when the file's header shows that the level would
// hold an exact copy of the decoded picture: no memory for the picture, no
// copy of it. The levels below are resampled from the top level, which
// reads as the picture would.

#include <d3d8.h>
#include <windows.h>

#include "texload/image.h"
#include "texload/mapped_file.h"

namespace tovtex {

// Arguments as LoadTextureFromFileBytes. *taken false: the route does not
// fit this load, or the file's pixel data turned out broken; nothing of the
// attempt is left behind (no texture, nothing written through info or
// palette, the file still open) and the caller loads the ordinary way,
// which gives this file its own result. *taken true: the load's result.
HRESULT LoadDecodingIntoLevel(IDirect3DDevice8* device, const BYTE* data, UINT dataSize, MappedFile* file, UINT width,
                              UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                              DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                              IDirect3DTexture8** texture, bool* taken);

}  // namespace tovtex
