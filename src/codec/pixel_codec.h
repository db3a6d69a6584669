#pragma once
// The codec base: one codec is bound to one block of pixels and converts
// whole rows between the block's format and ColorF.

#include <cstddef>

#include <d3d8.h>
#include <windows.h>

#include "codec/color_f.h"
#include "codec/pixel_region.h"

enum SampleClass : DWORD {
    SAMPLE_UNSIGNED = 1,  // channels in 0 to 1
    SAMPLE_SIGNED = 3,    // channels in -1 to just under 1
};

enum CodecKind : DWORD {
    CODEC_PLAIN = 1,
    CODEC_PALETTE = 2,
    CODEC_SIGNED = 3,
};

// Rows of 8 so that a slice can shift the 4-wide pattern by one column
// without wrapping: entry [y & 3][(z & 3) + (x & 3)].
using DitherTable = float[4][8];
extern const DitherTable ROUNDING_OFFSETS;
extern const DitherTable ORDERED_DITHER_OFFSETS;

class PixelCodec {
public:
    // bitsPerPixel 0 marks a codec whose pixels have no fixed byte size (YUV,
    // DXT): it keeps the pointer and the box as given.
    PixelCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind codecKind);
    virtual ~PixelCodec();

    PixelCodec(const PixelCodec&) = delete;
    PixelCodec& operator=(const PixelCodec&) = delete;

    // Row and slice count from the box's top and front; pixel x of a row is
    // the x-th pixel from the box's left edge. Both return S_OK or
    // E_OUTOFMEMORY (codecs with a row cache only).
    virtual HRESULT DecodeRow(UINT row, UINT slice, ColorF* out);
    virtual HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in);

    // Every pixel equal to colorKey, exactly, becomes transparent black.
    void ApplyColorKey(ColorF* row, UINT count) const;

    // First byte of a row of an addressable codec.
    BYTE* RowAddress(UINT row, UINT slice) const {
        return pixels + static_cast<std::ptrdiff_t>(row) * rowPitch + static_cast<std::ptrdiff_t>(slice) * slicePitch;
    }

    // The four offsets of a row: pixel x takes entry (x & 3).
    const float* DitherRow(UINT row, UINT slice) const { return ditherTable[row & 3] + (slice & 3); }

    D3DFORMAT format;
    SampleClass sampleClass;
    bool addressable;
    bool colorKeyEnabled;
    bool paletted;
    BYTE* pixels;
    ColorF colorKey;
    const float (*ditherTable)[8];
    ColorF palette[256];
    PixelBox box;
    INT rowPitch;
    INT slicePitch;
    UINT width;
    UINT height;
    UINT depth;
    UINT rowBytes;
    INT bytesPerPixel;
};
