#pragma once
// The extent of dxt_axis_extent.cpp with eight texels a register: each
// texel's position by the same operations in the same order, and the strict
// minimum and maximum, so the result is the other forms' bit for bit.
// Compiled for AVX2 in a file of its own; call only where CpuHasAvx2().

#include "codec/dxt_search_texels.h"

namespace dxt_search {

void AxisExtentAvx2(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high);

}  // namespace dxt_search
