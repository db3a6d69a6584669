// Compiled with -mavx2 (no FMA). Only intrinsics and this file's own code
// are used here: an inline function of a shared header compiled in this
// file could be the copy the linker keeps for every caller.

#include "codec/dxt_color_moments_avx2.h"

#if TOVTEX_SSE2
#include <immintrin.h>

namespace dxt_search {

namespace {

// The totals of four vectors of 32-bit lanes, one per lane.
__m128i LaneTotals(__m128i a, __m128i b, __m128i c, __m128i d) {
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(a, b), _mm_unpackhi_epi32(a, b));
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(c, d), _mm_unpackhi_epi32(c, d));
    return _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd));
}

__m128i Halves(__m256i v) {
    return _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

}  // namespace

void ColorSumsAvx2(const SearchTexels& texels, ColorSums& out) {
    // total, red, green, blue, then rr, rg, rb, gg, gb, bb
    __m256i acc[10];
    for (__m256i& v : acc) {
        v = _mm256_setzero_si256();
    }
    for (int g = 0; g < 16; g += 8) {
        const __m256i wi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(texels.weight + g));
        const __m256 w = _mm256_cvtepi32_ps(wi);
        const __m256 r = _mm256_loadu_ps(texels.ch[0] + g), gr = _mm256_loadu_ps(texels.ch[1] + g),
                     b = _mm256_loadu_ps(texels.ch[2] + g);
        const __m256 wr = _mm256_mul_ps(w, r), wg = _mm256_mul_ps(w, gr), wb = _mm256_mul_ps(w, b);
        const __m256 terms[9] = {wr,
                                 wg,
                                 wb,
                                 _mm256_mul_ps(wr, r),
                                 _mm256_mul_ps(wr, gr),
                                 _mm256_mul_ps(wr, b),
                                 _mm256_mul_ps(wg, gr),
                                 _mm256_mul_ps(wg, b),
                                 _mm256_mul_ps(wb, b)};
        acc[0] = _mm256_add_epi32(acc[0], wi);
        for (int k = 0; k < 9; ++k) {
            acc[1 + k] = _mm256_add_epi32(acc[1 + k], _mm256_cvttps_epi32(terms[k]));
        }
    }
    alignas(16) std::int32_t totals[12];
    _mm_store_si128(reinterpret_cast<__m128i*>(totals),
                    LaneTotals(Halves(acc[0]), Halves(acc[1]), Halves(acc[2]), Halves(acc[3])));
    _mm_store_si128(reinterpret_cast<__m128i*>(totals + 4),
                    LaneTotals(Halves(acc[4]), Halves(acc[5]), Halves(acc[6]), Halves(acc[7])));
    const __m128i zero = _mm_setzero_si128();
    _mm_store_si128(reinterpret_cast<__m128i*>(totals + 8), LaneTotals(Halves(acc[8]), Halves(acc[9]), zero, zero));
    out.total = totals[0];
    for (int c = 0; c < 3; ++c) {
        out.sum[c] = totals[1 + c];
    }
    for (int k = 0; k < 6; ++k) {
        out.square[k] = totals[4 + k];
    }
}

}  // namespace dxt_search
#endif
