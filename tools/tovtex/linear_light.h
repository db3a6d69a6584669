#pragma once
// The sRGB transfer curve, exact to 8 bits, and the 2:1 box step of a mip
// chain taken in linear light. Averaging the stored (curved) values darkens
// every edge: a black and white checker's next level comes out at 128, a
// fifth of the light, where half of the light is 188.

#include <windows.h>

namespace tovtex_tool {

// The linear light (0..1) of an 8-bit sRGB value.
float SrgbToLinear(BYTE value);

// The 8-bit sRGB value of a linear light, rounded to the nearest step of
// the curved scale; values outside 0..1 give 0 or 255.
BYTE LinearToSrgb(float linear);

// One 2:1 box step of A8R8G8B8 pixels (blue in byte 0, alpha in byte 3)
// into max(1, width / 2) x max(1, height / 2) pixels, as the library's box
// halving lays it out: each pixel from the 2 x 2 pixels under it (a source
// one pixel wide or tall repeats its pixel; an odd last column or row is
// left out). Colour is averaged in linear light; alpha, which is no light,
// as stored ((a + b + c + d + 2) / 4).
void HalveInLinearLight(const BYTE* source, INT sourcePitch, UINT width, UINT height, BYTE* destination,
                        INT destinationPitch);

}  // namespace tovtex_tool
