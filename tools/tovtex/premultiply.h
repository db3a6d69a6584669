#pragma once
// Premultiplied alpha: colour times alpha, stored, so that filtering and
// blending weigh each colour by how much of it shows.

#include <vector>

#include <windows.h>

namespace tovtex_tool {

// c * a / 255, rounded to nearest, exact in integers for every pair.
inline BYTE PremultiplyChannel(BYTE colour, BYTE alpha) {
    const unsigned t = unsigned{colour} * alpha + 128;
    return static_cast<BYTE>((t + (t >> 8)) >> 8);
}

// Multiplies the colour of width A8R8G8B8 pixels (blue in byte 0) by their
// alpha.
void PremultiplyRow(BYTE* pixels, UINT width);

// A classic DDS header of DXT3 or DXT5 blocks whose colours are
// premultiplied is relabelled DXT2 or DXT4 (the same blocks, which say so);
// other files stay as they are. The library's DXT2 and DXT4 codecs multiply
// while encoding, so premultiplied levels are encoded as DXT3 or DXT5.
void LabelPremultipliedBlocks(BYTE* dds, size_t size);

}  // namespace tovtex_tool
