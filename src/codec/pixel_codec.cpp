#include "codec/pixel_codec.h"

const DitherTable ROUNDING_OFFSETS = {
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
};

// (m + 0.5) / 16 for the 4 x 4 matrix
//   15  7 13  5 /  3 11  1  9 / 12  4 14  6 /  0  8  2 10,
// each row written twice.
const DitherTable ORDERED_DITHER_OFFSETS = {
    {0.96875f, 0.46875f, 0.84375f, 0.34375f, 0.96875f, 0.46875f, 0.84375f, 0.34375f},
    {0.21875f, 0.71875f, 0.09375f, 0.59375f, 0.21875f, 0.71875f, 0.09375f, 0.59375f},
    {0.78125f, 0.28125f, 0.90625f, 0.40625f, 0.78125f, 0.28125f, 0.90625f, 0.40625f},
    {0.03125f, 0.53125f, 0.15625f, 0.65625f, 0.03125f, 0.53125f, 0.15625f, 0.65625f},
};

PixelCodec::PixelCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind codecKind)
    : format(region.format),
      sampleClass(codecKind == CODEC_SIGNED ? SAMPLE_SIGNED : SAMPLE_UNSIGNED),
      addressable(bitsPerPixel != 0),
      colorKeyEnabled(region.colorKey != 0),
      paletted(codecKind == CODEC_PALETTE),
      pixels(region.pixels),
      colorKey(ColorFromArgb(region.colorKey)),
      ditherTable(region.dither != 0 ? ORDERED_DITHER_OFFSETS : ROUNDING_OFFSETS),
      palette{},
      box(region.box),
      rowPitch(region.rowPitch),
      slicePitch(region.slicePitch),
      width(static_cast<UINT>(region.box.right - region.box.left)),
      height(static_cast<UINT>(region.box.bottom - region.box.top)),
      depth(static_cast<UINT>(region.box.back - region.box.front)),
      rowBytes(0),
      bytesPerPixel(static_cast<INT>(bitsPerPixel / 8)) {
    if (paletted) {
        constexpr float k = UNIT_SCALE_8;
        for (int i = 0; i < 256; ++i) {
            if (region.palette != nullptr) {
                const PALETTEENTRY& e = region.palette[i];
                // The flags byte carries the entry's alpha.
                palette[i] = ColorF{static_cast<float>(e.peRed) * k, static_cast<float>(e.peGreen) * k,
                                    static_cast<float>(e.peBlue) * k, static_cast<float>(e.peFlags) * k};
            } else {
                palette[i] = ColorF{1.0f, 1.0f, 1.0f, 1.0f};
            }
        }
    }
    rowBytes = width * static_cast<UINT>(bytesPerPixel);
    if (addressable) {
        pixels += static_cast<std::ptrdiff_t>(box.front) * slicePitch +
                  static_cast<std::ptrdiff_t>(box.top) * rowPitch +
                  static_cast<std::ptrdiff_t>(box.left) * bytesPerPixel;
        box = PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, static_cast<INT>(depth)};
    }
}

PixelCodec::~PixelCodec() = default;

HRESULT PixelCodec::DecodeRow(UINT, UINT, ColorF*) {
    return S_OK;
}

HRESULT PixelCodec::EncodeRow(UINT, UINT, const ColorF*) {
    return S_OK;
}

void PixelCodec::ApplyColorKey(ColorF* row, UINT count) const {
    const ColorF key = colorKey;
    for (UINT i = 0; i < count; ++i) {
        ColorF& c = row[i];
        // Exact equality on purpose: only colours that decode to the very
        // same floats are keyed.
        if (c.r == key.r && c.g == key.g && c.b == key.b && c.a == key.a) {
            c = ColorF{0.0f, 0.0f, 0.0f, 0.0f};
        }
    }
}
