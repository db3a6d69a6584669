#pragma once
// A shrinking linear filter reads two source columns per destination pixel;
// at a quarter of the width or less it never looks at most of a row. For a
// source whose pixels can be addressed one by one, the columns the taps
// read are gathered into a narrow row and only those are decoded. Decoding
// is the same per-pixel arithmetic wherever a pixel sits in its row, so
// the filter's bits do not change.

#include <windows.h>

#include "base/heap_array.h"
#include "codec/pixel_codec.h"
#include "convert/linear_taps.h"

class ColumnGather {
public:
    // Prepares the narrow row for the taps of a destination row; false when
    // whole rows are as cheap, the source cannot be addressed per pixel, or
    // memory runs out (the filter then decodes whole rows).
    bool Prepare(const PixelCodec& source, const HeapArray<LinearTap>& taps, UINT destinationWidth);

    // The taps with their indices into the narrow row.
    const HeapArray<LinearTap>& Taps() const { return taps_; }
    // Number of columns in the narrow row.
    UINT Width() const { return width_; }

    // Decodes the gathered columns of source row `row` of slice `slice`
    // into out[0] .. out[Width() - 1].
    HRESULT DecodeRow(PixelCodec& source, UINT row, UINT slice, ColorF* out);

private:
    HeapArray<UINT> columns_;  // source column of each narrow column, increasing
    HeapArray<LinearTap> taps_;
    HeapArray<BYTE> bytes_;  // the gathered pixels of one row
    UINT width_ = 0;
};
