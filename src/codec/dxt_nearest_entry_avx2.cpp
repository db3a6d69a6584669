// Compiled with -mavx2 and -mfma. Every key is an integer plus k^2 / 16 below
// 2^20 and every product an integer below 2^18: all exact in single
// precision, so a fused product and sum gives the very value the SSE2 form's
// product then sum gives. Only intrinsics and this file's
// own functions are used here: an inline function of a shared header
// compiled in this file could be the copy the linker keeps for every caller.

#include "codec/dxt_nearest_entry_avx2.h"

#if TOVTEX_SSE2
#include <immintrin.h>

namespace dxt_search {

namespace {

// Bit i of x to bit 2i.
std::uint32_t SpreadBits(std::uint32_t x) {
    x = (x | x << 8) & 0x00FF00FFu;
    x = (x | x << 4) & 0x0F0F0F0Fu;
    x = (x | x << 2) & 0x33333333u;
    return (x | x << 1) & 0x55555555u;
}

// Entry K's keys for the sixteen texels (t: channel, then half), kept where
// smaller (K 0: taken); the entry's channels come from lane K of each.
template <int K>
void KeepEntryKeys(const __m256 (*t)[2], __m256 red, __m256 green, __m256 blue, __m256 offset, __m256* best) {
    const __m256i lane = _mm256_set1_epi32(K);
    const __m256 r = _mm256_permutevar8x32_ps(red, lane), g = _mm256_permutevar8x32_ps(green, lane);
    const __m256 b = _mm256_permutevar8x32_ps(blue, lane), o = _mm256_permutevar8x32_ps(offset, lane);
    for (int h = 0; h < 2; ++h) {
        const __m256 key = _mm256_fmadd_ps(t[2][h], b, _mm256_fmadd_ps(t[1][h], g, _mm256_fmadd_ps(t[0][h], r, o)));
        best[h] = K == 0 ? key : _mm256_min_ps(key, best[h]);
    }
}

}  // namespace

void NearestKeysAvx2(const SearchTexels& texels, __m128 red, __m128 green, __m128 blue, __m128 offset,
                     std::uint32_t& indices, std::uint64_t& error) {
    const __m128 minusTwo = _mm_set1_ps(-2.0f);
    const __m256 r = _mm256_castps128_ps256(_mm_mul_ps(red, minusTwo));
    const __m256 g = _mm256_castps128_ps256(_mm_mul_ps(green, minusTwo));
    const __m256 b = _mm256_castps128_ps256(_mm_mul_ps(blue, minusTwo));
    const __m256 o = _mm256_castps128_ps256(offset);
    __m256 t[3][2];
    for (int c = 0; c < 3; ++c) {
        t[c][0] = _mm256_loadu_ps(texels.ch[c]);
        t[c][1] = _mm256_loadu_ps(texels.ch[c] + 8);
    }
    __m256 best[2];
    KeepEntryKeys<0>(t, r, g, b, o, best);
    KeepEntryKeys<1>(t, r, g, b, o, best);
    KeepEntryKeys<2>(t, r, g, b, o, best);
    KeepEntryKeys<3>(t, r, g, b, o, best);
    const __m256 sixteen = _mm256_set1_ps(16.0f);
    // A distance is below 2^18 and a weight at most 255: each product and
    // the sum of sixteen fit 32 bits.
    __m256i sum = _mm256_setzero_si256();
    std::uint32_t low = 0, high = 0;
    for (int h = 0; h < 2; ++h) {
        const __m256 length =
            _mm256_fmadd_ps(t[2][h], t[2][h], _mm256_fmadd_ps(t[1][h], t[1][h], _mm256_mul_ps(t[0][h], t[0][h])));
        // The distance plus k^2 / 16, scaled to an integer below 2^20.
        const __m256i keys = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_add_ps(best[h], length), sixteen));
        const __m256i dist = _mm256_srli_epi32(keys, 4);
        const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(texels.weight + 8 * h));
        sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(dist, weight));
        // k^2 (0, 1, 4, 9) in the low four bits: bit 0 is k's low bit, bit 2
        // or bit 3 its high bit.
        const auto bit = [&](int b) {
            return static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_slli_epi32(keys, 31 - b))));
        };
        low |= bit(0) << (8 * h);
        high |= (bit(2) | bit(3)) << (8 * h);
    }
    const std::uint32_t transparent = texels.transparent;
    indices = SpreadBits(low | transparent) | SpreadBits(high | transparent) << 1;
    __m128i total = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
    total = _mm_add_epi32(total, _mm_shuffle_epi32(total, 0x4E));
    total = _mm_add_epi32(total, _mm_shuffle_epi32(total, 0xB1));
    error = static_cast<std::uint32_t>(_mm_cvtsi128_si32(total));
}

}  // namespace dxt_search
#endif
