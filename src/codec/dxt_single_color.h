#pragma once
// Endpoints that reproduce one colour as closely as 5:6:5 allows: a colour
// between two levels is met by the interpolated palette entry, so a flat
// block keeps colours that neither endpoint alone can hold.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// The best block for every texel taking the colour (red, green, blue,
// 0 to 255): endpoints from the tables, indices and error by the palette.
ColorChoice FitSingleColor(const SearchTexels& texels, const int* rgb, bool fourColor);

// FitSingleColor for a mean colour, rounded to the nearest levels and kept
// inside 0 to 255.
ColorChoice FitMeanColor(const SearchTexels& texels, const float* mean, bool fourColor);

// The same for a block whose texels of weight all hold that one colour: the
// palette is searched once for the colour instead of once per texel.
ColorChoice FitFlatColor(const SearchTexels& texels, const int* rgb, bool fourColor);

// The same from the block's facts alone: the channel weights, the sum of
// the texels' weights and DXT1's transparent texels.
ColorChoice FitFlatColorOf(const int* rgb, const std::uint32_t* channel, std::uint32_t weight,
                           std::uint16_t transparent, bool fourColor);

}  // namespace dxt_search
