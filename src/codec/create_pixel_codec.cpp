#include "codec/create_pixel_codec.h"

#include <cstddef>
#include <iterator>

#include "codec/dxt_codec.h"
#include "codec/format_codec.h"
#include "codec/format_facts.h"
#include "codec/format_layouts.h"
#include "codec/palette_codecs.h"
#include "codec/pixel_format_table.h"
#include "codec/yuv_codec.h"

namespace {

using CodecMaker = PixelCodec* (*)(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);

struct CodecEntry {
    D3DFORMAT format;
    CodecMaker make;
};

// Every row of the format table has its codec, in table order.
constexpr CodecEntry CODECS[] = {
    {D3DFMT_R8G8B8, MakeCodec<FormatCodec<codec_layout::R8G8B8Layout>>},
    {D3DFMT_A8R8G8B8, MakeCodec<FormatCodec<codec_layout::A8R8G8B8Layout>>},
    {D3DFMT_X8R8G8B8, MakeCodec<FormatCodec<codec_layout::X8R8G8B8Layout>>},
    {D3DFMT_R5G6B5, MakeCodec<FormatCodec<codec_layout::R5G6B5Layout>>},
    {D3DFMT_X1R5G5B5, MakeCodec<FormatCodec<codec_layout::X1R5G5B5Layout>>},
    {D3DFMT_A8P8, MakeCodec<A8P8Codec>},
    {D3DFMT_P8, MakeCodec<P8Codec>},
    {D3DFMT_A1R5G5B5, MakeCodec<FormatCodec<codec_layout::A1R5G5B5Layout>>},
    {D3DFMT_A4R4G4B4, MakeCodec<FormatCodec<codec_layout::A4R4G4B4Layout>>},
    {D3DFMT_R3G3B2, MakeCodec<FormatCodec<codec_layout::R3G3B2Layout>>},
    {D3DFMT_A8, MakeCodec<FormatCodec<codec_layout::A8Layout>>},
    {D3DFMT_A8R3G3B2, MakeCodec<FormatCodec<codec_layout::A8R3G3B2Layout>>},
    {D3DFMT_X4R4G4B4, MakeCodec<FormatCodec<codec_layout::X4R4G4B4Layout>>},
    {D3DFMT_L8, MakeCodec<FormatCodec<codec_layout::L8Layout>>},
    {D3DFMT_A8L8, MakeCodec<FormatCodec<codec_layout::A8L8Layout>>},
    {D3DFMT_A4L4, MakeCodec<FormatCodec<codec_layout::A4L4Layout>>},
    {D3DFMT_V8U8, MakeCodec<FormatCodec<codec_layout::V8U8Layout>>},
    {D3DFMT_L6V5U5, MakeCodec<FormatCodec<codec_layout::L6V5U5Layout>>},
    {D3DFMT_X8L8V8U8, MakeCodec<FormatCodec<codec_layout::X8L8V8U8Layout>>},
    {D3DFMT_Q8W8V8U8, MakeCodec<FormatCodec<codec_layout::Q8W8V8U8Layout>>},
    {D3DFMT_V16U16, MakeCodec<FormatCodec<codec_layout::V16U16Layout>>},
    {D3DFMT_W11V11U10, MakeCodec<FormatCodec<codec_layout::W11V11U10Layout>>},
    {D3DFMT_UYVY, MakeCodec<UyvyCodec>},
    {D3DFMT_YUY2, MakeCodec<Yuy2Codec>},
    {D3DFMT_DXT1, MakeCodec<Dxt1Codec>},
    {D3DFMT_DXT2, MakeCodec<Dxt2Codec>},
    {D3DFMT_DXT3, MakeCodec<Dxt3Codec>},
    {D3DFMT_DXT4, MakeCodec<Dxt4Codec>},
    {D3DFMT_DXT5, MakeCodec<Dxt5Codec>},
};
static_assert(std::size(CODECS) == PIXEL_FORMAT_COUNT);

constexpr bool CodecsFollowTheTable() {
    for (std::size_t i = 0; i < PIXEL_FORMAT_COUNT; ++i) {
        if (CODECS[i].format != FORMAT_FACTS[i].format) {
            return false;
        }
    }
    return true;
}
static_assert(CodecsFollowTheTable());

}  // namespace

PixelCodec* CreatePixelCodec(const PixelRegion& region) {
    const FormatFacts* facts = FindFormatFacts(region.format);
    if (facts == nullptr) {
        return nullptr;
    }
    const auto row = static_cast<std::size_t>(facts - FORMAT_FACTS);
    const PixelFormatInfo& info = PixelFormatTable[row];
    // YUV and DXT pixels have no fixed byte size: with 0 bits the base keeps
    // the pointer and the box as given.
    const bool fixedSize = facts->family == FAMILY_PACKED || facts->family == FAMILY_PALETTE;
    CodecKind kind = CODEC_PLAIN;
    if (facts->family == FAMILY_PALETTE) {
        kind = CODEC_PALETTE;
    } else if (info.kind == FORMAT_KIND_SIGNED) {
        kind = CODEC_SIGNED;
    }
    const CodecEntry& entry = CODECS[row];
    return entry.make(region, fixedSize ? info.bitsPerPixel : 0, kind);
}
