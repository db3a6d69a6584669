#pragma once
// The best colour fit starts from the normal fit's block. The texels are
// sorted along the principal axis, and the ordered splits of that sequence
// into the palette's entries (four clusters, and three for DXT1) near the
// split the normal block implies get their least-squares endpoints
// (dxt_split_search.h); the split that fits best in each mode is quantised,
// judged by the exact palette error and refitted channel by channel
// (dxt_channel_refine.h), as is the normal block itself. A block of two
// tight groups of colours also tries the groups on the palette's inner
// entries. The normal block is a candidate too, so this never does worse.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// texels.used must not be empty. The split search runs eight splits at once
// in AVX2 where the processor has it, else four in SSE2 when the vector
// code is on (TOVTEX_SSE2); the plain form is their reference and chooses
// exactly the same block.
ColorChoice FitColorBest(const SearchTexels& texels);
ColorChoice FitColorBestPlain(const SearchTexels& texels);

// Whether the best fit keeps a one-colour block's normal block as it is
// (choice: FitFlatBlock's). It then needs no texel record: the fit would
// start from that very block and stop there.
bool BestKeepsFlatBlock(const FlatBlock& block, const ColorChoice& choice);

}  // namespace dxt_search
