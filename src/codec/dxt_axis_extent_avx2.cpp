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
    // Each lane holds +0 or a value past it (never -0: a zero does not
    // replace the start), so the lanes' minimum and maximum are the strict
    // scan's result, whatever the order.
    __m128 l = _mm_min_ps(_mm256_castps256_ps128(lo), _mm256_extractf128_ps(lo, 1));
    __m128 h = _mm_max_ps(_mm256_castps256_ps128(hi), _mm256_extractf128_ps(hi, 1));
    l = _mm_min_ps(l, _mm_movehl_ps(l, l));
    h = _mm_max_ps(h, _mm_movehl_ps(h, h));
    low = _mm_cvtss_f32(_mm_min_ss(l, _mm_shuffle_ps(l, l, 1)));
    high = _mm_cvtss_f32(_mm_max_ss(h, _mm_shuffle_ps(h, h, 1)));
}

}  // namespace dxt_search
#endif
