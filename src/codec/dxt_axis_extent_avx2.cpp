// Compiled with -mavx2 (no FMA). Only intrinsics and this file's own code
// are used here: an inline function of a shared header compiled in this
// file could be the copy the linker keeps for every caller.

#include "codec/dxt_axis_extent_avx2.h"

#if TOVTEX_SSE2
#include <immintrin.h>

namespace dxt_search {

void AxisExtentAvx2(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high) {
    const __m256 a0 = _mm256_set1_ps(axis[0]), a1 = _mm256_set1_ps(axis[1]), a2 = _mm256_set1_ps(axis[2]);
    const __m256 m0 = _mm256_set1_ps(mean[0]), m1 = _mm256_set1_ps(mean[1]), m2 = _mm256_set1_ps(mean[2]);
    __m256 lo = _mm256_setzero_ps(), hi = _mm256_setzero_ps();
    for (int g = 0; g < 16; g += 8) {
        const __m256 t = _mm256_add_ps(
            _mm256_add_ps(_mm256_mul_ps(a0, _mm256_sub_ps(_mm256_loadu_ps(texels.ch[0] + g), m0)),
                          _mm256_mul_ps(a1, _mm256_sub_ps(_mm256_loadu_ps(texels.ch[1] + g), m1))),
            _mm256_mul_ps(a2, _mm256_sub_ps(_mm256_loadu_ps(texels.ch[2] + g), m2)));
        const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(texels.weight + g));
        const __m256 unseen = _mm256_castsi256_ps(_mm256_cmpeq_epi32(weight, _mm256_setzero_si256()));
        // Strictly below (above) only: a zero of either sign never replaces
        // the starting zero.
        const __m256 below = _mm256_andnot_ps(unseen, _mm256_cmp_ps(t, lo, _CMP_LT_OQ));
        const __m256 above = _mm256_andnot_ps(unseen, _mm256_cmp_ps(t, hi, _CMP_GT_OQ));
        lo = _mm256_blendv_ps(lo, t, below);
        hi = _mm256_blendv_ps(hi, t, above);
    }
    alignas(32) float l[8], h[8];
    _mm256_store_ps(l, lo);
    _mm256_store_ps(h, hi);
    low = 0.0f;
    high = 0.0f;
    for (int k = 0; k < 8; ++k) {
        low = l[k] < low ? l[k] : low;
        high = h[k] > high ? h[k] : high;
    }
}

}  // namespace dxt_search
#endif
