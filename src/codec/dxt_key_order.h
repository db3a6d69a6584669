#pragma once
// The texels of a block that carry weight, in the order of their keys along
// an axis, equal keys in texel order: the order every split search walks.
// The SSE2 form ranks each texel by comparing its key with all sixteen at
// once, without the branches of an insertion sort; the plain form is that
// insertion sort, and the two give the same order.

#include <cstdint>

namespace dxt_search {

// Fills order[0, n) and returns n, the texels of weight above 0.
int OrderByKey(const float* key, const std::uint32_t* weight, int* order);
int OrderByKeyPlain(const float* key, const std::uint32_t* weight, int* order);

}  // namespace dxt_search
