#include "convert/surface_rules.h"

#include <climits>

#include "base/tovtex_defs.h"
#include "codec/format_facts.h"
#include "codec/pixel_format_table.h"

namespace tovtex {

DWORD ResolveCopyFilter(DWORD filter, D3DFORMAT sourceFormat) {
    if (filter != FILTER_DEFAULT) {
        return filter;
    }
    return FindPixelFormat(sourceFormat).kind == FORMAT_KIND_SIGNED ? (FILTER_POINT | FILTER_DITHER)
                                                                    : (FILTER_TRIANGLE | FILTER_DITHER);
}

bool LocksWholeLevel(D3DFORMAT format) {
    const FormatFacts* facts = FindFormatFacts(format);
    return facts != nullptr && (facts->family == FAMILY_DXT || facts->family == FAMILY_YUV);
}

bool RectFits(const RECT& rect, UINT width, UINT height) {
    // A negative right or bottom compares as a huge unsigned value and fails.
    return rect.left >= 0 && rect.left <= rect.right && static_cast<UINT>(rect.right) <= width && rect.top >= 0 &&
           rect.top <= rect.bottom && static_cast<UINT>(rect.bottom) <= height;
}

bool BoxFits(const D3DBOX& box, UINT width, UINT height, UINT depth) {
    return box.Left <= box.Right && box.Right <= width && box.Top <= box.Bottom && box.Bottom <= height &&
           box.Front <= box.Back && box.Back <= depth;
}

bool SourceRectUsable(const RECT& rect) {
    return rect.left <= rect.right && rect.top <= rect.bottom;
}

bool SourceBoxUsable(const D3DBOX& box) {
    return box.Left <= box.Right && box.Top <= box.Bottom && box.Front <= box.Back && box.Right <= INT_MAX &&
           box.Bottom <= INT_MAX && box.Back <= INT_MAX;
}

}  // namespace tovtex
