#pragma once
// Direct row conversion between two plain formats, without a ColorF row in
// between. It performs the same per-pixel arithmetic as the source codec's
// DecodeRow (colour key included) followed by the destination codec's
// EncodeRow, so its bits are identical; it only saves the trip through
// memory.

#include "codec/pixel_codec.h"

// src and dst point at the first pixel of a row; dither is the destination
// row's four offsets (PixelCodec::DitherRow); colorKey is the source's key,
// or null when keying is off.
using FastRowConverter = void (*)(const BYTE* src, BYTE* dst, UINT width, const float* dither, const ColorF* colorKey);

// The direct converter for a pair of formats, or null when there is none.
// Sources: A8R8G8B8, X8R8G8B8. Destinations: the unsigned plain, alpha and
// luminance formats (not the palette, signed, YUV or DXT formats).
FastRowConverter FindFastRowConverter(D3DFORMAT destination, D3DFORMAT source);

// Row y of slice z of the two codecs' boxes, which must be the same size.
inline void ConvertRowFast(FastRowConverter convert, const PixelCodec& destination, const PixelCodec& source, UINT row,
                           UINT slice) {
    convert(source.RowAddress(row, slice), destination.RowAddress(row, slice), destination.width,
            destination.DitherRow(row, slice), source.colorKeyEnabled ? &source.colorKey : nullptr);
}
