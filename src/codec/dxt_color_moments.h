#pragma once
// The weighted statistics of a block's colours that both colour fits start
// from: the mean, the principal axis, and the least-squares endpoints for a
// given assignment of texels to palette entries.

#include <cstdint>

#include "codec/dxt_search_texels.h"

namespace dxt_search {

struct ColorMoments {
    float mean[3];
    float covariance[6];  // rr, rg, rb, gg, gb, bb, channel weights applied
    float total;          // sum of the texel weights
};

// The exact integer sums the moments come from: the total weight, the
// weighted channel sums and the weighted products of two channels. Every
// product of a weight and up to two channels stays below 2^24, so each is
// exact in single precision and every form adds the same integers, in
// whatever order: the SSE2 form (four texels at a time), the AVX2 one
// (dxt_color_moments_avx2.h) and the plain reference agree bit for bit.
struct ColorSums {
    std::int32_t total;
    std::int32_t sum[3];     // red, green, blue
    std::int32_t square[6];  // rr, rg, rb, gg, gb, bb
};

void ColorSumsPlain(const SearchTexels& texels, ColorSums& out);
#if TOVTEX_SSE2
void ColorSumsSse2(const SearchTexels& texels, ColorSums& out);
#endif

// False when no texel has weight. The vector form (TOVTEX_SSE2) takes the
// widest sums the processor runs; the plain form is its reference. Both add
// exact integers, so they agree bit for bit.
bool ComputeMoments(const SearchTexels& texels, ColorMoments& out);
bool ComputeMomentsPlain(const SearchTexels& texels, ColorMoments& out);

// The direction of greatest spread (red, green, blue), normalised; false
// when the colours do not spread at all.
bool PrincipalAxis(const SearchTexels& texels, const ColorMoments& moments, float* axis);

// The block's mean (as ComputeMoments gives it) and its direction of
// greatest spread as the normal fit alone wants it: not normalised
// (inverseSquare is one over its squared length) and found along a short
// chain of dependent steps, with no division or square root before the
// iteration ends. Close to PrincipalAxis, not bit for bit. False when the
// colours do not spread at all (the mean is still filled). The plain form
// is the reference of the SSE2 one; they agree bit for bit.
bool QuickAxis(const SearchTexels& texels, float* mean, float* axis, float& inverseSquare);
bool QuickAxisPlain(const SearchTexels& texels, float* mean, float* axis, float& inverseSquare);

// The endpoints (c0's and c1's colour, 0 to 255) that minimise the error for
// the indices given, in the mode given. False when the indices do not pin
// down two endpoints (every weighted texel on one entry).
// The SSE2 form (TOVTEX_SSE2) and the plain reference add exact integers
// and agree bit for bit.
bool SolveEndpoints(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1);
bool SolveEndpointsPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1);

// What every solve of one block shares, read once: the weights and
// channels as 16-bit integers and the sums that do not depend on the
// indices (the total weight and the weighted channel sums).
struct SolveBasis {
    const SearchTexels* texels;
    alignas(16) std::int16_t weight[16];
    alignas(16) std::int16_t ch[3][16];
    std::int32_t total;
    std::int32_t sum[3];
};

void PrepareSolveBasis(const SearchTexels& texels, SolveBasis& out);

// The endpoints SolveEndpoints finds for basis.texels, rounded to 5:6:5 as
// QuantizePair565 rounds them; the vector form keeps them in registers
// between the two. False when SolveEndpoints fails. The plain form is the
// reference.
bool SolveQuantized(const SolveBasis& basis, std::uint32_t indices, bool fourColor, unsigned& q0, unsigned& q1);
bool SolveQuantizedPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, unsigned& q0, unsigned& q1);

inline void ClampToBox(float* e) {
    for (int c = 0; c < 3; ++c) {
        e[c] = e[c] < 0.0f ? 0.0f : e[c] > 255.0f ? 255.0f : e[c];
    }
}

}  // namespace dxt_search
