#pragma once
// The best colour fit starts from the normal fit's block. The texels are
// sorted along the principal axis, and the ordered splits of that sequence
// into the palette's entries (four clusters, and three for DXT1) near the
// split the normal block implies get their least-squares endpoints; the
// split that fits best in each mode is quantised, judged by the exact
// palette error and refitted channel by channel (dxt_channel_refine.h), as
// is the normal block itself. The normal block is a candidate too, so this
// never does worse.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// texels.used must not be empty. The four-cluster search runs four splits
// at once in SSE2 when the vector code is on (TOVTEX_SSE2); the plain form
// is its reference and chooses exactly the same block.
ColorChoice FitColorBest(const SearchTexels& texels);
ColorChoice FitColorBestPlain(const SearchTexels& texels);

// Whether the best fit keeps a one-colour block's normal block as it is
// (choice: FitFlatBlock's). It then needs no texel record: the fit would
// start from that very block and stop there.
bool BestKeepsFlatBlock(const FlatBlock& block, const ColorChoice& choice);

}  // namespace dxt_search
