#include "convert/linear_pair_average.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/tovtex_defs.h"
#include "convert/halve_kernels.h"

namespace {

bool IsColour32(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

bool AllHalfAndHalf(const HeapArray<LinearTap>& taps, UINT count) {
    for (UINT i = 0; i < count; ++i) {
        if (taps[i].weight0 != 0.5f || taps[i].weight1 != 0.5f) {
            return false;
        }
    }
    return true;
}

std::uint32_t Load(const BYTE* row, INT column) {
    std::uint32_t w;
    std::memcpy(&w, row + static_cast<std::ptrdiff_t>(column) * 4, 4);
    return w;
}

// Every byte of the four words: (a + b + c + d + 2) >> 2, two bytes at a
// time in 16-bit lanes.
std::uint32_t Average(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    constexpr std::uint32_t LANES = 0x00FF00FF;
    constexpr std::uint32_t ROUND = 0x00020002;
    const std::uint32_t low = (((a & LANES) + (b & LANES) + (c & LANES) + (d & LANES) + ROUND) >> 2) & LANES;
    const std::uint32_t high =
        (((a >> 8 & LANES) + (b >> 8 & LANES) + (c >> 8 & LANES) + (d >> 8 & LANES) + ROUND) >> 2) & LANES;
    return low | high << 8;
}

}  // namespace

bool AverageLinearPairs(ConversionJob& job, const HeapArray<LinearTap>& tapsX, const HeapArray<LinearTap>& tapsY) {
    PixelCodec& dst = *job.destination;
    const PixelCodec& src = *job.source;
    if ((job.filter & FILTER_DITHER) != 0 || src.colorKeyEnabled || !IsColour32(src.format) ||
        !IsColour32(dst.format) || src.depth != 1 || dst.depth != 1 || !AllHalfAndHalf(tapsX, dst.width) ||
        !AllHalfAndHalf(tapsY, dst.height)) {
        return false;
    }
    // X8R8G8B8 writes its unused byte as 0; an opaque source gives alpha
    // 255 whatever its unused byte holds.
    const std::uint32_t keep = dst.format == D3DFMT_X8R8G8B8 ? 0x00FFFFFFu : 0xFFFFFFFFu;
    const std::uint32_t set = dst.format == D3DFMT_A8R8G8B8 && src.format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;

    // Runs of taps reading neighbouring pairs (2x - 1, 2x), as a 2:1 shrink
    // does after its first column, go through the vector kernel.
    UINT pairedFrom = dst.width;
    for (UINT x = 0; x < dst.width; ++x) {
        const LinearTap& t = tapsX[x];
        const bool paired = t.index0 >= 0 && t.index1 == t.index0 + 1 && t.index0 % 2 == 1 &&
                            static_cast<UINT>(t.index0) == 2 * x - 1;
        if (!paired) {
            pairedFrom = dst.width;
        } else if (pairedFrom == dst.width) {
            pairedFrom = x;
        }
    }

    for (UINT y = 0; y < dst.height; ++y) {
        const BYTE* top = src.RowAddress(static_cast<UINT>(tapsY[y].index0), 0);
        const BYTE* bottom = src.RowAddress(static_cast<UINT>(tapsY[y].index1), 0);
        BYTE* out = dst.RowAddress(y, 0);
        UINT x = 0;
        UINT end = dst.width;
#if TOVTEX_SSE2
        if (pairedFrom < dst.width) {
            const std::size_t first = static_cast<std::size_t>(2 * pairedFrom - 1) * 4;
            const UINT done = HalveRow32Sse2(out + std::size_t{pairedFrom} * 4, top + first, bottom + first,
                                             dst.width - pairedFrom, keep);
            end = pairedFrom;
            for (UINT x2 = pairedFrom; x2 < dst.width; ++x2) {
                std::uint32_t w;
                if (x2 < pairedFrom + done) {
                    if (set == 0) {
                        continue;
                    }
                    std::memcpy(&w, out + std::size_t{x2} * 4, 4);
                } else {
                    // Whatever the vector kernel left at the end of the row.
                    const LinearTap& t = tapsX[x2];
                    w = Average(Load(top, t.index0), Load(top, t.index1), Load(bottom, t.index0),
                                Load(bottom, t.index1)) &
                        keep;
                }
                w |= set;
                std::memcpy(out + std::size_t{x2} * 4, &w, 4);
            }
        }
#endif
        for (; x < end; ++x) {
            const LinearTap& t = tapsX[x];
            const std::uint32_t w =
                (Average(Load(top, t.index0), Load(top, t.index1), Load(bottom, t.index0), Load(bottom, t.index1)) &
                 keep) |
                set;
            std::memcpy(out + std::size_t{x} * 4, &w, 4);
        }
    }
    return true;
}
