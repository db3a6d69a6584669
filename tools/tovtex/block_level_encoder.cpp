#include "block_level_encoder.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>

#include "codec/dxt_blocks.h"

namespace tovtex_tool {

namespace {

struct BlockRow {
    std::size_t level;
    UINT row;  // in blocks
};

// The library's codec keeps DXT2 and DXT4 premultiplied: colour times alpha,
// rounded as it rounds (single precision, then + 0.5 truncated), stored in
// the DXT3 and DXT5 block layouts. Done here, as the codec does it before
// the block functions, so the encoder fits the colours the file holds.
DWORD Premultiplied(DWORD pixel) {
    constexpr float UNIT = 1.0f / 255.0f;
    const float alpha = static_cast<float>(pixel >> 24) * UNIT;
    auto channel = [&](int shift) {
        const float c = static_cast<float>((pixel >> shift) & 0xFF) * UNIT;
        return static_cast<DWORD>(std::min(c * alpha * 255.0f + 0.5f, 255.0f)) << shift;
    };
    return (pixel & 0xFF000000u) | channel(16) | channel(8) | channel(0);
}

// DXT1 stores alpha as opaque or transparent, and so the picture is seen:
// settled here by the threshold, the encoder's own rule agrees (alpha 0 is
// below any threshold from 1 up, 255 below none).
DWORD Thresholded(DWORD pixel, BYTE threshold) {
    return (pixel >> 24) < threshold ? pixel & 0x00FFFFFFu : pixel | 0xFF000000u;
}

D3DFORMAT StoredLayout(D3DFORMAT format) {
    return format == D3DFMT_DXT2 ? D3DFMT_DXT3 : format == D3DFMT_DXT4 ? D3DFMT_DXT5 : format;
}

void EncodeBlockRow(D3DFORMAT format, const BlockLevelWork& level, UINT row, const DxtEncodeOptions& options) {
    const bool premultiply = format != StoredLayout(format);
    const D3DFORMAT layout = StoredLayout(format);
    const UINT blockBytes = DxtBlockBytes(layout);
    const UINT top = row * 4;
    const UINT rowsInside = std::min(4u, level.height - top);
    BYTE* out = level.blocks + static_cast<std::ptrdiff_t>(row) * level.blockPitch;
    DWORD block[16];
    for (UINT left = 0; left < level.width; left += 4, out += blockBytes) {
        const UINT columnsInside = std::min(4u, level.width - left);
        // Texels beyond the level's edge repeat the last row and column
        // inside (the mask says they weigh nothing).
        uint16_t texels = 0;
        for (UINT y = 0; y < 4; ++y) {
            const auto* source = reinterpret_cast<const DWORD*>(
                level.pixels + static_cast<std::ptrdiff_t>(top + std::min(y, rowsInside - 1)) * level.pixelPitch);
            for (UINT x = 0; x < 4; ++x) {
                const DWORD pixel = source[left + std::min(x, columnsInside - 1)];
                block[4 * y + x] = premultiply             ? Premultiplied(pixel)
                                   : format == D3DFMT_DXT1 ? Thresholded(pixel, options.alphaThreshold)
                                                           : pixel;
                if (y < rowsInside && x < columnsInside) {
                    texels = static_cast<uint16_t>(texels | 1u << (4 * y + x));
                }
            }
        }
        EncodeDxtBlockWith(layout, block, texels, options, out);
    }
}

}  // namespace

void EncodeBlockLevels(D3DFORMAT format, const std::vector<BlockLevelWork>& levels, const DxtEncodeOptions& options,
                       unsigned threads) {
    std::vector<BlockRow> rows;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        for (UINT row = 0; row * 4 < levels[level].height; ++row) {
            rows.push_back({level, row});
        }
    }
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < rows.size(); i = next++) {
            EncodeBlockRow(format, levels[rows[i].level], rows[i].row, options);
        }
    };
    std::vector<std::thread> workers;
    const std::size_t helpers = std::min<std::size_t>(threads > 0 ? threads - 1 : 0, rows.size());
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
}

}  // namespace tovtex_tool
