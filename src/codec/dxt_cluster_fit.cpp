#include "codec/dxt_cluster_fit.h"

#include <cmath>
#include <cstdint>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

#include "codec/dxt_channel_refine.h"
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
    int texel[20];  // entry k (1 to count): one of its texels
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
        out.texel[at] = i;
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
    float residual = 0.0f;  // the least-squares error before quantising
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
        for (int i = 0; i < 16; ++i) {
            float t = 0.0f;
            for (int c = 0; c < 3; ++c) {
                t += channel_[c] * texels.ch[c][i] * texels.ch[c][i];
            }
            squares_ += static_cast<float>(texels.weight[i]) * t;
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
        out.residual = squares_ - bestNum_ / bestDet_;
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
    float squares_ = 0.0f;
    float totalX_[3];
    float channel_[3];
    bool found_ = false;
    float bestNum_ = 0.0f, bestDet_ = 1.0f, bestA1_ = 0.0f, bestAa_ = 0.0f;
    float bestAx_[3] = {};
};

// The splits searched: i from lo[0] to hi[0], j from the larger of i and
// lo[1] to hi[1], k likewise (the four-cluster search only), all within 0
// to count.
struct SplitWindow {
    int lo[3];
    int hi[3];
};

// Four clusters: [0, i) on c0, [i, j) on 2/3 c0, [j, k) on 1/3 c0, the rest
// on c1.
SplitFit BestFourSplitPlain(const SearchTexels& texels, const SortedSums& s, const SplitWindow& w) {
    SplitSearch search(texels, s);
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
SplitFit BestFourSplitSse2(const SearchTexels& texels, const SortedSums& s, const SplitWindow& w) {
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
                const int lanes = w.hi[2] - k + 1 < 4 ? w.hi[2] - k + 1 : 4;
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

SplitFit BestFourSplit(const SearchTexels& texels, const SortedSums& s, const SplitWindow& w, bool plain) {
#if TOVTEX_SSE2
    return plain ? BestFourSplitPlain(texels, s, w) : BestFourSplitSse2(texels, s, w);
#else
    (void)plain;
    return BestFourSplitPlain(texels, s, w);
#endif
}

// Three clusters: [0, i) on c0, [i, j) on the midpoint, the rest on c1.
SplitFit BestThreeSplit(const SearchTexels& texels, const SortedSums& s, const SplitWindow& w) {
    SplitSearch search(texels, s);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
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

// The splits within radius of the split a start block implies: its texels
// counted per palette entry in their order along the axis.
SplitWindow WindowAround(const SortedSums& s, const ColorChoice& start, bool fourColor, int radius) {
    const int m = s.count;
    SplitWindow w{{0, 0, 0}, {m, m, m}};
    // Place of each index between c0 (0) and c1 (3, or 2 with three
    // colours) in the start's mode, mapped to the mode searched.
    static constexpr int FOUR_PLACE[4] = {0, 3, 1, 2};
    static constexpr int THREE_PLACE[4] = {0, 2, 1, 2};
    const bool startFour = start.c0 > start.c1;
    const int clusters = fourColor ? 4 : 3;
    int count[4] = {0, 0, 0, 0};
    int place[20];
    long balance = 0;
    for (int e = 1; e <= m; ++e) {
        const unsigned index = (start.indices >> (2 * s.texel[e])) & 3u;
        int p = startFour ? FOUR_PLACE[index] : THREE_PLACE[index];
        if (startFour && !fourColor) {
            p = p == 0 ? 0 : p == 3 ? 2 : 1;
        } else if (!startFour && fourColor) {
            p = p == 0 ? 0 : p == 2 ? 3 : 1;
        }
        place[e] = p;
        balance += static_cast<long>(2 * e - (m + 1)) * p;
    }
    // The search puts c0 at the low end of the axis: a start whose c0 lies
    // at the high end counts its entries from the other side.
    for (int e = 1; e <= m; ++e) {
        ++count[balance < 0 ? clusters - 1 - place[e] : place[e]];
    }
    int bound = 0;
    for (int b = 0; b < clusters - 1; ++b) {
        bound += count[b];
        w.lo[b] = bound - radius < 0 ? 0 : bound - radius;
        w.hi[b] = bound + radius > m ? m : bound + radius;
    }
    return w;
}

// How far the split search looks from the split the normal fit implies, in
// entries along the axis, for each boundary. The cluster fit's winner lies
// near it nearly always; the full search costs several times more and its
// gain is a few tenths of a percent of the error. Blocks the normal fit
// already meets well (MODEST below) look less far.
constexpr int SPLIT_RADIUS = 3;
constexpr int MODEST_RADIUS = 2;

// Rounds of the channel-wise refinement: after a split's fit, and on the
// normal fit's own block.
constexpr int SPLIT_ROUNDS = 2;
constexpr int START_ROUNDS = 2;

// On an opaque DXT1 block the three-colour mode's split is carried on only
// when its least-squares error is within this share of the four-colour
// one's: quantising can turn the order, a wider gap it seldom does.
constexpr float THREE_COLOR_MARGIN = 1.05f;

// Mean squared error per texel and channel (weights applied) of the normal
// fit's block: below CLOSE_ENOUGH the block is kept as it is (the search
// could lower its error by little, and such blocks are common: flat areas,
// soft gradients); below MODEST the split search looks less far.
constexpr std::uint64_t CLOSE_ENOUGH = 2;
constexpr std::uint64_t MODEST = 8;

// The sum of the texels' weights times the sum of the channel weights.
std::uint64_t TexelChannels(const SearchTexels& texels) {
    std::uint64_t total = 0;
    for (int i = 0; i < 16; ++i) {
        total += texels.weight[i];
    }
    return total * (texels.channel[0] + texels.channel[1] + texels.channel[2]);
}

// The block of endpoints a and b in the mode asked for is choice's block.
bool SamePair(unsigned a, unsigned b, bool fourColor, const ColorChoice& choice) {
    const unsigned high = a > b ? a : b, low = a > b ? b : a;
    return fourColor ? (choice.c0 == high && choice.c1 == low) : (choice.c0 == low && choice.c1 == high);
}

ColorChoice FitColorBestWith(const SearchTexels& texels, bool plain) {
    ColorChoice best = FitColorNormal(texels);
    const std::uint64_t scale = TexelChannels(texels);
    if (best.error == 0 || best.error < CLOSE_ENOUGH * scale) {
        return best;
    }
    const ColorChoice start = best;
    const bool modes[2] = {!texels.threeColorOnly, !texels.fourColorOnly};
    // The normal fit's block, its endpoints refitted channel by channel, in
    // its own mode (DXT2 to DXT5 always four colours).
    best = RefineByChannel(texels, best, modes[0] && (!modes[1] || best.c0 > best.c1), START_ROUNDS);
    const int radius = best.error < MODEST * scale ? MODEST_RADIUS : SPLIT_RADIUS;
    ColorMoments moments;
    ComputeMoments(texels, moments);
    float axis[3];
    const bool haveAxis = PrincipalAxis(texels, moments, axis);
    int mean[3];
    for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>(std::lround(moments.mean[c]));
        mean[c] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    for (int m = 0; m < 2; ++m) {
        if (modes[m]) {
            KeepBetter(best, FitSingleColor(texels, mean, m == 0));
        }
    }
    if (!haveAxis) {
        return best;
    }
    // One ordering, along the principal axis: a second one along the line
    // of the endpoints found seldom pays for its cost.
    SortedSums sums;
    SortAlongAxis(texels, axis, sums);
    SplitFit split[2];
    for (int m = 0; m < 2; ++m) {
        if (modes[m]) {
            const bool fourColor = m == 0;
            const SplitWindow w = WindowAround(sums, start, fourColor, radius);
            split[m] = fourColor ? BestFourSplit(texels, sums, w, plain) : BestThreeSplit(texels, sums, w);
        }
    }
    for (int m = 0; m < 2; ++m) {
        if (!split[m].found ||
            (m == 1 && split[0].found && split[1].residual > split[0].residual * THREE_COLOR_MARGIN)) {
            continue;
        }
        const bool fourColor = m == 0;
        float e0[3] = {split[m].e0[0], split[m].e0[1], split[m].e0[2]};
        float e1[3] = {split[m].e1[0], split[m].e1[1], split[m].e1[2]};
        ClampToBox(e0);
        ClampToBox(e1);
        const unsigned q0 = Quantize565(e0), q1 = Quantize565(e1);
        // The pair the normal block started from, or the one it was
        // refitted to: refitting it again would repeat that work.
        if (SamePair(q0, q1, fourColor, start) || SamePair(q0, q1, fourColor, best)) {
            continue;
        }
        const ColorChoice candidate = EvaluatePair(texels, q0, q1, fourColor);
        KeepBetter(best, RefineByChannel(texels, candidate, fourColor, SPLIT_ROUNDS));
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
