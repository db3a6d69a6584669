#pragma once
// Bilinear and trilinear sampling along a span of an affine triangle, for
// wrapped power-of-two levels: coordinates step in 16.16 fixed point, so a
// span needs no per-pixel conversions or address arithmetic beyond masks.

#include "sampler.h"

namespace platform {

// True when SampleSpanLinear can take the plan.
bool CanSampleSpanLinear(const SamplePlan& plan);

// n texels of the plan at (u + i * du, v + i * dv), i = 0 .. n-1; the same
// values Sample gives, up to the fixed-point stepping.
void SampleSpanLinear(const SamplePlan& plan, double u, double v, double du, double dv, int n, uint32_t* out);

}  // namespace platform
