#pragma once
// Compressing uncompressed levels (A8R8G8B8) into DXT1..DXT5 levels, block
// rows on several threads: with the tool's searching block encoders, each
// block from its own 16 pixels, or with the library's encoder in bands of
// block rows. Either way the bytes are the same whatever the number of
// threads.

#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "codec/dxt_quality_encoder.h"

namespace tovtex_tool {

// How the levels are compressed: the library's own encoder (the bytes its
// loaders write), or the tool's searching encoders.
struct BlockEncoding {
    bool libraryEncoder = false;
    DxtEncodeOptions options;  // the searching encoders' settings
    unsigned threads = 1;      // the calling one included
};

// One level (of one face): the locked memory of its uncompressed twin and of
// the block level it fills, both width x height pixels.
struct BlockLevelWork {
    const BYTE* pixels;  // A8R8G8B8 rows
    INT pixelPitch;
    BYTE* blocks;  // rows of 4 x 4 blocks
    INT blockPitch;
    UINT width;
    UINT height;
};

// Fills one row of 4 x 4 blocks (row counts blocks) of one level.
void EncodeBlockRow(D3DFORMAT format, const BlockLevelWork& level, UINT row, const DxtEncodeOptions& options);

// One unit of work: block rows first to first + count - 1 of a level.
struct BlockBand {
    UINT first;
    UINT count;
};

// How a level of height pixel rows is shared out for the encoding: single
// block rows for the searching encoders, bands for the library's.
std::vector<BlockBand> BlockBandsOf(UINT height, const BlockEncoding& encoding);

// Fills the band's blocks of one level. The library's encoder needs the
// blocks not yet written to hold zeros, as a new texture's do.
HRESULT EncodeBlockBand(D3DFORMAT format, const BlockLevelWork& level, const BlockBand& band,
                        const BlockEncoding& encoding);

// Fills every level's blocks in format on encoding.threads threads, the
// calling one included; the others only read their rows of pixels and write
// their rows of blocks, so the memory must stay locked until this returns.
// The first failure of a band, if any (E_OUTOFMEMORY from the library's
// codecs).
HRESULT EncodeBlockLevels(D3DFORMAT format, const std::vector<BlockLevelWork>& levels,
                          const BlockEncoding& encoding);

}  // namespace tovtex_tool
