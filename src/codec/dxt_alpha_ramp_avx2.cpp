// Compiled with -mavx2. Only intrinsics and this file's own functions are
// used here: an inline function of a shared header compiled in this file
// could be the copy the linker keeps for every caller.

#include "codec/dxt_alpha_ramp_avx2.h"

#if TOVTEX_SSE2
#include <immintrin.h>

namespace dxt_search {

void AlphaRampErrorPairAvx2(__m128i alpha, __m128i inside, unsigned a0, unsigned a1, unsigned b0, unsigned b1,
                            std::uint32_t* errors) {
    const __m256i x = _mm256_setr_m128i(_mm_set1_epi16(static_cast<short>(a0)), _mm_set1_epi16(static_cast<short>(b0)));
    const __m256i y = _mm256_setr_m128i(_mm_set1_epi16(static_cast<short>(a1)), _mm_set1_epi16(static_cast<short>(b1)));
    // Both modes' ramps by the decoder's arithmetic (the divisions by 7 and
    // 5 as high multiplies, exact below 2^11), each half then keeping its own.
    const __m256i eight = _mm256_mulhi_epu16(
        _mm256_add_epi16(_mm256_mullo_epi16(x, _mm256_setr_epi16(7, 0, 6, 5, 4, 3, 2, 1, 7, 0, 6, 5, 4, 3, 2, 1)),
                         _mm256_mullo_epi16(y, _mm256_setr_epi16(0, 7, 1, 2, 3, 4, 5, 6, 0, 7, 1, 2, 3, 4, 5, 6))),
        _mm256_set1_epi16(9363));
    const __m256i six = _mm256_or_si256(
        _mm256_mulhi_epu16(
            _mm256_add_epi16(_mm256_mullo_epi16(x, _mm256_setr_epi16(5, 0, 4, 3, 2, 1, 0, 0, 5, 0, 4, 3, 2, 1, 0, 0)),
                             _mm256_mullo_epi16(y, _mm256_setr_epi16(0, 5, 1, 2, 3, 4, 0, 0, 0, 5, 1, 2, 3, 4, 0, 0))),
            _mm256_set1_epi16(13108)),
        _mm256_setr_epi16(0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255));
    const __m256i eightMode =
        _mm256_setr_m128i(_mm_set1_epi16(a0 > a1 ? -1 : 0), _mm_set1_epi16(b0 > b1 ? -1 : 0));
    const __m256i ramp = _mm256_blendv_epi8(six, eight, eightMode);
    // Entries as bytes 0 to 7 of each half, then each spread over its half.
    const __m256i entries = _mm256_packus_epi16(ramp, ramp);
    const __m256i a = _mm256_broadcastsi128_si256(alpha);
    __m256i nearest = _mm256_set1_epi8(-1);
    for (int k = 0; k < 8; ++k) {
        const __m256i r = _mm256_shuffle_epi8(entries, _mm256_set1_epi8(static_cast<char>(k)));
        const __m256i d = _mm256_or_si256(_mm256_subs_epu8(a, r), _mm256_subs_epu8(r, a));
        nearest = _mm256_min_epu8(nearest, d);
    }
    nearest = _mm256_and_si256(nearest, _mm256_broadcastsi128_si256(inside));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_unpacklo_epi8(nearest, zero), high = _mm256_unpackhi_epi8(nearest, zero);
    __m256i sum = _mm256_add_epi32(_mm256_madd_epi16(low, low), _mm256_madd_epi16(high, high));
    sum = _mm256_add_epi32(sum, _mm256_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm256_add_epi32(sum, _mm256_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    errors[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(sum)));
    errors[1] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_extracti128_si256(sum, 1)));
}

}  // namespace dxt_search
#endif
