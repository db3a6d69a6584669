// The colour encoder in vector form. Per-pixel steps run four pixels to a
// register; the sums over pixels keep pixel order (one register lane per
// channel); the matrix squarings of up to four blocks run one block per
// lane. Every lane performs the plain encoder's operations in the plain
// encoder's order, so the results are identical bit for bit.

#include <cstdint>

#include "codec/dxt_endpoint_fit.h"
#include "codec/dxt_endpoint_fit_group.h"
#include "codec/dxt_fit_shared.h"

#if TOVTEX_SSE2
#include <emmintrin.h>

using namespace dxt_fit;

namespace {

// One block between the covariance and the power iteration.
struct ColorFit {
    const DWORD* pixels;
    BYTE* out;
    std::uint32_t opaque;  // bit i: pixel i is opaque
    __m128 mean;           // blue, green, red, 0
    __m128 p[3][4];        // centred colours by channel, four pixels a register
    float m[6];            // 00 01 02 11 12 22
    bool traceZero;
};

inline __m128 Select(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// All-ones lanes for the opaque pixels among pixels 4g to 4g + 3.
inline __m128 OpaqueLanes(std::uint32_t opaque, int g) {
    const __m128i bits = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i v = _mm_and_si128(_mm_set1_epi32(static_cast<int>(opaque >> (4 * g))), bits);
    return _mm_castsi128_ps(_mm_cmpeq_epi32(v, bits));
}

inline __m128 PixelLanes(std::uint32_t opaque, int i) {
    return _mm_castsi128_ps(_mm_set1_epi32(-static_cast<int>(opaque >> i & 1u)));
}

std::uint32_t OpaquePixels(const __m128i* px, const ColorKeyRange& key) {
    for (int c = 0; c < 3; ++c) {
        if (Channel(key.low, c) > Channel(key.high, c)) {
            return 0xFFFFu;  // an empty range keys nothing
        }
    }
    // Alpha is outside the test: its bounds 0 and 255 take every value.
    const __m128i low = _mm_set1_epi32(static_cast<int>(key.low & 0x00FFFFFFu));
    const __m128i high = _mm_set1_epi32(static_cast<int>(key.high | 0xFF000000u));
    const __m128i ones = _mm_set1_epi32(-1);
    std::uint32_t inside = 0;
    for (int g = 0; g < 4; ++g) {
        const __m128i v = px[g];
        const __m128i bytesInside =
            _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, low), v), _mm_cmpeq_epi8(_mm_min_epu8(v, high), v));
        const __m128i pixelInside = _mm_cmpeq_epi32(bytesInside, ones);
        inside |= static_cast<std::uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(pixelInside))) << (4 * g);
    }
    return ~inside & 0xFFFFu;
}

// The key test, the two cases that need no fit (no opaque pixel, one
// colour), the weighted colours, their mean and the covariance matrix;
// false when the block was already written.
bool PrepareColorFit(const DWORD* pixels, const ColorKeyRange& key, BYTE* out, ColorFit& f) {
    __m128i px[4];
    for (int g = 0; g < 4; ++g) {
        px[g] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 4 * g));
    }
    const std::uint32_t opaque = OpaquePixels(px, key);
    if (opaque == 0) {
        WriteColorBlock(out, 0x0000, 0xFFFF, 0xFFFFFFFFu);
        return false;
    }
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i first = _mm_and_si128(_mm_set1_epi32(static_cast<int>(pixels[0])), rgb);
    __m128i same = _mm_set1_epi32(-1);
    for (int g = 0; g < 4; ++g) {
        same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_and_si128(px[g], rgb), first));
    }
    if (_mm_movemask_epi8(same) == 0xFFFF) {
        EncodeSingleColor(pixels, opaque, out);
        return false;
    }

    f.pixels = pixels;
    f.out = out;
    f.opaque = opaque;
    f.traceZero = false;

    // Weighted colours: n x weight x 1/255, rounded after each product.
    const __m128i byteMask = _mm_set1_epi32(255);
    const __m128 unit = _mm_set1_ps(UNIT_SCALE_8);
    __m128 x[3][4];
    for (int c = 0; c < 3; ++c) {
        const __m128 w = _mm_set1_ps(WEIGHTS[c]);
        for (int g = 0; g < 4; ++g) {
            const __m128i n = _mm_and_si128(_mm_srli_epi32(px[g], 8 * c), byteMask);
            x[c][g] = _mm_mul_ps(_mm_mul_ps(_mm_cvtepi32_ps(n), w), unit);
        }
    }
    // Pixel by pixel as (blue, green, red, 0), for sums in pixel order.
    __m128 pixel[16];
    for (int g = 0; g < 4; ++g) {
        __m128 b = x[0][g], gr = x[1][g], r = x[2][g], zero = _mm_setzero_ps();
        _MM_TRANSPOSE4_PS(b, gr, r, zero);
        pixel[4 * g] = b;
        pixel[4 * g + 1] = gr;
        pixel[4 * g + 2] = r;
        pixel[4 * g + 3] = zero;
    }
    const bool allOpaque = opaque == 0xFFFFu;
    // Adding +0 for a keyed pixel leaves a sum unchanged: no sum here is
    // ever -0, since each starts at +0.
    __m128 sum = _mm_setzero_ps();
    for (int i = 0; i < 16; ++i) {
        sum = _mm_add_ps(sum, allOpaque ? pixel[i] : _mm_and_ps(PixelLanes(opaque, i), pixel[i]));
    }
    const int count = __builtin_popcount(opaque);
    f.mean = _mm_mul_ps(sum, _mm_set1_ps(1.0f / static_cast<float>(count)));

    __m128 m012 = _mm_setzero_ps();  // 00 01 02 11
    __m128 m45 = _mm_setzero_ps();   // 12 22
    for (int i = 0; i < 16; ++i) {
        const __m128 p = _mm_sub_ps(pixel[i], f.mean);
        __m128 a =
            _mm_mul_ps(_mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 0, 0, 0)), _mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 2, 1, 0)));
        __m128 b =
            _mm_mul_ps(_mm_shuffle_ps(p, p, _MM_SHUFFLE(3, 3, 2, 1)), _mm_shuffle_ps(p, p, _MM_SHUFFLE(3, 3, 2, 2)));
        if (!allOpaque) {
            const __m128 lanes = PixelLanes(opaque, i);
            a = _mm_and_ps(lanes, a);
            b = _mm_and_ps(lanes, b);
        }
        m012 = _mm_add_ps(m012, a);
        m45 = _mm_add_ps(m45, b);
    }
    alignas(16) float lanes[8];
    _mm_store_ps(lanes, m012);
    _mm_store_ps(lanes + 4, m45);
    for (int e = 0; e < 6; ++e) {
        f.m[e] = lanes[e];
    }

    const __m128 mean[3] = {_mm_shuffle_ps(f.mean, f.mean, _MM_SHUFFLE(0, 0, 0, 0)),
                            _mm_shuffle_ps(f.mean, f.mean, _MM_SHUFFLE(1, 1, 1, 1)),
                            _mm_shuffle_ps(f.mean, f.mean, _MM_SHUFFLE(2, 2, 2, 2))};
    for (int c = 0; c < 3; ++c) {
        for (int g = 0; g < 4; ++g) {
            f.p[c][g] = _mm_sub_ps(x[c][g], mean[c]);
        }
    }
    return true;
}

// Nine rounds of two squarings and a rescale to trace 3, one block a lane.
void IterateColorFits(ColorFit* const* fits, std::size_t count) {
    // Unused lanes repeat the first block. The lanes are set from
    // registers: four narrow stores read back as one vector would stall.
    const ColorFit* lane[4];
    for (std::size_t g = 0; g < 4; ++g) {
        lane[g] = fits[g < count ? g : 0];
    }
    __m128 m00 = _mm_setr_ps(lane[0]->m[0], lane[1]->m[0], lane[2]->m[0], lane[3]->m[0]);
    __m128 m01 = _mm_setr_ps(lane[0]->m[1], lane[1]->m[1], lane[2]->m[1], lane[3]->m[1]);
    __m128 m02 = _mm_setr_ps(lane[0]->m[2], lane[1]->m[2], lane[2]->m[2], lane[3]->m[2]);
    __m128 m11 = _mm_setr_ps(lane[0]->m[3], lane[1]->m[3], lane[2]->m[3], lane[3]->m[3]);
    __m128 m12 = _mm_setr_ps(lane[0]->m[4], lane[1]->m[4], lane[2]->m[4], lane[3]->m[4]);
    __m128 m22 = _mm_setr_ps(lane[0]->m[5], lane[1]->m[5], lane[2]->m[5], lane[3]->m[5]);
    // Named registers rather than an array, so that the chain of squarings
    // never passes through memory.
    const auto sum3 = [](__m128 x, __m128 y, __m128 z) { return _mm_add_ps(_mm_add_ps(x, y), z); };
    __m128 zero = _mm_setzero_ps();
    const __m128 three = _mm_set1_ps(3.0f);
    for (int round = 0; round < 9; ++round) {
        for (int square = 0; square < 2; ++square) {
            const __m128 a00 = m00, a01 = m01, a02 = m02, a11 = m11, a12 = m12, a22 = m22;
            m00 = sum3(_mm_mul_ps(a00, a00), _mm_mul_ps(a01, a01), _mm_mul_ps(a02, a02));
            m01 = sum3(_mm_mul_ps(a00, a01), _mm_mul_ps(a01, a11), _mm_mul_ps(a02, a12));
            m02 = sum3(_mm_mul_ps(a00, a02), _mm_mul_ps(a01, a12), _mm_mul_ps(a02, a22));
            m11 = sum3(_mm_mul_ps(a01, a01), _mm_mul_ps(a11, a11), _mm_mul_ps(a12, a12));
            m12 = sum3(_mm_mul_ps(a01, a02), _mm_mul_ps(a11, a12), _mm_mul_ps(a12, a22));
            m22 = sum3(_mm_mul_ps(a02, a02), _mm_mul_ps(a12, a12), _mm_mul_ps(a22, a22));
        }
        const __m128 trace = sum3(m00, m11, m22);
        // A lane whose trace reached 0 is finished; its later values
        // (infinities, NaN) are never read.
        zero = _mm_or_ps(zero, _mm_cmpeq_ps(trace, _mm_setzero_ps()));
        const __m128 scale = _mm_div_ps(three, trace);
        m00 = _mm_mul_ps(m00, scale);
        m01 = _mm_mul_ps(m01, scale);
        m02 = _mm_mul_ps(m02, scale);
        m11 = _mm_mul_ps(m11, scale);
        m12 = _mm_mul_ps(m12, scale);
        m22 = _mm_mul_ps(m22, scale);
    }
    alignas(16) float lanes[6][4];
    _mm_store_ps(lanes[0], m00);
    _mm_store_ps(lanes[1], m01);
    _mm_store_ps(lanes[2], m02);
    _mm_store_ps(lanes[3], m11);
    _mm_store_ps(lanes[4], m12);
    _mm_store_ps(lanes[5], m22);
    const int zeroMask = _mm_movemask_ps(zero);
    for (std::size_t g = 0; g < count; ++g) {
        for (int e = 0; e < 6; ++e) {
            fits[g]->m[e] = lanes[e][g];
        }
        fits[g]->traceZero = (zeroMask >> g & 1) != 0;
    }
}

inline float LaneMin(__m128 v) {
    v = _mm_min_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_min_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtss_f32(v);
}

inline float LaneMax(__m128 v) {
    v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtss_f32(v);
}

// Bit i of x to bit 2i.
inline std::uint32_t SpreadBits(std::uint32_t x) {
    x = (x | x << 8) & 0x00FF00FFu;
    x = (x | x << 4) & 0x0F0F0F0Fu;
    x = (x | x << 2) & 0x33333333u;
    x = (x | x << 1) & 0x55555555u;
    return x;
}

void FinishColorFit(const ColorFit& f) {
    if (f.traceZero) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }
    float axis[3];
    const float s = ChooseAxis(f.m, axis);
    if (s == 0.0f) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }

    // The extreme projections of the opaque pixels. min and max give the
    // same value in any order (a +0 and a -0 move an endpoint alike).
    const __m128 a0 = _mm_set1_ps(axis[0]), a1 = _mm_set1_ps(axis[1]), a2 = _mm_set1_ps(axis[2]);
    const __m128 sv = _mm_set1_ps(s);
    __m128 low = _mm_set1_ps(99999.0f);
    __m128 high = _mm_set1_ps(-99999.0f);
    __m128 opaqueLanes[4];
    for (int g = 0; g < 4; ++g) {
        opaqueLanes[g] = OpaqueLanes(f.opaque, g);
        const __m128 dot =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(a0, f.p[0][g]), _mm_mul_ps(a1, f.p[1][g])), _mm_mul_ps(a2, f.p[2][g]));
        const __m128 t = _mm_div_ps(dot, sv);
        low = _mm_min_ps(low, Select(opaqueLanes[g], t, low));
        high = _mm_max_ps(high, Select(opaqueLanes[g], t, high));
    }
    alignas(16) float mean[4];
    _mm_store_ps(mean, f.mean);
    const bool allOpaque = f.opaque == 0xFFFFu;
    Endpoints ends;
    if (!FitEndpoints(mean, axis, LaneMin(low), LaneMax(high), allOpaque, ends)) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }

    const std::uint32_t keyed = ~f.opaque & 0xFFFFu;
    std::uint32_t bit0 = keyed;
    std::uint32_t bit1 = keyed;
    if (ends.d != 0.0f) {
        const __m128 d0 = _mm_set1_ps(ends.dir[0]), d1 = _mm_set1_ps(ends.dir[1]), d2 = _mm_set1_ps(ends.dir[2]);
        const __m128 d = _mm_set1_ps(ends.d);
        const __m128 mean0 = _mm_set1_ps(mean[0]), mean1 = _mm_set1_ps(mean[1]), mean2 = _mm_set1_ps(mean[2]);
        const __m128 e0 = _mm_set1_ps(ends.e0[0]), e1 = _mm_set1_ps(ends.e0[1]), e2 = _mm_set1_ps(ends.e0[2]);
        const __m128 one = _mm_set1_ps(1.0f), two = _mm_set1_ps(2.0f), three = _mm_set1_ps(3.0f);
        const __m128 steps = allOpaque ? _mm_set1_ps(4.0f) : three;
        for (int g = 0; g < 4; ++g) {
            const __m128 q0 = _mm_sub_ps(_mm_add_ps(f.p[0][g], mean0), e0);
            const __m128 q1 = _mm_sub_ps(_mm_add_ps(f.p[1][g], mean1), e1);
            const __m128 q2 = _mm_sub_ps(_mm_add_ps(f.p[2][g], mean2), e2);
            const __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(d0, q0), _mm_mul_ps(d1, q1)), _mm_mul_ps(d2, q2));
            const __m128 k = _mm_mul_ps(steps, _mm_div_ps(dot, d));
            // trunc(k) limited to the mode's range is the count of the
            // bounds 1, 2 (and 3) that k reaches. Four colours map 0 1 2 3
            // to indices 0 2 3 1, three colours 0 1 2 to 0 2 1.
            const __m128 reach1 = _mm_cmpge_ps(k, one);
            const __m128 reach2 = _mm_cmpge_ps(k, two);
            const __m128 reachTop = allOpaque ? _mm_cmpge_ps(k, three) : reach2;
            const auto lowBits = static_cast<std::uint32_t>(_mm_movemask_ps(reach2));
            const auto highBits = static_cast<std::uint32_t>(_mm_movemask_ps(_mm_andnot_ps(reachTop, reach1)));
            const auto lanes = static_cast<std::uint32_t>(_mm_movemask_ps(opaqueLanes[g]));
            bit0 |= (lowBits & lanes) << (4 * g);
            bit1 |= (highBits & lanes) << (4 * g);
        }
    }
    WriteColorBlock(f.out, ends.c0, ends.c1, SpreadBits(bit0) | SpreadBits(bit1) << 1);
}

}  // namespace

void EncodeColorBlockGroup(const DWORD* const* pixels, const ColorKeyRange* keys, BYTE* const* blocks,
                           std::size_t count) {
    ColorFit fits[COLOR_FIT_LANES];
    ColorFit* pending[COLOR_FIT_LANES];
    std::size_t n = 0;
    for (std::size_t g = 0; g < count && g < COLOR_FIT_LANES; ++g) {
        if (PrepareColorFit(pixels[g], keys[g], blocks[g], fits[n])) {
            pending[n] = &fits[n];
            ++n;
        }
    }
    if (n == 0) {
        return;
    }
    IterateColorFits(pending, n);
    for (std::size_t g = 0; g < n; ++g) {
        FinishColorFit(*pending[g]);
    }
}

#else

void EncodeColorBlockGroup(const DWORD* const* pixels, const ColorKeyRange* keys, BYTE* const* blocks,
                           std::size_t count) {
    for (std::size_t g = 0; g < count && g < COLOR_FIT_LANES; ++g) {
        EncodeColorBlockPlain(pixels[g], keys[g], blocks[g]);
    }
}

#endif

void EncodeColorBlock(const DWORD* pixels, ColorKeyRange key, BYTE* block) {
    EncodeColorBlockGroup(&pixels, &key, &block, 1);
}
