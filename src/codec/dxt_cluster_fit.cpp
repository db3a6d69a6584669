#include "codec/dxt_cluster_fit.h"

#include <cmath>

#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_color_moments.h"
#include "codec/dxt_single_color.h"

namespace dxt_search {

namespace {

// Running sums over the texels in their order along the axis: entry k
// covers the first k texels.
struct SortedSums {
    int count;
    float weight[17];
    float sum[3][17];
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
    out.count = n;
    out.weight[0] = 0.0f;
    for (int c = 0; c < 3; ++c) {
        out.sum[c][0] = 0.0f;
    }
    for (int k = 0; k < n; ++k) {
        const int i = order[k];
        const float w = static_cast<float>(texels.weight[i]);
        out.weight[k + 1] = out.weight[k] + w;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k + 1] = out.sum[c][k] + w * texels.ch[c][i];
        }
    }
}

// The least-squares endpoints of one split, given the sums of w alpha,
// w alpha^2 and w alpha x over the texels (alpha: c0's share); returns the
// fit's gain (the larger, the smaller the error), or a negative value
// when the split pins down no two endpoints.
struct SplitFit {
    float gain;
    float e0[3];
    float e1[3];
};

inline float SplitGain(const SearchTexels& texels, float total, const float* totalX, float a1, float aa,
                       const float* ax, float* e0, float* e1) {
    const float ab = a1 - aa, bb = total - 2.0f * a1 + aa;
    const float det = aa * bb - ab * ab;
    if (!(det > 1e-3f * total)) {
        return -1.0f;
    }
    const float inv = 1.0f / det;
    float gain = 0.0f;
    for (int c = 0; c < 3; ++c) {
        const float bx = totalX[c] - ax[c];
        e0[c] = (ax[c] * bb - bx * ab) * inv;
        e1[c] = (bx * aa - ax[c] * ab) * inv;
        gain += static_cast<float>(texels.channel[c]) * (e0[c] * ax[c] + e1[c] * bx);
    }
    return gain;
}

void ConsiderSplit(SplitFit& best, float gain, const float* e0, const float* e1) {
    if (gain > best.gain) {
        best.gain = gain;
        for (int c = 0; c < 3; ++c) {
            best.e0[c] = e0[c];
            best.e1[c] = e1[c];
        }
    }
}

// Four clusters: [0, i) on c0, [i, j) on 2/3 c0, [j, k) on 1/3 c0, the rest
// on c1.
SplitFit BestFourSplit(const SearchTexels& texels, const SortedSums& s) {
    const int n = s.count;
    const float total = s.weight[n];
    const float totalX[3] = {s.sum[0][n], s.sum[1][n], s.sum[2][n]};
    SplitFit best{-1.0f, {}, {}};
    float e0[3], e1[3];
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
                ConsiderSplit(best, SplitGain(texels, total, totalX, a1, aa, ax, e0, e1), e0, e1);
            }
        }
    }
    return best;
}

// Three clusters: [0, i) on c0, [i, j) on the midpoint, the rest on c1.
SplitFit BestThreeSplit(const SearchTexels& texels, const SortedSums& s) {
    const int n = s.count;
    const float total = s.weight[n];
    const float totalX[3] = {s.sum[0][n], s.sum[1][n], s.sum[2][n]};
    SplitFit best{-1.0f, {}, {}};
    float e0[3], e1[3];
    for (int i = 0; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            const float w1 = s.weight[j] - s.weight[i];
            const float a1 = s.weight[i] + 0.5f * w1;
            const float aa = s.weight[i] + 0.25f * w1;
            float ax[3];
            for (int c = 0; c < 3; ++c) {
                ax[c] = s.sum[c][i] + 0.5f * (s.sum[c][j] - s.sum[c][i]);
            }
            ConsiderSplit(best, SplitGain(texels, total, totalX, a1, aa, ax, e0, e1), e0, e1);
        }
    }
    return best;
}

// One level up or down in one channel of one endpoint, while that lowers
// the error.
void NudgeEndpoints(const SearchTexels& texels, bool fourColor, ColorChoice& best) {
    static constexpr int SHIFT[3] = {11, 5, 0};
    static constexpr int TOP[3] = {31, 63, 31};
    for (int pass = 0; pass < 4; ++pass) {
        bool improved = false;
        for (int end = 0; end < 2; ++end) {
            for (int c = 0; c < 3; ++c) {
                for (int step = -1; step <= 1; step += 2) {
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
                        improved = true;
                    }
                }
            }
        }
        if (!improved || best.error == 0) {
            return;
        }
    }
}

}  // namespace

ColorChoice FitColorBest(const SearchTexels& texels) {
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
    // Twice: along the principal axis, then along the line of the best
    // endpoints found, which may order the texels better.
    for (int round = 0; round < 2 && haveAxis; ++round) {
        SortedSums sums;
        SortAlongAxis(texels, axis, sums);
        for (int m = 0; m < 2; ++m) {
            if (!modes[m]) {
                continue;
            }
            const bool fourColor = m == 0;
            const SplitFit split = fourColor ? BestFourSplit(texels, sums) : BestThreeSplit(texels, sums);
            if (split.gain < 0.0f) {
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
        if (round == 1) {
            break;
        }
        // The next axis: from c0 to c1 of the better mode's block.
        const ColorChoice& lead = perMode[0].error <= perMode[1].error ? perMode[0] : perMode[1];
        int p0[3], p1[3];
        Expand565(lead.c0, p0);
        Expand565(lead.c1, p1);
        float length = 0.0f;
        float next[3];
        for (int c = 0; c < 3; ++c) {
            next[c] = static_cast<float>(p1[c] - p0[c]);
            length += next[c] * next[c];
        }
        if (!(length > 0.0f)) {
            break;
        }
        length = std::sqrt(length);
        for (int c = 0; c < 3; ++c) {
            axis[c] = next[c] / length;
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

}  // namespace dxt_search
