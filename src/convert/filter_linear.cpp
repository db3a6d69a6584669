#include <utility>

#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "convert/color_vec.h"
#include "convert/column_gather.h"
#include "convert/conversion_ways.h"
#include "convert/convert_testing.h"
#include "convert/linear_pair_average.h"
#include "convert/linear_taps.h"

namespace {

constexpr INT NO_ROW = -1;

bool IsLinearJob(const ConversionJob& job) {
    return job.FilterType() == FILTER_LINEAR && job.BothUnsigned() && job.BothNonEmpty();
}

// H(P) = wx0 x P[x0] + wx1 x P[x1].
inline ColorVec Horizontal(const ColorF* row, const LinearTap& tap) {
    return Splat(tap.weight0) * LoadColor(row[tap.index0]) + Splat(tap.weight1) * LoadColor(row[tap.index1]);
}

// Row `row` of slices z0 and z1, into the two buffers.
HRESULT DecodeSlicePair(PixelCodec& src, INT row, UINT z0, UINT z1, HeapArray<ColorF>& first,
                        HeapArray<ColorF>& second) {
    const HRESULT hr = src.DecodeRow(static_cast<UINT>(row), z0, first.get());
    return FAILED(hr) ? hr : src.DecodeRow(static_cast<UINT>(row), z1, second.get());
}

}  // namespace

HRESULT FilterLinear2D(ConversionJob& job) {
    if (!IsLinearJob(job) || job.source->depth != 1 || job.destination->depth != 1) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    const HeapArray<LinearTap> allTapsX = BuildLinearTaps(src.width, dst.width, (job.filter & FILTER_MIRROR_U) == 0);
    const HeapArray<LinearTap> tapsY = BuildLinearTaps(src.height, dst.height, (job.filter & FILTER_MIRROR_V) == 0);
    if (!allTapsX || !tapsY) {
        return E_OUTOFMEMORY;
    }
    if (!tovtex::ConversionShortcutsOff() && AverageLinearPairs(job, allTapsX, tapsY)) {
        return S_OK;
    }
    // A strong shrink decodes only the columns its taps read.
    ColumnGather gather;
    const bool gathered = !tovtex::ConversionShortcutsOff() && gather.Prepare(src, allTapsX, dst.width);
    const HeapArray<LinearTap>& tapsX = gathered ? gather.Taps() : allTapsX;
    const UINT rowWidth = gathered ? gather.Width() : src.width;
    auto decodeRow = [&](INT row, ColorF* into) {
        return gathered ? gather.DecodeRow(src, static_cast<UINT>(row), 0, into)
                        : src.DecodeRow(static_cast<UINT>(row), 0, into);
    };
    HeapArray<ColorF> out;
    HeapArray<ColorF> rowA;
    HeapArray<ColorF> rowB;
    if (!out.Allocate(dst.width) || !rowA.Allocate(rowWidth) || !rowB.Allocate(rowWidth)) {
        return E_OUTOFMEMORY;
    }

    INT heldA = NO_ROW;
    INT heldB = NO_ROW;
    for (UINT y = 0; y < dst.height; ++y) {
        const LinearTap& ty = tapsY[y];
        if (ty.index0 != heldA) {
            // The previous bottom row is usually the next top row.
            if (ty.index0 == heldB) {
                rowA.swap(rowB);
                heldA = heldB;
                heldB = NO_ROW;
            } else {
                const HRESULT hr = decodeRow(ty.index0, rowA.get());
                if (FAILED(hr)) {
                    return hr;
                }
                heldA = ty.index0;
            }
        }
        if (ty.index1 != heldB) {
            const HRESULT hr = decodeRow(ty.index1, rowB.get());
            if (FAILED(hr)) {
                return hr;
            }
            heldB = ty.index1;
        }
        const ColorF* a = rowA.get();
        const ColorF* b = rowB.get();
        const ColorVec wy0 = Splat(ty.weight0);
        const ColorVec wy1 = Splat(ty.weight1);
        for (UINT x = 0; x < dst.width; ++x) {
            const LinearTap& tx = tapsX[x];
            StoreColor(out[x], wy0 * Horizontal(a, tx) + wy1 * Horizontal(b, tx));
        }
        const HRESULT hr = dst.EncodeRow(y, 0, out.get());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT FilterLinear3D(ConversionJob& job) {
    if (!IsLinearJob(job)) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    const HeapArray<LinearTap> tapsX = BuildLinearTaps(src.width, dst.width, (job.filter & FILTER_MIRROR_U) == 0);
    const HeapArray<LinearTap> tapsY = BuildLinearTaps(src.height, dst.height, (job.filter & FILTER_MIRROR_V) == 0);
    const HeapArray<LinearTap> tapsZ = BuildLinearTaps(src.depth, dst.depth, (job.filter & FILTER_MIRROR_W) == 0);
    // p00: row y0 of slice z0, p01: row y0 of slice z1, p10: row y1 of
    // slice z0, p11: row y1 of slice z1.
    HeapArray<ColorF> out;
    HeapArray<ColorF> p00, p01, p10, p11;
    if (!tapsX || !tapsY || !tapsZ || !out.Allocate(dst.width) || !p00.Allocate(src.width) ||
        !p01.Allocate(src.width) || !p10.Allocate(src.width) || !p11.Allocate(src.width)) {
        return E_OUTOFMEMORY;
    }

    for (UINT z = 0; z < dst.depth; ++z) {
        const LinearTap& tz = tapsZ[z];
        const auto z0 = static_cast<UINT>(tz.index0);
        const auto z1 = static_cast<UINT>(tz.index1);
        INT held0 = NO_ROW;
        INT held1 = NO_ROW;
        for (UINT y = 0; y < dst.height; ++y) {
            const LinearTap& ty = tapsY[y];
            if (ty.index0 != held0) {
                if (ty.index0 == held1) {
                    p00.swap(p10);
                    p01.swap(p11);
                    held0 = held1;
                    held1 = NO_ROW;
                } else {
                    const HRESULT hr = DecodeSlicePair(src, ty.index0, z0, z1, p00, p01);
                    if (FAILED(hr)) {
                        return hr;
                    }
                    held0 = ty.index0;
                }
            }
            if (ty.index1 != held1) {
                const HRESULT hr = DecodeSlicePair(src, ty.index1, z0, z1, p10, p11);
                if (FAILED(hr)) {
                    return hr;
                }
                held1 = ty.index1;
            }
            const ColorVec wy0 = Splat(ty.weight0);
            const ColorVec wy1 = Splat(ty.weight1);
            const ColorVec wz0 = Splat(tz.weight0);
            const ColorVec wz1 = Splat(tz.weight1);
            for (UINT x = 0; x < dst.width; ++x) {
                const LinearTap& tx = tapsX[x];
                const ColorVec front = wy0 * Horizontal(p00.get(), tx) + wy1 * Horizontal(p10.get(), tx);
                const ColorVec back = wy0 * Horizontal(p01.get(), tx) + wy1 * Horizontal(p11.get(), tx);
                StoreColor(out[x], wz0 * front + wz1 * back);
            }
            const HRESULT hr = dst.EncodeRow(y, z, out.get());
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}
