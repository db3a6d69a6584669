#include "codec/dxt_axis_extent.h"

#include "codec/cpu_features.h"
#include "codec/dxt_axis_extent_avx2.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

void AxisExtentPlain(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high) {
    low = 0.0f;
    high = 0.0f;
    for (int i = 0; i < 16; ++i) {
        const float t = axis[0] * (texels.ch[0][i] - mean[0]) + axis[1] * (texels.ch[1][i] - mean[1]) +
                        axis[2] * (texels.ch[2][i] - mean[2]);
        // Unseen texels leave the extent alone (selected, not branched on).
        const bool seen = texels.weight[i] != 0;
        low = seen && t < low ? t : low;
        high = seen && t > high ? t : high;
    }
}

void AxisExtent(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high) {
#if TOVTEX_SSE2
    if (CpuHasAvx2()) {
        AxisExtentAvx2(texels, mean, axis, low, high);
    } else {
        AxisExtentSse2(texels, mean, axis, low, high);
    }
#else
    AxisExtentPlain(texels, mean, axis, low, high);
#endif
}

#if TOVTEX_SSE2
void AxisExtentSse2(const SearchTexels& texels, const float* mean, const float* axis, float& low, float& high) {
    const __m128 a0 = _mm_set1_ps(axis[0]), a1 = _mm_set1_ps(axis[1]), a2 = _mm_set1_ps(axis[2]);
    const __m128 m0 = _mm_set1_ps(mean[0]), m1 = _mm_set1_ps(mean[1]), m2 = _mm_set1_ps(mean[2]);
    __m128 lo = _mm_setzero_ps(), hi = _mm_setzero_ps();
    for (int g = 0; g < 16; g += 4) {
        const __m128 t = _mm_add_ps(_mm_add_ps(_mm_mul_ps(a0, _mm_sub_ps(_mm_loadu_ps(texels.ch[0] + g), m0)),
                                               _mm_mul_ps(a1, _mm_sub_ps(_mm_loadu_ps(texels.ch[1] + g), m1))),
                                    _mm_mul_ps(a2, _mm_sub_ps(_mm_loadu_ps(texels.ch[2] + g), m2)));
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + g));
        const __m128 seen =
            _mm_castsi128_ps(_mm_xor_si128(_mm_cmpeq_epi32(weight, _mm_setzero_si128()), _mm_set1_epi32(-1)));
        // Strictly below (above) only, as the plain form: a zero of either
        // sign never replaces the starting zero.
        const __m128 below = _mm_and_ps(seen, _mm_cmplt_ps(t, lo));
        const __m128 above = _mm_and_ps(seen, _mm_cmpgt_ps(t, hi));
        lo = _mm_or_ps(_mm_and_ps(below, t), _mm_andnot_ps(below, lo));
        hi = _mm_or_ps(_mm_and_ps(above, t), _mm_andnot_ps(above, hi));
    }
    alignas(16) float l[4], h[4];
    _mm_store_ps(l, lo);
    _mm_store_ps(h, hi);
    low = 0.0f;
    high = 0.0f;
    for (int k = 0; k < 4; ++k) {
        low = l[k] < low ? l[k] : low;
        high = h[k] > high ? h[k] : high;
    }
}
#endif

}  // namespace dxt_search
