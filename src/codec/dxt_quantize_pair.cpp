#include "codec/dxt_quantize_pair.h"

#include <cstdint>

#include "codec/dxt_color_palette.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

namespace {

// 5:6:5 by truncation, clamped to 0 and the top level (not-a-number to 0).
unsigned Truncate565(const float* rgb) {
    const auto level = [](float v, float top) {
        const float q = v * (top / 255.0f);
        return q > 0.0f ? (q >= top ? static_cast<int>(top) : static_cast<int>(q)) : 0;
    };
    return Pack565(level(rgb[0], 31.0f), level(rgb[1], 63.0f), level(rgb[2], 31.0f));
}

#if TOVTEX_SSE2
// Lanes r0 g0 b0 r1 and g1 b1: the scalar form's product (and sum) per
// lane; max(q, 0) takes 0 for a q that is not a number or not above 0,
// min(., top) takes top from top up, and between them truncation is the
// scalar conversion.
template <bool ROUND>
void PairVector(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
    constexpr float R = 31.0f / 255.0f, G = 63.0f / 255.0f;
    const __m128 first = _mm_setr_ps(e0[0], e0[1], e0[2], e1[0]);
    const __m128 second = _mm_setr_ps(e1[1], e1[2], 0.0f, 0.0f);
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
    q0 = Pack565(levels[0], levels[1], levels[2]);
    q1 = Pack565(levels[3], levels[4], levels[5]);
}
#endif

}  // namespace

void QuantizePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
    q0 = Quantize565(e0);
    q1 = Quantize565(e1);
}

void TruncatePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
    q0 = Truncate565(e0);
    q1 = Truncate565(e1);
}

void QuantizePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
#if TOVTEX_SSE2
    PairVector<true>(e0, e1, q0, q1);
#else
    QuantizePair565Plain(e0, e1, q0, q1);
#endif
}

void TruncatePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
#if TOVTEX_SSE2
    PairVector<false>(e0, e1, q0, q1);
#else
    TruncatePair565Plain(e0, e1, q0, q1);
#endif
}

}  // namespace dxt_search
