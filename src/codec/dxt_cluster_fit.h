#pragma once
// The best colour fit: the texels are sorted along the principal axis and
// every ordered split of that sequence into the palette's entries (four
// clusters, and three for DXT1) gets its least-squares endpoints; the
// split that fits best in each mode is quantised, judged by the exact
// palette error, refined and nudged level by level. The normal fit's result is a
// candidate too, so this never does worse.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// texels.used must not be empty. The four-cluster search runs four splits
// at once in SSE2 when the vector code is on (TOVTEX_SSE2); the plain form
// is its reference and chooses exactly the same block.
ColorChoice FitColorBest(const SearchTexels& texels);
ColorChoice FitColorBestPlain(const SearchTexels& texels);

}  // namespace dxt_search
