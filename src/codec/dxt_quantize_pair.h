#pragma once
// Two endpoints to 5:6:5 at once: rounded to the nearest level as
// Quantize565 rounds each, or truncated (a shade inside the extremes, the
// normal fit's second start). The SSE2 form (TOVTEX_SSE2) puts the six
// channels in two registers and clamps with a minimum and a maximum instead
// of branches (endpoints on the faces of the colour cube are common and
// hard to predict); the plain form is its reference and the two agree bit
// for bit, not-a-number and infinities included.

namespace dxt_search {

void QuantizePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1);
void QuantizePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1);

void TruncatePair565(const float* e0, const float* e1, unsigned& q0, unsigned& q1);
void TruncatePair565Plain(const float* e0, const float* e1, unsigned& q0, unsigned& q1);

}  // namespace dxt_search
