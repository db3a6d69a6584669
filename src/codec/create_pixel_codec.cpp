#include "codec/create_pixel_codec.h"

#include <new>

#include "codec/dxt_codec.h"
#include "codec/format_codec.h"
#include "codec/format_layouts.h"
#include "codec/palette_codecs.h"
#include "codec/yuv_codec.h"

namespace {

using CodecMaker = PixelCodec* (*)(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);

struct CodecEntry {
    D3DFORMAT format;
    UINT bitsPerPixel;      // 0: no fixed pixel size
    CodecKind kind;
    CodecMaker make;        // null while the family is not available
};

constexpr CodecEntry CODECS[] = {
    {D3DFMT_R8G8B8, 24, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::R8G8B8Layout>>},
    {D3DFMT_A8R8G8B8, 32, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A8R8G8B8Layout>>},
    {D3DFMT_X8R8G8B8, 32, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::X8R8G8B8Layout>>},
    {D3DFMT_R5G6B5, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::R5G6B5Layout>>},
    {D3DFMT_X1R5G5B5, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::X1R5G5B5Layout>>},
    {D3DFMT_A1R5G5B5, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A1R5G5B5Layout>>},
    {D3DFMT_A4R4G4B4, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A4R4G4B4Layout>>},
    {D3DFMT_R3G3B2, 8, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::R3G3B2Layout>>},
    {D3DFMT_A8, 8, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A8Layout>>},
    {D3DFMT_A8R3G3B2, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A8R3G3B2Layout>>},
    {D3DFMT_X4R4G4B4, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::X4R4G4B4Layout>>},
    {D3DFMT_A8P8, 16, CODEC_PALETTE, MakeCodec<A8P8Codec>},
    {D3DFMT_P8, 8, CODEC_PALETTE, MakeCodec<P8Codec>},
    {D3DFMT_L8, 8, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::L8Layout>>},
    {D3DFMT_A8L8, 16, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A8L8Layout>>},
    {D3DFMT_A4L4, 8, CODEC_PLAIN, MakeCodec<FormatCodec<codec_layout::A4L4Layout>>},
    {D3DFMT_V8U8, 16, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::V8U8Layout>>},
    {D3DFMT_L6V5U5, 16, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::L6V5U5Layout>>},
    {D3DFMT_X8L8V8U8, 32, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::X8L8V8U8Layout>>},
    {D3DFMT_Q8W8V8U8, 32, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::Q8W8V8U8Layout>>},
    {D3DFMT_V16U16, 32, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::V16U16Layout>>},
    {D3DFMT_W11V11U10, 32, CODEC_SIGNED, MakeCodec<FormatCodec<codec_layout::W11V11U10Layout>>},
    {D3DFMT_UYVY, 0, CODEC_PLAIN, MakeCodec<UyvyCodec>},
    {D3DFMT_YUY2, 0, CODEC_PLAIN, MakeCodec<Yuy2Codec>},
    {D3DFMT_DXT1, 0, CODEC_PLAIN, MakeCodec<Dxt1Codec>},
    {D3DFMT_DXT2, 0, CODEC_PLAIN, MakeCodec<Dxt2Codec>},
    {D3DFMT_DXT3, 0, CODEC_PLAIN, MakeCodec<Dxt3Codec>},
    {D3DFMT_DXT4, 0, CODEC_PLAIN, MakeCodec<Dxt4Codec>},
    {D3DFMT_DXT5, 0, CODEC_PLAIN, MakeCodec<Dxt5Codec>},
};

}  // namespace

PixelCodec* CreatePixelCodec(const PixelRegion& region)
{
    for (const CodecEntry& entry : CODECS) {
        if (entry.format == region.format) {
            return entry.make != nullptr ? entry.make(region, entry.bitsPerPixel, entry.kind) : nullptr;
        }
    }
    return nullptr;
}
