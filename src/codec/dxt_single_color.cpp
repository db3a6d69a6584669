#include "codec/dxt_single_color.h"

#include <cmath>

#include <cstdint>
#include <cstdlib>

namespace dxt_search {

namespace {

struct LevelPair {
    unsigned char a;  // endpoint c0's level
    unsigned char b;  // endpoint c1's level
};

// A pair of levels reaching an entry value, by its endpoints' spread; no
// pair yet while the spread is negative.
struct Reach {
    int spread = -1;
    int a = 0, b = 0;
};

// Pairs come in (a, b) order: a later pair wins only by a smaller spread.
void KeepCloser(Reach& kept, const Reach& pair) {
    if (kept.spread < 0 || pair.spread < kept.spread) {
        kept = pair;
    }
}

// The pair of the entry value nearest v, then of the smaller spread, then
// the first in (a, b) order.
LevelPair NearestReach(const Reach* reach, int v) {
    for (int d = 0;; ++d) {
        const Reach* below = v - d >= 0 && reach[v - d].spread >= 0 ? &reach[v - d] : nullptr;
        const Reach* above = v + d <= 255 && reach[v + d].spread >= 0 ? &reach[v + d] : nullptr;
        if (below && above && above != below) {
            const bool takeAbove = above->spread < below->spread ||
                                   (above->spread == below->spread &&
                                    (above->a < below->a || (above->a == below->a && above->b < below->b)));
            below = takeAbove ? above : below;
        }
        const Reach* found = below ? below : above;
        if (found) {
            return {static_cast<unsigned char>(found->a), static_cast<unsigned char>(found->b)};
        }
    }
}

// For each 8-bit value, the two levels whose interpolated entry (index 2 of
// the mode) comes nearest, by the decoder's integer arithmetic.
struct SingleColorTables {
    LevelPair four[2][256];  // [0] 5-bit, [1] 6-bit channels
    LevelPair three[2][256];
    // For a flat block: the squared distance of the value to each palette
    // entry of its pair's channel, [mode: 0 four, 1 three][wide][value]
    // [pair stored as is, or swapped][entry].
    std::uint16_t squared[2][2][256][2][4];

    SingleColorTables() {
        for (int wide = 0; wide < 2; ++wide) {
            const int levels = wide ? 64 : 32;
            int expanded[64];
            for (int q = 0; q < levels; ++q) {
                expanded[q] = wide ? (q << 2 | q >> 4) : (q << 3 | q >> 2);
            }
            // The pair reaching each entry value with its endpoints closest
            // together, the first in (a, b) order on ties: every pair's
            // entry is visited once instead of once per value.
            Reach reachFour[256], reachThree[256];
            for (int a = 0; a < levels; ++a) {
                for (int b = 0; b < levels; ++b) {
                    const int ea = expanded[a], eb = expanded[b];
                    const Reach pair{std::abs(ea - eb), a, b};
                    KeepCloser(reachFour[(2 * ea + eb + 1) / 3], pair);
                    KeepCloser(reachThree[(ea + eb) >> 1], pair);
                }
            }
            for (int v = 0; v < 256; ++v) {
                // The nearest entry first, then endpoints close together
                // (the other entries then stay near the colour too), then
                // the first pair.
                this->four[wide][v] = NearestReach(reachFour, v);
                this->three[wide][v] = NearestReach(reachThree, v);
                for (int mode = 0; mode < 2; ++mode) {
                    const LevelPair pair = mode == 0 ? this->four[wide][v] : this->three[wide][v];
                    for (int swap = 0; swap < 2; ++swap) {
                        const int x = expanded[swap ? pair.b : pair.a], y = expanded[swap ? pair.a : pair.b];
                        const int entries[4] = {x, y, mode == 0 ? (2 * x + y + 1) / 3 : (x + y) >> 1,
                                                mode == 0 ? (x + 2 * y + 1) / 3 : 0};
                        for (int k = 0; k < 4; ++k) {
                            squared[mode][wide][v][swap][k] =
                                static_cast<std::uint16_t>((v - entries[k]) * (v - entries[k]));
                        }
                    }
                }
            }
        }
    }
};

const SingleColorTables& Tables() {
    static const SingleColorTables tables;  // built once, read only after
    return tables;
}

}  // namespace

ColorChoice FitSingleColor(const SearchTexels& texels, const int* rgb, bool fourColor) {
    const SingleColorTables& t = Tables();
    const LevelPair(*table)[256] = fourColor ? t.four : t.three;
    const LevelPair r = table[0][rgb[0]], g = table[1][rgb[1]], b = table[0][rgb[2]];
    const unsigned c0 = Pack565(r.a, g.a, b.a), c1 = Pack565(r.b, g.b, b.b);
    return EvaluatePair(texels, c0, c1, fourColor);
}

ColorChoice FitMeanColor(const SearchTexels& texels, const float* mean, bool fourColor) {
    int rgb[3];
    for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>(std::lround(mean[c]));
        rgb[c] = v < 0 ? 0 : v > 255 ? 255 : v;
    }
    return FitSingleColor(texels, rgb, fourColor);
}

ColorChoice FitFlatColorOf(const int* rgb, const std::uint32_t* channel, std::uint32_t weight,
                           std::uint16_t transparent, bool fourColor) {
    const SingleColorTables& t = Tables();
    const LevelPair(*table)[256] = fourColor ? t.four : t.three;
    const LevelPair r = table[0][rgb[0]], g = table[1][rgb[1]], b = table[0][rgb[2]];
    const unsigned a = Pack565(r.a, g.a, b.a), z = Pack565(r.b, g.b, b.b);
    const unsigned high = a > z ? a : z, low = a > z ? z : a;
    ColorChoice out{fourColor ? high : low, fourColor ? low : high, 0, 0};
    // The palette's entries channel by channel from the tables, as the
    // decoder builds them from the stored pair; equal endpoints leave a
    // three-entry palette whose entries all equal the first.
    const int mode = fourColor ? 0 : 1, swap = out.c0 != a ? 1 : 0;
    const std::uint16_t* sr = t.squared[mode][0][rgb[0]][swap];
    const std::uint16_t* sg = t.squared[mode][1][rgb[1]][swap];
    const std::uint16_t* sb = t.squared[mode][0][rgb[2]][swap];
    const int size = out.c0 > out.c1 ? 4 : 3;
    // The nearest entry, the lowest index on ties, as the full search picks.
    std::uint64_t nearest = ~std::uint64_t{0};
    std::uint32_t index = 0;
    for (int k = 0; k < size; ++k) {
        const std::uint64_t d = static_cast<std::uint64_t>(channel[0]) * sr[k] +
                                static_cast<std::uint64_t>(channel[1]) * sg[k] +
                                static_cast<std::uint64_t>(channel[2]) * sb[k];
        if (d < nearest) {
            nearest = d;
            index = static_cast<std::uint32_t>(k);
        }
    }
    // Every texel on the one index, the transparent ones on 3.
    std::uint32_t spread = transparent;
    spread = (spread | spread << 8) & 0x00FF00FFu;
    spread = (spread | spread << 4) & 0x0F0F0F0Fu;
    spread = (spread | spread << 2) & 0x33333333u;
    spread = (spread | spread << 1) & 0x55555555u;
    out.indices = (index * 0x55555555u & ~(spread * 3u)) | spread * 3u;
    out.error = weight * nearest;
    return out;
}

ColorChoice FitFlatColor(const SearchTexels& texels, const int* rgb, bool fourColor) {
    std::uint32_t weight = 0;  // at most 16 x 255
    for (int i = 0; i < 16; ++i) {
        weight += texels.weight[i];
    }
    return FitFlatColorOf(rgb, texels.channel, weight, texels.transparent, fourColor);
}

}  // namespace dxt_search
