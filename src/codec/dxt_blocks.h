#pragma once
// The DXT block functions: one 4 x 4 block at a time between its bytes and
// 16 ARGB pixels (blue in byte 0, alpha in byte 3), pixel i at row i / 4,
// column i % 4. They stand alone: the DXT codec, tools and benchmarks call
// them directly. DXT2 shares the DXT3 functions and DXT4 the DXT5 ones; the
// premultiplication of those two is the codec's business.

#include <cstddef>

#include <d3d8.h>
#include <windows.h>

#include "codec/format_facts.h"

inline constexpr std::size_t COLOR_BLOCK_BYTES = 8;   // DXT1, and the colour half of the others
inline constexpr std::size_t ALPHA_BLOCK_BYTES = 16;  // DXT2 to DXT5

// Bytes of one 4 x 4 block of a DXT format (from the format table); 0 for
// any other format.
inline constexpr UINT DxtBlockBytes(D3DFORMAT format) {
    // A walk of the rows rather than FindFormatFacts: a pointer compared
    // in a constant expression is refused by g++ under -fsanitize=undefined.
    for (const FormatFacts& facts : FORMAT_FACTS) {
        if (facts.format == format) {
            return facts.blockBytes;
        }
    }
    return 0;
}

inline constexpr bool IsDxtFormat(D3DFORMAT format) {
    return DxtBlockBytes(format) != 0;
}

// The block encoders write blocks of the sizes the format table gives.
static_assert(DxtBlockBytes(D3DFMT_DXT1) == COLOR_BLOCK_BYTES);
static_assert(DxtBlockBytes(D3DFMT_DXT3) == ALPHA_BLOCK_BYTES);
static_assert(DxtBlockBytes(D3DFMT_DXT5) == ALPHA_BLOCK_BYTES);

// Colours whose red, green and blue all lie inside [low, high], channel by
// channel (bits 16-23, 8-15, 0-7; alpha ignored), are transparent for the
// colour encoder.
struct ColorKeyRange {
    DWORD low;
    DWORD high;
};

// Low above high in every channel: every pixel is opaque.
inline constexpr ColorKeyRange NO_COLOR_KEY{0x00FFFFFF, 0x00000000};

// Decoders. A null block decodes to 16 pixels of 0.
void DecodeColorBlock(const BYTE* block, DWORD* pixels);
void DecodeDxt1Block(const BYTE* block, DWORD* pixels);
void DecodeDxt3Block(const BYTE* block, DWORD* pixels);
void DecodeDxt5Block(const BYTE* block, DWORD* pixels);

// Encoders: 16 pixels in, 8 (DXT1) or 16 bytes out.
void EncodeDxt1Block(const DWORD* pixels, BYTE* block);
void EncodeDxt3Block(const DWORD* pixels, BYTE* block);
void EncodeDxt5Block(const DWORD* pixels, BYTE* block);

// The colour half: endpoints fitted along the colours' principal axis;
// three-colour mode with index 3 for the keyed pixels when there are any.
void EncodeColorBlock(const DWORD* pixels, ColorKeyRange key, BYTE* block);

// Runs of blocks: 16 x count pixels in block order in, count blocks back to
// back out. Each block comes out exactly as its single-block encoder makes
// it; several blocks are fitted side by side, which is faster.
void EncodeDxt1Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks);
void EncodeDxt3Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks);
void EncodeDxt5Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks);
