#include "codec/dxt_level_pairs.h"

#if TOVTEX_SSE2
#include <immintrin.h>

// Compiled for AVX2: it calls none of the header's inline functions, so no
// AVX2 copy of them can stand in for the SSE2 callers' own.

namespace dxt_search {

namespace {

// W v^2 - 2 S v in 64-bit lanes: v, v^2, W and S all fit in 32 bits.
inline __m256i LaneCost(__m256i weight, __m256i sum, __m256i v) {
    const __m256i square = _mm256_mul_epu32(v, v);
    const __m256i sv = _mm256_mul_epi32(sum, v);
    return _mm256_sub_epi64(_mm256_mul_epi32(weight, square), _mm256_add_epi64(sv, sv));
}

// n / 3 for 0 <= n < 2^16, as the plain form's division.
inline __m256i Third(__m256i n) {
    return _mm256_srli_epi64(_mm256_mul_epu32(n, _mm256_set1_epi64x(43691)), 17);
}

}  // namespace

std::int64_t LeastLevelPairKeyAvx2(const LevelPairs& in) {
    const __m256i w2 = _mm256_set1_epi64x(in.weight[0]), s2 = _mm256_set1_epi64x(in.sum[0]);
    const __m256i w3 = _mm256_set1_epi64x(in.weight[1]), s3 = _mm256_set1_epi64x(in.sum[1]);
    const __m256i one = _mm256_set1_epi64x(1);
    const __m256i laneStep = _mm256_set_epi64x(3, 2, 1, 0);
    const __m256i none = _mm256_set1_epi64x(INT64_MAX);
    const __m256i qCount = _mm256_set1_epi64x(in.count[1]);
    __m256i best = none;
    for (int i = 0; i < in.count[0]; ++i) {
        const __m256i x = _mm256_set1_epi64x(in.value[0][i]);
        const __m256i xCost = _mm256_set1_epi64x(in.cost[0][i]);
        const __m256i x2 = _mm256_add_epi64(x, x);
        for (int j = 0; j < in.count[1]; j += 4) {
            const __m256i y = _mm256_cvtepi32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in.value[1] + j)));
            __m256i cost =
                _mm256_add_epi64(xCost, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in.cost[1] + j)));
            if (in.four) {
                const __m256i m2 = Third(_mm256_add_epi64(_mm256_add_epi64(x2, y), one));
                const __m256i m3 = Third(_mm256_add_epi64(_mm256_add_epi64(x, _mm256_add_epi64(y, y)), one));
                cost = _mm256_add_epi64(cost, _mm256_add_epi64(LaneCost(w2, s2, m2), LaneCost(w3, s3, m3)));
            } else {
                cost = _mm256_add_epi64(cost, LaneCost(w2, s2, _mm256_srli_epi64(_mm256_add_epi64(x, y), 1)));
            }
            const __m256i column = _mm256_add_epi64(_mm256_set1_epi64x(j), laneStep);
            const __m256i place = _mm256_add_epi64(_mm256_set1_epi64x(i * 64), column);
            __m256i key = _mm256_add_epi64(_mm256_slli_epi64(cost, 12), place);
            key = _mm256_blendv_epi8(none, key, _mm256_cmpgt_epi64(qCount, column));
            best = _mm256_blendv_epi8(best, key, _mm256_cmpgt_epi64(best, key));
        }
    }
    alignas(32) std::int64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), best);
    // The compiler leaves the upper halves of the registers dirty here; the
    // SSE2 code after it would pay for every instruction until cleared.
    _mm256_zeroupper();
    std::int64_t least = lanes[0];
    for (int l = 1; l < 4; ++l) {
        least = lanes[l] < least ? lanes[l] : least;
    }
    return least;
}

}  // namespace dxt_search
#endif
