#include "codec/dxt_channel_refine.h"

#include <cstdint>

#include "codec/dxt_color_moments.h"

namespace dxt_search {

namespace {

constexpr int SHIFT[3] = {11, 5, 0};  // red, green, blue
constexpr int TOP[3] = {31, 63, 31};
constexpr int TOP_LEVELS = 64;

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
// texels on it.
struct EntrySums {
    std::int64_t weight[4];
    std::int64_t sum[3][4];
};

void SumEntries(const SearchTexels& texels, std::uint32_t indices, EntrySums& out) {
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
}

int Clamp(int v, int top) {
    return v < 0 ? 0 : v > top ? top : v;
}

// One entry's part of a channel's error, less the part that does not depend
// on the levels: W v^2 - 2 v S.
inline std::int64_t EntryCost(const EntrySums& s, int c, int k, int v) {
    return s.weight[k] * v * v - 2 * v * s.sum[c][k];
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
    int xs[TOP_LEVELS], ys[TOP_LEVELS];
    std::int64_t xCost[TOP_LEVELS], yCost[TOP_LEVELS];
    for (int p = aLo; p <= aHi; ++p) {
        xs[p - aLo] = ExpandLevel(p, c);
        xCost[p - aLo] = EntryCost(s, c, 0, xs[p - aLo]);
    }
    for (int q = bLo; q <= bHi; ++q) {
        ys[q - bLo] = ExpandLevel(q, c);
        yCost[q - bLo] = EntryCost(s, c, 1, ys[q - bLo]);
    }
    const auto pairCost = [&](int p, int q) {
        const int x = xs[p - aLo], y = ys[q - bLo];
        std::int64_t cost = xCost[p - aLo] + yCost[q - bLo];
        if (four) {
            cost += EntryCost(s, c, 2, (2 * x + y + 1) / 3) + EntryCost(s, c, 3, (x + 2 * y + 1) / 3);
        } else {
            cost += EntryCost(s, c, 2, (x + y) >> 1);
        }
        return cost;
    };
    std::int64_t best = pairCost(a, b);
    outA = a;
    outB = b;
    for (int p = aLo; p <= aHi; ++p) {
        for (int q = bLo; q <= bHi; ++q) {
            const std::int64_t cost = pairCost(p, q);
            if (cost < best) {
                best = cost;
                outA = p;
                outB = q;
            }
        }
    }
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
        const bool solved = SolveEndpoints(texels, best.indices, four, e0, e1);
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
