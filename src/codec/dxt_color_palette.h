#pragma once
// The colours a pair of stored endpoints decodes to, built with the
// decoder's own integer arithmetic, and the exact error of the best index
// of every texel against them. Every colour candidate the searching
// encoders consider is judged here.

#include <cstdint>

#include "codec/dxt_search_texels.h"

namespace dxt_search {

// One candidate colour block and its error: the sum over the texels of the
// texel's weight times its channel-weighted squared error.
struct ColorChoice {
    unsigned c0;
    unsigned c1;
    std::uint32_t indices;
    std::uint64_t error;
};

inline constexpr std::uint64_t NO_ERROR_YET = ~std::uint64_t{0};

// The decoded palette in index order, red, green, blue; size 4 in
// four-colour mode (c0 > c1), else 3: index 3 is transparent black, which
// only DXT1's transparent texels take.
struct ColorPalette {
    int rgb[4][3];
    int size;
};

void BuildPalette(unsigned c0, unsigned c1, ColorPalette& out);

// The block for stored endpoints c0, c1 with every texel's nearest colour
// (the lowest index on ties); DXT1's transparent texels take index 3.
ColorChoice EvaluateStored(const SearchTexels& texels, unsigned c0, unsigned c1);

// Endpoints a and b put in the order that selects the mode asked for.
inline ColorChoice EvaluatePair(const SearchTexels& texels, unsigned a, unsigned b, bool fourColor) {
    const unsigned high = a > b ? a : b, low = a > b ? b : a;
    return fourColor ? EvaluateStored(texels, high, low) : EvaluateStored(texels, low, high);
}

inline void KeepBetter(ColorChoice& best, const ColorChoice& candidate) {
    if (candidate.error < best.error) {
        best = candidate;
    }
}

// 5:6:5 to 8 bits per channel as red, green, blue, replicating the top bits.
inline void Expand565(unsigned c, int* rgb) {
    const int r = static_cast<int>(c >> 11), g = static_cast<int>((c >> 5) & 63u), b = static_cast<int>(c & 31u);
    rgb[0] = r << 3 | r >> 2;
    rgb[1] = g << 2 | g >> 4;
    rgb[2] = b << 3 | b >> 2;
}

inline unsigned Pack565(int r5, int g6, int b5) {
    return static_cast<unsigned>(r5 << 11 | g6 << 5 | b5);
}

// Nearest 5:6:5 colour of a point given as red, green, blue in 0 to 255
// (inline: every refinement step quantises two endpoints).
inline unsigned Quantize565(const float* rgb) {
    const auto level = [](float v, float top) {
        const float q = v * (top / 255.0f) + 0.5f;
        if (!(q > 0.0f)) {
            return 0;
        }
        return q >= top ? static_cast<int>(top) : static_cast<int>(q);
    };
    return Pack565(level(rgb[0], 31.0f), level(rgb[1], 63.0f), level(rgb[2], 31.0f));
}

}  // namespace dxt_search
