#pragma once
// The nearest-entry judgement of dxt_nearest_entry.cpp for unweighted
// channels, sixteen texels in two AVX2 registers: the same exact keys, so the
// result is the SSE2 form's bit for bit. Compiled for AVX2 and FMA in a file
// of its own; call only where CpuHasAvx2(). The weights must be at most 255
// (as PrepareTexels makes them): the error is summed in 32 bits.

#include <cstdint>

#if TOVTEX_SSE2
#include <emmintrin.h>

#include "codec/dxt_search_texels.h"

namespace dxt_search {

// Entry k of each channel in lane k; offset holds |p|^2 + k^2 / 16 per entry
// (out of reach for an entry beyond the palette).
void NearestKeysAvx2(const SearchTexels& texels, __m128 red, __m128 green, __m128 blue, __m128 offset,
                     std::uint32_t& indices, std::uint64_t& error);

}  // namespace dxt_search
#endif
