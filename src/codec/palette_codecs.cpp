#include "codec/palette_codecs.h"

#include <cfloat>
#include <cstring>

#include "codec/channel_layout.h"

PaletteChannels::PaletteChannels(const ColorF* palette) {
    for (int i = 0; i < 256; ++i) {
        r[i] = palette[i].r;
        g[i] = palette[i].g;
        b[i] = palette[i].b;
        a[i] = palette[i].a;
    }
}

template <bool WithAlpha>
std::uint8_t FindNearestEntry(const PaletteChannels& palette, const ColorF& c) {
#if TOVTEX_SSE2
    // Lane j measures entries j, j + 4, ...; each lane keeps its own first
    // minimum, and the lanes are merged below by distance, then by index,
    // which picks the same entry as one scan in index order.
    const __m128 cr = _mm_set1_ps(c.r);
    const __m128 cg = _mm_set1_ps(c.g);
    const __m128 cb = _mm_set1_ps(c.b);
    const __m128 ca = _mm_set1_ps(c.a);
    __m128 best = _mm_set1_ps(FLT_MAX);
    __m128i bestIndex = _mm_setzero_si128();
    __m128i index = _mm_setr_epi32(0, 1, 2, 3);
    const __m128i step = _mm_set1_epi32(4);
    for (int i = 0; i < 256; i += 4) {
        const __m128 dr = _mm_sub_ps(cr, _mm_load_ps(palette.r + i));
        const __m128 dg = _mm_sub_ps(cg, _mm_load_ps(palette.g + i));
        const __m128 db = _mm_sub_ps(cb, _mm_load_ps(palette.b + i));
        __m128 d = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dr, dr), _mm_mul_ps(dg, dg)), _mm_mul_ps(db, db));
        if constexpr (WithAlpha) {
            const __m128 da = _mm_sub_ps(ca, _mm_load_ps(palette.a + i));
            d = _mm_add_ps(d, _mm_mul_ps(da, da));
        }
        const __m128i closer = _mm_castps_si128(_mm_cmplt_ps(d, best));
        best = _mm_min_ps(d, best);  // d where d < best, else best
        bestIndex = _mm_or_si128(_mm_and_si128(closer, index), _mm_andnot_si128(closer, bestIndex));
        index = _mm_add_epi32(index, step);
    }
    alignas(16) float distance[4];
    alignas(16) std::int32_t found[4];
    _mm_store_ps(distance, best);
    _mm_store_si128(reinterpret_cast<__m128i*>(found), bestIndex);
    int result = found[0];
    float resultDistance = distance[0];
    for (int j = 1; j < 4; ++j) {
        if (distance[j] < resultDistance || (distance[j] == resultDistance && found[j] < result)) {
            result = found[j];
            resultDistance = distance[j];
        }
    }
    return static_cast<std::uint8_t>(result);
#else
    int result = 0;
    float resultDistance = FLT_MAX;
    for (int i = 0; i < 256; ++i) {
        const float dr = c.r - palette.r[i];
        const float dg = c.g - palette.g[i];
        const float db = c.b - palette.b[i];
        float d = dr * dr + dg * dg + db * db;
        if constexpr (WithAlpha) {
            const float da = c.a - palette.a[i];
            d = d + da * da;
        }
        if (d < resultDistance) {
            resultDistance = d;
            result = i;
        }
    }
    return static_cast<std::uint8_t>(result);
#endif
}

template std::uint8_t FindNearestEntry<true>(const PaletteChannels&, const ColorF&);
template std::uint8_t FindNearestEntry<false>(const PaletteChannels&, const ColorF&);

P8Codec::P8Codec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind)
    : PixelCodec(region, bitsPerPixel, kind), channels(palette) {}

HRESULT P8Codec::DecodeRow(UINT row, UINT slice, ColorF* out) {
    const BYTE* src = RowAddress(row, slice);
    for (UINT x = 0; x < width; ++x) {
        out[x] = palette[src[x]];
    }
    if (colorKeyEnabled) {
        ApplyColorKey(out, width);
    }
    return S_OK;
}

HRESULT P8Codec::EncodeRow(UINT row, UINT slice, const ColorF* in) {
    // No offset: the index is the nearest entry by all four channels.
    BYTE* dst = RowAddress(row, slice);
    for (UINT x = 0; x < width; ++x) {
        dst[x] = FindNearestEntry<true>(channels, in[x]);
    }
    return S_OK;
}

A8P8Codec::A8P8Codec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind)
    : PixelCodec(region, bitsPerPixel, kind), channels(palette) {}

HRESULT A8P8Codec::DecodeRow(UINT row, UINT slice, ColorF* out) {
    const BYTE* src = RowAddress(row, slice);
    for (UINT x = 0; x < width; ++x) {
        const std::uint32_t w = codec_layout::LoadWord<2>(src + 2 * x);
        const ColorF& entry = palette[w & 0xFF];
        // The pixel's own alpha replaces the entry's.
        out[x] = ColorF{entry.r, entry.g, entry.b, static_cast<float>(w >> 8) * UNIT_SCALE_8};
    }
    if (colorKeyEnabled) {
        ApplyColorKey(out, width);
    }
    return S_OK;
}

HRESULT A8P8Codec::EncodeRow(UINT row, UINT slice, const ColorF* in) {
    BYTE* dst = RowAddress(row, slice);
    const float* dither = DitherRow(row, slice);
    for (UINT x = 0; x < width; ++x) {
        const float t = in[x].a * 255.0f + dither[x & 3];
        const std::uint32_t alpha = static_cast<std::uint32_t>(static_cast<int>(t)) & 0xFF;
        const std::uint32_t index = FindNearestEntry<false>(channels, in[x]);
        codec_layout::StoreWord<2>(dst + 2 * x, alpha << 8 | index);
    }
    return S_OK;
}
