#pragma once
// Compile-time description of a packed pixel: which bits feed which ColorF
// channel, and the per-pixel and four-pixel arithmetic every plain codec
// shares. Decoding multiplies by the scale constant; encoding forms
// trunc(c * S + d) with the product rounded before the offset is added.
// The four-pixel forms perform the very same operations lane by lane, so
// both give identical bits.

#include <bit>
#include <cstdint>
#include <cstring>

#include <windows.h>

#include "codec/color_f.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");

namespace codec_layout {

// L is a luminance field: r = g = b on decode, the weighted sum on encode.
enum class Channel { R, G, B, A, L };

// The single-precision constants nearest 1/(2^n - 1); 1-bit fields decode
// to 0 or 1.
constexpr float UnsignedDecodeScale(unsigned bits) {
    switch (bits) {
    case 1: return 1.0f;
    case 2: return std::bit_cast<float>(0x3EAAAAABu);
    case 3: return std::bit_cast<float>(0x3E124925u);
    case 4: return std::bit_cast<float>(0x3D888889u);
    case 5: return std::bit_cast<float>(0x3D042108u);
    case 6: return std::bit_cast<float>(0x3C820821u);
    case 8: return std::bit_cast<float>(0x3B808081u);
    default: return 0.0f;  // no format has such a field
    }
}

template <Channel C, unsigned Shift, unsigned Bits, bool Signed = false>
struct Field {
    static_assert(Bits >= 1 && Bits <= 16 && Shift + Bits <= 32);
    static_assert(Signed || UnsignedDecodeScale(Bits) != 0.0f);
    static constexpr Channel channel = C;
    static constexpr unsigned shift = Shift;
    static constexpr unsigned bits = Bits;
    static constexpr bool isSigned = Signed;
    static constexpr std::uint32_t mask = (1u << Bits) - 1;
    // Signed: 1 / 2^(n-1), exact. Unsigned: the constants above.
    static constexpr float decodeScale =
        Signed ? 1.0f / static_cast<float>(1u << (Bits - 1)) : UnsignedDecodeScale(Bits);
    static constexpr float encodeScale =
        Signed ? static_cast<float>(1u << (Bits - 1)) : static_cast<float>((1u << Bits) - 1);
};

inline constexpr float LUMINANCE_RED = 0.2125f;
inline constexpr float LUMINANCE_GREEN = 0.7154f;
inline constexpr float LUMINANCE_BLUE = 0.0721f;

inline float Luminance(const ColorF& c) {
    return LUMINANCE_RED * c.r + LUMINANCE_GREEN * c.g + LUMINANCE_BLUE * c.b;
}

// ---- one pixel ----

template <unsigned Bytes>
inline std::uint32_t LoadWord(const BYTE* p) {
    if constexpr (Bytes == 1) {
        return p[0];
    } else if constexpr (Bytes == 2) {
        std::uint16_t w;
        std::memcpy(&w, p, 2);
        return w;
    } else if constexpr (Bytes == 3) {
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16;
    } else {
        static_assert(Bytes == 4);
        std::uint32_t w;
        std::memcpy(&w, p, 4);
        return w;
    }
}

template <unsigned Bytes>
inline void StoreWord(BYTE* p, std::uint32_t w) {
    if constexpr (Bytes == 1) {
        p[0] = static_cast<BYTE>(w);
    } else if constexpr (Bytes == 2) {
        const auto h = static_cast<std::uint16_t>(w);
        std::memcpy(p, &h, 2);
    } else if constexpr (Bytes == 3) {
        p[0] = static_cast<BYTE>(w);
        p[1] = static_cast<BYTE>(w >> 8);
        p[2] = static_cast<BYTE>(w >> 16);
    } else {
        std::memcpy(p, &w, 4);
    }
}

template <class F>
inline void DecodeField(std::uint32_t w, ColorF& c) {
    float v;
    if constexpr (F::isSigned) {
        // Move the field's top bit to bit 31, then shift back arithmetically.
        const auto s = static_cast<std::int32_t>(w << (32 - F::shift - F::bits)) >> (32 - F::bits);
        v = static_cast<float>(s) * F::decodeScale;
    } else {
        v = static_cast<float>((w >> F::shift) & F::mask) * F::decodeScale;
    }
    if constexpr (F::channel == Channel::R) c.r = v;
    if constexpr (F::channel == Channel::G) c.g = v;
    if constexpr (F::channel == Channel::B) c.b = v;
    if constexpr (F::channel == Channel::A) c.a = v;
    if constexpr (F::channel == Channel::L) c.r = c.g = c.b = v;
}

template <class F>
inline std::uint32_t EncodeField(const ColorF& c, float luminance, float d) {
    float v;
    if constexpr (F::channel == Channel::R) v = c.r;
    if constexpr (F::channel == Channel::G) v = c.g;
    if constexpr (F::channel == Channel::B) v = c.b;
    if constexpr (F::channel == Channel::A) v = c.a;
    if constexpr (F::channel == Channel::L) v = luminance;
    const float t = v * F::encodeScale + d;
    // Truncation toward zero; masking keeps a negative signed value out of
    // its neighbours.
    return (static_cast<std::uint32_t>(static_cast<int>(t)) & F::mask) << F::shift;
}

template <class F>
constexpr bool IsLuminance = F::channel == Channel::L;

// A packed format: Bytes per pixel, the channels it lacks in Defaults, and
// its fields.
template <unsigned Bytes, class... Fields>
struct PackedLayout {
    static constexpr unsigned bytes = Bytes;
    static constexpr bool hasLuminance = (IsLuminance<Fields> || ...);

    static ColorF DecodePixel(std::uint32_t w, const ColorF& defaults) {
        ColorF c = defaults;
        (DecodeField<Fields>(w, c), ...);
        return c;
    }

    static std::uint32_t EncodePixel(const ColorF& c, float d) {
        const float luminance = hasLuminance ? Luminance(c) : 0.0f;
        return (EncodeField<Fields>(c, luminance, d) | ...);
    }

#if TOVTEX_SSE2
    struct Quad {
        __m128 r, g, b, a;
    };

    template <class F>
    static void DecodeField4(__m128i w, Quad& q) {
        __m128i v;
        if constexpr (F::isSigned) {
            v = _mm_srai_epi32(_mm_slli_epi32(w, 32 - F::shift - F::bits), 32 - F::bits);
        } else if constexpr (F::shift + F::bits == 32) {
            v = _mm_srli_epi32(w, F::shift);
        } else {
            v = _mm_and_si128(_mm_srli_epi32(w, F::shift), _mm_set1_epi32(static_cast<int>(F::mask)));
        }
        const __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(F::decodeScale));
        if constexpr (F::channel == Channel::R) q.r = f;
        if constexpr (F::channel == Channel::G) q.g = f;
        if constexpr (F::channel == Channel::B) q.b = f;
        if constexpr (F::channel == Channel::A) q.a = f;
        if constexpr (F::channel == Channel::L) q.r = q.g = q.b = f;
    }

    // InRange: the caller guarantees unsigned values within 0 to 1, where the
    // mask changes nothing and can be left out.
    template <class F, bool InRange>
    static __m128i EncodeField4(const Quad& q, __m128 luminance, __m128 d) {
        __m128 v;
        if constexpr (F::channel == Channel::R) v = q.r;
        if constexpr (F::channel == Channel::G) v = q.g;
        if constexpr (F::channel == Channel::B) v = q.b;
        if constexpr (F::channel == Channel::A) v = q.a;
        if constexpr (F::channel == Channel::L) v = luminance;
        const __m128 t = _mm_add_ps(_mm_mul_ps(v, _mm_set1_ps(F::encodeScale)), d);
        __m128i i = _mm_cvttps_epi32(t);
        if constexpr (!InRange || F::isSigned) {
            i = _mm_and_si128(i, _mm_set1_epi32(static_cast<int>(F::mask)));
        }
        return _mm_slli_epi32(i, F::shift);
    }

    // Four pixel words, one per 32-bit lane.
    static __m128i Load4(const BYTE* p) {
        const __m128i zero = _mm_setzero_si128();
        if constexpr (Bytes == 1) {
            std::uint32_t w;
            std::memcpy(&w, p, 4);
            const __m128i v = _mm_cvtsi32_si128(static_cast<int>(w));
            return _mm_unpacklo_epi16(_mm_unpacklo_epi8(v, zero), zero);
        } else if constexpr (Bytes == 2) {
            return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
        } else if constexpr (Bytes == 3) {
            return _mm_setr_epi32(static_cast<int>(LoadWord<3>(p)), static_cast<int>(LoadWord<3>(p + 3)),
                                  static_cast<int>(LoadWord<3>(p + 6)), static_cast<int>(LoadWord<3>(p + 9)));
        } else {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        }
    }

    static void Store4(BYTE* p, __m128i w) {
        if constexpr (Bytes == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), w);
        } else if constexpr (Bytes == 3) {
            alignas(16) std::uint32_t lanes[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(lanes), w);
            for (int i = 0; i < 4; ++i) {
                StoreWord<3>(p + 3 * i, lanes[i]);
            }
        } else {
            // Sign-extend the low 16 bits so the saturating pack keeps them.
            const __m128i h = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(w, 16), 16), _mm_setzero_si128());
            if constexpr (Bytes == 2) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(p), h);
            } else {
                const __m128i b = _mm_packus_epi16(_mm_and_si128(h, _mm_set1_epi16(0xFF)), _mm_setzero_si128());
                const auto v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(b));
                std::memcpy(p, &v, 4);
            }
        }
    }

    static Quad Decode4(__m128i w, const ColorF& defaults) {
        Quad q{_mm_set1_ps(defaults.r), _mm_set1_ps(defaults.g), _mm_set1_ps(defaults.b), _mm_set1_ps(defaults.a)};
        (DecodeField4<Fields>(w, q), ...);
        return q;
    }

    template <bool InRange = false>
    static __m128i Encode4(const Quad& q, __m128 d) {
        __m128 luminance = _mm_setzero_ps();
        if constexpr (hasLuminance) {
            luminance = _mm_add_ps(
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(LUMINANCE_RED), q.r), _mm_mul_ps(_mm_set1_ps(LUMINANCE_GREEN), q.g)),
                _mm_mul_ps(_mm_set1_ps(LUMINANCE_BLUE), q.b));
        }
        return (EncodeField4<Fields, InRange>(q, luminance, d) | ...);
    }
#endif
};

#if TOVTEX_SSE2
// Between four ColorF in memory and one register per channel.
inline void StoreQuad(ColorF* out, __m128 r, __m128 g, __m128 b, __m128 a) {
    _MM_TRANSPOSE4_PS(r, g, b, a);
    float* f = &out->r;
    _mm_storeu_ps(f, r);
    _mm_storeu_ps(f + 4, g);
    _mm_storeu_ps(f + 8, b);
    _mm_storeu_ps(f + 12, a);
}

inline void LoadQuad(const ColorF* in, __m128& r, __m128& g, __m128& b, __m128& a) {
    const float* f = &in->r;
    r = _mm_loadu_ps(f);
    g = _mm_loadu_ps(f + 4);
    b = _mm_loadu_ps(f + 8);
    a = _mm_loadu_ps(f + 12);
    _MM_TRANSPOSE4_PS(r, g, b, a);
}

// Lanes whose four channels all equal the key become transparent black.
inline void ApplyColorKey4(__m128& r, __m128& g, __m128& b, __m128& a, const ColorF& key) {
    const __m128 hit = _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(r, _mm_set1_ps(key.r)), _mm_cmpeq_ps(g, _mm_set1_ps(key.g))),
                                  _mm_and_ps(_mm_cmpeq_ps(b, _mm_set1_ps(key.b)), _mm_cmpeq_ps(a, _mm_set1_ps(key.a))));
    r = _mm_andnot_ps(hit, r);
    g = _mm_andnot_ps(hit, g);
    b = _mm_andnot_ps(hit, b);
    a = _mm_andnot_ps(hit, a);
}
#endif

}  // namespace codec_layout
