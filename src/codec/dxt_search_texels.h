#pragma once
// The 16 texels of one block as the searching encoders see them: colour
// channels as floats (red, green, blue), a weight per texel and per channel,
// and which texels DXT1 must leave transparent. Every fit and every error
// below is measured through this record, so what the encoders minimise is
// what the tests measure.

#include <cstdint>

#include <d3d8.h>
#include <windows.h>

#include "codec/dxt_quality_encoder.h"

namespace dxt_search {

struct SearchTexels {
    float ch[3][16];            // red, green, blue, 0 to 255
    std::uint32_t weight[16];   // 0 to 255; 0: the texel's colour is not seen
    std::uint32_t channel[3];   // per channel: 1 each, or the perceptual weights
    std::uint16_t transparent;  // DXT1: texels written as index 3
    std::uint16_t used;         // texels of weight above 0
    bool threeColorOnly;        // DXT1 with a transparent texel
    bool fourColorOnly;         // DXT2 to DXT5: never the three-colour mode
    bool flat;                  // the texels of weight above 0 share one colour
};

// Alpha below the threshold in a DXT1 block: transparent.
inline bool IsTransparentDxt1(DWORD pixel, BYTE threshold) {
    return (pixel >> 24) < threshold;
}

// The colour DXT2 and DXT4 store, premultiplied with the very operations the
// library's DXT codec applies to a colour read from 8-bit channels.
DWORD PremultiplyLikeCodec(DWORD pixel);

// pixels must already be premultiplied for DXT2 and DXT4. An SSE2 form
// (TOVTEX_SSE2) takes four texels at a time; the plain form is its
// reference and the two fill the record identically.
void PrepareTexels(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                   SearchTexels& out);
void PrepareTexelsPlain(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                        SearchTexels& out);

// A block whose sixteen pixels share one colour, as the record above would
// describe it, read without filling the record: such blocks are common
// (backgrounds, sprite interiors) and need none of the per-texel channels.
struct FlatBlock {
    int rgb[3];            // red, green, blue
    std::uint32_t weight;  // the sum of the texels' weights
    std::uint32_t channel[3];
    std::uint16_t transparent;
    std::uint16_t used;
    bool threeColorOnly;
    bool fourColorOnly;
};

// False when the pixels' colours differ; the block then needs the record.
// SSE2 form (TOVTEX_SSE2) and plain reference as for PrepareTexels.
bool PrepareFlatBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                      FlatBlock& out);
bool PrepareFlatBlockPlain(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                           FlatBlock& out);

}  // namespace dxt_search
