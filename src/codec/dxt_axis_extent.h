#pragma once
// How far a block's seen colours reach along a line through their mean: the
// extremes the normal fit starts its endpoints from. An SSE2 form takes four
// texels at a time (TOVTEX_SSE2); the plain form is its reference. Both
// compute each texel's position with the same operations in the same order
// and keep the strict minimum and maximum, so they agree bit for bit.

#include "codec/dxt_search_texels.h"

namespace dxt_search {

// low <= 0 <= high: the least and greatest position, along axis from mean,
// of the texels of weight above 0.
void AxisExtent(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high);
void AxisExtentPlain(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high);

#if TOVTEX_SSE2
// The SSE2 form, which AxisExtent takes where the processor lacks AVX2
// (dxt_axis_extent_avx2.h holds the AVX2 form).
void AxisExtentSse2(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high);
#endif

}  // namespace dxt_search
