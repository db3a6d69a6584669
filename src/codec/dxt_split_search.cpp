#include "codec/dxt_split_search.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

#include "codec/dxt_split_best.h"
#include "codec/dxt_split_search_avx2.h"

namespace dxt_search {

void SortAlongAxis(const SearchTexels& texels, const float* axis, SortedSums& out) {
    int order[16];
    float key[16];
    int n = 0;
    // The sums are exact integers (below 2^24): the mean is the same
    // whatever the order.
    float total = 0.0f, sum[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        if (texels.weight[i] == 0) {
            continue;
        }
        const float w = static_cast<float>(texels.weight[i]);
        total += w;
        for (int c = 0; c < 3; ++c) {
            sum[c] += w * texels.ch[c][i];
        }
        const float t = axis[0] * texels.ch[0][i] + axis[1] * texels.ch[1][i] + axis[2] * texels.ch[2][i];
        int at = n++;
        while (at > 0 && key[at - 1] > t) {
            key[at] = key[at - 1];
            order[at] = order[at - 1];
            --at;
        }
        key[at] = t;
        order[at] = i;
    }
    out.total = total;
    out.squares = 0.0f;
    for (int c = 0; c < 3; ++c) {
        out.mean[c] = sum[c] / total;
        out.channel[c] = static_cast<float>(texels.channel[c]);
    }
    for (int k = 0; k < 24; ++k) {
        out.weight[k] = 0.0f;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k] = 0.0f;
        }
    }
    // Texels of one colour share a key and stand side by side: they become
    // one entry of their summed weight. A split between equal colours never
    // fits better than keeping them together, and every texel fewer cuts
    // the splits to search by a sixth or more.
    int m = 0;
    for (int k = 0; k < n; ++k) {
        const int i = order[k];
        const int prev = k > 0 ? order[k - 1] : i;
        const bool same = k > 0 && texels.ch[0][i] == texels.ch[0][prev] && texels.ch[1][i] == texels.ch[1][prev] &&
                          texels.ch[2][i] == texels.ch[2][prev];
        const float w = static_cast<float>(texels.weight[i]);
        const int at = same ? m : ++m;
        out.texel[at] = i;
        out.weight[at] = out.weight[at - 1 + (same ? 1 : 0)] + w;
        float t = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float d = texels.ch[c][i] - out.mean[c];
            out.sum[c][at] = out.sum[c][at - 1 + (same ? 1 : 0)] + w * d;
            t += out.channel[c] * d * d;
        }
        out.squares += w * t;
    }
    out.count = m;
    for (int k = m + 1; k < 24; ++k) {
        out.texel[k] = 0;
    }
}

namespace {

SplitFit BestFourSplitPlain(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
            // Sums of the first two clusters, then the third grows with k.
            const float w01a = s.weight[i] + (2.0f / 3.0f) * (s.weight[j] - s.weight[i]);
            const float w01aa = s.weight[i] + (4.0f / 9.0f) * (s.weight[j] - s.weight[i]);
            float x01[3];
            for (int c = 0; c < 3; ++c) {
                x01[c] = s.sum[c][i] + (2.0f / 3.0f) * (s.sum[c][j] - s.sum[c][i]);
            }
            for (int k = j > w.lo[2] ? j : w.lo[2]; k <= w.hi[2]; ++k) {
                const float w2 = s.weight[k] - s.weight[j];
                const float a1 = w01a + (1.0f / 3.0f) * w2;
                const float aa = w01aa + (1.0f / 9.0f) * w2;
                const float det = SplitDet(s.total, a1, aa);
                if (!(det > best.Limit())) {
                    continue;
                }
                float ax[3];
                for (int c = 0; c < 3; ++c) {
                    ax[c] = x01[c] + (1.0f / 3.0f) * (s.sum[c][k] - s.sum[c][j]);
                }
                best.Offer(SplitNum(s.channel, ax), det, a1, aa, ax);
            }
        }
    }
    return best.Result();
}

SplitFit BestThreeSplitPlain(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
            const float w1 = s.weight[j] - s.weight[i];
            const float a1 = s.weight[i] + 0.5f * w1;
            const float aa = s.weight[i] + 0.25f * w1;
            const float det = SplitDet(s.total, a1, aa);
            if (!(det > best.Limit())) {
                continue;
            }
            float ax[3];
            for (int c = 0; c < 3; ++c) {
                ax[c] = s.sum[c][i] + 0.5f * (s.sum[c][j] - s.sum[c][i]);
            }
            best.Offer(SplitNum(s.channel, ax), det, a1, aa, ax);
        }
    }
    return best.Result();
}

#if TOVTEX_SSE2
// The splits of four lanes, the first `lanes` of them real: judged against
// the best so far four at once by the comparison Offer makes; only a group
// with a winner goes lane by lane, in order, so the plain form's sequence of
// offers is kept exactly.
template <bool WEIGHTED>
void ConsiderSse2(SplitBest& best, const SortedSums& s, __m128 a1, __m128 aa, const __m128* ax, int lanes) {
    const __m128 total = _mm_set1_ps(s.total);
    const __m128 ab = _mm_sub_ps(a1, aa);
    const __m128 bb = _mm_add_ps(_mm_sub_ps(total, _mm_mul_ps(_mm_set1_ps(2.0f), a1)), aa);
    const __m128 det = _mm_sub_ps(_mm_mul_ps(aa, bb), _mm_mul_ps(ab, ab));
    const int valid = _mm_movemask_ps(_mm_cmpgt_ps(det, _mm_set1_ps(best.Limit()))) & ((1 << lanes) - 1);
    if (valid == 0) {
        return;
    }
    __m128 sq[3];
    for (int c = 0; c < 3; ++c) {
        const __m128 cax = WEIGHTED ? _mm_mul_ps(_mm_set1_ps(s.channel[c]), ax[c]) : ax[c];
        sq[c] = _mm_mul_ps(cax, ax[c]);
    }
    const __m128 num = _mm_add_ps(_mm_add_ps(sq[0], sq[1]), sq[2]);
    if (best.Found()) {
        const __m128 beats =
            _mm_cmpgt_ps(_mm_mul_ps(num, _mm_set1_ps(best.Det())), _mm_mul_ps(_mm_set1_ps(best.Num()), det));
        if ((valid & _mm_movemask_ps(beats)) == 0) {
            return;
        }
    }
    alignas(16) float nums[4], dets[4], a1s[4], aas[4], axs[3][4];
    _mm_store_ps(nums, num);
    _mm_store_ps(dets, det);
    _mm_store_ps(a1s, a1);
    _mm_store_ps(aas, aa);
    for (int c = 0; c < 3; ++c) {
        _mm_store_ps(axs[c], ax[c]);
    }
    for (int l = 0; l < lanes; ++l) {
        if (valid >> l & 1) {
            const float x[3] = {axs[0][l], axs[1][l], axs[2][l]};
            best.Offer(nums[l], dets[l], a1s[l], aas[l], x);
        }
    }
}

// The plain form with four consecutive k at once.
template <bool WEIGHTED>
SplitFit BestFourSplitSse2(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    const __m128 third = _mm_set1_ps(1.0f / 3.0f), ninth = _mm_set1_ps(1.0f / 9.0f);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
            const float w01a = s.weight[i] + (2.0f / 3.0f) * (s.weight[j] - s.weight[i]);
            const float w01aa = s.weight[i] + (4.0f / 9.0f) * (s.weight[j] - s.weight[i]);
            __m128 x01[3], sumJ[3];
            for (int c = 0; c < 3; ++c) {
                x01[c] = _mm_set1_ps(s.sum[c][i] + (2.0f / 3.0f) * (s.sum[c][j] - s.sum[c][i]));
                sumJ[c] = _mm_set1_ps(s.sum[c][j]);
            }
            const __m128 weightJ = _mm_set1_ps(s.weight[j]);
            for (int k = j > w.lo[2] ? j : w.lo[2]; k <= w.hi[2]; k += 4) {
                const __m128 w2 = _mm_sub_ps(_mm_loadu_ps(s.weight + k), weightJ);
                const __m128 a1 = _mm_add_ps(_mm_set1_ps(w01a), _mm_mul_ps(third, w2));
                const __m128 aa = _mm_add_ps(_mm_set1_ps(w01aa), _mm_mul_ps(ninth, w2));
                __m128 ax[3];
                for (int c = 0; c < 3; ++c) {
                    ax[c] = _mm_add_ps(x01[c], _mm_mul_ps(third, _mm_sub_ps(_mm_loadu_ps(s.sum[c] + k), sumJ[c])));
                }
                ConsiderSse2<WEIGHTED>(best, s, a1, aa, ax, w.hi[2] - k + 1 < 4 ? w.hi[2] - k + 1 : 4);
            }
        }
    }
    return best.Result();
}

// The plain form with four consecutive j at once.
template <bool WEIGHTED>
SplitFit BestThreeSplitSse2(const SortedSums& s, const SplitWindow& w) {
    SplitBest best(s);
    const __m128 half = _mm_set1_ps(0.5f), quarter = _mm_set1_ps(0.25f);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const __m128 weightI = _mm_set1_ps(s.weight[i]);
        __m128 sumI[3];
        for (int c = 0; c < 3; ++c) {
            sumI[c] = _mm_set1_ps(s.sum[c][i]);
        }
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; j += 4) {
            const __m128 w1 = _mm_sub_ps(_mm_loadu_ps(s.weight + j), weightI);
            const __m128 a1 = _mm_add_ps(weightI, _mm_mul_ps(half, w1));
            const __m128 aa = _mm_add_ps(weightI, _mm_mul_ps(quarter, w1));
            __m128 ax[3];
            for (int c = 0; c < 3; ++c) {
                ax[c] = _mm_add_ps(sumI[c], _mm_mul_ps(half, _mm_sub_ps(_mm_loadu_ps(s.sum[c] + j), sumI[c])));
            }
            ConsiderSse2<WEIGHTED>(best, s, a1, aa, ax, w.hi[1] - j + 1 < 4 ? w.hi[1] - j + 1 : 4);
        }
    }
    return best.Result();
}

bool Unweighted(const SortedSums& s) {
    return s.channel[0] == 1.0f && s.channel[1] == 1.0f && s.channel[2] == 1.0f;
}
#endif

}  // namespace

bool SplitFormRuns(SplitForm form) {
    switch (form) {
    case SplitForm::PLAIN: return true;
#if TOVTEX_SSE2
    case SplitForm::SSE2: return true;
    case SplitForm::AVX2: return SplitSearchAvx2Runs();
#endif
    default: return false;
    }
}

SplitForm WidestSplitForm() {
#if TOVTEX_SSE2
    static const SplitForm widest = SplitSearchAvx2Runs() ? SplitForm::AVX2 : SplitForm::SSE2;
    return widest;
#else
    return SplitForm::PLAIN;
#endif
}

SplitFit BestFourSplit(const SortedSums& s, const SplitWindow& w, SplitForm form) {
#if TOVTEX_SSE2
    if (form == SplitForm::AVX2) {
        return BestFourSplitAvx2(s, w);
    }
    if (form == SplitForm::SSE2) {
        return Unweighted(s) ? BestFourSplitSse2<false>(s, w) : BestFourSplitSse2<true>(s, w);
    }
#endif
    (void)form;
    return BestFourSplitPlain(s, w);
}

SplitFit BestThreeSplit(const SortedSums& s, const SplitWindow& w, SplitForm form) {
#if TOVTEX_SSE2
    if (form == SplitForm::AVX2) {
        return BestThreeSplitAvx2(s, w);
    }
    if (form == SplitForm::SSE2) {
        return Unweighted(s) ? BestThreeSplitSse2<false>(s, w) : BestThreeSplitSse2<true>(s, w);
    }
#endif
    (void)form;
    return BestThreeSplitPlain(s, w);
}

}  // namespace dxt_search
