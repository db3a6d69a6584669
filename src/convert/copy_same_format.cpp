#include <cstddef>
#include <cstring>

#include "codec/dxt_blocks.h"
#include "convert/conversion_ways.h"

namespace {

bool SamePalette(const PixelCodec& a, const PixelCodec& b) {
    for (int i = 0; i < 256; ++i) {
        const ColorF& x = a.palette[i];
        const ColorF& y = b.palette[i];
        if (x.r != y.r || x.g != y.g || x.b != y.b || x.a != y.a) {
            return false;
        }
    }
    return true;
}

bool FourAligned(const PixelBox& box) {
    return ((box.left | box.top | box.right | box.bottom) & 3) == 0;
}

// First block of a block codec's box; these codecs keep the surface's first
// byte and the unrebased box.
const BYTE* FirstBlock(const PixelCodec& codec, UINT blockBytes) {
    return codec.pixels + static_cast<std::ptrdiff_t>(codec.box.top / 4) * codec.rowPitch +
           static_cast<std::ptrdiff_t>(codec.box.front) * codec.slicePitch +
           static_cast<std::ptrdiff_t>(codec.box.left / 4) * blockBytes;
}

}  // namespace

HRESULT CopySameFormat(ConversionJob& job) {
    const PixelCodec& dst = *job.destination;
    const PixelCodec& src = *job.source;
    if (dst.format != src.format || src.colorKeyEnabled || !job.SameSize()) {
        return E_FAIL;
    }
    if (!dst.addressable || !src.addressable) {
        return CopyDxtBlocks(job);
    }
    // Different palettes: the indices must be re-chosen through colours.
    if (dst.paletted && !SamePalette(dst, src)) {
        return E_FAIL;
    }
    for (UINT z = 0; z < dst.depth; ++z) {
        for (UINT y = 0; y < dst.height; ++y) {
            // memmove: the caller may hand two boxes of one surface.
            std::memmove(dst.RowAddress(y, z), src.RowAddress(y, z), dst.rowBytes);
        }
    }
    return S_OK;
}

HRESULT CopyDxtBlocks(ConversionJob& job) {
    const PixelCodec& dst = *job.destination;
    const PixelCodec& src = *job.source;
    if (!FourAligned(src.box) || !FourAligned(dst.box)) {
        return E_FAIL;
    }
    const UINT blockBytes = DxtBlockBytes(dst.format);
    if (blockBytes == 0 || dst.addressable || src.addressable || dst.format != src.format) {
        return E_FAIL;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(dst.width / 4) * blockBytes;
    const BYTE* srcSlice = FirstBlock(src, blockBytes);
    BYTE* dstSlice = const_cast<BYTE*>(FirstBlock(dst, blockBytes));
    for (UINT z = 0; z < dst.depth; ++z) {
        const BYTE* srcRow = srcSlice;
        BYTE* dstRow = dstSlice;
        for (UINT y = 0; y < dst.height; y += 4) {
            std::memmove(dstRow, srcRow, rowBytes);
            srcRow += src.rowPitch;
            dstRow += dst.rowPitch;
        }
        srcSlice += src.slicePitch;
        dstSlice += dst.slicePitch;
    }
    return S_OK;
}
