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

// False when no texel has weight. The SSE2 form (TOVTEX_SSE2) sums four
// texels at a time; the plain form is its reference. Both add exact
// integers, so they agree bit for bit.
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

inline void ClampToBox(float* e) {
    for (int c = 0; c < 3; ++c) {
        e[c] = e[c] < 0.0f ? 0.0f : e[c] > 255.0f ? 255.0f : e[c];
    }
}

}  // namespace dxt_search
