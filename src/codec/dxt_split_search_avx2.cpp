#include "codec/dxt_split_search_avx2.h"

#if TOVTEX_SSE2
#include <immintrin.h>

#include "codec/dxt_split_best.h"

// Only the functions marked so use AVX2: the rest of the file, and every
// inline function it shares with others, stays SSE2. No FMA: each product
// is rounded before it is added, as in the plain form.
#define TOVTEX_AVX2 __attribute__((target("avx2")))

namespace dxt_search {

namespace {

// The splits of eight lanes, the first `lanes` of them real, judged and
// offered as the SSE2 form does with four.
template <bool WEIGHTED>
TOVTEX_AVX2 inline void ConsiderAvx2(SplitBest& best, const SortedSums& s, __m256 a1, __m256 aa, const __m256* ax,
                                     int lanes) {
    const __m256 total = _mm256_set1_ps(s.total);
    const __m256 ab = _mm256_sub_ps(a1, aa);
    const __m256 bb = _mm256_add_ps(_mm256_sub_ps(total, _mm256_mul_ps(_mm256_set1_ps(2.0f), a1)), aa);
    const __m256 det = _mm256_sub_ps(_mm256_mul_ps(aa, bb), _mm256_mul_ps(ab, ab));
    const int valid =
        _mm256_movemask_ps(_mm256_cmp_ps(det, _mm256_set1_ps(best.Limit()), _CMP_GT_OQ)) & ((1 << lanes) - 1);
    if (valid == 0) {
        return;
    }
    __m256 sq[3];
    for (int c = 0; c < 3; ++c) {
        const __m256 cax = WEIGHTED ? _mm256_mul_ps(_mm256_set1_ps(s.channel[c]), ax[c]) : ax[c];
        sq[c] = _mm256_mul_ps(cax, ax[c]);
    }
    const __m256 num = _mm256_add_ps(_mm256_add_ps(sq[0], sq[1]), sq[2]);
    if (best.Found()) {
        const __m256 beats = _mm256_cmp_ps(_mm256_mul_ps(num, _mm256_set1_ps(best.Det())),
                                           _mm256_mul_ps(_mm256_set1_ps(best.Num()), det), _CMP_GT_OQ);
        if ((valid & _mm256_movemask_ps(beats)) == 0) {
            return;
        }
    }
    alignas(32) float nums[8], dets[8], a1s[8], aas[8], axs[3][8];
    _mm256_store_ps(nums, num);
    _mm256_store_ps(dets, det);
    _mm256_store_ps(a1s, a1);
    _mm256_store_ps(aas, aa);
    for (int c = 0; c < 3; ++c) {
        _mm256_store_ps(axs[c], ax[c]);
    }
    for (int l = 0; l < lanes; ++l) {
        if (valid >> l & 1) {
            const float x[3] = {axs[0][l], axs[1][l], axs[2][l]};
            best.Offer(nums[l], dets[l], a1s[l], aas[l], x);
        }
    }
}

// The plain form with eight consecutive k at once: a window of up to eight
// takes one step per (i, j).
template <bool WEIGHTED>
TOVTEX_AVX2 SplitFit FourSplitAvx2(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    const __m256 third = _mm256_set1_ps(1.0f / 3.0f), ninth = _mm256_set1_ps(1.0f / 9.0f);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
            const float w01a = s.weight[i] + (2.0f / 3.0f) * (s.weight[j] - s.weight[i]);
            const float w01aa = s.weight[i] + (4.0f / 9.0f) * (s.weight[j] - s.weight[i]);
            __m256 x01[3], sumJ[3];
            for (int c = 0; c < 3; ++c) {
                x01[c] = _mm256_set1_ps(s.sum[c][i] + (2.0f / 3.0f) * (s.sum[c][j] - s.sum[c][i]));
                sumJ[c] = _mm256_set1_ps(s.sum[c][j]);
            }
            const __m256 weightJ = _mm256_set1_ps(s.weight[j]);
            for (int k = j > w.lo[2] ? j : w.lo[2]; k <= w.hi[2]; k += 8) {
                const __m256 w2 = _mm256_sub_ps(_mm256_loadu_ps(s.weight + k), weightJ);
                const __m256 a1 = _mm256_add_ps(_mm256_set1_ps(w01a), _mm256_mul_ps(third, w2));
                const __m256 aa = _mm256_add_ps(_mm256_set1_ps(w01aa), _mm256_mul_ps(ninth, w2));
                __m256 ax[3];
                for (int c = 0; c < 3; ++c) {
                    ax[c] = _mm256_add_ps(x01[c],
                                          _mm256_mul_ps(third, _mm256_sub_ps(_mm256_loadu_ps(s.sum[c] + k), sumJ[c])));
                }
                ConsiderAvx2<WEIGHTED>(best, s, a1, aa, ax, w.hi[2] - k + 1 < 8 ? w.hi[2] - k + 1 : 8);
            }
        }
    }
    return best.Result();
}

// The plain form with eight consecutive j at once.
template <bool WEIGHTED>
TOVTEX_AVX2 SplitFit ThreeSplitAvx2(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    const __m256 half = _mm256_set1_ps(0.5f), quarter = _mm256_set1_ps(0.25f);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const __m256 weightI = _mm256_set1_ps(s.weight[i]);
        __m256 sumI[3];
        for (int c = 0; c < 3; ++c) {
            sumI[c] = _mm256_set1_ps(s.sum[c][i]);
        }
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; j += 8) {
            const __m256 w1 = _mm256_sub_ps(_mm256_loadu_ps(s.weight + j), weightI);
            const __m256 a1 = _mm256_add_ps(weightI, _mm256_mul_ps(half, w1));
            const __m256 aa = _mm256_add_ps(weightI, _mm256_mul_ps(quarter, w1));
            __m256 ax[3];
            for (int c = 0; c < 3; ++c) {
                ax[c] =
                    _mm256_add_ps(sumI[c], _mm256_mul_ps(half, _mm256_sub_ps(_mm256_loadu_ps(s.sum[c] + j), sumI[c])));
            }
            ConsiderAvx2<WEIGHTED>(best, s, a1, aa, ax, w.hi[1] - j + 1 < 8 ? w.hi[1] - j + 1 : 8);
        }
    }
    return best.Result();
}

bool Unweighted(const SortedSums& s) {
    return s.channel[0] == 1.0f && s.channel[1] == 1.0f && s.channel[2] == 1.0f;
}

}  // namespace

bool SplitSearchAvx2Runs() {
    return __builtin_cpu_supports("avx2");
}

SplitFit BestFourSplitAvx2(const SortedSums& s, const SplitWindow& w) {
    return Unweighted(s) ? FourSplitAvx2<false>(s, w) : FourSplitAvx2<true>(s, w);
}

SplitFit BestThreeSplitAvx2(const SortedSums& s, const SplitWindow& w) {
    return Unweighted(s) ? ThreeSplitAvx2<false>(s, w) : ThreeSplitAvx2<true>(s, w);
}

}  // namespace dxt_search

#endif
