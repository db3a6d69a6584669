#include "library_block_rows.h"

#include <algorithm>

#include "convert/convert_region.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

// Big enough that a band's codecs (four rows of floats each) cost little
// beside its blocks, small enough to share a level out among threads.
constexpr UINT BAND_ROWS = 8;

}  // namespace

std::vector<BlockBand> LibraryBlockBands(UINT height) {
    const UINT rows = (height + 3) / 4;
    std::vector<BlockBand> bands;
    for (UINT first = 0; first < rows; first += BAND_ROWS) {
        bands.push_back({first, std::min(BAND_ROWS, rows - first)});
    }
    // The codec encodes whole blocks: the pixel rows of a partial last block
    // row beyond the level's edge are what its buffers held from the block
    // row before. So the last block row never starts a band of its own.
    if (bands.size() > 1 && bands.back().count == 1) {
        bands.pop_back();
        ++bands.back().count;
    }
    return bands;
}

HRESULT EncodeLibraryBlockBand(D3DFORMAT format, const BlockLevelWork& level, const BlockBand& band) {
    const INT top = static_cast<INT>(band.first * 4);
    const INT bottom = static_cast<INT>(std::min(level.height, (band.first + band.count) * 4));
    const PixelBox box{0, top, static_cast<INT>(level.width), bottom, 0, 1};
    // As the surface copy describes a whole level, the box cut to the band.
    PixelRegion to{};
    to.pixels = level.blocks;
    to.format = format;
    to.rowPitch = level.blockPitch;
    to.surfaceBox = SurfaceExtent{0, 0, level.width, level.height, 0, 1};
    to.box = box;
    PixelRegion from{};
    // The engine only reads the source region.
    from.pixels = const_cast<BYTE*>(level.pixels);
    from.format = D3DFMT_A8R8G8B8;
    from.rowPitch = level.pixelPitch;
    from.box = box;
    return ConvertRegion(&to, &from, FILTER_NONE);
}

}  // namespace tovtex_tool
