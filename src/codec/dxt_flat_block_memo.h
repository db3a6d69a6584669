#pragma once
// The fits of one-colour blocks, remembering the last block each thread
// fitted: backgrounds and sprite interiors repeat one colour block after
// block, and each fit is a pure function of the block's facts, so a repeat
// is answered with the very choice the fit would give.

#include <cstdint>

#include <d3d8.h>
#include <windows.h>

#include "codec/dxt_color_palette.h"
#include "codec/dxt_quality_encoder.h"

namespace dxt_search {

// As FitFlatBlock; block.used must not be empty.
ColorChoice FitFlatBlockRemembered(const FlatBlock& block);

// A block of sixteen equal pixels (alpha too), all inside the picture, is a
// pure function of that one pixel, the format and the options (the quality
// among them): a repeat of the last such block this thread kept is answered
// with its colour choice before any of the block's facts are read. False
// when pixels are no such repeat.
bool RepeatedUniformBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                          ColorChoice& out);

// Keeps choice as the answer for pixels when they form such a block.
void KeepUniformBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                      const ColorChoice& choice);

}  // namespace dxt_search
