#include "codec/dxt_color_palette.h"

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
    ColorPalette palette;
    BuildPalette(c0, c1, palette);
    const float cw[3] = {static_cast<float>(texels.channel[0]), static_cast<float>(texels.channel[1]),
                         static_cast<float>(texels.channel[2])};
    // Squared errors are integers below 2^24, exact in single precision;
    // the lanes run over the 16 texels.
    float best[16];
    std::uint32_t index[16];
    for (int i = 0; i < 16; ++i) {
        float d = 0.0f;
        for (int c = 0; c < 3; ++c) {
            const float e = texels.ch[c][i] - static_cast<float>(palette.rgb[0][c]);
            d += cw[c] * e * e;
        }
        best[i] = d;
        index[i] = 0;
    }
    for (int k = 1; k < palette.size; ++k) {
        const float p[3] = {static_cast<float>(palette.rgb[k][0]), static_cast<float>(palette.rgb[k][1]),
                            static_cast<float>(palette.rgb[k][2])};
        for (int i = 0; i < 16; ++i) {
            const float e0 = texels.ch[0][i] - p[0], e1 = texels.ch[1][i] - p[1], e2 = texels.ch[2][i] - p[2];
            const float d = cw[0] * e0 * e0 + cw[1] * e1 * e1 + cw[2] * e2 * e2;
            const bool closer = d < best[i];
            best[i] = closer ? d : best[i];
            index[i] = closer ? static_cast<std::uint32_t>(k) : index[i];
        }
    }
    ColorChoice out{c0, c1, 0, 0};
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t idx = (texels.transparent >> i & 1u) ? 3u : index[i];
        out.indices |= idx << (2 * i);
        out.error += static_cast<std::uint64_t>(texels.weight[i]) * static_cast<std::uint64_t>(best[i]);
    }
    return out;
}

unsigned Quantize565(const float* rgb) {
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
