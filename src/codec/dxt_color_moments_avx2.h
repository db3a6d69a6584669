#pragma once
// The colour sums of dxt_color_moments.h with eight texels a register: the
// same exact integers, so the result is the other forms' bit for bit.
// Compiled for AVX2 in a file of its own; call only where CpuHasAvx2().

#include "codec/dxt_color_moments.h"

namespace dxt_search {

void ColorSumsAvx2(const SearchTexels& texels, ColorSums& out);

}  // namespace dxt_search
