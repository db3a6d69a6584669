#pragma once
// The choices convert makes for each picture where the user left them open:
// the format, the size under --max-size, and whether writing needs dither.

#include <d3d8.h>
#include <windows.h>

#include "tovtex.h"

namespace tovtex_tool {

// The format of --format auto: the picture's own where the library reads it
// back from a DDS file, and grey pictures (L8, A8L8) as they are, as long
// as the header (dx10: a DXGI code) can describe it; else, without alpha,
// X8R8G8B8; else A8R8G8B8. A colour key needs an alpha channel to make
// pixels transparent.
D3DFORMAT AutoFormat(const Image& image, D3DCOLOR colorKey, bool dx10);

// Dither only pays where the destination has fewer bits in some channel
// than the source has; otherwise it only adds noise.
bool NeedsDither(D3DFORMAT source, D3DFORMAT destination);

// Shrinks width x height, keeping the aspect, so that neither side exceeds
// maxSide (0: no limit). Sides stay at least 1.
void LimitSize(UINT maxSide, UINT* width, UINT* height);

}  // namespace tovtex_tool
