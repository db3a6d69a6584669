#include "codec/convert_row_fast.h"

#include <cstdint>
#include <type_traits>

#include "codec/format_layouts.h"

namespace {

using namespace codec_layout;

template <class Src, class Dst, bool Keyed>
void ConvertRows(const BYTE* src, BYTE* dst, UINT width, const float* dither, const ColorF* key) {
    UINT x = 0;
#if TOVTEX_SSE2
    const __m128 d = _mm_loadu_ps(dither);
    for (; x + 4 <= width; x += 4) {
        auto s = Src::Decode4(Src::Load4(src + x * Src::bytes), Src::defaults);
        if constexpr (Keyed) {
            ApplyColorKey4(s.r, s.g, s.b, s.a, *key);
        }
        const typename Dst::Quad q{s.r, s.g, s.b, s.a};
        // Decoded unsigned values lie within 0 to 1.
        Dst::Store4(dst + x * Dst::bytes, Dst::template Encode4<true>(q, d));
    }
#endif
    for (; x < width; ++x) {
        ColorF c = Src::DecodePixel(LoadWord<Src::bytes>(src + x * Src::bytes), Src::defaults);
        if constexpr (Keyed) {
            if (c.r == key->r && c.g == key->g && c.b == key->b && c.a == key->a) {
                c = ColorF{0.0f, 0.0f, 0.0f, 0.0f};
            }
        }
        StoreWord<Dst::bytes>(dst + x * Dst::bytes, Dst::EncodePixel(c, dither[x & 3]));
    }
}

template <class Layout>
constexpr bool IsEightBitRgb = std::is_same_v<Layout, A8R8G8B8Layout> || std::is_same_v<Layout, X8R8G8B8Layout>;

// Between the two 32-bit formats, rounding without dithering gives every
// 8-bit channel back unchanged (n / 255 * 255 + 0.5 truncates to n), so the
// row is a masked copy.
template <class Src, class Dst>
void CopyEightBitRow(const BYTE* src, BYTE* dst, UINT width) {
    constexpr bool srcAlpha = std::is_same_v<Src, A8R8G8B8Layout>;
    constexpr bool dstAlpha = std::is_same_v<Dst, A8R8G8B8Layout>;
    constexpr std::uint32_t keep = srcAlpha && dstAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
    constexpr std::uint32_t set = !srcAlpha && dstAlpha ? 0xFF000000u : 0u;
    UINT x = 0;
#if TOVTEX_SSE2
    const __m128i keep4 = _mm_set1_epi32(static_cast<int>(keep));
    const __m128i set4 = _mm_set1_epi32(static_cast<int>(set));
    for (; x + 4 <= width; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x), _mm_or_si128(_mm_and_si128(p, keep4), set4));
    }
#endif
    for (; x < width; ++x) {
        StoreWord<4>(dst + 4 * x, (LoadWord<4>(src + 4 * x) & keep) | set);
    }
}

template <class Src, class Dst>
void ConvertRow(const BYTE* src, BYTE* dst, UINT width, const float* dither, const ColorF* key) {
    if constexpr (IsEightBitRgb<Src> && IsEightBitRgb<Dst>) {
        if (key == nullptr && dither[0] == 0.5f && dither[1] == 0.5f && dither[2] == 0.5f && dither[3] == 0.5f) {
            CopyEightBitRow<Src, Dst>(src, dst, width);
            return;
        }
    }
    if (key != nullptr) {
        ConvertRows<Src, Dst, true>(src, dst, width, dither, key);
    } else {
        ConvertRows<Src, Dst, false>(src, dst, width, dither, key);
    }
}

template <class Src>
FastRowConverter FindForSource(D3DFORMAT destination) {
    switch (destination) {
    case D3DFMT_R8G8B8: return ConvertRow<Src, R8G8B8Layout>;
    case D3DFMT_A8R8G8B8: return ConvertRow<Src, A8R8G8B8Layout>;
    case D3DFMT_X8R8G8B8: return ConvertRow<Src, X8R8G8B8Layout>;
    case D3DFMT_R5G6B5: return ConvertRow<Src, R5G6B5Layout>;
    case D3DFMT_X1R5G5B5: return ConvertRow<Src, X1R5G5B5Layout>;
    case D3DFMT_A1R5G5B5: return ConvertRow<Src, A1R5G5B5Layout>;
    case D3DFMT_A4R4G4B4: return ConvertRow<Src, A4R4G4B4Layout>;
    case D3DFMT_R3G3B2: return ConvertRow<Src, R3G3B2Layout>;
    case D3DFMT_A8: return ConvertRow<Src, A8Layout>;
    case D3DFMT_A8R3G3B2: return ConvertRow<Src, A8R3G3B2Layout>;
    case D3DFMT_X4R4G4B4: return ConvertRow<Src, X4R4G4B4Layout>;
    case D3DFMT_L8: return ConvertRow<Src, L8Layout>;
    case D3DFMT_A8L8: return ConvertRow<Src, A8L8Layout>;
    case D3DFMT_A4L4: return ConvertRow<Src, A4L4Layout>;
    default: return nullptr;
    }
}

}  // namespace

FastRowConverter FindFastRowConverter(D3DFORMAT destination, D3DFORMAT source) {
    switch (source) {
    case D3DFMT_A8R8G8B8: return FindForSource<A8R8G8B8Layout>(destination);
    case D3DFMT_X8R8G8B8: return FindForSource<X8R8G8B8Layout>(destination);
    default: return nullptr;
    }
}
