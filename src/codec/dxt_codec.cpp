#include "codec/dxt_codec.h"

#include <cstring>

#include "codec/channel_layout.h"
#include "codec/dxt_blocks.h"
#include "codec/dxt_endpoint_fit_group.h"
#include "codec/row_cache.h"

namespace {

// A surface side of 1 or 2 pixels repeats its real pixels across the block.
UINT SizeMask(UINT size) {
    return size == 1 ? 0u : size == 2 ? 1u : 3u;
}

bool IsPremultiplied(D3DFORMAT format) {
    return format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
}

// trunc(v + 0.5) for v = c x 255 formed in single precision, kept to a
// byte so that values outside 0..1 cannot spill into another channel.
inline unsigned ToByte(float scaled) {
    const float v = scaled + 0.5f;
    if (!(v > 0.0f)) {
        return 0;
    }
    return v >= 255.0f ? 255u : static_cast<unsigned>(v);
}

[[maybe_unused]] DWORD ToArgb(const ColorF& c, bool premultiply) {
    unsigned r, g, b;
    if (premultiply) {
        r = ToByte(c.r * c.a * 255.0f);
        g = ToByte(c.g * c.a * 255.0f);
        b = ToByte(c.b * c.a * 255.0f);
    } else {
        r = ToByte(c.r * 255.0f);
        g = ToByte(c.g * 255.0f);
        b = ToByte(c.b * 255.0f);
    }
    const unsigned a = ToByte(c.a * 255.0f);
    return static_cast<DWORD>(a << 24 | r << 16 | g << 8 | b);
}

ColorF FromArgb(DWORD p, bool unpremultiply) {
    ColorF c = ColorFromArgb(p);
    if (unpremultiply) {
        if (c.a == 0.0f) {
            c.r = c.g = c.b = 0.0f;
        } else if (c.a < 1.0f) {
            c.r = c.a > c.r ? c.r / c.a : 1.0f;
            c.g = c.a > c.g ? c.g / c.a : 1.0f;
            c.b = c.a > c.b ? c.b / c.a : 1.0f;
        }
    }
    return c;
}

// Four pixels of one block row at a time, with the very operations of
// ToArgb and FromArgb lane by lane: max(v, 0) turns NaN into 0 as
// !(v > 0) does, and min(v, 255) then truncation gives 255 from 255 up.
void ToArgb4(const ColorF* in, bool premultiply, DWORD* out) {
#if TOVTEX_SSE2
    __m128 r, g, b, a;
    codec_layout::LoadQuad(in, r, g, b, a);
    const __m128 scale = _mm_set1_ps(255.0f);
    if (premultiply) {
        r = _mm_mul_ps(r, a);
        g = _mm_mul_ps(g, a);
        b = _mm_mul_ps(b, a);
    }
    const auto toByte = [scale](__m128 c) {
        __m128 v = _mm_add_ps(_mm_mul_ps(c, scale), _mm_set1_ps(0.5f));
        v = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), scale);
        return _mm_cvttps_epi32(v);
    };
    const __m128i argb = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(toByte(a), 24), _mm_slli_epi32(toByte(r), 16)),
                                      _mm_or_si128(_mm_slli_epi32(toByte(g), 8), toByte(b)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), argb);
#else
    for (int i = 0; i < 4; ++i) {
        out[i] = ToArgb(in[i], premultiply);
    }
#endif
}

void FromArgb4(const DWORD* in, bool unpremultiply, ColorF* out) {
#if TOVTEX_SSE2
    if (!unpremultiply) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i byte = _mm_set1_epi32(255);
        const __m128 scale = _mm_set1_ps(UNIT_SCALE_8);
        const auto channel = [&](int shift) {
            return _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(p, shift), byte)), scale);
        };
        codec_layout::StoreQuad(out, channel(16), channel(8), channel(0), channel(24));
        return;
    }
#endif
    for (int i = 0; i < 4; ++i) {
        out[i] = FromArgb(in[i], unpremultiply);
    }
}

}  // namespace

DxtCodec::DxtCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind)
    : PixelCodec(region, bitsPerPixel, kind),
      rowBuffers{},
      alignedLeft(box.left & ~3),
      alignedRight((box.right + 3) & ~3),
      alignedWidth(static_cast<UINT>(alignedRight - alignedLeft)),
      cachedRowFirst(0),
      cachedRowEnd(0),
      cachedSlice(0),
      cachedSliceEnd(0),
      highestBlockRow(0),
      dirty(false),
      buffersValid(false),
      smallSurface(false),
      xMask(SizeMask(region.surfaceBox.right - region.surfaceBox.left)),
      yMask(SizeMask(region.surfaceBox.bottom - region.surfaceBox.top)),
      blockRowsDecoded(0),
      blockBytes(DxtBlockBytes(format)),
      premultiplied(IsPremultiplied(format)),
      surfaceBottom(region.surfaceBox.bottom) {
    smallSurface = xMask != 3 || yMask != 3;
    // Zero-filled, so rows of a block row that is never decoded nor written
    // are black rather than stale.
    storage = AllocateRowCache(4 * static_cast<std::size_t>(alignedWidth));
    if (storage != nullptr) {
        for (std::size_t i = 0; i < 4; ++i) {
            rowBuffers[i] = storage.get() + i * alignedWidth;
        }
        buffersValid = true;
    }
}

DxtCodec::~DxtCodec() {
    Flush();
}

HRESULT DxtCodec::DecodeRow(UINT row, UINT slice, ColorF* out) {
    const UINT y = row + static_cast<UINT>(box.top);
    const HRESULT hr = SelectRow(y, slice + static_cast<UINT>(box.front), true);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(out, rowBuffers[y - cachedRowFirst] + (box.left - alignedLeft), width * sizeof(ColorF));
    if (colorKeyEnabled) {
        ApplyColorKey(out, width);
    }
    return S_OK;
}

HRESULT DxtCodec::EncodeRow(UINT row, UINT slice, const ColorF* in) {
    const UINT y = row + static_cast<UINT>(box.top);
    // Partly covered blocks keep their other pixels: read them first. That
    // holds for the rows of a block row the box leaves out as much as for
    // its columns.
    const bool contentNeeded = alignedWidth != width || !CoversBlockRow(y & ~3u);
    const HRESULT hr = SelectRow(y, slice + static_cast<UINT>(box.front), contentNeeded);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(rowBuffers[y - cachedRowFirst] + (box.left - alignedLeft), in, width * sizeof(ColorF));
    dirty = true;
    return S_OK;
}

bool DxtCodec::CoversBlockRow(UINT first) const {
    // Rows below the surface's last row do not exist and need no keeping.
    const UINT end = first + 4 < surfaceBottom ? first + 4 : surfaceBottom;
    return first >= static_cast<UINT>(box.top) && end <= static_cast<UINT>(box.bottom);
}

HRESULT DxtCodec::SelectRow(UINT row, UINT slice, bool contentNeeded) {
    if (!buffersValid) {
        return E_OUTOFMEMORY;
    }
    if (row >= cachedRowFirst && row < cachedRowEnd && slice >= cachedSlice && slice < cachedSliceEnd) {
        return S_OK;
    }
    Flush();
    cachedRowFirst = row & ~3u;
    cachedRowEnd = cachedRowFirst + 4;
    cachedSlice = slice;
    cachedSliceEnd = slice + 1;
    // A block row beyond every one visited so far, about to be overwritten
    // whole, is not worth decoding.
    if (cachedRowFirst >= highestBlockRow) {
        highestBlockRow = cachedRowFirst;
        if (!contentNeeded) {
            return S_OK;
        }
    }
    DecodeBlockRow();
    return S_OK;
}

BYTE* DxtCodec::BlockAddress(UINT blockRowFirst, UINT slice, INT column) const {
    return pixels + static_cast<std::ptrdiff_t>(slice) * slicePitch +
           static_cast<std::ptrdiff_t>(blockRowFirst / 4) * rowPitch +
           static_cast<std::ptrdiff_t>(column / 4) * static_cast<std::ptrdiff_t>(blockBytes);
}

void DxtCodec::DecodeBlockRow() {
    ++blockRowsDecoded;
    DWORD argb[16];
    for (INT x = alignedLeft; x < alignedRight; x += 4) {
        const BYTE* block = BlockAddress(cachedRowFirst, cachedSlice, x);
        switch (format) {
        case D3DFMT_DXT1: DecodeDxt1Block(block, argb); break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3: DecodeDxt3Block(block, argb); break;
        default: DecodeDxt5Block(block, argb); break;
        }
        const std::size_t column = static_cast<std::size_t>(x - alignedLeft);
        for (int i = 0; i < 4; ++i) {
            FromArgb4(argb + 4 * i, premultiplied, rowBuffers[i] + column);
        }
    }
}

void DxtCodec::Flush() {
    if (!dirty || !buffersValid) {
        return;
    }
    dirty = false;
    // Blocks of a row lie side by side in memory, so a group of them goes
    // to the encoder in one call.
    DWORD argb[COLOR_FIT_LANES][16];
    for (INT x = alignedLeft; x < alignedRight; x += 4 * static_cast<INT>(COLOR_FIT_LANES)) {
        const INT remaining = (alignedRight - x) / 4;
        const std::size_t count =
            remaining < static_cast<INT>(COLOR_FIT_LANES) ? static_cast<std::size_t>(remaining) : COLOR_FIT_LANES;
        for (std::size_t g = 0; g < count; ++g) {
            const std::size_t column = static_cast<std::size_t>(x - alignedLeft) + 4 * g;
            DWORD* block = argb[g];
            for (int i = 0; i < 4; ++i) {
                ToArgb4(rowBuffers[i] + column, premultiplied, block + 4 * i);
            }
            if (smallSurface) {
                // Sources (i & yMask, j & xMask) are fixed points of the
                // masks, so no source has been replaced before it is read.
                for (UINT i = 0; i < 4; ++i) {
                    for (UINT j = 0; j < 4; ++j) {
                        block[4 * i + j] = block[4 * (i & yMask) + (j & xMask)];
                    }
                }
            }
        }
        BYTE* out = BlockAddress(cachedRowFirst, cachedSlice, x);
        switch (format) {
        case D3DFMT_DXT1: EncodeDxt1Blocks(argb[0], count, out); break;
        case D3DFMT_DXT2:
        case D3DFMT_DXT3: EncodeDxt3Blocks(argb[0], count, out); break;
        default: EncodeDxt5Blocks(argb[0], count, out); break;
        }
    }
}
