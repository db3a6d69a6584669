#pragma once
// The normal colour fit: endpoints from the extremes of the colours along
// their principal axis, then refined by least squares against the indices
// they produce, every candidate judged by the exact error of the palette
// the decoder builds. Opaque DXT1 blocks keep to the four-colour mode.

#include "codec/dxt_color_moments.h"
#include "codec/dxt_color_palette.h"
#include "codec/dxt_tried_fits.h"

namespace dxt_search {

// texels.used must not be empty.
ColorChoice FitColorNormal(const SearchTexels& texels);

// The block's moments and principal axis as the fit found them, for a
// search that goes on from its block (filled unless the block is flat).
struct NormalFitAxis {
    bool filled = false;
    bool haveAxis = false;
    ColorMoments moments;
    float axis[3];
};

ColorChoice FitColorNormal(const SearchTexels& texels, NormalFitAxis* found);

// The block FitColorNormal chooses for a one-colour block; block.used must
// not be empty.
ColorChoice FitFlatBlock(const FlatBlock& block);

// The normal fit's two starts on the line through mean along axis: the
// extremes of the texels' projections on it (times scale, which divides out
// an axis not of unit length), kept in the colour cube and taken to 5:6:5
// rounded (q0, q1) and truncated (t0, t1, a shade inside the extremes).
void StartsAlongAxis(const SearchTexels& texels, const float* mean, const float* axis, float scale, unsigned& q0,
                     unsigned& q1, unsigned& t0, unsigned& t1);

// The pair one least-squares round proposes from the indices of from (the
// memo's pair where the indices were solved before). False when the indices
// pin down no pair, or the pair is the block from already is.
bool NextRefinedPair(const SolveBasis& basis, bool fourColor, TriedFits& tried, const ColorChoice& from, unsigned& q0,
                     unsigned& q1);

// Least-squares refinement of basis.texels from a candidate in the mode
// given: rounds of solve, quantise, evaluate while the error falls (at most
// rounds), sharing a memo with other refinements of the same block and mode.
void RefineLeastSquares(const SolveBasis& basis, bool fourColor, int rounds, TriedFits& tried, ColorChoice& best);

}  // namespace dxt_search
