#include "block_level_encoder.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <system_error>
#include <thread>

#include "codec/dxt_blocks.h"
#include "library_block_rows.h"

namespace tovtex_tool {

namespace {

struct LevelBand {
    std::size_t level;
    BlockBand band;
};

}  // namespace

void EncodeBlockRow(D3DFORMAT format, const BlockLevelWork& level, UINT row, const DxtEncodeOptions& options) {
    // DXT2 and DXT4 are premultiplied, and DXT1 texels below the threshold
    // made transparent, by the encoder itself. The row goes to the encoder
    // a run of blocks at a time: it works on more than one block at once.
    constexpr UINT RUN = 64;
    DWORD pixels[RUN * 16];
    uint16_t masks[RUN];
    const UINT blockBytes = DxtBlockBytes(format);
    const UINT top = row * 4;
    const UINT rowsInside = std::min(4u, level.height - top);
    BYTE* out = level.blocks + static_cast<std::ptrdiff_t>(row) * level.blockPitch;
    const DWORD* rows[4];
    for (UINT y = 0; y < 4; ++y) {
        rows[y] = reinterpret_cast<const DWORD*>(
            level.pixels + static_cast<std::ptrdiff_t>(top + std::min(y, rowsInside - 1)) * level.pixelPitch);
    }
    for (UINT left = 0; left < level.width;) {
        UINT count = 0;
        for (; count < RUN && left < level.width; ++count, left += 4) {
            DWORD* block = pixels + 16 * count;
            const UINT columnsInside = std::min(4u, level.width - left);
            if (rowsInside == 4 && columnsInside == 4) {
                // A whole block: four rows of four pixels as they lie.
                for (UINT y = 0; y < 4; ++y) {
                    std::memcpy(block + 4 * y, rows[y] + left, 16);
                }
                masks[count] = 0xFFFF;
                continue;
            }
            // Texels beyond the level's edge repeat the last row and column
            // inside (the mask says they weigh nothing).
            uint16_t texels = 0;
            for (UINT y = 0; y < 4; ++y) {
                for (UINT x = 0; x < 4; ++x) {
                    block[4 * y + x] = rows[y][left + std::min(x, columnsInside - 1)];
                    if (y < rowsInside && x < columnsInside) {
                        texels = static_cast<uint16_t>(texels | 1u << (4 * y + x));
                    }
                }
            }
            masks[count] = texels;
        }
        EncodeDxtBlocksWith(format, pixels, masks, count, options, out);
        out += static_cast<std::ptrdiff_t>(count) * blockBytes;
    }
}

std::vector<BlockBand> BlockBandsOf(UINT height, const BlockEncoding& encoding) {
    if (encoding.libraryEncoder) {
        return LibraryBlockBands(height);
    }
    std::vector<BlockBand> bands;
    for (UINT row = 0; row * 4 < height; ++row) {
        bands.push_back({row, 1});
    }
    return bands;
}

HRESULT EncodeBlockBand(D3DFORMAT format, const BlockLevelWork& level, const BlockBand& band,
                        const BlockEncoding& encoding) {
    if (encoding.libraryEncoder) {
        return EncodeLibraryBlockBand(format, level, band);
    }
    for (UINT row = band.first; row < band.first + band.count; ++row) {
        EncodeBlockRow(format, level, row, encoding.options);
    }
    return S_OK;
}

HRESULT EncodeBlockLevels(D3DFORMAT format, const std::vector<BlockLevelWork>& levels, const BlockEncoding& encoding) {
    std::vector<LevelBand> bands;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        for (const BlockBand& band : BlockBandsOf(levels[level].height, encoding)) {
            bands.push_back({level, band});
        }
    }
    std::atomic<std::size_t> next{0};
    std::atomic<HRESULT> failure{S_OK};
    auto work = [&] {
        for (std::size_t i = next++; i < bands.size(); i = next++) {
            const HRESULT hr = EncodeBlockBand(format, levels[bands[i].level], bands[i].band, encoding);
            if (FAILED(hr)) {
                HRESULT none = S_OK;
                failure.compare_exchange_strong(none, hr);
            }
        }
    };
    std::vector<std::thread> workers;
    const unsigned threads = encoding.threads;
    const std::size_t helpers = std::min<std::size_t>(threads > 0 ? threads - 1 : 0, bands.size());
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads, same bytes
        }
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    return failure.load();
}

}  // namespace tovtex_tool
