#include "codec/dxt_split_search.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

#include "codec/cpu_features.h"
#include "codec/dxt_key_order.h"
#include "codec/dxt_split_kernels.h"

namespace dxt_search {

void SortAlongAxis(const SearchTexels& texels, const ColorMoments& moments, const float* axis, SortedSums& out) {
    // Per texel its key along the axis, its weighted colour less the mean,
    // element by element (the vector form does the very same operations
    // four texels at a time), and its colour packed in one word, to tell
    // equal colours apart with one comparison (the channels are whole
    // numbers of 0 to 255).
    float key[16], centred[3][16];
    std::int32_t color[16];
#if TOVTEX_SSE2
    for (int g = 0; g < 16; g += 4) {
        const __m128 w = _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + g)));
        __m128 x[3];
        for (int c = 0; c < 3; ++c) {
            x[c] = _mm_loadu_ps(texels.ch[c] + g);
            _mm_storeu_ps(centred[c] + g, _mm_mul_ps(w, _mm_sub_ps(x[c], _mm_set1_ps(moments.mean[c]))));
        }
        const __m128i packed = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi32(_mm_cvttps_epi32(x[0]), 16), _mm_slli_epi32(_mm_cvttps_epi32(x[1]), 8)),
            _mm_cvttps_epi32(x[2]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(color + g), packed);
        const __m128 t =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(axis[0]), x[0]), _mm_mul_ps(_mm_set1_ps(axis[1]), x[1])),
                       _mm_mul_ps(_mm_set1_ps(axis[2]), x[2]));
        _mm_storeu_ps(key + g, t);
    }
#else
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        for (int c = 0; c < 3; ++c) {
            centred[c][i] = w * (texels.ch[c][i] - moments.mean[c]);
        }
        key[i] = axis[0] * texels.ch[0][i] + axis[1] * texels.ch[1][i] + axis[2] * texels.ch[2][i];
        color[i] = static_cast<std::int32_t>(texels.ch[0][i]) << 16 | static_cast<std::int32_t>(texels.ch[1][i]) << 8 |
                   static_cast<std::int32_t>(texels.ch[2][i]);
    }
#endif
    int order[16];
    const int n = OrderByKey(key, texels.weight, order);
    out.total = moments.total;
    // The channel-weighted spread about the mean, from the exact moments.
    out.squares = (moments.covariance[0] + moments.covariance[3]) + moments.covariance[5];
    for (int c = 0; c < 3; ++c) {
        out.mean[c] = moments.mean[c];
        out.channel[c] = static_cast<float>(texels.channel[c]);
    }
    // Every entry zero to begin with: the loop below writes entries 1 to
    // count, and eight lanes may be read from any entry up to count.
    for (int k = 0; k < 24; ++k) {
        out.weight[k] = 0.0f;
        out.texel[k] = 0;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k] = 0.0f;
        }
    }
    // Texels of one colour share a key and stand side by side: they become
    // one entry of their summed weight. A split between equal colours never
    // fits better than keeping them together, and every texel fewer cuts
    // the splits to search by a sixth or more.
    // The running sums stay in registers: an entry is always the last one
    // written plus the texel, whether the texel joins it or starts the next.
    int m = 0;
    float weight = 0.0f, sum[3] = {0.0f, 0.0f, 0.0f};
    for (int k = 0; k < n; ++k) {
        const int i = order[k];
        const int prev = k > 0 ? order[k - 1] : i;
        const bool same = k > 0 && color[i] == color[prev];
        m += same ? 0 : 1;
        out.texel[m] = i;
        weight += static_cast<float>(texels.weight[i]);
        out.weight[m] = weight;
        for (int c = 0; c < 3; ++c) {
            sum[c] += centred[c][i];
            out.sum[c][m] = sum[c];
        }
    }
    out.count = m;
}

namespace {

// The pairs of a window, j from lo[1] to hi[1], k from the larger of j and
// lo[2] to hi[2].
void BuildPairs(const SortedSums& s, const SplitWindow& w, SplitPairs& out) {
    // first[] in whole: zero below the window, set within it, the count of
    // pairs above it (fixed-length passes, not calls to fill a few slots).
    int n = 0;
    for (int i = 0; i < 25; ++i) {
        out.first[i] = 0;
    }
    for (int j = w.lo[1]; j <= w.hi[1]; ++j) {
        out.first[j] = n;
        const int k0 = j > w.lo[2] ? j : w.lo[2];
        // Each pair by one addition per sum, four pairs at a time where the
        // vector code is on; a group may run past j's last pair into room
        // the next j (or the padding) overwrites.
#if TOVTEX_SSE2
        const __m128 wj = _mm_set1_ps(s.weight[j]), w3j = _mm_set1_ps(3.0f * s.weight[j]);
        for (int k = k0; k <= w.hi[2]; k += 4) {
            const int at = n + (k - k0);
            const __m128 wk = _mm_loadu_ps(s.weight + k);
            _mm_storeu_ps(out.a + at, _mm_add_ps(wj, wk));
            _mm_storeu_ps(out.b + at, _mm_add_ps(w3j, wk));
            for (int c = 0; c < 3; ++c) {
                _mm_storeu_ps(out.x[c] + at, _mm_add_ps(_mm_set1_ps(s.sum[c][j]), _mm_loadu_ps(s.sum[c] + k)));
            }
        }
#else
        const float wj = s.weight[j], w3j = 3.0f * wj;
        for (int k = k0; k <= w.hi[2]; ++k) {
            const int at = n + (k - k0);
            out.a[at] = wj + s.weight[k];
            out.b[at] = w3j + s.weight[k];
            for (int c = 0; c < 3; ++c) {
                out.x[c][at] = s.sum[c][j] + s.sum[c][k];
            }
        }
#endif
        n += w.hi[2] - k0 + 1 > 0 ? w.hi[2] - k0 + 1 : 0;
    }
    for (int i = 0; i < 25; ++i) {
        out.first[i] = i > w.hi[1] ? n : out.first[i];
    }
    out.count = n;
    // Lanes past the last pair are read, never chosen.
    float* const padding[5] = {out.a + n, out.b + n, out.x[0] + n, out.x[1] + n, out.x[2] + n};
    for (float* p : padding) {
#if TOVTEX_SSE2
        _mm_storeu_ps(p, _mm_setzero_ps());
        _mm_storeu_ps(p + 4, _mm_setzero_ps());
#else
        for (int l = 0; l < 8; ++l) {
            p[l] = 0.0f;
        }
#endif
    }
}

float Merit(const float* channel, const float* x, float det) {
    return (channel[0] * x[0] * x[0] + channel[1] * x[1] * x[1] + channel[2] * x[2] * x[2]) / det;
}

float FourDet(float total9, float a, float b) {
    const float bb = (total9 - 6.0f * a) + b, ab = 3.0f * a - b;
    return b * bb - ab * ab;
}

float ThreeDet(float total4, float a, float b) {
    const float bb = (total4 - 4.0f * a) + b, ab = 2.0f * a - b;
    return b * bb - ab * ab;
}

// The winner's endpoints and least-squares error (see dxt_split_kernels.h
// for the scaled sums): c0 = mean + X (q T - r A) / det', c1 = mean - u X A
// / det', error = squares - v T merit.
SplitFit FitOf(const SortedSums& s, float merit, float det, float a, const float* x, float q, float r, float u,
               float v) {
    SplitFit out;
    out.found = true;
    out.residual = s.squares - v * s.total * merit;
    const float toC0 = (q * s.total - r * a) / det, toC1 = u * a / det;
    for (int c = 0; c < 3; ++c) {
        out.e0[c] = s.mean[c] + x[c] * toC0;
        out.e1[c] = s.mean[c] - x[c] * toC1;
    }
    return out;
}

}  // namespace

SplitPick FourSplitPickPlain(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs) {
    SplitPick best{-1.0f, 0};
    const float total9 = 9.0f * s.total, limit = FOUR_LIMIT * s.total;
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i], w5i = 5.0f * wi;
        for (int p = pairs.first[i]; p < pairs.count; ++p) {
            const float a = pairs.a[p] + wi, b = pairs.b[p] + w5i;
            const float det = FourDet(total9, a, b);
            if (!(det > limit)) {
                continue;
            }
            float x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = pairs.x[c][p] + s.sum[c][i];
            }
            const float merit = Merit(s.channel, x, det);
            if (merit > best.merit) {
                best = {merit, i * PLACE_STRIDE + p};
            }
        }
    }
    return best;
}

SplitPick ThreeSplitPickPlain(const SortedSums& s, const SplitWindow& w) {
    SplitPick best{-1.0f, 0};
    const float total4 = 4.0f * s.total, limit = THREE_LIMIT * s.total;
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i], w3i = 3.0f * wi;
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; ++j) {
            const float a = s.weight[j] + wi, b = s.weight[j] + w3i;
            const float det = ThreeDet(total4, a, b);
            if (!(det > limit)) {
                continue;
            }
            float x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = s.sum[c][j] + s.sum[c][i];
            }
            const float merit = Merit(s.channel, x, det);
            if (merit > best.merit) {
                best = {merit, i * PLACE_STRIDE + j};
            }
        }
    }
    return best;
}

#if TOVTEX_SSE2
namespace {

// Per lane the first split of the largest merit so far; at the end the
// largest merit over the lanes, the first place on ties.
struct LanePicksSse2 {
    __m128 merit = _mm_set1_ps(-1.0f);
    __m128i place = _mm_setzero_si128();

    void Keep(__m128 m, __m128i p) {
        const __m128 more = _mm_cmpgt_ps(m, merit);
        merit = _mm_or_ps(_mm_and_ps(more, m), _mm_andnot_ps(more, merit));
        const __m128i take = _mm_castps_si128(more);
        place = _mm_or_si128(_mm_and_si128(take, p), _mm_andnot_si128(take, place));
    }

    SplitPick Pick() const {
        alignas(16) float m[4];
        alignas(16) int p[4];
        _mm_store_ps(m, merit);
        _mm_store_si128(reinterpret_cast<__m128i*>(p), place);
        SplitPick best{m[0], p[0]};
        for (int l = 1; l < 4; ++l) {
            if (m[l] > best.merit || (m[l] == best.merit && p[l] < best.place)) {
                best = {m[l], p[l]};
            }
        }
        return best;
    }
};

// Merits of four lanes; lanes that fail the limit or lie past `lanes` get -1.
template <bool WEIGHTED>
__m128 MeritsSse2(const __m128* x, __m128 det, __m128 limit, const float* channel, int lanes) {
    __m128 sq[3];
    for (int c = 0; c < 3; ++c) {
        const __m128 cx = WEIGHTED ? _mm_mul_ps(_mm_set1_ps(channel[c]), x[c]) : x[c];
        sq[c] = _mm_mul_ps(cx, x[c]);
    }
    const __m128 merit = _mm_div_ps(_mm_add_ps(_mm_add_ps(sq[0], sq[1]), sq[2]), det);
    static const int LANE[8] = {-1, -1, -1, -1, 0, 0, 0, 0};
    const __m128 real = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(LANE + 4 - lanes)));
    const __m128 valid = _mm_and_ps(_mm_cmpgt_ps(det, limit), real);
    return _mm_or_ps(_mm_and_ps(valid, merit), _mm_andnot_ps(valid, _mm_set1_ps(-1.0f)));
}

template <bool WEIGHTED>
SplitPick FourSplitPickSse2With(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs) {
    LanePicksSse2 picks;
    const __m128 total9 = _mm_set1_ps(9.0f * s.total), limit = _mm_set1_ps(FOUR_LIMIT * s.total);
    const __m128 three = _mm_set1_ps(3.0f), six = _mm_set1_ps(6.0f);
    const __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i];
        const __m128 vwi = _mm_set1_ps(wi), w5i = _mm_set1_ps(5.0f * wi);
        __m128 si[3];
        for (int c = 0; c < 3; ++c) {
            si[c] = _mm_set1_ps(s.sum[c][i]);
        }
        for (int p = pairs.first[i]; p < pairs.count; p += 4) {
            const __m128 a = _mm_add_ps(_mm_loadu_ps(pairs.a + p), vwi);
            const __m128 b = _mm_add_ps(_mm_loadu_ps(pairs.b + p), w5i);
            const __m128 bb = _mm_add_ps(_mm_sub_ps(total9, _mm_mul_ps(six, a)), b);
            const __m128 ab = _mm_sub_ps(_mm_mul_ps(three, a), b);
            const __m128 det = _mm_sub_ps(_mm_mul_ps(b, bb), _mm_mul_ps(ab, ab));
            __m128 x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = _mm_add_ps(_mm_loadu_ps(pairs.x[c] + p), si[c]);
            }
            const int lanes = pairs.count - p < 4 ? pairs.count - p : 4;
            picks.Keep(MeritsSse2<WEIGHTED>(x, det, limit, s.channel, lanes),
                       _mm_add_epi32(_mm_set1_epi32(i * PLACE_STRIDE + p), steps));
        }
    }
    return picks.Pick();
}

template <bool WEIGHTED>
SplitPick ThreeSplitPickSse2With(const SortedSums& s, const SplitWindow& w) {
    LanePicksSse2 picks;
    const __m128 total4 = _mm_set1_ps(4.0f * s.total), limit = _mm_set1_ps(THREE_LIMIT * s.total);
    const __m128 two = _mm_set1_ps(2.0f), four = _mm_set1_ps(4.0f);
    const __m128i steps = _mm_setr_epi32(0, 1, 2, 3);
    for (int i = w.lo[0]; i <= w.hi[0]; ++i) {
        const float wi = s.weight[i];
        const __m128 vwi = _mm_set1_ps(wi), w3i = _mm_set1_ps(3.0f * wi);
        __m128 si[3];
        for (int c = 0; c < 3; ++c) {
            si[c] = _mm_set1_ps(s.sum[c][i]);
        }
        for (int j = i > w.lo[1] ? i : w.lo[1]; j <= w.hi[1]; j += 4) {
            const __m128 wj = _mm_loadu_ps(s.weight + j);
            const __m128 a = _mm_add_ps(wj, vwi), b = _mm_add_ps(wj, w3i);
            const __m128 bb = _mm_add_ps(_mm_sub_ps(total4, _mm_mul_ps(four, a)), b);
            const __m128 ab = _mm_sub_ps(_mm_mul_ps(two, a), b);
            const __m128 det = _mm_sub_ps(_mm_mul_ps(b, bb), _mm_mul_ps(ab, ab));
            __m128 x[3];
            for (int c = 0; c < 3; ++c) {
                x[c] = _mm_add_ps(_mm_loadu_ps(s.sum[c] + j), si[c]);
            }
            const int lanes = w.hi[1] - j + 1 < 4 ? w.hi[1] - j + 1 : 4;
            picks.Keep(MeritsSse2<WEIGHTED>(x, det, limit, s.channel, lanes),
                       _mm_add_epi32(_mm_set1_epi32(i * PLACE_STRIDE + j), steps));
        }
    }
    return picks.Pick();
}

bool Unweighted(const SortedSums& s) {
    return s.channel[0] == 1.0f && s.channel[1] == 1.0f && s.channel[2] == 1.0f;
}

}  // namespace

SplitPick FourSplitPickSse2(const SortedSums& s, const SplitWindow& w, const SplitPairs& pairs) {
    return Unweighted(s) ? FourSplitPickSse2With<false>(s, w, pairs) : FourSplitPickSse2With<true>(s, w, pairs);
}

SplitPick ThreeSplitPickSse2(const SortedSums& s, const SplitWindow& w) {
    return Unweighted(s) ? ThreeSplitPickSse2With<false>(s, w) : ThreeSplitPickSse2With<true>(s, w);
}
#endif

bool SplitFormRuns(SplitForm form) {
    switch (form) {
    case SplitForm::PLAIN: return true;
#if TOVTEX_SSE2
    case SplitForm::SSE2: return true;
    case SplitForm::AVX2: return CpuHasAvx2();
#endif
    default: return false;
    }
}

SplitForm WidestSplitForm() {
#if TOVTEX_SSE2
    static const SplitForm widest = CpuHasAvx2() ? SplitForm::AVX2 : SplitForm::SSE2;
    return widest;
#else
    return SplitForm::PLAIN;
#endif
}

SplitFit BestFourSplit(const SortedSums& s, const SplitWindow& w, SplitForm form) {
    SplitPairs pairs;
    BuildPairs(s, w, pairs);
    SplitPick pick;
#if TOVTEX_SSE2
    if (form == SplitForm::AVX2) {
        pick = FourSplitPickAvx2(s, w, pairs);
    } else if (form == SplitForm::SSE2) {
        pick = FourSplitPickSse2(s, w, pairs);
    } else {
        pick = FourSplitPickPlain(s, w, pairs);
    }
#else
    (void)form;
    pick = FourSplitPickPlain(s, w, pairs);
#endif
    if (!(pick.merit >= 0.0f)) {
        return SplitFit{};
    }
    const int i = pick.place / PLACE_STRIDE, p = pick.place % PLACE_STRIDE;
    const float a = pairs.a[p] + s.weight[i], b = pairs.b[p] + 5.0f * s.weight[i];
    float x[3];
    for (int c = 0; c < 3; ++c) {
        x[c] = pairs.x[c][p] + s.sum[c][i];
    }
    return FitOf(s, pick.merit, FourDet(9.0f * s.total, a, b), a, x, 27.0f, 9.0f, 9.0f, 9.0f);
}

SplitFit BestThreeSplit(const SortedSums& s, const SplitWindow& w, SplitForm form) {
    SplitPick pick;
#if TOVTEX_SSE2
    if (form == SplitForm::AVX2) {
        pick = ThreeSplitPickAvx2(s, w);
    } else if (form == SplitForm::SSE2) {
        pick = ThreeSplitPickSse2(s, w);
    } else {
        pick = ThreeSplitPickPlain(s, w);
    }
#else
    (void)form;
    pick = ThreeSplitPickPlain(s, w);
#endif
    if (!(pick.merit >= 0.0f)) {
        return SplitFit{};
    }
    const int i = pick.place / PLACE_STRIDE, j = pick.place % PLACE_STRIDE;
    const float a = s.weight[j] + s.weight[i], b = s.weight[j] + 3.0f * s.weight[i];
    float x[3];
    for (int c = 0; c < 3; ++c) {
        x[c] = s.sum[c][j] + s.sum[c][i];
    }
    return FitOf(s, pick.merit, ThreeDet(4.0f * s.total, a, b), a, x, 8.0f, 4.0f, 4.0f, 4.0f);
}

int BestTwoSplit(const SortedSums& s, SplitForm form, float& between) {
    int split = 0;
    float most = 0.0f;
#if TOVTEX_SSE2
    if (form != SplitForm::PLAIN) {
        // Lane l takes i = 1 + l, 5 + l, ...; the lanes' picks give the
        // first largest, as the plain loop finds, where it is above zero.
        // Lanes past count read the padding; their results, whatever they
        // are, are masked out.
        const __m128 total = _mm_set1_ps(s.total);
        const __m128i count = _mm_set1_epi32(s.count);
        LanePicksSse2 picks;
        for (int i = 1; i < s.count; i += 4) {
            const __m128i place = _mm_add_epi32(_mm_set1_epi32(i), _mm_setr_epi32(0, 1, 2, 3));
            const __m128 wa = _mm_loadu_ps(s.weight + i);
            __m128 term[3];
            for (int c = 0; c < 3; ++c) {
                const __m128 sum = _mm_loadu_ps(s.sum[c] + i);
                term[c] = _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(s.channel[c]), sum), sum);
            }
            const __m128 x = _mm_add_ps(_mm_add_ps(term[0], term[1]), term[2]);
            const __m128 b = _mm_div_ps(_mm_mul_ps(x, total), _mm_mul_ps(wa, _mm_sub_ps(total, wa)));
            const __m128 inside = _mm_castsi128_ps(_mm_cmplt_epi32(place, count));
            picks.Keep(_mm_or_ps(_mm_and_ps(inside, b), _mm_andnot_ps(inside, _mm_set1_ps(-1.0f))), place);
        }
        const SplitPick pick = picks.Pick();
        if (pick.merit > most) {
            most = pick.merit;
            split = pick.place;
        }
        between = most;
        return split;
    }
#else
    (void)form;
#endif
    for (int i = 1; i < s.count; ++i) {
        const float wa = s.weight[i], wb = s.total - wa;
        const float x = s.channel[0] * s.sum[0][i] * s.sum[0][i] + s.channel[1] * s.sum[1][i] * s.sum[1][i] +
                        s.channel[2] * s.sum[2][i] * s.sum[2][i];
        const float b = x * s.total / (wa * wb);
        if (b > most) {
            most = b;
            split = i;
        }
    }
    between = most;
    return split;
}

}  // namespace dxt_search
