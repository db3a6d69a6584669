#include "codec/dxt_single_color.h"

#include <cstdlib>

namespace dxt_search {

namespace {

struct LevelPair {
    unsigned char a;  // endpoint c0's level
    unsigned char b;  // endpoint c1's level
};

// For each 8-bit value, the two levels whose interpolated entry (index 2 of
// the mode) comes nearest, by the decoder's integer arithmetic.
struct SingleColorTables {
    LevelPair four[2][256];  // [0] 5-bit, [1] 6-bit channels
    LevelPair three[2][256];

    SingleColorTables() {
        for (int wide = 0; wide < 2; ++wide) {
            const int levels = wide ? 64 : 32;
            int expanded[64];
            for (int q = 0; q < levels; ++q) {
                expanded[q] = wide ? (q << 2 | q >> 4) : (q << 3 | q >> 2);
            }
            for (int v = 0; v < 256; ++v) {
                int bestFour = 1 << 30, bestThree = 1 << 30;
                for (int a = 0; a < levels; ++a) {
                    for (int b = 0; b < levels; ++b) {
                        const int ea = expanded[a], eb = expanded[b];
                        // Prefer endpoints close together: the other
                        // entries then stay near the colour too.
                        const int spread = std::abs(ea - eb);
                        const int four = (std::abs((2 * ea + eb + 1) / 3 - v) << 9) + spread;
                        const int three = (std::abs(((ea + eb) >> 1) - v) << 9) + spread;
                        if (four < bestFour) {
                            bestFour = four;
                            this->four[wide][v] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b)};
                        }
                        if (three < bestThree) {
                            bestThree = three;
                            this->three[wide][v] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b)};
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

ColorChoice FitFlatColorOf(const int* rgb, const std::uint32_t* channel, std::uint32_t weight,
                           std::uint16_t transparent, bool fourColor) {
    const SingleColorTables& t = Tables();
    const LevelPair(*table)[256] = fourColor ? t.four : t.three;
    const LevelPair r = table[0][rgb[0]], g = table[1][rgb[1]], b = table[0][rgb[2]];
    const unsigned a = Pack565(r.a, g.a, b.a), z = Pack565(r.b, g.b, b.b);
    const unsigned high = a > z ? a : z, low = a > z ? z : a;
    ColorChoice out{fourColor ? high : low, fourColor ? low : high, 0, 0};
    ColorPalette palette;
    BuildPalette(out.c0, out.c1, palette);
    // The nearest entry, the lowest index on ties, as the full search picks.
    std::uint64_t nearest = ~std::uint64_t{0};
    std::uint32_t index = 0;
    for (int k = 0; k < palette.size; ++k) {
        std::uint64_t d = 0;
        for (int c = 0; c < 3; ++c) {
            const int e = rgb[c] - palette.rgb[k][c];
            d += static_cast<std::uint64_t>(channel[c]) * static_cast<std::uint64_t>(e * e);
        }
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
