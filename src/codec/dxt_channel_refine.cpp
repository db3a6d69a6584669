#include "codec/dxt_channel_refine.h"

#include <cmath>
#include <cstdint>

#if TOVTEX_SSE2
#include <xmmintrin.h>
#include <emmintrin.h>
#endif

#include "codec/dxt_color_moments.h"
#include "codec/dxt_level_pairs.h"

namespace dxt_search {

namespace {

constexpr int SHIFT[3] = {11, 5, 0};  // red, green, blue
constexpr int TOP[3] = {31, 63, 31};

int ExpandLevel(int level, int c) {
    return c == 1 ? (level << 2 | level >> 4) : (level << 3 | level >> 2);
}

int LevelOf(unsigned stored, int c) {
    return static_cast<int>(stored >> SHIFT[c]) & TOP[c];
}

// The level nearest a channel value of 0 to 255, as Quantize565 rounds.
int NearestLevel(float v, int c) {
    const float top = static_cast<float>(TOP[c]);
    const float q = v * (top / 255.0f) + 0.5f;
    if (!(q > 0.0f)) {
        return 0;
    }
    return q >= top ? TOP[c] : static_cast<int>(q);
}

// Per palette entry: the summed weight and the weighted channel sums of the
// texels on it. Every product and sum is an integer below 2^24, exact in
// single precision whatever the order of adding.
struct EntrySums {
    std::int64_t weight[4];
    std::int64_t sum[3][4];
};

#if TOVTEX_SSE2
// The indices of four texels (one byte of the index word), one lane each.
struct IndexLanes {
    std::int32_t lane[256][4];
};

constexpr IndexLanes MakeIndexLanes() {
    IndexLanes t{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int l = 0; l < 4; ++l) {
            t.lane[byte][l] = byte >> (2 * l) & 3;
        }
    }
    return t;
}

inline constexpr IndexLanes INDEX_LANES = MakeIndexLanes();

// Lane k of the result: the total of v[k].
__m128 LaneTotals(__m128 v0, __m128 v1, __m128 v2, __m128 v3) {
    _MM_TRANSPOSE4_PS(v0, v1, v2, v3);
    return _mm_add_ps(_mm_add_ps(v0, v1), _mm_add_ps(v2, v3));
}
#endif

void SumEntries(const SearchTexels& texels, std::uint32_t indices, EntrySums& out) {
#if TOVTEX_SSE2
    __m128 w[4], x[3][4];
    for (int k = 0; k < 4; ++k) {
        w[k] = _mm_setzero_ps();
        for (int c = 0; c < 3; ++c) {
            x[c][k] = _mm_setzero_ps();
        }
    }
    for (int g = 0; g < 4; ++g) {
        const __m128 weight = _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + 4 * g)));
        __m128 wx[3];
        for (int c = 0; c < 3; ++c) {
            wx[c] = _mm_mul_ps(weight, _mm_loadu_ps(texels.ch[c] + 4 * g));
        }
        const __m128i index =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(INDEX_LANES.lane[indices >> (8 * g) & 255u]));
        for (int k = 0; k < 4; ++k) {
            const __m128 on = _mm_castsi128_ps(_mm_cmpeq_epi32(index, _mm_set1_epi32(k)));
            w[k] = _mm_add_ps(w[k], _mm_and_ps(on, weight));
            for (int c = 0; c < 3; ++c) {
                x[c][k] = _mm_add_ps(x[c][k], _mm_and_ps(on, wx[c]));
            }
        }
    }
    alignas(16) float totals[4][4];
    _mm_store_ps(totals[0], LaneTotals(w[0], w[1], w[2], w[3]));
    for (int c = 0; c < 3; ++c) {
        _mm_store_ps(totals[1 + c], LaneTotals(x[c][0], x[c][1], x[c][2], x[c][3]));
    }
    for (int k = 0; k < 4; ++k) {
        out.weight[k] = static_cast<std::int64_t>(totals[0][k]);
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k] = static_cast<std::int64_t>(totals[1 + c][k]);
        }
    }
#else
    for (int k = 0; k < 4; ++k) {
        out.weight[k] = 0;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k] = 0;
        }
    }
    for (int i = 0; i < 16; ++i) {
        const std::int64_t w = texels.weight[i];
        if (w == 0) {
            continue;
        }
        const unsigned k = (indices >> (2 * i)) & 3u;
        out.weight[k] += w;
        for (int c = 0; c < 3; ++c) {
            out.sum[c][k] += w * static_cast<std::int64_t>(texels.ch[c][i]);
        }
    }
#endif
}

// The least-squares endpoints for the indices the sums were taken over, by
// the arithmetic of SolveEndpoints: the normal equations' sums with c0's
// share scaled to small integers (four colours: 3, 0, 2, 1 by index; three:
// 2, 0, 1, 0) are the same exact integers, whichever texels they came from.
bool SolveFromEntries(const EntrySums& s, bool fourColor, float* e0, float* e1) {
    static constexpr std::int64_t FOUR[4] = {3, 0, 2, 1}, THREE[4] = {2, 0, 1, 0};
    const std::int64_t* share = fourColor ? FOUR : THREE;
    const std::int64_t scale = fourColor ? 3 : 2;
    std::int64_t aa = 0, ab = 0, bb = 0, ax[3] = {0, 0, 0}, bx[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const std::int64_t a = share[k], b = scale - a;
        aa += a * a * s.weight[k];
        ab += a * b * s.weight[k];
        bb += b * b * s.weight[k];
        for (int c = 0; c < 3; ++c) {
            ax[c] += a * s.sum[c][k];
            bx[c] += b * s.sum[c][k];
        }
    }
    const double daa = static_cast<double>(static_cast<float>(aa)), dbb = static_cast<double>(static_cast<float>(bb)),
                 dab = static_cast<double>(static_cast<float>(ab));
    const double det = daa * dbb - dab * dab;
    if (!(std::fabs(det) > 1e-4 * daa * dbb) || !(daa > 0.0) || !(dbb > 0.0)) {
        return false;
    }
    const double inv = (fourColor ? 3.0 : 2.0) / det;
    for (int c = 0; c < 3; ++c) {
        const double x = static_cast<float>(ax[c]), y = static_cast<float>(bx[c]);
        float a = static_cast<float>((x * dbb - y * dab) * inv);
        float b = static_cast<float>((y * daa - x * dab) * inv);
        a = a < 0.0f ? 0.0f : a > 255.0f ? 255.0f : a;
        b = b < 0.0f ? 0.0f : b > 255.0f ? 255.0f : b;
        e0[c] = a;
        e1[c] = b;
    }
    return true;
}

int Clamp(int v, int top) {
    return v < 0 ? 0 : v > top ? top : v;
}

// One channel search: the pair of levels of least error among the levels
// from one below to one above the current and the solved level of each end
// (the current pair on ties). The endpoints' own entries depend on one
// level each and are costed once per level.
void BestLevels(const EntrySums& s, int c, bool four, int a, int b, int solvedA, int solvedB, int& outA, int& outB) {
    const int aLo = Clamp((a < solvedA ? a : solvedA) - 1, TOP[c]);
    const int aHi = Clamp((a > solvedA ? a : solvedA) + 1, TOP[c]);
    const int bLo = Clamp((b < solvedB ? b : solvedB) - 1, TOP[c]);
    const int bHi = Clamp((b > solvedB ? b : solvedB) + 1, TOP[c]);
    LevelPairs pairs;
    pairs.count[0] = aHi - aLo + 1;
    pairs.count[1] = bHi - bLo + 1;
    pairs.current[0] = a - aLo;
    pairs.current[1] = b - bLo;
    for (int p = aLo; p <= aHi; ++p) {
        const int x = ExpandLevel(p, c);
        pairs.value[0][p - aLo] = x;
        pairs.cost[0][p - aLo] = LevelCost(s.weight[0], s.sum[c][0], x);
    }
    for (int q = bLo; q <= bHi; ++q) {
        const int y = ExpandLevel(q, c);
        pairs.value[1][q - bLo] = y;
        pairs.cost[1][q - bLo] = LevelCost(s.weight[1], s.sum[c][1], y);
    }
    for (int q = pairs.count[1]; q % 4 != 0; ++q) {
        pairs.value[1][q] = 0;
        pairs.cost[1][q] = 0;
    }
    pairs.weight[0] = s.weight[2];
    pairs.sum[0] = s.sum[c][2];
    pairs.weight[1] = s.weight[3];
    pairs.sum[1] = s.sum[c][3];
    pairs.four = four;
    int p = 0, q = 0;
    BestLevelPair(pairs, p, q);
    outA = aLo + p;
    outB = bLo + q;
}

}  // namespace

ColorChoice RefineByChannel(const SearchTexels& texels, const ColorChoice& start, bool fourColor, int rounds) {
    ColorChoice best = start;
    for (int round = 0; round < rounds && best.error != 0; ++round) {
        // The palette as stored: four entries when c0 > c1.
        const bool four = best.c0 > best.c1;
        EntrySums sums;
        SumEntries(texels, best.indices, sums);
        float e0[3], e1[3];
        const bool solved = SolveFromEntries(sums, four, e0, e1);
        unsigned c0 = 0, c1 = 0;
        for (int c = 0; c < 3; ++c) {
            const int a = LevelOf(best.c0, c), b = LevelOf(best.c1, c);
            const int sa = solved ? NearestLevel(e0[c], c) : a, sb = solved ? NearestLevel(e1[c], c) : b;
            int pa = a, pb = b;
            BestLevels(sums, c, four, a, b, sa, sb, pa, pb);
            c0 |= static_cast<unsigned>(pa) << SHIFT[c];
            c1 |= static_cast<unsigned>(pb) << SHIFT[c];
        }
        if (c0 == best.c0 && c1 == best.c1) {
            break;
        }
        const ColorChoice next = EvaluatePair(texels, c0, c1, fourColor);
        if (!(next.error < best.error)) {
            break;
        }
        best = next;
    }
    return best;
}

}  // namespace dxt_search
