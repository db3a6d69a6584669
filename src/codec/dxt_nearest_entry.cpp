#include "codec/dxt_nearest_entry.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

void NearestEntriesPlain(const SearchTexels& texels, const ColorPalette& palette, float* distance,
                         std::uint32_t* index) {
    const float cw[3] = {static_cast<float>(texels.channel[0]), static_cast<float>(texels.channel[1]),
                         static_cast<float>(texels.channel[2])};
    for (int i = 0; i < 16; ++i) {
        distance[i] = 3.0e38f;
        index[i] = 0;
    }
    for (int k = 0; k < palette.size; ++k) {
        const float p[3] = {static_cast<float>(palette.rgb[k][0]), static_cast<float>(palette.rgb[k][1]),
                            static_cast<float>(palette.rgb[k][2])};
        for (int i = 0; i < 16; ++i) {
            const float e0 = texels.ch[0][i] - p[0], e1 = texels.ch[1][i] - p[1], e2 = texels.ch[2][i] - p[2];
            const float d = cw[0] * e0 * e0 + cw[1] * e1 * e1 + cw[2] * e2 * e2;
            const bool closer = d < distance[i];
            distance[i] = closer ? d : distance[i];
            index[i] = closer ? static_cast<std::uint32_t>(k) : index[i];
        }
    }
}

void NearestEntries(const SearchTexels& texels, const ColorPalette& palette, float* distance, std::uint32_t* index) {
#if TOVTEX_SSE2
    const __m128 cw0 = _mm_set1_ps(static_cast<float>(texels.channel[0]));
    const __m128 cw1 = _mm_set1_ps(static_cast<float>(texels.channel[1]));
    const __m128 cw2 = _mm_set1_ps(static_cast<float>(texels.channel[2]));
    __m128 p[4][3];
    for (int k = 0; k < palette.size; ++k) {
        for (int c = 0; c < 3; ++c) {
            p[k][c] = _mm_set1_ps(static_cast<float>(palette.rgb[k][c]));
        }
    }
    for (int g = 0; g < 16; g += 4) {
        const __m128 r = _mm_loadu_ps(texels.ch[0] + g), gr = _mm_loadu_ps(texels.ch[1] + g),
                     b = _mm_loadu_ps(texels.ch[2] + g);
        __m128 best = _mm_set1_ps(3.0e38f);
        __m128i which = _mm_setzero_si128();
        for (int k = 0; k < palette.size; ++k) {
            const __m128 e0 = _mm_sub_ps(r, p[k][0]), e1 = _mm_sub_ps(gr, p[k][1]), e2 = _mm_sub_ps(b, p[k][2]);
            const __m128 d =
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_mul_ps(cw0, e0), e0), _mm_mul_ps(_mm_mul_ps(cw1, e1), e1)),
                           _mm_mul_ps(_mm_mul_ps(cw2, e2), e2));
            const __m128 closer = _mm_cmplt_ps(d, best);
            best = _mm_or_ps(_mm_and_ps(closer, d), _mm_andnot_ps(closer, best));
            const __m128i mask = _mm_castps_si128(closer);
            which = _mm_or_si128(_mm_and_si128(mask, _mm_set1_epi32(k)), _mm_andnot_si128(mask, which));
        }
        _mm_storeu_ps(distance + g, best);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(index + g), which);
    }
#else
    NearestEntriesPlain(texels, palette, distance, index);
#endif
}

}  // namespace dxt_search
