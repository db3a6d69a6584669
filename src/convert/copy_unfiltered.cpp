#include <algorithm>

#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "convert/conversion_ways.h"

// The corner of the source at the box origin, pixel for pixel; whatever of
// the destination lies beyond the source becomes transparent black.
HRESULT CopyUnfiltered(ConversionJob& job) {
    if (job.FilterType() != FILTER_NONE) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;
    const UINT width = std::max(dst.width, src.width);
    const UINT height = std::min(dst.height, src.height);
    const UINT depth = std::min(dst.depth, src.depth);

    // Both zero-filled: the decoder writes only the first source-width
    // entries of the copy row, so the columns beyond keep their zeros.
    HeapArray<ColorF> copyRow;
    HeapArray<ColorF> blankRow;
    if (!copyRow.Allocate(width) || !blankRow.Allocate(dst.width)) {
        return E_FAIL;
    }
    for (UINT z = 0; z < depth; ++z) {
        for (UINT y = 0; y < height; ++y) {
            HRESULT hr = src.DecodeRow(y, z, copyRow.get());
            if (SUCCEEDED(hr)) {
                hr = dst.EncodeRow(y, z, copyRow.get());
            }
            if (FAILED(hr)) {
                return hr;
            }
        }
        for (UINT y = height; y < dst.height; ++y) {
            const HRESULT hr = dst.EncodeRow(y, z, blankRow.get());
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    for (UINT z = depth; z < dst.depth; ++z) {
        for (UINT y = 0; y < dst.height; ++y) {
            const HRESULT hr = dst.EncodeRow(y, z, blankRow.get());
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}
