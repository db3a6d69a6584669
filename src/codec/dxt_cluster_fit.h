#pragma once
// The best colour fit: the texels are sorted along the principal axis and
// every ordered split of that sequence into the palette's entries (four
// clusters, and three for DXT1) gets its least-squares endpoints; the
// splits that fit best are quantised, judged by the exact palette error,
// refined and nudged level by level. The normal fit's result is a
// candidate too, so this never does worse.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// texels.used must not be empty.
ColorChoice FitColorBest(const SearchTexels& texels);

}  // namespace dxt_search
