#include "codec/dxt_search_texels.h"

#include "codec/color_f.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

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

void PrepareTexelsPlain(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                        SearchTexels& out) {
    const bool dxt1 = format == D3DFMT_DXT1;
    // Premultiplied colour already carries its alpha: every texel's colour
    // is seen as stored. Straight alpha hides a texel's colour in
    // proportion to its transparency.
    const bool byAlpha = format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
    const std::uint32_t threshold = options.alphaThreshold;
    std::uint32_t transparent = 0, used = 0;
    for (int i = 0; i < 16; ++i) {
        const DWORD p = pixels[i];
        out.ch[0][i] = static_cast<float>((p >> 16) & 255u);
        out.ch[1][i] = static_cast<float>((p >> 8) & 255u);
        out.ch[2][i] = static_cast<float>(p & 255u);
        const std::uint32_t inside = texels >> i & 1u, alpha = p >> 24;
        const std::uint32_t clear = dxt1 && alpha < threshold ? 1u : 0u;
        const std::uint32_t w = inside * (dxt1 ? 1u - clear : byAlpha ? alpha : 1u);
        out.weight[i] = w;
        transparent |= (inside & clear) << i;
        used |= (w != 0 ? 1u : 0u) << i;
    }
    out.transparent = static_cast<std::uint16_t>(transparent);
    out.used = static_cast<std::uint16_t>(used);
    std::uint32_t differs = 0;
    if (used != 0) {
        const DWORD first = pixels[__builtin_ctz(used)];
        for (int i = 0; i < 16; ++i) {
            differs |= (((pixels[i] ^ first) & 0xFFFFFFu) != 0 ? 1u : 0u) << i;
        }
    }
    out.flat = (differs & used) == 0;
    for (int c = 0; c < 3; ++c) {
        out.channel[c] = options.perceptual ? PERCEPTUAL[c] : 1u;
    }
    out.threeColorOnly = out.transparent != 0;
    out.fourColorOnly = !dxt1;
}

namespace {

void FillFlatBlock(D3DFORMAT format, DWORD pixel, std::uint32_t weight, std::uint32_t transparent, std::uint32_t used,
                   const DxtEncodeOptions& options, FlatBlock& out) {
    out.rgb[0] = static_cast<int>((pixel >> 16) & 255u);
    out.rgb[1] = static_cast<int>((pixel >> 8) & 255u);
    out.rgb[2] = static_cast<int>(pixel & 255u);
    out.weight = weight;
    for (int c = 0; c < 3; ++c) {
        out.channel[c] = options.perceptual ? PERCEPTUAL[c] : 1u;
    }
    out.transparent = static_cast<std::uint16_t>(transparent);
    out.used = static_cast<std::uint16_t>(used);
    out.threeColorOnly = transparent != 0;
    out.fourColorOnly = format != D3DFMT_DXT1;
}

}  // namespace

bool PrepareFlatBlockPlain(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                           FlatBlock& out) {
    DWORD differs = 0;
    for (int i = 1; i < 16; ++i) {
        differs |= pixels[i] ^ pixels[0];
    }
    if ((differs & 0xFFFFFFu) != 0) {
        return false;
    }
    const bool dxt1 = format == D3DFMT_DXT1;
    const bool byAlpha = format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
    const std::uint32_t threshold = options.alphaThreshold;
    std::uint32_t transparent = 0, used = 0, weight = 0;
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t inside = texels >> i & 1u, alpha = pixels[i] >> 24;
        const std::uint32_t clear = dxt1 && alpha < threshold ? 1u : 0u;
        const std::uint32_t w = inside * (dxt1 ? 1u - clear : byAlpha ? alpha : 1u);
        weight += w;
        transparent |= (inside & clear) << i;
        used |= (w != 0 ? 1u : 0u) << i;
    }
    FillFlatBlock(format, pixels[0], weight, transparent, used, options, out);
    return true;
}

#if TOVTEX_SSE2
namespace {

// The weights of texels 4g to 4g + 3 (pixels), and their bits in the
// transparent and used masks.
__m128i GroupWeights(D3DFORMAT format, __m128i pixels, std::uint16_t texels, int g, BYTE alphaThreshold,
                     unsigned& transparent, unsigned& used) {
    const __m128i one = _mm_set1_epi32(1), laneBit = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i alpha = _mm_srli_epi32(pixels, 24);
    const __m128i bits = _mm_set1_epi32(texels >> (4 * g));
    const __m128i inside = _mm_cmpeq_epi32(_mm_and_si128(bits, laneBit), laneBit);
    __m128i w;
    if (format == D3DFMT_DXT1) {
        const __m128i clear = _mm_and_si128(inside, _mm_cmplt_epi32(alpha, _mm_set1_epi32(alphaThreshold)));
        transparent |= static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(clear))) << (4 * g);
        w = _mm_and_si128(_mm_andnot_si128(clear, inside), one);
    } else {
        const bool byAlpha = format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
        w = _mm_and_si128(inside, byAlpha ? alpha : one);
    }
    const __m128i none = _mm_cmpeq_epi32(w, _mm_setzero_si128());
    used |= (~static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(none))) & 15u) << (4 * g);
    return w;
}

// A one-colour block with all sixteen texels inside and, for DXT1, none
// transparent: its weights follow from its alphas alone. False leaves the
// block to the general reading.
bool WholeFlatBlock(D3DFORMAT format, DWORD pixel, const __m128i* p, const DxtEncodeOptions& options,
                    FlatBlock& out) {
    const __m128i a01 = _mm_packs_epi32(_mm_srli_epi32(p[0], 24), _mm_srli_epi32(p[1], 24));
    const __m128i a23 = _mm_packs_epi32(_mm_srli_epi32(p[2], 24), _mm_srli_epi32(p[3], 24));
    const __m128i alpha = _mm_packus_epi16(a01, a23);  // sixteen bytes
    std::uint32_t weight = 16, used = 0xFFFF;
    if (format == D3DFMT_DXT1) {
        // Transparent when alpha < threshold: some byte below it.
        const __m128i threshold = _mm_set1_epi8(static_cast<char>(options.alphaThreshold));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(alpha, threshold), alpha)) != 0xFFFF) {
            return false;
        }
    } else if (format == D3DFMT_DXT3 || format == D3DFMT_DXT5) {
        const __m128i sums = _mm_sad_epu8(alpha, _mm_setzero_si128());
        weight = static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
        used = ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, _mm_setzero_si128()))) & 0xFFFFu;
    }
    FillFlatBlock(format, pixel, weight, 0, used, options, out);
    return true;
}

}  // namespace
#endif

bool PrepareFlatBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                      FlatBlock& out) {
#if TOVTEX_SSE2
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    const __m128i first = _mm_set1_epi32(static_cast<int>(pixels[0] & 0xFFFFFFu));
    __m128i p[4];
    __m128i same = _mm_set1_epi32(-1);
    for (int g = 0; g < 4; ++g) {
        p[g] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4 * g));
        same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_and_si128(p[g], rgb), first));
    }
    if (_mm_movemask_epi8(same) != 0xFFFF) {
        return false;
    }
    if (texels == ALL_TEXELS && WholeFlatBlock(format, pixels[0], p, options, out)) {
        return true;
    }
    unsigned transparent = 0, used = 0;
    __m128i sum = _mm_setzero_si128();
    for (int g = 0; g < 4; ++g) {
        const __m128i w = GroupWeights(format, p[g], texels, g, options.alphaThreshold, transparent, used);
        sum = _mm_add_epi32(sum, w);
    }
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    FillFlatBlock(format, pixels[0], static_cast<std::uint32_t>(_mm_cvtsi128_si32(sum)), transparent, used, options,
                  out);
    return true;
#else
    return PrepareFlatBlockPlain(format, pixels, texels, options, out);
#endif
}

void PrepareTexels(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                   SearchTexels& out) {
#if TOVTEX_SSE2
    const __m128i byte = _mm_set1_epi32(255);
    __m128i p[4];
    unsigned transparent = 0, used = 0;
    for (int g = 0; g < 4; ++g) {
        p[g] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4 * g));
        _mm_storeu_ps(out.ch[0] + 4 * g, _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p[g], 16), byte)));
        _mm_storeu_ps(out.ch[1] + 4 * g, _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p[g], 8), byte)));
        _mm_storeu_ps(out.ch[2] + 4 * g, _mm_cvtepi32_ps(_mm_and_si128(p[g], byte)));
        const __m128i w = GroupWeights(format, p[g], texels, g, options.alphaThreshold, transparent, used);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out.weight + 4 * g), w);
    }
    out.transparent = static_cast<std::uint16_t>(transparent);
    out.used = static_cast<std::uint16_t>(used);
    unsigned differs = 0;
    if (used != 0) {
        const __m128i first = _mm_set1_epi32(static_cast<int>(pixels[__builtin_ctz(used)] & 0xFFFFFFu));
        const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
        for (int g = 0; g < 4; ++g) {
            const __m128i eq = _mm_cmpeq_epi32(_mm_and_si128(p[g], rgb), first);
            differs |= (~static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(eq))) & 15u) << (4 * g);
        }
    }
    out.flat = (differs & used) == 0;
    for (int c = 0; c < 3; ++c) {
        out.channel[c] = options.perceptual ? PERCEPTUAL[c] : 1u;
    }
    out.threeColorOnly = out.transparent != 0;
    out.fourColorOnly = format != D3DFMT_DXT1;
#else
    PrepareTexelsPlain(format, pixels, texels, options, out);
#endif
}

}  // namespace dxt_search
