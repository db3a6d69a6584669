#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "convert/color_vec.h"
#include "convert/conversion_ways.h"
#include "convert/triangle_accumulators.h"
#include "convert/triangle_weights.h"

// The source is read once, row by row (slice by slice); each source pixel
// is spread over the destination pixels its footprint covers. A destination
// row (slice) is written once, after the last source row (slice) that feeds
// it, and its accumulator goes back to the free list.

namespace {

// accumulator[c] += (wx x scale) x source[x] for every pair (c, wx) of
// every source pixel x; scale is wy, or wz then wy. The sums of one
// destination pixel are taken in increasing x.
void SpreadRow(ColorF* accumulator, const ColorF* source, UINT width, const TriangleWeights& weightsX, float wz,
               float wy, bool volume) {
    const TriangleWeight* pair = weightsX.pairs.get();
    for (UINT x = 0; x < width; ++x) {
        const TriangleWeight* end = weightsX.end(x);
        const ColorVec s = LoadColor(source[x]);
        for (; pair != end; ++pair) {
            const float w = volume ? (pair->weight * wz) * wy : pair->weight * wy;
            ColorF& a = accumulator[pair->index];
            StoreColor(a, LoadColor(a) + Splat(w) * s);
        }
    }
}

bool BuildAxis(UINT sourceCount, UINT destinationCount, DWORD filter, DWORD mirrorFlag, TriangleWeights& weights) {
    return BuildTriangleWeights(sourceCount, destinationCount, (filter & mirrorFlag) == 0, weights);
}

}  // namespace

HRESULT FilterTriangle2D(ConversionJob& job) {
    if (!job.BothUnsigned() || job.source->depth != 1 || job.destination->depth != 1) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    TriangleWeights weightsX;
    TriangleWeights weightsY;
    if (!BuildAxis(src.width, dst.width, job.filter, FILTER_MIRROR_U, weightsX) ||
        !BuildAxis(src.height, dst.height, job.filter, FILTER_MIRROR_V, weightsY)) {
        return E_FAIL;
    }
    TriangleAccumulators rows;
    HeapArray<ColorF> sourceRow;
    HeapArray<ColorF> blankRow;
    if (!rows.Prepare(weightsY, dst.height, dst.width) || !sourceRow.Allocate(src.width) ||
        !blankRow.Allocate(dst.width)) {
        return E_OUTOFMEMORY;
    }

    for (UINT i = 0; i < src.height; ++i) {
        const TriangleWeight* first = weightsY.begin(i);
        const TriangleWeight* last = weightsY.end(i);
        for (const TriangleWeight* p = first; p != last; ++p) {
            rows.Acquire(p->index);
        }
        HRESULT hr = src.DecodeRow(i, 0, sourceRow.get());
        if (FAILED(hr)) {
            return hr;
        }
        for (const TriangleWeight* p = first; p != last; ++p) {
            SpreadRow(rows.Held(p->index), sourceRow.get(), src.width, weightsX, 1.0f, p->weight, false);
        }
        for (const TriangleWeight* p = first; p != last; ++p) {
            if (rows.LastSource(p->index) == i && rows.Held(p->index) != nullptr) {
                hr = dst.EncodeRow(p->index, 0, rows.Held(p->index));
                if (FAILED(hr)) {
                    return hr;
                }
                rows.Release(p->index);
            }
        }
    }
    // A row no source feeds (only possible with extreme ratios) still gets
    // written, as transparent black.
    for (UINT r = 0; r < dst.height; ++r) {
        if (rows.FirstSource(r) == TriangleAccumulators::NO_SOURCE) {
            const HRESULT hr = dst.EncodeRow(r, 0, blankRow.get());
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT FilterTriangle3D(ConversionJob& job) {
    if (!job.BothUnsigned()) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    TriangleWeights weightsX;
    TriangleWeights weightsY;
    TriangleWeights weightsZ;
    if (!BuildAxis(src.width, dst.width, job.filter, FILTER_MIRROR_U, weightsX) ||
        !BuildAxis(src.height, dst.height, job.filter, FILTER_MIRROR_V, weightsY) ||
        !BuildAxis(src.depth, dst.depth, job.filter, FILTER_MIRROR_W, weightsZ)) {
        return E_FAIL;
    }
    const std::size_t sliceLength = static_cast<std::size_t>(dst.width) * dst.height;
    TriangleAccumulators slices;
    HeapArray<ColorF> sourceRow;
    HeapArray<ColorF> blankRow;
    if (!slices.Prepare(weightsZ, dst.depth, sliceLength) || !sourceRow.Allocate(src.width) ||
        !blankRow.Allocate(dst.width)) {
        return E_OUTOFMEMORY;
    }

    for (UINT i = 0; i < src.depth; ++i) {
        const TriangleWeight* firstZ = weightsZ.begin(i);
        const TriangleWeight* lastZ = weightsZ.end(i);
        for (const TriangleWeight* s = firstZ; s != lastZ; ++s) {
            slices.Acquire(s->index);
        }
        for (UINT j = 0; j < src.height; ++j) {
            const HRESULT hr = src.DecodeRow(j, i, sourceRow.get());
            if (FAILED(hr)) {
                return hr;
            }
            for (const TriangleWeight* s = firstZ; s != lastZ; ++s) {
                ColorF* slice = slices.Held(s->index);
                for (const TriangleWeight* r = weightsY.begin(j); r != weightsY.end(j); ++r) {
                    SpreadRow(slice + static_cast<std::size_t>(r->index) * dst.width, sourceRow.get(), src.width,
                              weightsX, s->weight, r->weight, true);
                }
            }
        }
        for (const TriangleWeight* s = firstZ; s != lastZ; ++s) {
            const ColorF* slice = slices.Held(s->index);
            if (slices.LastSource(s->index) == i && slice != nullptr) {
                for (UINT r = 0; r < dst.height; ++r) {
                    const HRESULT hr = dst.EncodeRow(r, s->index, slice + static_cast<std::size_t>(r) * dst.width);
                    if (FAILED(hr)) {
                        return hr;
                    }
                }
                slices.Release(s->index);
            }
        }
    }
    for (UINT s = 0; s < dst.depth; ++s) {
        if (slices.FirstSource(s) == TriangleAccumulators::NO_SOURCE) {
            for (UINT r = 0; r < dst.height; ++r) {
                const HRESULT hr = dst.EncodeRow(r, s, blankRow.get());
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
    }
    return S_OK;
}
