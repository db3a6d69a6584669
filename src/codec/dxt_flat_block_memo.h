#pragma once
// The normal fit of one-colour blocks, remembering the last block each
// thread fitted: backgrounds and sprite interiors repeat one colour block
// after block, and the fit is a pure function of the block's facts, so a
// repeat is answered with the very choice the fit would give.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// As FitFlatBlock; block.used must not be empty.
ColorChoice FitFlatBlockRemembered(const FlatBlock& block);

}  // namespace dxt_search
