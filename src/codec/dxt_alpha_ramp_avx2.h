#pragma once
// The alpha ramp error of dxt_alpha_ramp.cpp for two pairs of references at
// once, one pair in each half of an AVX2 register: the same integers as the
// SSE2 and plain forms. Compiled for AVX2 in a file of its own; call only
// where CpuHasAvx2().

#include <cstdint>

#if TOVTEX_SSE2
#include <emmintrin.h>

namespace dxt_search {

// alpha: the block's sixteen alphas as bytes; inside: 0xFF for each texel
// inside. errors[0] for (a0, a1), errors[1] for (b0, b1).
void AlphaRampErrorPairAvx2(__m128i alpha, __m128i inside, unsigned a0, unsigned a1, unsigned b0, unsigned b1,
                            std::uint32_t* errors);

}  // namespace dxt_search
#endif
