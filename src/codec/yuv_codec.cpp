#include "codec/yuv_codec.h"

#include <cstring>

#include "codec/row_cache.h"

// Studio-range BT.601: luma 16 to 235, chroma 16 to 240 around 128.

namespace {

constexpr float LUMA_SCALE = 0.0045662099f;  // 1 / 219
constexpr float V_TO_RED = 0.0062589301f;    // 1.596027 / 255
constexpr float U_TO_GREEN = 0.00153632f;    // 0.391762 / 255
constexpr float V_TO_GREEN = 0.00318811f;    // 0.812968 / 255
constexpr float U_TO_BLUE = 0.0079107098f;   // 2.017231 / 255

inline float Clamp01(float v) {
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

// trunc(v + 0.5) plus the offset, kept to 0..255. The sum is held well
// inside int range before the conversion; NaN counts as 0.
inline unsigned ToSample(float v, int offset) {
    float t = v + 0.5f;
    t = t > 1024.0f ? 1024.0f : t;
    t = t < -1024.0f ? -1024.0f : t;
    const int n = (t == t ? static_cast<int>(t) : 0) + offset;
    return n < 0 ? 0u : n > 255 ? 255u : static_cast<unsigned>(n);
}

inline unsigned Luma(const ColorF& c) {
    return ToSample(65.481f * c.r + 128.553f * c.g + 24.966f * c.b, 16);
}

}  // namespace

YuvCodec::YuvCodec(const PixelRegion& region, UINT bitsPerPixel, CodecKind kind)
    : PixelCodec(region, bitsPerPixel, kind),
      rowBuffer(nullptr),
      alignedLeft(box.left & ~1),
      alignedRight((box.right + 1) & ~1),
      alignedWidth(static_cast<UINT>(alignedRight - alignedLeft)),
      cachedRow(0),
      cachedRowEnd(0),
      cachedSlice(0),
      cachedSliceEnd(0),
      dirty(false),
      buffersValid(false),
      lumaShift(format == D3DFMT_YUY2 ? 0u : 8u),
      chromaShift(format == D3DFMT_YUY2 ? 8u : 0u),
      rowsDecoded(0) {
    storage = AllocateRowCache(alignedWidth);
    if (storage != nullptr) {
        rowBuffer = storage.get();
        buffersValid = true;
    }
}

YuvCodec::~YuvCodec() {
    WriteBack();
}

HRESULT YuvCodec::DecodeRow(UINT row, UINT slice, ColorF* out) {
    const HRESULT hr = SelectRow(row + static_cast<UINT>(box.top), slice + static_cast<UINT>(box.front), true);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(out, rowBuffer + (box.left - alignedLeft), width * sizeof(ColorF));
    if (colorKeyEnabled) {
        ApplyColorKey(out, width);
    }
    return S_OK;
}

HRESULT YuvCodec::EncodeRow(UINT row, UINT slice, const ColorF* in) {
    // A half-covered pair keeps its other pixel, so it must be read first.
    const HRESULT hr =
        SelectRow(row + static_cast<UINT>(box.top), slice + static_cast<UINT>(box.front), alignedWidth != width);
    if (FAILED(hr)) {
        return hr;
    }
    std::memcpy(rowBuffer + (box.left - alignedLeft), in, width * sizeof(ColorF));
    dirty = true;
    return S_OK;
}

BYTE* YuvCodec::PairAddress(UINT row, UINT slice, INT column) const {
    return pixels + static_cast<std::ptrdiff_t>(slice) * slicePitch + static_cast<std::ptrdiff_t>(row) * rowPitch +
           2 * static_cast<std::ptrdiff_t>(column & ~1);
}

HRESULT YuvCodec::SelectRow(UINT row, UINT slice, bool contentNeeded) {
    if (!buffersValid) {
        return E_OUTOFMEMORY;
    }
    if (row >= cachedRow && row < cachedRowEnd && slice >= cachedSlice && slice < cachedSliceEnd) {
        return S_OK;
    }
    WriteBack();
    cachedRow = row;
    cachedRowEnd = row + 1;
    cachedSlice = slice;
    cachedSliceEnd = slice + 1;
    if (!contentNeeded) {
        return S_OK;
    }
    ++rowsDecoded;
    ColorF* out = rowBuffer;
    for (INT x = alignedLeft; x < alignedRight; x += 2, out += 2) {
        const BYTE* p = PairAddress(row, slice, x);
        const unsigned word0 = static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
        const unsigned word1 = static_cast<unsigned>(p[2]) | static_cast<unsigned>(p[3]) << 8;
        const int y0 = static_cast<int>((word0 >> lumaShift) & 255u) - 16;
        const int y1 = static_cast<int>((word1 >> lumaShift) & 255u) - 16;
        const int u = static_cast<int>((word0 >> chromaShift) & 255u) - 128;
        const int v = static_cast<int>((word1 >> chromaShift) & 255u) - 128;
        const float rV = static_cast<float>(v) * V_TO_RED;
        const float gU = static_cast<float>(u) * U_TO_GREEN;
        const float gV = static_cast<float>(v) * V_TO_GREEN;
        const float bU = static_cast<float>(u) * U_TO_BLUE;
        const float luma[2] = {static_cast<float>(y0) * LUMA_SCALE, static_cast<float>(y1) * LUMA_SCALE};
        for (int k = 0; k < 2; ++k) {
            out[k] = ColorF{Clamp01(luma[k] + rV), Clamp01(luma[k] - gU - gV), Clamp01(luma[k] + bU), 1.0f};
        }
    }
    return S_OK;
}

void YuvCodec::WriteBack() {
    if (!dirty || !buffersValid) {
        return;
    }
    dirty = false;
    const ColorF* in = rowBuffer;
    for (INT x = alignedLeft; x < alignedRight; x += 2, in += 2) {
        const ColorF& c0 = in[0];
        // The pair's chroma comes from its even pixel alone; the odd pixel
        // contributes its luma.
        const unsigned y0 = Luma(c0);
        const unsigned y1 = Luma(in[1]);
        const unsigned u = ToSample(112.0f * c0.b - 74.203f * c0.g - 37.797f * c0.r, 128);
        const unsigned v = ToSample(112.0f * c0.r - 93.786f * c0.g - 18.214f * c0.b, 128);
        const unsigned word0 = y0 << lumaShift | u << chromaShift;
        const unsigned word1 = y1 << lumaShift | v << chromaShift;
        BYTE* p = PairAddress(cachedRow, cachedSlice, x);
        p[0] = static_cast<BYTE>(word0);
        p[1] = static_cast<BYTE>(word0 >> 8);
        p[2] = static_cast<BYTE>(word1);
        p[3] = static_cast<BYTE>(word1 >> 8);
    }
}
