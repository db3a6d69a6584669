#pragma once
// Whole-row loops over a packed layout: four pixels at a time with the
// SSE2 code on (TOVTEX_SSE2), one at a time for the rest of the row.

#include "codec/channel_layout.h"

namespace codec_layout {

template <class Layout>
void DecodePackedRow(const BYTE* src, ColorF* out, UINT width) {
    UINT x = 0;
#if TOVTEX_SSE2
    for (; x + 4 <= width; x += 4) {
        const auto q = Layout::Decode4(Layout::Load4(src + x * Layout::bytes), Layout::defaults);
        StoreQuad(out + x, q.r, q.g, q.b, q.a);
    }
#endif
    for (; x < width; ++x) {
        out[x] = Layout::DecodePixel(LoadWord<Layout::bytes>(src + x * Layout::bytes), Layout::defaults);
    }
}

// dither holds the row's four offsets; pixel x takes dither[x & 3].
template <class Layout>
void EncodePackedRow(const ColorF* in, BYTE* dst, UINT width, const float* dither) {
    UINT x = 0;
#if TOVTEX_SSE2
    const __m128 d = _mm_loadu_ps(dither);
    for (; x + 4 <= width; x += 4) {
        typename Layout::Quad q;
        LoadQuad(in + x, q.r, q.g, q.b, q.a);
        Layout::Store4(dst + x * Layout::bytes, Layout::Encode4(q, d));
    }
#endif
    for (; x < width; ++x) {
        StoreWord<Layout::bytes>(dst + x * Layout::bytes, Layout::EncodePixel(in[x], dither[x & 3]));
    }
}

}  // namespace codec_layout
