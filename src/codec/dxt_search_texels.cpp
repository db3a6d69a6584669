#include "codec/dxt_search_texels.h"

#include "codec/color_f.h"

namespace dxt_search {

namespace {

// Perceptual weights of red, green and blue summing to 255, so that a
// texel's error stays exact in single precision.
constexpr std::uint32_t PERCEPTUAL[3] = {54, 183, 18};

// trunc(v + 0.5) kept to a byte, as the DXT codec turns a scaled channel
// into 8 bits.
unsigned ToByte(float scaled) {
    const float v = scaled + 0.5f;
    if (!(v > 0.0f)) {
        return 0;
    }
    return v >= 255.0f ? 255u : static_cast<unsigned>(v);
}

}  // namespace

DWORD PremultiplyLikeCodec(DWORD pixel) {
    const ColorF c = ColorFromArgb(pixel);
    const unsigned r = ToByte(c.r * c.a * 255.0f);
    const unsigned g = ToByte(c.g * c.a * 255.0f);
    const unsigned b = ToByte(c.b * c.a * 255.0f);
    const unsigned a = ToByte(c.a * 255.0f);
    return static_cast<DWORD>(a << 24 | r << 16 | g << 8 | b);
}

void PrepareTexels(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                   SearchTexels& out) {
    const bool dxt1 = format == D3DFMT_DXT1;
    // Premultiplied colour already carries its alpha: every texel's colour
    // is seen as stored. Straight alpha hides a texel's colour in
    // proportion to its transparency.
    const bool byAlpha = format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
    out.transparent = 0;
    out.used = 0;
    for (int i = 0; i < 16; ++i) {
        const DWORD p = pixels[i];
        out.ch[0][i] = static_cast<float>((p >> 16) & 255u);
        out.ch[1][i] = static_cast<float>((p >> 8) & 255u);
        out.ch[2][i] = static_cast<float>(p & 255u);
        std::uint32_t w = 0;
        if (texels >> i & 1u) {
            if (dxt1) {
                if (IsTransparentDxt1(p, options.alphaThreshold)) {
                    out.transparent = static_cast<std::uint16_t>(out.transparent | 1u << i);
                } else {
                    w = 1;
                }
            } else {
                w = byAlpha ? p >> 24 : 1u;
            }
        }
        out.weight[i] = w;
        if (w != 0) {
            out.used = static_cast<std::uint16_t>(out.used | 1u << i);
        }
    }
    for (int c = 0; c < 3; ++c) {
        out.channel[c] = options.perceptual ? PERCEPTUAL[c] : 1u;
    }
    out.threeColorOnly = out.transparent != 0;
    out.fourColorOnly = !dxt1;
}

}  // namespace dxt_search
