#include "codec/dxt_quality_encoder.h"

#include "codec/dxt_blocks.h"

// Placeholder until the searching encoders land: the library's encoders.
void EncodeDxtBlockWith(D3DFORMAT format, const DWORD* pixels, uint16_t, const DxtEncodeOptions&, BYTE* block) {
    switch (format) {
    case D3DFMT_DXT1: EncodeDxt1Block(pixels, block); break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: EncodeDxt3Block(pixels, block); break;
    default: EncodeDxt5Block(pixels, block); break;
    }
}
