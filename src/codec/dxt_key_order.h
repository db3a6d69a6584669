#pragma once
// The texels of a block that carry weight, in the order of their keys along
// an axis, equal keys in texel order: the order every split search walks.
// The SSE2 form ranks each texel by comparing its key with all sixteen at
// once, without the branches of an insertion sort; the AVX2 form ranks all
// sixteen at once, one key against every texel per step; the plain form is
// that insertion sort, and all give the same order.

#include <cstdint>

namespace dxt_search {

// Fills order[0, n) and returns n, the texels of weight above 0.
int OrderByKey(const float* key, const std::uint32_t* weight, int* order);
int OrderByKeyPlain(const float* key, const std::uint32_t* weight, int* order);
#if TOVTEX_SSE2
int OrderByKeySse2(const float* key, const std::uint32_t* weight, int* order);
// Compiled for AVX2 in a file of its own; call only where CpuHasAvx2().
int OrderByKeyAvx2(const float* key, const std::uint32_t* weight, int* order);
#endif

}  // namespace dxt_search
