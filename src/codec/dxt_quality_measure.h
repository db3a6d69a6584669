#pragma once
// What the searching encoders measure, open to the tests: the error an
// encoder believes its block has, and the same measure applied to any
// decoded block, so that the two can be compared.

#include <cstdint>

#include "codec/dxt_quality_encoder.h"

struct DxtBlockError {
    // Sum over the texels inside of the texel's weight (DXT1: 1 if opaque,
    // else 0; DXT3, DXT5: its alpha; DXT2, DXT4: 1, the colour being
    // premultiplied) times the squared RGB error (channels weighted when
    // perceptual).
    std::uint64_t color;
    std::uint32_t alpha;  // squared alpha error over the texels inside
};

// EncodeDxtBlockWith, returning the error it measured.
DxtBlockError EncodeDxtBlockMeasured(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels,
                                     const DxtEncodeOptions& options, BYTE* block);

// The measure of decoded (16 ARGB pixels) against pixels, as the encoders
// take it.
DxtBlockError MeasureDecodedBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels,
                                  const DxtEncodeOptions& options, const DWORD* decoded);
