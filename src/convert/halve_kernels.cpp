#include "convert/halve_kernels.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace {

// Fields are summed side by side in one 32-bit word: the fields of Low are
// taken from the pixel as it stands, those of High after shifting it right
// by HighShift. Within either mask every field has two clear bits above it,
// so the sum of four values plus 2 never spills into its neighbour. Bits in
// neither mask are written as 0.
template <unsigned Bytes, std::uint32_t Low, std::uint32_t High, unsigned HighShift>
struct PackedHalving {
    static constexpr bool HasRoom(std::uint32_t mask) {
        const std::uint32_t topBits = mask & ~(mask >> 1);
        return ((topBits << 1 | topBits << 2) & mask) == 0 && (topBits >> 30) == 0;
    }
    static_assert(HasRoom(Low) && HasRoom(High));
    static_assert(Bytes == 4 || ((Low | High << HighShift) >> (8 * Bytes)) == 0);

    // 2 at the lowest bit of every field.
    static constexpr std::uint32_t RoundLow = (Low & ~(Low << 1)) << 1;
    static constexpr std::uint32_t RoundHigh = (High & ~(High << 1)) << 1;

    static std::uint32_t Load(const BYTE* p) {
        if constexpr (Bytes == 1) {
            return p[0];
        } else if constexpr (Bytes == 2) {
            std::uint16_t w;
            std::memcpy(&w, p, 2);
            return w;
        } else {
            static_assert(Bytes == 4);
            std::uint32_t w;
            std::memcpy(&w, p, 4);
            return w;
        }
    }

    static void Store(BYTE* p, std::uint32_t w) {
        if constexpr (Bytes == 1) {
            p[0] = static_cast<BYTE>(w);
        } else if constexpr (Bytes == 2) {
            const auto h = static_cast<std::uint16_t>(w);
            std::memcpy(p, &h, 2);
        } else {
            std::memcpy(p, &w, 4);
        }
    }

    static std::uint32_t Average(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
        const std::uint32_t low = (((a & Low) + (b & Low) + (c & Low) + (d & Low) + RoundLow) >> 2) & Low;
        if constexpr (High == 0) {
            return low;
        } else {
            const std::uint32_t high = (((a >> HighShift & High) + (b >> HighShift & High) + (c >> HighShift & High) +
                                         (d >> HighShift & High) + RoundHigh) >>
                                        2) &
                                       High;
            return low | high << HighShift;
        }
    }

    static void HalveRow(BYTE* out, const BYTE* top, const BYTE* bottom, UINT from, UINT width) {
        for (UINT x = from; x < width; ++x) {
            const std::size_t s = static_cast<std::size_t>(2 * x) * Bytes;
            Store(out + static_cast<std::size_t>(x) * Bytes,
                  Average(Load(top + s), Load(top + s + Bytes), Load(bottom + s), Load(bottom + s + Bytes)));
        }
    }
};

}  // namespace

#if TOVTEX_SSE2
// Four destination pixels of a 32-bit format from eight source pixels of
// each row, every byte averaged in a 16-bit lane.
UINT HalveRow32Sse2(BYTE* out, const BYTE* top, const BYTE* bottom, UINT width, std::uint32_t keep) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i two = _mm_set1_epi16(2);
    const __m128i keep4 = _mm_set1_epi32(static_cast<int>(keep));
    UINT x = 0;
    for (; x + 4 <= width; x += 4) {
        const BYTE* t = top + 8 * x;
        const BYTE* b = bottom + 8 * x;
        const __m128i t0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
        const __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + 16));
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16));
        // Column sums of source pixels 0, 1 | 2, 3 | 4, 5 | 6, 7.
        const __m128i c01 = _mm_add_epi16(_mm_unpacklo_epi8(t0, zero), _mm_unpacklo_epi8(b0, zero));
        const __m128i c23 = _mm_add_epi16(_mm_unpackhi_epi8(t0, zero), _mm_unpackhi_epi8(b0, zero));
        const __m128i c45 = _mm_add_epi16(_mm_unpacklo_epi8(t1, zero), _mm_unpacklo_epi8(b1, zero));
        const __m128i c67 = _mm_add_epi16(_mm_unpackhi_epi8(t1, zero), _mm_unpackhi_epi8(b1, zero));
        // Pair the columns: destination pixels 0, 1 and 2, 3.
        __m128i d01 = _mm_add_epi16(_mm_unpacklo_epi64(c01, c23), _mm_unpackhi_epi64(c01, c23));
        __m128i d23 = _mm_add_epi16(_mm_unpacklo_epi64(c45, c67), _mm_unpackhi_epi64(c45, c67));
        d01 = _mm_srli_epi16(_mm_add_epi16(d01, two), 2);
        d23 = _mm_srli_epi16(_mm_add_epi16(d23, two), 2);
        const __m128i result = _mm_and_si128(_mm_packus_epi16(d01, d23), keep4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), result);
    }
    return x;
}
#endif

namespace {

template <class Halving, std::uint32_t Keep32 = 0>
void Halve(BYTE* dst, INT dstPitch, const BYTE* src, INT srcPitch, UINT width, UINT height) {
    for (UINT y = 0; y < height; ++y) {
        BYTE* out = dst + static_cast<std::ptrdiff_t>(y) * dstPitch;
        const BYTE* top = src + static_cast<std::ptrdiff_t>(2 * y) * srcPitch;
        const BYTE* bottom = top + srcPitch;
        UINT done = 0;
#if TOVTEX_SSE2
        if constexpr (Keep32 != 0) {
            done = HalveRow32Sse2(out, top, bottom, width, Keep32);
        }
#endif
        Halving::HalveRow(out, top, bottom, done, width);
    }
}

using HalveA8R8G8B8 = PackedHalving<4, 0x00FF00FF, 0x00FF00FF, 8>;
using HalveX8R8G8B8 = PackedHalving<4, 0x00FF00FF, 0x000000FF, 8>;
using HalveR5G6B5 = PackedHalving<2, 0xF81F, 0x07E0, 0>;
using HalveX1R5G5B5 = PackedHalving<2, 0x7C1F, 0x03E0, 0>;
using HalveA1R5G5B5 = PackedHalving<2, 0x7C1F, 0x83E0, 0>;
using HalveA4R4G4B4 = PackedHalving<2, 0x0F0F, 0xF0F0, 0>;
using HalveR3G3B2 = PackedHalving<1, 0xE3, 0x1C, 0>;
using HalveA8 = PackedHalving<1, 0xFF, 0, 0>;
using HalveA8R3G3B2 = PackedHalving<2, 0x00E3, 0xFF1C, 0>;
using HalveX4R4G4B4 = PackedHalving<2, 0x0F0F, 0x00F0, 0>;
using HalveL8 = PackedHalving<1, 0xFF, 0, 0>;
using HalveA8L8 = PackedHalving<2, 0x00FF, 0xFF00, 0>;
using HalveA4L4 = PackedHalving<1, 0x0F, 0xF0, 0>;

}  // namespace

HalveKernel FindHalveKernel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8: return Halve<HalveA8R8G8B8, 0xFFFFFFFF>;
    case D3DFMT_X8R8G8B8: return Halve<HalveX8R8G8B8, 0x00FFFFFF>;
    case D3DFMT_R5G6B5: return Halve<HalveR5G6B5>;
    case D3DFMT_X1R5G5B5: return Halve<HalveX1R5G5B5>;
    case D3DFMT_A1R5G5B5: return Halve<HalveA1R5G5B5>;
    case D3DFMT_A4R4G4B4: return Halve<HalveA4R4G4B4>;
    case D3DFMT_R3G3B2: return Halve<HalveR3G3B2>;
    case D3DFMT_A8: return Halve<HalveA8>;
    case D3DFMT_A8R3G3B2: return Halve<HalveA8R3G3B2>;
    case D3DFMT_X4R4G4B4: return Halve<HalveX4R4G4B4>;
    case D3DFMT_L8: return Halve<HalveL8>;
    case D3DFMT_A8L8: return Halve<HalveA8L8>;
    case D3DFMT_A4L4: return Halve<HalveA4L4>;
    default: return nullptr;
    }
}
