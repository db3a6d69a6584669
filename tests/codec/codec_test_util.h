#pragma once
// Small builders shared by the codec tests.

#include <cstdint>
#include <memory>

#include "codec/create_pixel_codec.h"
#include "support/color_bits.h"
#include "support/device_surface.h"
#include "support/pixel_block.h"

namespace codec_test {

using test_support::Bits;
using test_support::Block;
using test_support::BytesPerPixel;
using test_support::SameBits;
using test_support::Surface;

inline std::unique_ptr<PixelCodec> MakeCodec(const PixelRegion& region) {
    return std::unique_ptr<PixelCodec>(CreatePixelCodec(region));
}

// The codec the factory picks, seen as the class the test expects of it.
template <class Codec = PixelCodec>
std::unique_ptr<Codec> Open(const PixelRegion& region) {
    return std::unique_ptr<Codec>(static_cast<Codec*>(CreatePixelCodec(region)));
}

// Decodes the only row of a one-pixel block holding word w.
inline ColorF DecodeOne(D3DFORMAT format, std::uint32_t w, D3DCOLOR colorKey = 0,
                        const PALETTEENTRY* palette = nullptr) {
    Block block(format, 1);
    block.SetWord(0, w);
    ColorF c{};
    MakeCodec(block.Region(colorKey, palette))->DecodeRow(0, 0, &c);
    return c;
}

inline std::uint32_t EncodeOne(D3DFORMAT format, const ColorF& c, bool dither = false,
                               const PALETTEENTRY* palette = nullptr) {
    Block block(format, 1);
    MakeCodec(block.Region(0, palette, dither))->EncodeRow(0, 0, &c);
    return block.Word(0);
}

}  // namespace codec_test
