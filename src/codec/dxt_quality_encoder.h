#pragma once
// Block encoders that search harder than the library's own: the tool's
// normal and best qualities. They stand beside the block functions of
// dxt_blocks.h and write the same block layouts, decoded by the same
// decoders; the library's loaders and copies never call them.

#include <cstddef>
#include <cstdint>

#include <d3d8.h>
#include <windows.h>

enum DxtQuality {
    DXT_QUALITY_NORMAL,  // principal axis and least-squares refinement
    DXT_QUALITY_BEST,    // cluster fit over ordered partitions
};

struct DxtEncodeOptions {
    DxtQuality quality = DXT_QUALITY_NORMAL;
    // DXT1: texels whose alpha is below this become transparent (index 3 of
    // the three-colour mode); their colour does not pull the endpoints.
    // 0: every texel is opaque.
    BYTE alphaThreshold = 128;
    // Colour error weighted per channel for the eye instead of plain RGB.
    bool perceptual = false;
};

// Bit i set: texel i (row i / 4, column i % 4) is part of the picture. A
// block at the edge of a level smaller than 4 x 4 has texels outside it;
// they weigh nothing.
inline constexpr uint16_t ALL_TEXELS = 0xFFFF;

// One 4 x 4 block of A8R8G8B8 pixels (blue in byte 0, alpha in byte 3) into
// format (DXT1 to DXT5; DXT2 and DXT4 premultiply the colour by alpha as the
// library's codec does before fitting). Writes DxtBlockBytes(format) bytes.
void EncodeDxtBlockWith(D3DFORMAT format, const DWORD* pixels, uint16_t texels, const DxtEncodeOptions& options,
                        BYTE* block);

// count blocks, one after another in pixels (16 pixels each) and in blocks
// (DxtBlockBytes(format) bytes each); texels holds each block's mask, or is
// null when every texel of every block is inside. Writes exactly what
// EncodeDxtBlockWith writes for each block, sooner: the normal quality
// searches two blocks at once.
void EncodeDxtBlocksWith(D3DFORMAT format, const DWORD* pixels, const uint16_t* texels, std::size_t count,
                         const DxtEncodeOptions& options, BYTE* blocks);
