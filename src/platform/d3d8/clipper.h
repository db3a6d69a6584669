#pragma once
// Polygon clipping: in clip space against the near and far planes (and w
// above a small epsilon, so the divide is safe), and in screen space against
// a guard band that keeps fixed-point positions in range.

#include "rasterizer.h"

namespace platform {

struct ClipVertex {
    float x, y, z, w;
    float u, v, r, g, b, a;
    float tw;  // third texture coordinate
};

// Room for a triangle clipped by every plane of both stages.
constexpr int MAX_CLIP_VERTICES = 16;

// 0 <= z <= w and w >= epsilon. Returns the vertex count of out (0: gone).
int ClipToDepthRange(const ClipVertex* in, int count, ClipVertex* out);

// Keeps |x| and |y| within limit.
int ClipToGuardBand(const RasterVertex* in, int count, RasterVertex* out, float limit);

}  // namespace platform
