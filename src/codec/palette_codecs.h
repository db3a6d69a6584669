#pragma once
// The palette formats: P8 (an index) and A8P8 (alpha and an index).

#include <cstdint>

#include "codec/pixel_codec.h"

// The palette by channel, for a search that measures several entries at
// once.
struct PaletteChannels {
    alignas(16) float r[256];
    alignas(16) float g[256];
    alignas(16) float b[256];
    alignas(16) float a[256];

    explicit PaletteChannels(const ColorF* palette);
};

// The entry nearest to c by the sum of squared channel differences (red,
// green, blue, and alpha when WithAlpha); a strictly smaller distance is
// needed to replace the best so far, so the lowest index wins ties.
template <bool WithAlpha>
std::uint8_t FindNearestEntry(const PaletteChannels& palette, const ColorF& c);

class P8Codec final : public PixelCodec {
public:
    P8Codec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);
    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override;
    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override;

private:
    PaletteChannels channels;
};

class A8P8Codec final : public PixelCodec {
public:
    A8P8Codec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);
    HRESULT DecodeRow(UINT row, UINT slice, ColorF* out) override;
    HRESULT EncodeRow(UINT row, UINT slice, const ColorF* in) override;

private:
    PaletteChannels channels;
};
