#pragma once
// Volume textures as DDS files: the header (DDSCAPS2_VOLUME with the
// depth) and every level's slices, each level packed without padding.

#include <vector>

#include <d3d8.h>
#include <windows.h>

namespace tovtex_tool {

std::vector<BYTE> DdsVolumeHeader(D3DFORMAT format, UINT width, UINT height, UINT depth, UINT levels);

// Its levels must be lockable (managed or system memory pool).
// D3DERR_NOTAVAILABLE when the format has no DDS layout here.
HRESULT VolumeTextureToDds(IDirect3DVolumeTexture8* volume, std::vector<BYTE>* out);

}  // namespace tovtex_tool
