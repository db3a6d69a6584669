#pragma once
// Two endpoints to 5:6:5 at once: rounded to the nearest level as
// Quantize565 rounds each, or truncated (a shade inside the extremes, the
// normal fit's second start). The SSE2 form (TOVTEX_SSE2) puts the six
// channels in two registers and clamps with a minimum and a maximum instead
// of branches (endpoints on the faces of the colour cube are common and
// hard to predict); the plain form is its reference and the two agree bit
// for bit, not-a-number and infinities included.

#if TOVTEX_SSE2
#include <emmintrin.h>

#include <cstdint>
#endif

namespace dxt_search {

void QuantizePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1);
void QuantizePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1);

void TruncatePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1);
void TruncatePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1);

#if TOVTEX_SSE2
// The pair's six channels already in lanes, first r0 g0 b0 r1 and second
// g1 b1 (the rest unused): the rounding or truncation of both functions
// above, for a caller whose endpoints are in registers. The scalar form's
// product (and sum) per lane; max(q, 0) takes 0 for a q that is not a
// number or not above 0, min(., top) takes top from top up, and between
// them truncation is the scalar conversion. Not for the files compiled for
// AVX2: an inline copy compiled there could become every caller's.
template <bool ROUND>
inline void QuantizeLanes565(__m128 first, __m128 second, unsigned& q0, unsigned& q1) {
    constexpr float R = 31.0f / 255.0f, G = 63.0f / 255.0f;
    __m128 a = _mm_mul_ps(first, _mm_setr_ps(R, G, R, R));
    __m128 b = _mm_mul_ps(second, _mm_setr_ps(G, R, R, R));
    if (ROUND) {
        a = _mm_add_ps(a, _mm_set1_ps(0.5f));
        b = _mm_add_ps(b, _mm_set1_ps(0.5f));
    }
    const __m128 zero = _mm_setzero_ps();
    a = _mm_min_ps(_mm_max_ps(a, zero), _mm_setr_ps(31.0f, 63.0f, 31.0f, 31.0f));
    b = _mm_min_ps(_mm_max_ps(b, zero), _mm_setr_ps(63.0f, 31.0f, 31.0f, 31.0f));
    alignas(16) std::int32_t levels[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(levels), _mm_cvttps_epi32(a));
    _mm_store_si128(reinterpret_cast<__m128i*>(levels + 4), _mm_cvttps_epi32(b));
    q0 = static_cast<unsigned>(levels[0] << 11 | levels[1] << 5 | levels[2]);
    q1 = static_cast<unsigned>(levels[3] << 11 | levels[4] << 5 | levels[5]);
}
#endif

}  // namespace dxt_search
