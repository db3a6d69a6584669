#pragma once
// Loading into a block-compressed format (DXT1..DXT5) without compounding
// its loss: left to itself, the loader's mip builder makes each lower level
// from the compressed level above (decode, filter, encode again), so the
// error grows level by level. Here the whole chain is loaded uncompressed
// (A8R8G8B8) at exactly the size and level count the block format gets, and
// each level is compressed once from its uncompressed twin.

#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "block_level_encoder.h"
#include "chain_rework.h"

namespace tovtex_tool {

struct BlockLoadRequest {
    UINT width;  // 0 or DEFAULT_ARG: from the image (cubes: width only)
    UINT height;
    UINT mipLevels;
    D3DFORMAT format;  // the block format asked for
    DWORD filter;
    DWORD mipFilter;
    D3DCOLOR colorKey;
    bool cube;
    BlockEncoding encoding;
    DWORD ddsFlags;      // DDS_SAVE_* for the written file
    ChainRework rework;  // taken on the uncompressed chain before compressing
};

// Loads the image file in data and writes the block-compressed texture as a
// DDS file into *dds. *applied is false (and nothing written) when this way
// does not fit: the device would not take the block format for the request,
// the file already holds that format (its blocks may be carried over as
// they are), or the uncompressed load fails or does not keep the fitted
// size; the caller then loads directly. Otherwise the result is that of the
// load, the compression or the writing.
HRESULT LoadBlockTextureAsDds(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                              std::vector<BYTE>* dds, bool* applied);

// Compresses every level (and face) of an A8R8G8B8 texture once into the
// block format, at the same size and level count, and writes it as DDS
// (ddsFlags: DDS_SAVE_*).
HRESULT CompressToDds(IDirect3DDevice8* device, IDirect3DTexture8* uncompressed, D3DFORMAT format,
                      const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds);
HRESULT CompressToDds(IDirect3DDevice8* device, IDirect3DCubeTexture8* uncompressed, D3DFORMAT format,
                      const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds);

}  // namespace tovtex_tool
