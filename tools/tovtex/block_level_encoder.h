#pragma once
// Compressing uncompressed levels (A8R8G8B8) into DXT1..DXT5 levels with the
// tool's searching block encoders, block row by block row on several
// threads. Each block depends only on its own 16 pixels, so the bytes are
// the same whatever the number of threads.

#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "codec/dxt_quality_encoder.h"

namespace tovtex_tool {

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

// Fills every level's blocks in format. threads counts the calling thread;
// the others only read their rows of pixels and write their rows of blocks,
// so the memory must stay locked until this returns.
void EncodeBlockLevels(D3DFORMAT format, const std::vector<BlockLevelWork>& levels, const DxtEncodeOptions& options,
                       unsigned threads);

}  // namespace tovtex_tool
