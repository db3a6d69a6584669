#pragma once
// Rules the surface loaders share: the default filter, which formats are
// locked whole, and the range checks of rectangles and boxes.

#include <d3d8.h>
#include <windows.h>

#include "codec/pixel_region.h"

namespace tovtex {

// FILTER_DEFAULT becomes point with dithering for signed formats, triangle
// with dithering for all others; any other filter is returned unchanged.
DWORD ResolveCopyFilter(DWORD filter, D3DFORMAT sourceFormat);

// Block (DXT) and pair (UYVY, YUY2) codecs address a level from its first
// byte, so these formats are locked whole.
bool LocksWholeLevel(D3DFORMAT format);

// 0 <= left <= right <= width and 0 <= top <= bottom <= height.
bool RectFits(const RECT& rect, UINT width, UINT height);

// left <= right <= width, top <= bottom <= height, front <= back <= depth.
bool BoxFits(const D3DBOX& box, UINT width, UINT height, UINT depth);

// A caller's source block must not run backwards and must fit the region's
// signed coordinates.
bool SourceRectUsable(const RECT& rect);
bool SourceBoxUsable(const D3DBOX& box);

inline PixelBox BoxFromRect(const RECT& rect) {
    return PixelBox{rect.left, rect.top, rect.right, rect.bottom, 0, 1};
}

inline PixelBox BoxFromD3DBox(const D3DBOX& box) {
    return PixelBox{static_cast<INT>(box.Left),   static_cast<INT>(box.Top),   static_cast<INT>(box.Right),
                    static_cast<INT>(box.Bottom), static_cast<INT>(box.Front), static_cast<INT>(box.Back)};
}

}  // namespace tovtex
