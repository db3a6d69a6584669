#pragma once
// A volume texture from the front end's converted volume, through the
// library's public calls: fitted to the device, the levels the file has
// copied (and resampled) into it, the levels below built from the deepest
// one, as the library's loaders do for textures.

#include <d3d8.h>
#include <windows.h>

#include "dds_front_end.h"

namespace tovtex_tool {

struct VolumeLoadRequest {
    UINT width;  // 0 or DEFAULT_ARG: from the file (likewise height)
    UINT height;
    UINT mipLevels;    // 0 or DEFAULT_ARG: a full chain
    D3DFORMAT format;  // D3DFMT_UNKNOWN: the converted format
    DWORD filter;
    DWORD mipFilter;
    D3DCOLOR colorKey;
};

HRESULT LoadVolumeTexture(IDirect3DDevice8* device, const DdsFrontEnd& frontEnd, const VolumeLoadRequest& request,
                          IDirect3DVolumeTexture8** volume);

}  // namespace tovtex_tool
