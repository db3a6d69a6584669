#include "codec/convert_row_fast.h"

#include "codec/format_layouts.h"

namespace {

using namespace codec_layout;

template <class Src, class Dst, bool Keyed>
void ConvertRows(const BYTE* src, BYTE* dst, UINT width, const float* dither, const ColorF* key)
{
    UINT x = 0;
#if TOVTEX_SSE2
    const __m128 d = _mm_loadu_ps(dither);
    for (; x + 4 <= width; x += 4) {
        auto s = Src::Decode4(Src::Load4(src + x * Src::bytes), Src::defaults);
        if constexpr (Keyed) {
            ApplyColorKey4(s.r, s.g, s.b, s.a, *key);
        }
        const typename Dst::Quad q{s.r, s.g, s.b, s.a};
        Dst::Store4(dst + x * Dst::bytes, Dst::Encode4(q, d));
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

template <class Src, class Dst>
void ConvertRow(const BYTE* src, BYTE* dst, UINT width, const float* dither, const ColorF* key)
{
    if (key != nullptr) {
        ConvertRows<Src, Dst, true>(src, dst, width, dither, key);
    } else {
        ConvertRows<Src, Dst, false>(src, dst, width, dither, key);
    }
}

template <class Src>
FastRowConverter FindForSource(D3DFORMAT destination)
{
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

FastRowConverter FindFastRowConverter(D3DFORMAT destination, D3DFORMAT source)
{
    switch (source) {
    case D3DFMT_A8R8G8B8: return FindForSource<A8R8G8B8Layout>(destination);
    case D3DFMT_X8R8G8B8: return FindForSource<X8R8G8B8Layout>(destination);
    default: return nullptr;
    }
}
