#include "codec/dxt_nearest_entry.h"

#include "codec/cpu_features.h"
#include "codec/dxt_nearest_entry_avx2.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

namespace {

#if TOVTEX_SSE2
// Bit i of x to bit 2i.
std::uint32_t Spread16(std::uint32_t x) {
    x = (x | x << 8) & 0x00FF00FFu;
    x = (x | x << 4) & 0x0F0F0F0Fu;
    x = (x | x << 2) & 0x33333333u;
    return (x | x << 1) & 0x55555555u;
}
#endif

}  // namespace

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

void NearestPackedPlain(const SearchTexels& texels, const ColorPalette& palette, std::uint32_t& indices,
                        std::uint64_t& error) {
    float best[16];
    std::uint32_t index[16];
    NearestEntriesPlain(texels, palette, best, index);
    indices = 0;
    error = 0;
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t idx = (texels.transparent >> i & 1u) ? 3u : index[i];
        indices |= idx << (2 * i);
        error += static_cast<std::uint64_t>(texels.weight[i]) * static_cast<std::uint64_t>(best[i]);
    }
}

#if TOVTEX_SSE2
namespace {

// Squared distance of four texels to one entry; the channel weights are
// left out when they are all 1 (multiplying by 1 changes nothing).
template <bool WEIGHTED>
__m128 Distance(const __m128* t, const __m128* p, const __m128* cw) {
    const __m128 e0 = _mm_sub_ps(t[0], p[0]), e1 = _mm_sub_ps(t[1], p[1]), e2 = _mm_sub_ps(t[2], p[2]);
    if (WEIGHTED) {
        return _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_mul_ps(cw[0], e0), e0), _mm_mul_ps(_mm_mul_ps(cw[1], e1), e1)),
                          _mm_mul_ps(_mm_mul_ps(cw[2], e2), e2));
    }
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(e0, e0), _mm_mul_ps(e1, e1)), _mm_mul_ps(e2, e2));
}

// Nearest of the four entries (a three-colour palette's fourth entry lies
// far out of reach), the lowest index on ties.
template <bool WEIGHTED>
void NearestOfFour(const SearchTexels& texels, int g, const __m128 (*p)[3], const __m128* cw, __m128& best,
                   __m128i& which) {
    const __m128 t[3] = {_mm_loadu_ps(texels.ch[0] + 4 * g), _mm_loadu_ps(texels.ch[1] + 4 * g),
                         _mm_loadu_ps(texels.ch[2] + 4 * g)};
    best = Distance<WEIGHTED>(t, p[0], cw);
    which = _mm_setzero_si128();
    for (int k = 1; k < 4; ++k) {
        const __m128 d = Distance<WEIGHTED>(t, p[k], cw);
        const __m128i closer = _mm_castps_si128(_mm_cmplt_ps(d, best));
        best = _mm_min_ps(d, best);
        which = _mm_or_si128(_mm_and_si128(closer, _mm_set1_epi32(k)), _mm_andnot_si128(closer, which));
    }
}

// Entry K's keys for the sixteen texels, kept where smaller (K 0: taken).
template <int K>
void KeepEntryKeys(const SearchTexels& texels, __m128 red, __m128 green, __m128 blue, __m128 offset, __m128* best) {
    constexpr int LANE = K * 0x55;
    const __m128 r = _mm_shuffle_ps(red, red, LANE), g = _mm_shuffle_ps(green, green, LANE);
    const __m128 b = _mm_shuffle_ps(blue, blue, LANE), o = _mm_shuffle_ps(offset, offset, LANE);
    for (int q = 0; q < 4; ++q) {
        const __m128 key = _mm_add_ps(_mm_add_ps(_mm_add_ps(o, _mm_mul_ps(_mm_loadu_ps(texels.ch[0] + 4 * q), r)),
                                                 _mm_mul_ps(_mm_loadu_ps(texels.ch[1] + 4 * q), g)),
                                      _mm_mul_ps(_mm_loadu_ps(texels.ch[2] + 4 * q), b));
        best[q] = K == 0 ? key : _mm_min_ps(key, best[q]);
    }
}

// Plain RGB distances. A texel t's squared distance to entry p is
// |t|^2 - 2 t.p + |p|^2; only the last two terms differ between entries, so
// each entry k is judged by the key |p|^2 + k^2 / 16 - 2 t.p (three products
// and three sums) and |t|^2 is added once to the smallest key. Every value
// is an integer plus k^2 / 16 below 2^19 in magnitude, exact in single
// precision, so the smallest key finds the nearest entry with the lowest
// index on ties and k^2 (0, 1, 4, 9) is read back from the fraction.
// Entries come as one vector per channel (entry k in lane k) with offset
// holding |p|^2 + k^2 / 16; entries run outermost so that the sixteen
// texels' keys stay in four registers.
void NearestUnweighted(const SearchTexels& texels, __m128 red, __m128 green, __m128 blue, __m128 offset,
                       std::uint32_t& indices, std::uint64_t& error) {
    const __m128 minusTwo = _mm_set1_ps(-2.0f);
    red = _mm_mul_ps(red, minusTwo);
    green = _mm_mul_ps(green, minusTwo);
    blue = _mm_mul_ps(blue, minusTwo);
    __m128 best[4];
    KeepEntryKeys<0>(texels, red, green, blue, offset, best);
    KeepEntryKeys<1>(texels, red, green, blue, offset, best);
    KeepEntryKeys<2>(texels, red, green, blue, offset, best);
    KeepEntryKeys<3>(texels, red, green, blue, offset, best);
    const __m128 sixteen = _mm_set1_ps(16.0f);
    __m128i keys[4];
    __m128i sum = _mm_setzero_si128();  // two 64-bit lanes
    for (int g = 0; g < 4; ++g) {
        const __m128 t0 = _mm_loadu_ps(texels.ch[0] + 4 * g), t1 = _mm_loadu_ps(texels.ch[1] + 4 * g),
                     t2 = _mm_loadu_ps(texels.ch[2] + 4 * g);
        const __m128 length = _mm_add_ps(_mm_add_ps(_mm_mul_ps(t0, t0), _mm_mul_ps(t1, t1)), _mm_mul_ps(t2, t2));
        // The distance plus k^2 / 16 (an unreachable entry never wins, so
        // every key is below 2^20 once scaled).
        keys[g] = _mm_cvttps_epi32(_mm_mul_ps(_mm_add_ps(best[g], length), sixteen));
        const __m128i dist = _mm_srli_epi32(keys[g], 4);
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + 4 * g));
        sum = _mm_add_epi64(sum, _mm_mul_epu32(dist, weight));
        sum = _mm_add_epi64(sum, _mm_mul_epu32(_mm_srli_epi64(dist, 32), _mm_srli_epi64(weight, 32)));
    }
    // k^2 in the low four bits of each byte: bit 0 is k's low bit, bit 2 or
    // bit 3 its high bit.
    const __m128i low4 = _mm_set1_epi32(15);
    const __m128i squares =
        _mm_packus_epi16(_mm_packs_epi32(_mm_and_si128(keys[0], low4), _mm_and_si128(keys[1], low4)),
                         _mm_packs_epi32(_mm_and_si128(keys[2], low4), _mm_and_si128(keys[3], low4)));
    const std::uint32_t transparent = texels.transparent;
    const auto low = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(squares, 7))) | transparent;
    const auto high = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(squares, 5)) |
                                                 _mm_movemask_epi8(_mm_slli_epi16(squares, 4))) |
                      transparent;
    indices = Spread16(low) | Spread16(high) << 1;
    alignas(16) std::uint64_t halves[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(halves), sum);
    error = halves[0] + halves[1];
}

// |p|^2 + k^2 / 16 per entry; an entry beyond the palette (the
// three-colour mode's fourth) is put out of reach.
__m128 EntryOffsets(__m128 red, __m128 green, __m128 blue, bool threeColor) {
    const __m128 length = _mm_add_ps(_mm_add_ps(_mm_mul_ps(red, red), _mm_mul_ps(green, green)), _mm_mul_ps(blue, blue));
    const __m128 ties = _mm_setr_ps(0.0f, 0.0625f, 0.25f, threeColor ? 1048576.0f : 0.5625f);
    return _mm_add_ps(length, ties);
}

void NearestUnweighted(const SearchTexels& texels, const ColorPalette& palette, std::uint32_t& indices,
                       std::uint64_t& error) {
    float lanes[3][4];
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 3; ++c) {
            lanes[c][k] = k < palette.size ? static_cast<float>(palette.rgb[k][c]) : 0.0f;
        }
    }
    const __m128 red = _mm_loadu_ps(lanes[0]), green = _mm_loadu_ps(lanes[1]), blue = _mm_loadu_ps(lanes[2]);
    NearestUnweighted(texels, red, green, blue, EntryOffsets(red, green, blue, palette.size < 4), indices, error);
}

// The palette of stored endpoints c0, c1 by the decoder's integer
// arithmetic, in 16-bit lanes ordered red, green, blue, two lanes each
// (c0, c1), then spread to one float vector per channel.
void PaletteLanes(unsigned c0, unsigned c1, __m128& red, __m128& green, __m128& blue) {
    const __m128i both = _mm_set1_epi32(static_cast<int>(c0 | c1 << 16));
    // Each field moved to the top of its lane, then its top bits
    // replicated below: x >> 8 | x >> (8 + width).
    const __m128i field = _mm_and_si128(both, _mm_setr_epi16(-2048, -2048, 0x07E0, 0x07E0, 0x001F, 0x001F, 0, 0));
    const __m128i top = _mm_mullo_epi16(field, _mm_setr_epi16(1, 1, 32, 32, 2048, 2048, 0, 0));
    const __m128i ends = _mm_or_si128(_mm_srli_epi16(top, 8), _mm_mulhi_epu16(top, _mm_setr_epi16(8, 8, 4, 4, 8, 8, 0, 0)));
    // The other endpoint in each lane.
    const __m128i other = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ends, 0xB1), 0xB1);
    __m128i middle;
    if (c0 > c1) {
        // (2 a + b + 1) / 3 in the c0 lanes, (a + 2 b + 1) / 3 in the c1
        // lanes: a high multiply by ceil(2^16 / 3) divides exactly below 2^15.
        const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(ends, ends), other), _mm_set1_epi16(1));
        middle = _mm_mulhi_epu16(sum, _mm_set1_epi16(21846));
    } else {
        // (a + b) >> 1, and the fourth entry black.
        middle = _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(ends, other), 1), _mm_set1_epi32(0xFFFF));
    }
    // Entries 0 to 3 of each channel side by side.
    const __m128i rg = _mm_unpacklo_epi32(ends, middle), b = _mm_unpackhi_epi32(ends, middle);
    const __m128i zero = _mm_setzero_si128();
    red = _mm_cvtepi32_ps(_mm_unpacklo_epi16(rg, zero));
    green = _mm_cvtepi32_ps(_mm_unpackhi_epi16(rg, zero));
    blue = _mm_cvtepi32_ps(_mm_unpacklo_epi16(b, zero));
}

}  // namespace
#endif

void NearestPacked(const SearchTexels& texels, const ColorPalette& palette, std::uint32_t& indices,
                   std::uint64_t& error) {
#if TOVTEX_SSE2
    const __m128 cw[3] = {_mm_set1_ps(static_cast<float>(texels.channel[0])),
                          _mm_set1_ps(static_cast<float>(texels.channel[1])),
                          _mm_set1_ps(static_cast<float>(texels.channel[2]))};
    const bool weighted = texels.channel[0] != 1u || texels.channel[1] != 1u || texels.channel[2] != 1u;
    if (!weighted) {
        NearestUnweighted(texels, palette, indices, error);
        return;
    }
    __m128 p[4][3];
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < 3; ++c) {
            // Out of reach: distances to it exceed any real one.
            const float v = k < palette.size ? static_cast<float>(palette.rgb[k][c]) : 1.0e6f;
            p[k][c] = _mm_set1_ps(v);
        }
    }
    const __m128i laneBit = _mm_setr_epi32(1, 2, 4, 8);
    __m128i which[4];
    __m128i sum = _mm_setzero_si128();  // two 64-bit lanes
    for (int g = 0; g < 4; ++g) {
        __m128 best;
        __m128i w;
        NearestOfFour<true>(texels, g, p, cw, best, w);
        // Transparent texels take index 3 (their weight is 0).
        const __m128i clear = _mm_set1_epi32(static_cast<int>(texels.transparent >> (4 * g)));
        const __m128i transparent = _mm_cmpeq_epi32(_mm_and_si128(clear, laneBit), laneBit);
        which[g] = _mm_or_si128(w, _mm_and_si128(transparent, _mm_set1_epi32(3)));
        // The distances are integers below 2^25: exact as 32-bit integers;
        // weight times distance in 64 bits, even and odd lanes apart.
        const __m128i dist = _mm_cvttps_epi32(best);
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + 4 * g));
        sum = _mm_add_epi64(sum, _mm_mul_epu32(dist, weight));
        sum = _mm_add_epi64(sum, _mm_mul_epu32(_mm_srli_epi64(dist, 32), _mm_srli_epi64(weight, 32)));
    }
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(which[0], which[1]), _mm_packs_epi32(which[2], which[3]));
    const auto low = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(bytes, 7)));
    const auto high = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(bytes, 6)));
    indices = Spread16(low) | Spread16(high) << 1;
    alignas(16) std::uint64_t halves[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(halves), sum);
    error = halves[0] + halves[1];
#else
    NearestPackedPlain(texels, palette, indices, error);
#endif
}

void NearestPackedStoredPlain(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                              std::uint64_t& error) {
    ColorPalette palette;
    BuildPalette(c0, c1, palette);
    NearestPackedPlain(texels, palette, indices, error);
}

#if TOVTEX_SSE2
namespace {

template <bool WIDE>
void NearestPackedStoredVector(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                               std::uint64_t& error) {
    if (texels.channel[0] == 1u && texels.channel[1] == 1u && texels.channel[2] == 1u) {
        __m128 red, green, blue;
        PaletteLanes(c0, c1, red, green, blue);
        const __m128 offset = EntryOffsets(red, green, blue, !(c0 > c1));
        if (WIDE) {
            NearestKeysAvx2(texels, red, green, blue, offset, indices, error);
        } else {
            NearestUnweighted(texels, red, green, blue, offset, indices, error);
        }
        return;
    }
    ColorPalette palette;
    BuildPalette(c0, c1, palette);
    NearestPacked(texels, palette, indices, error);
}

}  // namespace

void NearestPackedStoredSse2(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                             std::uint64_t& error) {
    NearestPackedStoredVector<false>(texels, c0, c1, indices, error);
}

void NearestPackedStoredAvx2(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                             std::uint64_t& error) {
    NearestPackedStoredVector<true>(texels, c0, c1, indices, error);
}
#endif

void NearestPackedStored(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                         std::uint64_t& error) {
#if TOVTEX_SSE2
    if (CpuHasAvx2()) {
        NearestPackedStoredVector<true>(texels, c0, c1, indices, error);
    } else {
        NearestPackedStoredVector<false>(texels, c0, c1, indices, error);
    }
#else
    NearestPackedStoredPlain(texels, c0, c1, indices, error);
#endif
}

}  // namespace dxt_search
