#pragma once
// DXT1-DXT5 blocks to A8R8G8B8 texels for the sampler. DXT2 and DXT4 give
// their colour as stored, premultiplied by alpha, as a card samples them.

#include <cstdint>

#include <d3d8.h>

namespace platform {

// 16 texels of one block, row by row from the top left.
void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t out[16]);

// A whole level: width x height texels from rows of blocks rowPitch apart.
void DecodeDxtLevel(D3DFORMAT format, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                    uint32_t* out);

}  // namespace platform
