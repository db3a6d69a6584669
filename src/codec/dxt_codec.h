#pragma once
// The DXT1 to DXT5 codecs. A block covers 4 x 4 pixels, so the codec keeps
// one row of blocks decoded as ColorF in four row buffers, hands rows out of
// and into them, and encodes the whole block row back when another block
// row or slice is addressed, and on destruction.

#include <cstddef>
#include <memory>

#include "codec/pixel_codec.h"

class DxtCodec : public PixelCodec {
public:
    DxtCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);
    ~DxtCodec() override;

    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override;
    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override;

    ColorF* rowBuffers[4];
    INT alignedLeft;
    INT alignedRight;
    UINT alignedWidth;
    UINT cachedRowFirst;
    UINT cachedRowEnd;
    UINT cachedSlice;
    UINT cachedSliceEnd;
    UINT highestBlockRow;
    bool dirty;
    bool buffersValid;
    bool smallSurface;
    UINT xMask;
    UINT yMask;

    // How many block rows were read back from memory; a writer that fills
    // whole block rows in order should never cause one.
    UINT blockRowsDecoded;

private:
    // Caches the block row holding the row (surface coordinates); decodes
    // it unless the caller overwrites it whole on the first visit.
    HRESULT SelectRow(UINT row, UINT slice, bool contentNeeded);
    void DecodeBlockRow();
    void Flush();
    bool CoversBlockRow(UINT first) const;
    BYTE* BlockAddress(UINT blockRowFirst, UINT slice, INT column) const;

    std::unique_ptr<ColorF[]> storage;
    std::size_t blockBytes;
    bool premultiplied;  // DXT2, DXT4
    UINT surfaceBottom;
};

// One class per format; they differ only by the format they are built for.
class Dxt1Codec final : public DxtCodec {
public:
    using DxtCodec::DxtCodec;
};

class Dxt2Codec final : public DxtCodec {
public:
    using DxtCodec::DxtCodec;
};

class Dxt3Codec final : public DxtCodec {
public:
    using DxtCodec::DxtCodec;
};

class Dxt4Codec final : public DxtCodec {
public:
    using DxtCodec::DxtCodec;
};

class Dxt5Codec final : public DxtCodec {
public:
    using DxtCodec::DxtCodec;
};
