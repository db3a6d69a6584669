#pragma once
// Block rows compressed by the library's own encoder, the very conversion a
// surface copy of a whole uncompressed level into a block level makes (its
// DXT codec, FILTER_NONE, no colour key), one band of block rows at a time
// so that several threads can share a level. Each band has its own codecs.

#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "block_level_encoder.h"

namespace tovtex_tool {

// The bands of a level of height pixel rows for the library's encoder.
std::vector<BlockBand> LibraryBlockBands(UINT height);

// Fills the band's blocks of level (whose blocks must hold what a new
// texture holds, zeros, where not yet written) with the bytes the library's
// whole-level copy writes there. Results as the library's conversion.
HRESULT EncodeLibraryBlockBand(D3DFORMAT format, const BlockLevelWork& level, const BlockBand& band);

}  // namespace tovtex_tool
