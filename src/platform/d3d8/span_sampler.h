#pragma once
// Bilinear and trilinear sampling along a span of an affine triangle.
// Spans along a texture row (screen rectangles, upright quads) blend each
// texel column once; other spans of wrapped power-of-two levels step in
// 16.16 fixed point with masks; anything else samples pixel by pixel.

#include "sampler.h"

namespace platform {

// True when SampleSpanLinear can take the plan.
bool CanSampleSpanLinear(const SamplePlan& plan);

// n texels of the plan at (u + i * du, v + i * dv), i = 0 .. n-1; the same
// values Sample gives, up to the fixed-point stepping.
void SampleSpanLinear(const SamplePlan& plan, double u, double v, double du, double dv, int n, uint32_t* out);

}  // namespace platform
