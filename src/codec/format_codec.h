#pragma once
// The codec of one packed format; the layout fixes the arithmetic at compile
// time, so each row is one loop without calls per pixel.

#include <new>

#include "codec/packed_rows.h"
#include "codec/pixel_codec.h"

template <class Layout>
class FormatCodec final : public PixelCodec {
public:
    using PixelCodec::PixelCodec;

    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override {
        codec_layout::DecodePackedRow<Layout>(RowAddress(row, slice), out, width);
        if (colorKeyEnabled) {
            ApplyColorKey(out, width);
        }
        return S_OK;
    }

    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override {
        codec_layout::EncodePackedRow<Layout>(in, RowAddress(row, slice), width, DitherRow(row, slice));
        return S_OK;
    }
};

template <class Codec>
PixelCodec* MakeCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind) {
    return new (std::nothrow) Codec(region, bitsPerPixel, kind);
}
