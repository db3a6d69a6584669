#pragma once
// For each of a block's 16 texels, the nearest colour of a decoded palette
// and its channel-weighted squared distance: the inner step of every colour
// candidate's judgement. An SSE2 form runs four texels per lane when the
// vector code is on (TOVTEX_SSE2); the plain form is its reference and the
// two agree bit for bit (the distances are integers, exact in single
// precision, and ties go to the lowest index in both).

#include <cstdint>

#include "codec/dxt_color_palette.h"

namespace dxt_search {

void NearestEntries(const SearchTexels& texels, const ColorPalette& palette, float* distance, std::uint32_t* index);

void NearestEntriesPlain(const SearchTexels& texels, const ColorPalette& palette, float* distance,
                         std::uint32_t* index);

// The whole judgement of one palette in one pass: every texel on its nearest
// entry (DXT1's transparent texels on index 3), the indices packed two bits
// a texel and the weighted error summed. The SSE2 form keeps the distances,
// products and packing in registers; the plain form is its reference.
void NearestPacked(const SearchTexels& texels, const ColorPalette& palette, std::uint32_t& indices,
                   std::uint64_t& error);

void NearestPackedPlain(const SearchTexels& texels, const ColorPalette& palette, std::uint32_t& indices,
                        std::uint64_t& error);

// The same for the palette stored endpoints c0, c1 decode to, built on the
// way (in vector lanes, by the decoder's arithmetic, where the SSE2 form
// runs); the plain form builds it with BuildPalette.
void NearestPackedStored(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                         std::uint64_t& error);

void NearestPackedStoredPlain(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                              std::uint64_t& error);

#if TOVTEX_SSE2
// The two vector forms NearestPackedStored chooses between by the processor
// (CpuHasAvx2): SSE2, four texels a register, and AVX2, eight (call it only
// where the processor has AVX2). Both agree with the plain form bit for bit.
void NearestPackedStoredSse2(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                             std::uint64_t& error);
void NearestPackedStoredAvx2(const SearchTexels& texels, unsigned c0, unsigned c1, std::uint32_t& indices,
                             std::uint64_t& error);
#endif

}  // namespace dxt_search
