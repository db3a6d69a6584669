#include "codec/dxt_key_order.h"

#if TOVTEX_SSE2
#include <immintrin.h>

namespace dxt_search {

int OrderByKeyAvx2(const float* key, const std::uint32_t* weight, int* order) {
    const __m256 keys[2] = {_mm256_loadu_ps(key), _mm256_loadu_ps(key + 8)};
    const __m256i zero = _mm256_setzero_si256();
    int seen = 0;
    for (int h = 0; h < 2; ++h) {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weight + 8 * h));
        seen |= (~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(w, zero))) & 255) << (8 * h);
    }
    const int unordered = _mm256_movemask_ps(_mm256_cmp_ps(keys[0], keys[0], _CMP_UNORD_Q)) |
                          _mm256_movemask_ps(_mm256_cmp_ps(keys[1], keys[1], _CMP_UNORD_Q));
    if (unordered != 0) {
        _mm256_zeroupper();
        return OrderByKeyPlain(key, weight, order);
    }
    // Every texel's place at once: each texel of weight counts in the place
    // of the texels whose key is higher, or equal and later.
    const __m256i lane[2] = {_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15)};
    __m256i place[2] = {zero, zero};
    for (int j = 0; j < 16; ++j) {
        if (!(seen >> j & 1)) {
            continue;
        }
        const __m256 t = _mm256_set1_ps(key[j]);
        const __m256i at = _mm256_set1_epi32(j);
        for (int h = 0; h < 2; ++h) {
            const __m256 lower = _mm256_cmp_ps(t, keys[h], _CMP_LT_OQ);
            const __m256 equal = _mm256_and_ps(_mm256_cmp_ps(t, keys[h], _CMP_EQ_OQ),
                                               _mm256_castsi256_ps(_mm256_cmpgt_epi32(lane[h], at)));
            place[h] = _mm256_sub_epi32(place[h], _mm256_castps_si256(_mm256_or_ps(lower, equal)));
        }
    }
    alignas(32) int at[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), place[0]);
    _mm256_store_si256(reinterpret_cast<__m256i*>(at + 8), place[1]);
    // The compiler leaves the upper halves of the registers dirty here; the
    // SSE2 code after it would pay for every instruction until cleared.
    _mm256_zeroupper();
    int n = 0;
    for (int i = 0; i < 16; ++i) {
        if (seen >> i & 1) {
            order[at[i]] = i;
            ++n;
        }
    }
    return n;
}

}  // namespace dxt_search
#endif
