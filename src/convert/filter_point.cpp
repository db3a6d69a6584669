#include <cstdint>

#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "convert/conversion_ways.h"

namespace {

// 16.16 fixed-point step, held in 64 bits so that sources of 65536 pixels
// and more do not wrap.
std::uint64_t PointStep(UINT sourceCount, UINT destinationCount) {
    return (static_cast<std::uint64_t>(sourceCount) << 16) / destinationCount;
}

}  // namespace

// Destination pixel i takes source pixel floor(i x step / 65536) on each
// axis; the last decoded source row is kept and reused.
HRESULT FilterPoint(ConversionJob& job) {
    if (job.FilterType() != FILTER_POINT || !job.BothNonEmpty()) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    HeapArray<ColorF> srcRow;
    HeapArray<ColorF> dstRow;
    if (!srcRow.Allocate(src.width) || !dstRow.Allocate(dst.width)) {
        return E_OUTOFMEMORY;
    }
    const std::uint64_t stepX = PointStep(src.width, dst.width);
    const std::uint64_t stepY = PointStep(src.height, dst.height);
    const std::uint64_t stepZ = PointStep(src.depth, dst.depth);

    std::uint64_t zpos = 0;
    for (UINT z = 0; z < dst.depth; ++z) {
        const auto sourceSlice = static_cast<UINT>(zpos >> 16);
        bool cached = false;
        UINT cachedRow = 0;
        std::uint64_t ypos = 0;
        for (UINT y = 0; y < dst.height; ++y) {
            const auto sourceRow = static_cast<UINT>(ypos >> 16);
            if (!cached || sourceRow != cachedRow) {
                const HRESULT hr = src.DecodeRow(sourceRow, sourceSlice, srcRow.get());
                if (FAILED(hr)) {
                    return hr;
                }
                cached = true;
                cachedRow = sourceRow;
            }
            std::uint64_t xpos = 0;
            for (UINT x = 0; x < dst.width; ++x) {
                dstRow[x] = srcRow[static_cast<std::size_t>(xpos >> 16)];
                xpos += stepX;
            }
            const HRESULT hr = dst.EncodeRow(y, z, dstRow.get());
            if (FAILED(hr)) {
                return hr;
            }
            ypos += stepY;
        }
        zpos += stepZ;
    }
    return S_OK;
}
