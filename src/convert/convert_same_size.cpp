#include "base/heap_array.h"
#include "codec/convert_row_fast.h"
#include "convert/conversion_ways.h"
#include "convert/convert_testing.h"

HRESULT ConvertSameSize(ConversionJob& job) {
    if (!job.SameSize()) {
        return E_FAIL;
    }
    PixelCodec& dst = *job.destination;
    PixelCodec& src = *job.source;

    // From the 32-bit formats a row goes straight across; the bits are those
    // of decoding and encoding.
    const FastRowConverter fast = dst.addressable && src.addressable && !tovtex::ConversionShortcutsOff()
                                      ? FindFastRowConverter(dst.format, src.format)
                                      : nullptr;
    if (fast != nullptr) {
        for (UINT z = 0; z < dst.depth; ++z) {
            for (UINT y = 0; y < dst.height; ++y) {
                ConvertRowFast(fast, dst, src, y, z);
            }
        }
        return S_OK;
    }

    HeapArray<ColorF> row;
    if (!row.Allocate(dst.width)) {
        return E_FAIL;
    }
    for (UINT z = 0; z < dst.depth; ++z) {
        for (UINT y = 0; y < dst.height; ++y) {
            HRESULT hr = src.DecodeRow(y, z, row.get());
            if (SUCCEEDED(hr)) {
                hr = dst.EncodeRow(y, z, row.get());
            }
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}
