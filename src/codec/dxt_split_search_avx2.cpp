#include "codec/dxt_split_kernels.h"

#if TOVTEX_SSE2
#include <immintrin.h>

// Only the functions marked so use AVX2: the rest of the file stays SSE2,
// and no AVX2 code is inlined into a caller that may run without it; each
// search clears the registers' upper halves before it returns. No FMA: each
// product is rounded before it is added, as in the plain form.
#define TOVTEX_AVX2 __attribute__((target("avx2")))

namespace dxt_search {

namespace {

// The SSE2 form's per-lane picks with eight lanes.
struct LanePicksAvx2 {
    __m256 merit;
    __m256i place;
};

TOVTEX_AVX2 inline void Keep(LanePicksAvx2& picks, __m256 m, __m256i p) {
    const __m256 more = _mm256_cmp_ps(m, picks.merit, _CMP_GT_OQ);
    picks.merit = _mm256_blendv_ps(picks.merit, m, more);
    picks.place = _mm256_blendv_epi8(picks.place, p, _mm256_castps_si256(more));
}

TOVTEX_AVX2 SplitPick Pick(const LanePicksAvx2& picks) {
    alignas(32) float m[8];
    alignas(32) int p[8];
    _mm256_store_ps(m, picks.merit);
    _mm256_store_si256(reinterpret_cast<__m256i*>(p), picks.place);
    // The compiler leaves the upper halves of the registers dirty here;
    // SSE2 code run after it (ours, or a caller's) would pay for every
    // instruction until they are cleared.
    _mm256_zeroupper();
    SplitPick best{m[0], p[0]};
    for (int l = 1; l < 8; ++l) {
        if (m[l] > best.merit || (m[l] == best.merit && p[l] < best.place)) {
            best = {m[l], p[l]};
        }
    }
    return best;
}

template <bool WEIGHTED>
TOVTEX_AVX2 inline __m256 Merits(const __m256* x, __m256 det, __m256 limit, const float* channel, int lanes) {
    __m256 sq[3];
    for (int c = 0; c < 3; ++c) {
        const __m256 cx = WEIGHTED ? _mm256_mul_ps(_mm256_set1_ps(channel[c]), x[c]) : x[c];
        sq[c] = _mm256_mul_ps(cx, x[c]);
    }
    const __m256 merit = _mm256_div_ps(_mm256_add_ps(_mm256_add_ps(sq[0], sq[1]), sq[2]), det);
    static const int LANE[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0};
    const __m256 real = _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(LANE + 8 - lanes)));
    const __m256 valid = _mm256_and_ps(_mm256_cmp_ps(det, limit, _CMP_GT_OQ), real);
    return _mm256_blendv_ps(_mm256_set1_ps(-1.0f), merit, valid);
}

template <bool WEIGHTED>
TOVTEX_AVX2 SplitPick FourSplitPick(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs) {
    LanePicksAvx2 picks{_mm256_set1_ps(-1.0f), _mm256_setzero_si256()};
    const __m256 total9 = _mm256_set1_ps(9.0f * s.total), limit = _mm256_set1_ps(FOUR_LIMIT * s.total);
    const __m256 three = _mm256_set1_ps(3.0f), six = _mm256_set1_ps(6.0f);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i];
        const __m256 vwi = _mm256_set1_ps(wi), w5i = _mm256_set1_ps(5.0f * wi);
        __m256 si[3];
        for (int c = 0; c < 3; ++c) {
            si[c] = _mm256_set1_ps(s.sum[c][i]);
        }
        for (int p = pairs.first[i]; p < pairs.count; p += 8) {
            const __m256 a = _mm256_add_ps(_mm256_loadu_ps(pairs.a + p), vwi);
            const __m256 b = _mm256_add_ps(_mm256_loadu_ps(pairs.b + p), w5i);
            const __m256 bb = _mm256_add_ps(_mm256_sub_ps(total9, _mm256_mul_ps(six, a)), b);
            const __m256 ab = _mm256_sub_ps(_mm256_mul_ps(three, a), b);
            const __m256 det = _mm256_sub_ps(_mm256_mul_ps(b, bb), _mm256_mul_ps(ab, ab));
            __m256 x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = _mm256_add_ps(_mm256_loadu_ps(pairs.x[c] + p), si[c]);
            }
            const int lanes = pairs.count - p < 8 ? pairs.count - p : 8;
            Keep(picks, Merits<WEIGHTED>(x, det, limit, s.channel, lanes),
                 _mm256_add_epi32(_mm256_set1_epi32(i * PLACE_STRIDE + p), steps));
        }
    }
    return Pick(picks);
}

template <bool WEIGHTED>
TOVTEX_AVX2 SplitPick ThreeSplitPick(const SortedSums& s, const SplitWindow& w) {
    LanePicksAvx2 picks{_mm256_set1_ps(-1.0f), _mm256_setzero_si256()};
    const __m256 total4 = _mm256_set1_ps(4.0f * s.total), limit = _mm256_set1_ps(THREE_LIMIT * s.total);
    const __m256 two = _mm256_set1_ps(2.0f), four = _mm256_set1_ps(4.0f);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i];
        const __m256 vwi = _mm256_set1_ps(wi), w3i = _mm256_set1_ps(3.0f * wi);
        __m256 si[3];
        for (int c = 0; c < 3; ++c) {
            si[c] = _mm256_set1_ps(s.sum[c][i]);
        }
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; j += 8) {
            const __m256 wj = _mm256_loadu_ps(s.weight + j);
            const __m256 a = _mm256_add_ps(wj, vwi), b = _mm256_add_ps(wj, w3i);
            const __m256 bb = _mm256_add_ps(_mm256_sub_ps(total4, _mm256_mul_ps(four, a)), b);
            const __m256 ab = _mm256_sub_ps(_mm256_mul_ps(two, a), b);
            const __m256 det = _mm256_sub_ps(_mm256_mul_ps(b, bb), _mm256_mul_ps(ab, ab));
            __m256 x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = _mm256_add_ps(_mm256_loadu_ps(s.sum[c] + j), si[c]);
            }
            const int lanes = w.hi[1] - j + 1 < 8 ? w.hi[1] - j + 1 : 8;
            Keep(picks, Merits<WEIGHTED>(x, det, limit, s.channel, lanes),
                 _mm256_add_epi32(_mm256_set1_epi32(i * PLACE_STRIDE + j), steps));
        }
    }
    return Pick(picks);
}

bool Unweighted(const SortedSums& s) {
    return s.channel[0] == 1.0f && s.channel[1] == 1.0f && s.channel[2] == 1.0f;
}

}  // namespace

SplitPick FourSplitPickAvx2(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs) {
    return Unweighted(s) ? FourSplitPick<false>(s, w, pairs) : FourSplitPick<true>(s, w, pairs);
}

SplitPick ThreeSplitPickAvx2(const SortedSums& s, const SplitWindow& w) {
    return Unweighted(s) ? ThreeSplitPick<false>(s, w) : ThreeSplitPick<true>(s, w);
}

}  // namespace dxt_search

#endif
