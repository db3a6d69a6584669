#pragma once
// Alpha for the DXT2 to DXT5 blocks. Interpolated alpha (DXT4, DXT5): the
// two reference values are searched around the block's extremes in both
// modes (eight values; six values plus 0 and 255), each pair judged by the
// exact error of the ramp the decoder builds with every texel on its
// nearest entry. Explicit alpha (DXT2, DXT3): the nearest 4-bit value.

#include <cstdint>

#include <windows.h>

namespace dxt_search {

struct AlphaChoice {
    unsigned a0;
    unsigned a1;
    std::uint64_t indices;  // 3 bits per texel
    std::uint32_t error;    // sum of squared differences over the texels inside
};

// The eight values of the ramp, by the decoder's integer arithmetic.
void BuildAlphaRamp(unsigned a0, unsigned a1, int* ramp);

// The error of the ramp with every texel inside on its nearest entry. The
// SSE2 form (TOVTEX_SSE2) takes the sixteen distances at once as bytes; the
// plain form is its reference, and the two agree exactly (integers).
std::uint32_t AlphaRampError(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1);
std::uint32_t AlphaRampErrorPlain(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1);

// The same, with the indices (the lowest on ties); SSE2 and plain forms
// as above, agreeing exactly.
AlphaChoice EvaluateAlphaRamp(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1);
AlphaChoice EvaluateAlphaRampPlain(const int* alpha, std::uint16_t texels, unsigned a0, unsigned a1);

// Searches reference values up to window away from the extremes, the two
// moves together at most steps (1: one reference moved at a time). The SSE2
// form (TOVTEX_SSE2) reads the block's alpha and its extremes sixteen at a
// time; the plain form is its reference and the two agree exactly.
AlphaChoice FitAlphaRamp(const DWORD* pixels, std::uint16_t texels, int window, int steps);
AlphaChoice FitAlphaRampPlain(const DWORD* pixels, std::uint16_t texels, int window, int steps);

#if TOVTEX_SSE2
// The two vector forms FitAlphaRamp chooses between by the processor
// (CpuHasAvx2): SSE2, and AVX2, which judges two pairs of references at
// once (call it only where the processor has AVX2). Both agree exactly with
// the plain form.
AlphaChoice FitAlphaRampSse2(const DWORD* pixels, std::uint16_t texels, int window, int steps);
AlphaChoice FitAlphaRampAvx2(const DWORD* pixels, std::uint16_t texels, int window, int steps);
#endif

// Bytes 0-7 of a DXT4/DXT5 block.
void WriteAlphaRamp(const AlphaChoice& choice, BYTE* block);

// Bytes 0-7 of a DXT2/DXT3 block; returns the error over the texels inside.
std::uint32_t WriteExplicitAlpha(const DWORD* pixels, std::uint16_t texels, BYTE* block);

}  // namespace dxt_search
