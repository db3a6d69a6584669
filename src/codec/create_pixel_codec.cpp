#include "codec/create_pixel_codec.h"

#include <new>

namespace {

using CodecMaker = PixelCodec* (*)(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind);

struct CodecEntry {
    D3DFORMAT format;
    UINT bitsPerPixel;      // 0: no fixed pixel size
    CodecKind kind;
    CodecMaker make;        // null while the family is not available
};

constexpr CodecEntry CODECS[] = {
    {D3DFMT_R8G8B8, 24, CODEC_PLAIN, nullptr},
    {D3DFMT_A8R8G8B8, 32, CODEC_PLAIN, nullptr},
    {D3DFMT_X8R8G8B8, 32, CODEC_PLAIN, nullptr},
    {D3DFMT_R5G6B5, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_X1R5G5B5, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_A1R5G5B5, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_A4R4G4B4, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_R3G3B2, 8, CODEC_PLAIN, nullptr},
    {D3DFMT_A8, 8, CODEC_PLAIN, nullptr},
    {D3DFMT_A8R3G3B2, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_X4R4G4B4, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_A8P8, 16, CODEC_PALETTE, nullptr},
    {D3DFMT_P8, 8, CODEC_PALETTE, nullptr},
    {D3DFMT_L8, 8, CODEC_PLAIN, nullptr},
    {D3DFMT_A8L8, 16, CODEC_PLAIN, nullptr},
    {D3DFMT_A4L4, 8, CODEC_PLAIN, nullptr},
    {D3DFMT_V8U8, 16, CODEC_SIGNED, nullptr},
    {D3DFMT_L6V5U5, 16, CODEC_SIGNED, nullptr},
    {D3DFMT_X8L8V8U8, 32, CODEC_SIGNED, nullptr},
    {D3DFMT_Q8W8V8U8, 32, CODEC_SIGNED, nullptr},
    {D3DFMT_V16U16, 32, CODEC_SIGNED, nullptr},
    {D3DFMT_W11V11U10, 32, CODEC_SIGNED, nullptr},
    // YUV and DXT codecs.
    {D3DFMT_UYVY, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_YUY2, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_DXT1, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_DXT2, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_DXT3, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_DXT4, 0, CODEC_PLAIN, nullptr},
    {D3DFMT_DXT5, 0, CODEC_PLAIN, nullptr},
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
