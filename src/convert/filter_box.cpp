#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "convert/color_vec.h"
#include "convert/conversion_ways.h"
#include "convert/halve_kernels.h"

namespace {

// The destination count of an exact halving; a single pixel stays single.
bool Halves(UINT sourceCount, UINT destinationCount) {
    return destinationCount == (sourceCount >> 1) || (sourceCount == 1 && destinationCount == 1);
}

bool IsBoxHalving2D(const ConversionJob& job) {
    const PixelCodec& dst = *job.destination;
    const PixelCodec& src = *job.source;
    return job.FilterType() == FILTER_BOX && job.BothUnsigned() && Halves(src.width, dst.width) &&
           Halves(src.height, dst.height);
}

// Without dithering or keying, an exact halving within one format whose
// fields all average as integers never needs to decode.
HalveKernel IntegerKernel(const ConversionJob& job) {
    const PixelCodec& dst = *job.destination;
    const PixelCodec& src = *job.source;
    if ((job.filter & FILTER_DITHER) != 0 || src.colorKeyEnabled || src.format != dst.format || src.width < 2 ||
        src.height < 2 || !src.addressable || !dst.addressable) {
        return nullptr;
    }
    return FindHalveKernel(src.format);
}

}  // namespace

HRESULT FilterBoxHalf2D(ConversionJob& job) {
    if (!IsBoxHalving2D(job) || job.source->depth != 1 || job.destination->depth != 1) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;
    if (const HalveKernel kernel = IntegerKernel(job)) {
        kernel(dst.pixels, dst.rowPitch, src.pixels, src.rowPitch, dst.width, dst.height);
        return S_OK;
    }

    const bool oneRow = src.height == 1;
    HeapArray<ColorF> out;
    HeapArray<ColorF> rowA;
    HeapArray<ColorF> rowB;
    if (!out.Allocate(dst.width) || !rowA.Allocate(src.width) || (!oneRow && !rowB.Allocate(src.width))) {
        return E_OUTOFMEMORY;
    }
    const ColorF* a = rowA.get();
    const ColorF* b = oneRow ? rowA.get() : rowB.get();
    const UINT second = src.width == 1 ? 0 : 1;
    const ColorVec quarter = Splat(0.25f);
    for (UINT y = 0; y < dst.height; ++y) {
        HRESULT hr = src.DecodeRow(2 * y, 0, rowA.get());
        if (SUCCEEDED(hr) && !oneRow) {
            hr = src.DecodeRow(2 * y + 1, 0, rowB.get());
        }
        if (FAILED(hr)) {
            return hr;
        }
        for (UINT x = 0; x < dst.width; ++x) {
            const UINT p = 2 * x;
            const UINT q = p + second;
            StoreColor(out[x], (((LoadColor(a[p]) + LoadColor(a[q])) + LoadColor(b[p])) + LoadColor(b[q])) * quarter);
        }
        hr = dst.EncodeRow(y, 0, out.get());
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT FilterBoxHalf3D(ConversionJob& job) {
    if (!IsBoxHalving2D(job) || job.destination->depth != (job.source->depth >> 1)) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    // Rows: 2y of slice 2z, 2y of slice 2z + 1, 2y + 1 of slice 2z,
    // 2y + 1 of slice 2z + 1; a source one row tall reuses the first pair.
    const bool oneRow = src.height == 1;
    HeapArray<ColorF> out;
    HeapArray<ColorF> rows[4];
    if (!out.Allocate(dst.width) || !rows[0].Allocate(src.width) || !rows[1].Allocate(src.width) ||
        (!oneRow && (!rows[2].Allocate(src.width) || !rows[3].Allocate(src.width)))) {
        return E_OUTOFMEMORY;
    }
    const ColorF* r0 = rows[0].get();
    const ColorF* r1 = rows[1].get();
    const ColorF* r2 = oneRow ? r0 : rows[2].get();
    const ColorF* r3 = oneRow ? r1 : rows[3].get();
    const UINT second = src.width == 1 ? 0 : 1;
    const ColorVec eighth = Splat(0.125f);
    for (UINT z = 0; z < dst.depth; ++z) {
        for (UINT y = 0; y < dst.height; ++y) {
            HRESULT hr = src.DecodeRow(2 * y, 2 * z, rows[0].get());
            if (SUCCEEDED(hr)) {
                hr = src.DecodeRow(2 * y, 2 * z + 1, rows[1].get());
            }
            if (SUCCEEDED(hr) && !oneRow) {
                hr = src.DecodeRow(2 * y + 1, 2 * z, rows[2].get());
                if (SUCCEEDED(hr)) {
                    hr = src.DecodeRow(2 * y + 1, 2 * z + 1, rows[3].get());
                }
            }
            if (FAILED(hr)) {
                return hr;
            }
            for (UINT x = 0; x < dst.width; ++x) {
                const UINT p = 2 * x;
                const UINT q = p + second;
                ColorVec sum = LoadColor(r0[p]) + LoadColor(r0[q]);
                sum = sum + LoadColor(r1[p]);
                sum = sum + LoadColor(r1[q]);
                sum = sum + LoadColor(r2[p]);
                sum = sum + LoadColor(r2[q]);
                sum = sum + LoadColor(r3[p]);
                sum = sum + LoadColor(r3[q]);
                StoreColor(out[x], sum * eighth);
            }
            hr = dst.EncodeRow(y, z, out.get());
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}
