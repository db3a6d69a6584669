#include "library_block_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "codec/dxt_blocks.h"
#include "codec/dxt_endpoint_fit_group.h"
#include "convert/convert_region.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

// Big enough that a band's codecs (four rows of floats each) cost little
// beside its blocks, small enough to share a level out among threads.
constexpr UINT BAND_ROWS = 8;

// The library's conversion of a box of the level (block-aligned top, and
// left; bottom and right at block edges or the level's), the very way a
// copy of the whole level goes, cut to the box.
HRESULT ConvertBox(D3DFORMAT format, const BlockLevelWork& level, UINT left, UINT top, UINT right, UINT bottom) {
    const PixelBox box{static_cast<INT>(left), static_cast<INT>(top), static_cast<INT>(right),
                       static_cast<INT>(bottom), 0, 1};
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

// The blocks wholly inside the level of block rows first to end - 1: the
// codec would hand each to the block encoder as its 16 pixels lie (a byte
// read as a float and written back, v x k8 x 255 + 0.5 truncated, is v
// again), so they go to the encoder straight from the pixels, as many side
// by side as the codec groups.
void EncodeWholeBlocks(D3DFORMAT format, const BlockLevelWork& level, UINT first, UINT end) {
    const UINT columns = level.width / 4;
    const std::size_t blockBytes = DxtBlockBytes(format);
    DWORD argb[COLOR_FIT_LANES][16];
    for (UINT row = first; row < end; ++row) {
        const BYTE* rows[4];
        for (UINT y = 0; y < 4; ++y) {
            rows[y] = level.pixels + static_cast<std::ptrdiff_t>(row * 4 + y) * level.pixelPitch;
        }
        BYTE* out = level.blocks + static_cast<std::ptrdiff_t>(row) * level.blockPitch;
        for (UINT x = 0; x < columns; x += COLOR_FIT_LANES) {
            const std::size_t count = std::min<std::size_t>(COLOR_FIT_LANES, columns - x);
            for (std::size_t g = 0; g < count; ++g) {
                for (UINT y = 0; y < 4; ++y) {
                    std::memcpy(argb[g] + 4 * y, rows[y] + (x + g) * 16, 16);
                }
            }
            BYTE* blocks = out + x * blockBytes;
            switch (format) {
            case D3DFMT_DXT1: EncodeDxt1Blocks(argb[0], count, blocks); break;
            case D3DFMT_DXT3: EncodeDxt3Blocks(argb[0], count, blocks); break;
            default: EncodeDxt5Blocks(argb[0], count, blocks); break;
            }
        }
    }
}

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
    const UINT end = band.first + band.count;
    const UINT bottom = std::min(level.height, end * 4);
    // Premultiplied colour is rounded by the codec: all of it goes there.
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT4) {
        return ConvertBox(format, level, 0, band.first * 4, level.width, bottom);
    }
    // Block rows with all four pixel rows, but for the one before a partial
    // last block row, which the codec has to see first.
    UINT wholeEnd = std::min(end, level.height / 4);
    if (level.height % 4 != 0 && end * 4 >= level.height && wholeEnd > 0) {
        wholeEnd = std::max(band.first, wholeEnd - 1);
    }
    wholeEnd = std::max(band.first, wholeEnd);
    EncodeWholeBlocks(format, level, band.first, wholeEnd);
    HRESULT hr = S_OK;
    // A partial last block column is read back first, as the codec reads
    // every block row of a level whose width is not whole blocks.
    if (wholeEnd > band.first && level.width % 4 != 0) {
        hr = ConvertBox(format, level, level.width & ~3u, band.first * 4, level.width, wholeEnd * 4);
    }
    if (SUCCEEDED(hr) && wholeEnd < end) {
        hr = ConvertBox(format, level, 0, wholeEnd * 4, level.width, bottom);
    }
    return hr;
}

}  // namespace tovtex_tool
