#include "convert/column_gather.h"

#include <cstring>

namespace {

// Gathering costs a copy per column; below this share of the row it pays.
constexpr UINT GATHER_NUMERATOR = 3;
constexpr UINT GATHER_DENOMINATOR = 4;

}  // namespace

bool ColumnGather::Prepare(const PixelCodec& source, const HeapArray<LinearTap>& taps, UINT destinationWidth) {
    if (!source.addressable || source.bytesPerPixel == 0 || source.width == 0) {
        return false;
    }
    // At most two columns per destination pixel: not worth a look unless
    // that is already well below the row.
    if (uint64_t{destinationWidth} * 2 * GATHER_DENOMINATOR >= uint64_t{source.width} * GATHER_NUMERATOR) {
        return false;
    }
    HeapArray<UINT> narrowIndex;
    if (!narrowIndex.Allocate(source.width)) {
        return false;
    }
    constexpr UINT UNUSED = 0xFFFFFFFF;
    for (UINT x = 0; x < source.width; ++x) {
        narrowIndex[x] = UNUSED;
    }
    for (UINT i = 0; i < destinationWidth; ++i) {
        narrowIndex[static_cast<UINT>(taps[i].index0)] = 0;
        narrowIndex[static_cast<UINT>(taps[i].index1)] = 0;
    }
    UINT count = 0;
    for (UINT x = 0; x < source.width; ++x) {
        if (narrowIndex[x] != UNUSED) {
            narrowIndex[x] = count++;
        }
    }
    if (uint64_t{count} * GATHER_DENOMINATOR >= uint64_t{source.width} * GATHER_NUMERATOR) {
        return false;
    }
    if (!columns_.Allocate(count) || !taps_.Allocate(destinationWidth) ||
        !bytes_.Allocate(std::size_t{count} * source.bytesPerPixel)) {
        return false;
    }
    for (UINT x = 0; x < source.width; ++x) {
        if (narrowIndex[x] != UNUSED) {
            columns_[narrowIndex[x]] = x;
        }
    }
    for (UINT i = 0; i < destinationWidth; ++i) {
        LinearTap tap = taps[i];
        tap.index0 = static_cast<INT>(narrowIndex[static_cast<UINT>(tap.index0)]);
        tap.index1 = static_cast<INT>(narrowIndex[static_cast<UINT>(tap.index1)]);
        taps_[i] = tap;
    }
    width_ = count;
    return true;
}

HRESULT ColumnGather::DecodeRow(PixelCodec& source, UINT row, UINT slice, ColorF* out) {
    const BYTE* from = source.RowAddress(row, slice);
    const auto size = static_cast<std::size_t>(source.bytesPerPixel);
    BYTE* to = bytes_.get();
    for (UINT c = 0; c < width_; ++c, to += size) {
        std::memcpy(to, from + std::size_t{columns_[c]} * size, size);
    }
    // The codec reads row 0 of its memory, width pixels long: point it at
    // the narrow row for one call.
    BYTE* const pixels = source.pixels;
    const UINT width = source.width;
    source.pixels = bytes_.get();
    source.width = width_;
    const HRESULT hr = source.DecodeRow(0, 0, out);
    source.pixels = pixels;
    source.width = width;
    return hr;
}
