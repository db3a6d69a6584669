#pragma once
// A block texture compressed straight from the decoded picture. When the
// uncompressed top level would hold the picture's own bytes (A8R8G8B8, or
// opaque and decoded with full alpha, at its own size, no colour key or
// dither, nothing reworked afterwards), it need not be made at all: worker threads compress the top level's block rows
// from the picture while this thread builds the lower levels from it, and
// then all compress those, straight into the file's bytes. The bytes are
// those of the route through a whole uncompressed chain and a block texture
// (CompressToDds after LoadAnyShape).

#include <vector>

#include <d3d8.h>
#include <windows.h>

#include "any_shape_loader.h"
#include "block_chain.h"
#include "chain_rework.h"
#include "file_bytes.h"
#include "pending_picture.h"
#include "tovtex.h"

namespace tovtex_tool {

// Whether the route below gives the same bytes for this picture (pending:
// its decode put off, as handed to the route), shape (the uncompressed
// twin's, as LoadAnyShape takes it) and rework, whichever the encoder.
bool CompressesFromPicture(const Image& image, const AnyShape& shape, const ChainRework& rework,
                           const PendingPicture* pending = nullptr);

// Writes the texture of shape in the block format as a DDS file into *dds
// (ddsFlags: DDS_SAVE_*). Only where CompressesFromPicture holds. A pending
// picture (image's memory) is decoded on this thread while the workers
// compress the top level's block rows as their pixel rows are finished;
// a failed decode gives the file's own result. With an output file given,
// a large file's bytes are written straight into it instead (*dds left
// empty; the file open, to be committed), else into *dds.
HRESULT CompressPictureToDds(IDirect3DDevice8* device, const Image& image, const AnyShape& shape, D3DFORMAT format,
                             const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds,
                             PendingPicture* pending = nullptr, MappedOutputFile* output = nullptr);

}  // namespace tovtex_tool
