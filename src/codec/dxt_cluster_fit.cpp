#include "codec/dxt_cluster_fit.h"

#include <cmath>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_single_color.h"

namespace dxt_search {

namespace {

// Running sums over the texels in their order along the axis: entry k
// covers the first k texels.
// Entries past count (up to 19) are zero, so that four of them can be read
// at once from any k up to count.
struct SortedSums {
    int count;
    float weight[20];
    float sum[3][20];
};

void SortAlongAxis(const SearchTexels& texels, const float* axis, SortedSums& out) {
    int order[16];
    float key[16];
    int n = 0;
    for (int i = 0; i < 16; ++i) {
        if (texels.weight[i] == 0) {
            continue;
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
    for (int k = 0; k < 20; ++k) {
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
        out.weight[at] = out.weight[at - 1 + (same ? 1 : 0)] + w;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][at] = out.sum[c][at - 1 + (same ? 1 : 0)] + w * texels.ch[c][i];
        }
    }
    out.count = m;
}

// The search over the splits of one mode. A split is known by the sums of
// w alpha, w alpha^2 and w alpha x over the texels (alpha: c0's share);
// its least-squares fit lowers the error by num / det, which is compared
// across splits without a division, and only the winner's endpoints are
// solved.
struct SplitFit {
    bool found = false;
    float e0[3] = {};
    float e1[3] = {};
};

class SplitSearch {
public:
    SplitSearch(const SearchTexels& texels, const SortedSums& s) : total_(s.weight[s.count]) {
        for (int c = 0; c < 3; ++c) {
            totalX_[c] = s.sum[c][s.count];
            channel_[c] = static_cast<float>(texels.channel[c]);
        }
    }

    void Consider(float a1, float aa, const float* ax) {
        const float ab = a1 - aa, bb = total_ - 2.0f * a1 + aa;
        const float det = aa * bb - ab * ab;
        if (!(det > 1e-3f * total_)) {
            return;
        }
        float xx = 0.0f, xy = 0.0f, yy = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float bx = totalX_[c] - ax[c];
            xx += channel_[c] * ax[c] * ax[c];
            xy += channel_[c] * ax[c] * bx;
            yy += channel_[c] * bx * bx;
        }
        Offer(bb * xx - 2.0f * ab * xy + aa * yy, det, a1, aa, ax);
    }

    float Total() const { return total_; }
    bool Found() const { return found_; }
    float BestNum() const { return bestNum_; }
    float BestDet() const { return bestDet_; }
    const float* TotalX() const { return totalX_; }
    const float* Channel() const { return channel_; }

    // A split whose det has passed the test above, with its num.
    void Offer(float num, float det, float a1, float aa, const float* ax) {
        if (!found_ || num * bestDet_ > bestNum_ * det) {
            found_ = true;
            bestNum_ = num;
            bestDet_ = det;
            bestA1_ = a1;
            bestAa_ = aa;
            for (int c = 0; c < 3; ++c) {
                bestAx_[c] = ax[c];
            }
        }
    }

    SplitFit Result() const {
        SplitFit out;
        if (!found_) {
            return out;
        }
        out.found = true;
        const float ab = bestA1_ - bestAa_, bb = total_ - 2.0f * bestA1_ + bestAa_;
        const float inv = 1.0f / bestDet_;
        for (int c = 0; c < 3; ++c) {
            const float bx = totalX_[c] - bestAx_[c];
            out.e0[c] = (bestAx_[c] * bb - bx * ab) * inv;
            out.e1[c] = (bx * bestAa_ - bestAx_[c] * ab) * inv;
        }
        return out;
    }

private:
    float total_;
    float totalX_[3];
    float channel_[3];
    bool found_ = false;
    float bestNum_ = 0.0f, bestDet_ = 1.0f, bestA1_ = 0.0f, bestAa_ = 0.0f;
    float bestAx_[3] = {};
};

// Four clusters: [0, i) on c0, [i, j) on 2/3 c0, [j, k) on 1/3 c0, the rest
// on c1.
SplitFit BestFourSplitPlain(const SearchTexels& texels, const SortedSums& s) {
    const int n = s.count;
    SplitSearch search(texels, s);
    for (int i = 0; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            // Sums of the first two clusters, then the third grows with k.
            const float w01a = s.weight[i] + (2.0f / 3.0f) * (s.weight[j] - s.weight[i]);
            const float w01aa = s.weight[i] + (4.0f / 9.0f) * (s.weight[j] - s.weight[i]);
            float x01[3];
            for (int c = 0; c < 3; ++c) {
                x01[c] = s.sum[c][i] + (2.0f / 3.0f) * (s.sum[c][j] - s.sum[c][i]);
            }
            for (int k = j; k <= n; ++k) {
                const float w2 = s.weight[k] - s.weight[j];
                const float a1 = w01a + (1.0f / 3.0f) * w2;
                const float aa = w01aa + (1.0f / 9.0f) * w2;
                float ax[3];
                for (int c = 0; c < 3; ++c) {
                    ax[c] = x01[c] + (1.0f / 3.0f) * (s.sum[c][k] - s.sum[c][j]);
                }
                search.Consider(a1, aa, ax);
            }
        }
    }
    return search.Result();
}

#if TOVTEX_SSE2
// The same search with four consecutive k at once: every split's num and
// det come from the very operations of the plain form, and the splits are
// offered in the same order, so the two choose alike.
SplitFit BestFourSplitSse2(const SearchTexels& texels, const SortedSums& s) {
    const int n = s.count;
    SplitSearch search(texels, s);
    const __m128 total = _mm_set1_ps(search.Total());
    const __m128 limit = _mm_set1_ps(1e-3f * search.Total());
    const __m128 third = _mm_set1_ps(1.0f / 3.0f), ninth = _mm_set1_ps(1.0f / 9.0f), two = _mm_set1_ps(2.0f);
    __m128 totalX[3], channel[3];
    for (int c = 0; c < 3; ++c) {
        totalX[c] = _mm_set1_ps(search.TotalX()[c]);
        channel[c] = _mm_set1_ps(search.Channel()[c]);
    }
    alignas(16) float num[4], det[4], a1s[4], aas[4], axs[3][4];
    for (int i = 0; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            const float w01a = s.weight[i] + (2.0f / 3.0f) * (s.weight[j] - s.weight[i]);
            const float w01aa = s.weight[i] + (4.0f / 9.0f) * (s.weight[j] - s.weight[i]);
            __m128 x01[3], sumJ[3];
            for (int c = 0; c < 3; ++c) {
                x01[c] = _mm_set1_ps(s.sum[c][i] + (2.0f / 3.0f) * (s.sum[c][j] - s.sum[c][i]));
                sumJ[c] = _mm_set1_ps(s.sum[c][j]);
            }
            const __m128 weightJ = _mm_set1_ps(s.weight[j]);
            for (int k = j; k <= n; k += 4) {
                const __m128 w2 = _mm_sub_ps(_mm_loadu_ps(s.weight + k), weightJ);
                const __m128 a1 = _mm_add_ps(_mm_set1_ps(w01a), _mm_mul_ps(third, w2));
                const __m128 aa = _mm_add_ps(_mm_set1_ps(w01aa), _mm_mul_ps(ninth, w2));
                const __m128 ab = _mm_sub_ps(a1, aa);
                const __m128 bb = _mm_add_ps(_mm_sub_ps(total, _mm_mul_ps(two, a1)), aa);
                const __m128 d = _mm_sub_ps(_mm_mul_ps(aa, bb), _mm_mul_ps(ab, ab));
                __m128 xx = _mm_setzero_ps(), xy = _mm_setzero_ps(), yy = _mm_setzero_ps();
                for (int c = 0; c < 3; ++c) {
                    const __m128 ax =
                        _mm_add_ps(x01[c], _mm_mul_ps(third, _mm_sub_ps(_mm_loadu_ps(s.sum[c] + k), sumJ[c])));
                    const __m128 bx = _mm_sub_ps(totalX[c], ax);
                    const __m128 cax = _mm_mul_ps(channel[c], ax);
                    xx = _mm_add_ps(xx, _mm_mul_ps(cax, ax));
                    xy = _mm_add_ps(xy, _mm_mul_ps(cax, bx));
                    yy = _mm_add_ps(yy, _mm_mul_ps(_mm_mul_ps(channel[c], bx), bx));
                    _mm_store_ps(axs[c], ax);
                }
                const __m128 nm =
                    _mm_add_ps(_mm_sub_ps(_mm_mul_ps(bb, xx), _mm_mul_ps(_mm_mul_ps(two, ab), xy)), _mm_mul_ps(aa, yy));
                int valid = _mm_movemask_ps(_mm_cmpgt_ps(d, limit));
                // Most splits fit worse than the best so far: judged against
                // it by the comparison Offer makes, four at once. Only a
                // group with a winner goes lane by lane, in order, so the
                // plain form's sequence of offers is kept exactly.
                if (valid != 0 && search.Found()) {
                    const __m128 beats = _mm_cmpgt_ps(_mm_mul_ps(nm, _mm_set1_ps(search.BestDet())),
                                                      _mm_mul_ps(_mm_set1_ps(search.BestNum()), d));
                    if ((valid & _mm_movemask_ps(beats)) == 0) {
                        valid = 0;
                    }
                }
                if (valid == 0) {
                    continue;
                }
                _mm_store_ps(num, nm);
                _mm_store_ps(det, d);
                _mm_store_ps(a1s, a1);
                _mm_store_ps(aas, aa);
                const int lanes = n - k + 1 < 4 ? n - k + 1 : 4;
                for (int l = 0; l < lanes; ++l) {
                    if (valid >> l & 1) {
                        const float ax[3] = {axs[0][l], axs[1][l], axs[2][l]};
                        search.Offer(num[l], det[l], a1s[l], aas[l], ax);
                    }
                }
            }
        }
    }
    return search.Result();
}
#endif

SplitFit BestFourSplit(const SearchTexels& texels, const SortedSums& s, bool plain) {
#if TOVTEX_SSE2
    return plain ? BestFourSplitPlain(texels, s) : BestFourSplitSse2(texels, s);
#else
    (void)plain;
    return BestFourSplitPlain(texels, s);
#endif
}

// Three clusters: [0, i) on c0, [i, j) on the midpoint, the rest on c1.
SplitFit BestThreeSplit(const SearchTexels& texels, const SortedSums& s) {
    const int n = s.count;
    SplitSearch search(texels, s);
    for (int i = 0; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            const float w1 = s.weight[j] - s.weight[i];
            const float a1 = s.weight[i] + 0.5f * w1;
            const float aa = s.weight[i] + 0.25f * w1;
            float ax[3];
            for (int c = 0; c < 3; ++c) {
                ax[c] = s.sum[c][i] + 0.5f * (s.sum[c][j] - s.sum[c][i]);
            }
            search.Consider(a1, aa, ax);
        }
    }
    return search.Result();
}

// One level up or down in one channel of one endpoint, while that lowers
// the error. A pass that has improved nothing by the place where the last
// pass last improved would only judge again what that pass judged against
// the same endpoints: the search ends there. The move back to where the
// last gain came from is not judged again: it leads to the worse block.
void NudgeEndpoints(const SearchTexels& texels, bool fourColor, ColorChoice& best) {
    static constexpr int SHIFT[3] = {11, 5, 0};
    static constexpr int TOP[3] = {31, 63, 31};
    int lastGain = 12;  // the first pass runs in full
    int back = -1;      // the move that undoes the last gain
    for (int pass = 0; pass < 4; ++pass) {
        int gain = -1;
        int move = 0;
        for (int end = 0; end < 2; ++end) {
            for (int c = 0; c < 3; ++c) {
                for (int step = -1; step <= 1; step += 2, ++move) {
                    if (gain < 0 && move > lastGain) {
                        return;
                    }
                    if (move == back) {
                        continue;
                    }
                    unsigned e[2] = {best.c0, best.c1};
                    const int level = static_cast<int>(e[end] >> SHIFT[c]) & TOP[c];
                    if (level + step < 0 || level + step > TOP[c]) {
                        continue;
                    }
                    e[end] = (e[end] & ~(static_cast<unsigned>(TOP[c]) << SHIFT[c])) |
                             static_cast<unsigned>(level + step) << SHIFT[c];
                    const ColorChoice next = EvaluatePair(texels, e[0], e[1], fourColor);
                    if (next.error < best.error) {
                        best = next;
                        gain = move;
                        // Same end and channel, the other way; unless the
                        // endpoints swapped places to keep the mode.
                        back = next.c0 == e[0] && next.c1 == e[1] ? move ^ 1 : -1;
                    }
                }
            }
        }
        if (gain < 0 || best.error == 0) {
            return;
        }
        lastGain = gain;
    }
}

ColorChoice FitColorBestWith(const SearchTexels& texels, bool plain) {
    ColorChoice best = FitColorNormal(texels);
    if (best.error == 0) {
        return best;
    }
    ColorMoments moments;
    ComputeMoments(texels, moments);
    float axis[3];
    const bool haveAxis = PrincipalAxis(texels, moments, axis);
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};
    int mean[3];
    for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>(std::lround(moments.mean[c]));
        mean[c] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    ColorChoice perMode[2] = {{0, 0, 0, NO_ERROR_YET}, {0, 0, 0, NO_ERROR_YET}};
    for (int m = 0; m < 2; ++m) {
        if (modes[m]) {
            KeepBetter(perMode[m], FitSingleColor(texels, mean, m == 0));
        }
    }
    // One ordering, along the principal axis: a second one along the line
    // of the endpoints found seldom pays for its cost.
    if (haveAxis) {
        SortedSums sums;
        SortAlongAxis(texels, axis, sums);
        for (int m = 0; m < 2; ++m) {
            if (!modes[m]) {
                continue;
            }
            const bool fourColor = m == 0;
            const SplitFit split = fourColor ? BestFourSplit(texels, sums, plain) : BestThreeSplit(texels, sums);
            if (!split.found) {
                continue;
            }
            float e0[3] = {split.e0[0], split.e0[1], split.e0[2]};
            float e1[3] = {split.e1[0], split.e1[1], split.e1[2]};
            ClampToBox(e0);
            ClampToBox(e1);
            ColorChoice candidate = EvaluatePair(texels, Quantize565(e0), Quantize565(e1), fourColor);
            RefineLeastSquares(texels, fourColor, 2, candidate);
            KeepBetter(perMode[m], candidate);
        }
    }
    for (int m = 0; m < 2; ++m) {
        if (modes[m] && perMode[m].error != NO_ERROR_YET) {
            NudgeEndpoints(texels, m == 0, perMode[m]);
            KeepBetter(best, perMode[m]);
        }
    }
    return best;
}

}  // namespace

ColorChoice FitColorBest(const SearchTexels& texels) {
    return FitColorBestWith(texels, false);
}

ColorChoice FitColorBestPlain(const SearchTexels& texels) {
    return FitColorBestWith(texels, true);
}

}  // namespace dxt_search
