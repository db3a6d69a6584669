#pragma once
// The packed 4:2:2 codecs, UYVY and YUY2. Two neighbouring pixels share one
// pair of chroma samples, so a pixel cannot be written alone: the codec
// caches one pixel row as ColorF, reads it from YUV when first addressed,
// and writes it back when another row is addressed or on destruction.

#include <memory>

#include "codec/pixel_codec.h"

class YuvCodec : public PixelCodec {
public:
    YuvCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);
    ~YuvCodec() override;

    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override;
    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override;

    ColorF* rowBuffer;
    INT alignedLeft;
    INT alignedRight;
    UINT alignedWidth;
    UINT cachedRow;
    UINT cachedRowEnd;
    UINT cachedSlice;
    UINT cachedSliceEnd;
    bool dirty;
    bool buffersValid;
    UINT lumaShift;    // bit of the luma byte in each 16-bit word
    UINT chromaShift;  // bit of the chroma byte

    // How many rows were read back from memory.
    UINT rowsDecoded;

private:
    HRESULT SelectRow(UINT row, UINT slice, bool contentNeeded);
    void WriteBack();
    BYTE* PairAddress(UINT row, UINT slice, INT column) const;

    std::unique_ptr<ColorF[]> storage;
};

// UYVY: bytes U, Y0, V, Y1. YUY2: bytes Y0, U, Y1, V.
class UyvyCodec final : public YuvCodec {
public:
    using YuvCodec::YuvCodec;
};

class Yuy2Codec final : public YuvCodec {
public:
    using YuvCodec::YuvCodec;
};
