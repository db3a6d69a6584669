#include "codec/dxt_quantize_pair.h"

#include <cstdint>

#include "codec/dxt_color_palette.h"

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
template <bool ROUND>
void PairVector(const float* e0, const float* e1, unsigned& q0, unsigned& q1) {
    QuantizeLanes565<ROUND>(_mm_setr_ps(e0[0], e0[1], e0[2], e1[0]), _mm_setr_ps(e1[1], e1[2], 0.0f, 0.0f), q0, q1);
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
