#pragma once
// Exact 2:1 box reductions straight from memory to memory, for the packed
// formats whose every field can be averaged as an integer: each field of a
// destination pixel is (a + b + c + d + 2) >> 2 of the 2 x 2 source pixels
// under it.

#include <cstdint>

#include <d3d8.h>
#include <windows.h>

// dst and src point at the first pixel of each block; width and height are
// the destination's. Source row 2y and 2y + 1, columns 2x and 2x + 1, feed
// destination pixel (x, y).
using HalveKernel = void (*)(BYTE* dst, INT dstPitch, const BYTE* src, INT srcPitch, UINT width, UINT height);

// The kernel of a format, or null when the format takes the float path.
HalveKernel FindHalveKernel(D3DFORMAT format);

#if TOVTEX_SSE2
// Destination pixels 0, 1, 2, ... of a 32-bit format, each byte the
// rounded average of source pixels 2x and 2x + 1 of both rows, then masked
// by keep; as many as whole groups of four allow. Returns the count done.
UINT HalveRow32Sse2(BYTE* out, const BYTE* top, const BYTE* bottom, UINT width, std::uint32_t keep);
#endif
