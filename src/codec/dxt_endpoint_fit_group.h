#pragma once
// The colour encoder for a small group of blocks at once: the endpoint fit's
// matrix squarings run side by side, one block per vector lane, with the
// very operations the single-block encoder performs, so every block comes
// out bit for bit as it would alone.

#include <cstddef>

#include <windows.h>

#include "codec/dxt_blocks.h"

inline constexpr std::size_t COLOR_FIT_LANES = 4;

// count is 1 to COLOR_FIT_LANES; block g gets the colour block of pixels[g]
// with key range keys[g].
void EncodeColorBlockGroup(const DWORD* const* pixels, const ColorKeyRange* keys, BYTE* const* blocks,
                           std::size_t count);
