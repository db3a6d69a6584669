#pragma once
// One ColorF as a four-lane value, so the filters' per-channel arithmetic is
// written once. The SSE2 lanes perform exactly the single-precision
// operations of the plain form, so both give the same bits.

#include "codec/color_f.h"

#if TOVTEX_SSE2
#include <xmmintrin.h>

struct ColorVec {
    __m128 v;
};

inline ColorVec LoadColor(const ColorF& c) {
    return ColorVec{_mm_loadu_ps(&c.r)};
}

inline void StoreColor(ColorF& c, ColorVec x) {
    _mm_storeu_ps(&c.r, x.v);
}

inline ColorVec Splat(float w) {
    return ColorVec{_mm_set1_ps(w)};
}

inline ColorVec operator+(ColorVec a, ColorVec b) {
    return ColorVec{_mm_add_ps(a.v, b.v)};
}

inline ColorVec operator*(ColorVec a, ColorVec b) {
    return ColorVec{_mm_mul_ps(a.v, b.v)};
}

#else

struct ColorVec {
    float r, g, b, a;
};

inline ColorVec LoadColor(const ColorF& c) {
    return ColorVec{c.r, c.g, c.b, c.a};
}

inline void StoreColor(ColorF& c, ColorVec x) {
    c = ColorF{x.r, x.g, x.b, x.a};
}

inline ColorVec Splat(float w) {
    return ColorVec{w, w, w, w};
}

inline ColorVec operator+(ColorVec a, ColorVec b) {
    return ColorVec{a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a};
}

inline ColorVec operator*(ColorVec a, ColorVec b) {
    return ColorVec{a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a};
}

#endif
