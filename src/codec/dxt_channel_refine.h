#pragma once
// Stored endpoints for a fixed assignment of texels to palette entries,
// chosen channel by channel. With the indices held, a channel's error
// depends on that channel's two levels alone, so each channel's best pair
// is found by trying the levels around the current ones and around the
// least-squares solution, with the decoder's integer arithmetic; the texels
// then move to their nearest entries, which can only lower the error
// further. One round costs one palette judgement, where stepping one
// channel of one endpoint at a time costs one per step.

#include "codec/dxt_color_palette.h"

namespace dxt_search {

// Rounds of (channel search, judgement) from start while the error falls;
// start's mode is kept (fourColor). Never returns a worse block than start.
ColorChoice RefineByChannel(const SearchTexels& texels, const ColorChoice& start, bool fourColor, int rounds);

}  // namespace dxt_search
