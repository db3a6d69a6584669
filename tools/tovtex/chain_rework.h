#pragma once
// The per-texel steps convert takes on a loaded texture before it is
// written or compressed: premultiplying the top level by alpha and
// building the lower levels again from it, in linear light for sRGB
// pictures. Each face is worked on in A8R8G8B8 and written back through
// the library's surface copy, so any format the texture has (DXT
// included) gets the same treatment.

#include <d3d8.h>
#include <windows.h>

#include "tovtex.h"

namespace tovtex_tool {

struct ChainRework {
    bool linearLight = false;      // lower levels averaged in linear light (box filter)
    bool premultiply = false;      // colour times alpha on the top level, before any level is built
    DWORD mipFilter = FILTER_BOX;  // concrete filter of the lower levels (dither flag included)

    bool Active() const { return linearLight || premultiply; }
};

// The top level stays as it is unless premultiplied; every level below is
// made again from it. linearLight needs the box or the point mip filter
// (point picks texels, the same in either light). Does nothing when not
// Active. The texture's levels must be lockable.
HRESULT ReworkChain(IDirect3DDevice8* device, IDirect3DTexture8* texture, const ChainRework& rework);
HRESULT ReworkChain(IDirect3DDevice8* device, IDirect3DCubeTexture8* cube, const ChainRework& rework);

}  // namespace tovtex_tool
