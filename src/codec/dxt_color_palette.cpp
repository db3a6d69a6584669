#include "codec/dxt_color_palette.h"

#include "codec/dxt_nearest_entry.h"

namespace dxt_search {

void BuildPalette(unsigned c0, unsigned c1, ColorPalette& out) {
    Expand565(c0, out.rgb[0]);
    Expand565(c1, out.rgb[1]);
    if (c0 > c1) {
        for (int c = 0; c < 3; ++c) {
            out.rgb[2][c] = (2 * out.rgb[0][c] + out.rgb[1][c] + 1) / 3;
            out.rgb[3][c] = (out.rgb[0][c] + 2 * out.rgb[1][c] + 1) / 3;
        }
        out.size = 4;
    } else {
        for (int c = 0; c < 3; ++c) {
            out.rgb[2][c] = (out.rgb[0][c] + out.rgb[1][c]) >> 1;
            out.rgb[3][c] = 0;
        }
        out.size = 3;
    }
}

ColorChoice EvaluateStored(const SearchTexels& texels, unsigned c0, unsigned c1) {
    ColorChoice out{c0, c1, 0, 0};
    NearestPackedStored(texels, c0, c1, out.indices, out.error);
    return out;
}

}  // namespace dxt_search
