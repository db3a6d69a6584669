#include "span_sampler.h"

#include <cmath>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace platform {

namespace {

struct Stepper {
    const uint32_t* texels;
    int shiftW;  // log2 of the width
    uint32_t maskU, maskV;
    uint32_t s, t, ds, dt;  // texel position - 0.5, 16.16, wrapping modulo 2^32
};

uint32_t ToFixed(double value) {
    // Reduced modulo 2^32: the level sizes divide 2^16, so wrapping is exact.
    const double period = 4294967296.0;
    double m = std::fmod(value * 65536.0, period);
    if (m < 0) m += period;
    return static_cast<uint32_t>(static_cast<uint64_t>(m));
}

int Log2(int v) {
    int s = 0;
    while ((1 << s) < v) ++s;
    return s;
}

Stepper MakeStepper(const LevelSampler& l, double u, double v, double du, double dv) {
    Stepper st;
    st.texels = l.texels;
    st.shiftW = Log2(l.width);
    st.maskU = static_cast<uint32_t>(l.maskU);
    st.maskV = static_cast<uint32_t>(l.maskV);
    st.s = ToFixed(u * l.width - 0.5);
    st.t = ToFixed(v * l.height - 0.5);
    st.ds = ToFixed(du * l.width);
    st.dt = ToFixed(dv * l.height);
    return st;
}

#if TOVTEX_SSE2

// One bilinear sample as four 16-bit channels in the low half.
inline __m128i Bilinear(Stepper& st) {
    const uint32_t x0 = (st.s >> 16) & st.maskU, x1 = ((st.s >> 16) + 1) & st.maskU;
    const uint32_t y0 = (st.t >> 16) & st.maskV, y1 = ((st.t >> 16) + 1) & st.maskV;
    const uint32_t* r0 = st.texels + (static_cast<size_t>(y0) << st.shiftW);
    const uint32_t* r1 = st.texels + (static_cast<size_t>(y1) << st.shiftW);
    const __m128i zero = _mm_setzero_si128();
    __m128i top, bottom;
    if (x1 != 0) {
        // The usual case: the two texels of a row are neighbours in memory.
        top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0 + x0));
        bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1 + x0));
    } else {
        top = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r0[x0])),
                                 _mm_cvtsi32_si128(static_cast<int>(r0[x1])));
        bottom = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r1[x0])),
                                    _mm_cvtsi32_si128(static_cast<int>(r1[x1])));
    }
    top = _mm_unpacklo_epi8(top, zero);
    bottom = _mm_unpacklo_epi8(bottom, zero);
    const int fx = static_cast<int>((st.s >> 8) & 255u), fy = static_cast<int>((st.t >> 8) & 255u);
    const __m128i wy = _mm_set1_epi16(static_cast<short>(fy)), wy0 = _mm_set1_epi16(static_cast<short>(256 - fy));
    const __m128i column = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, wy0), _mm_mullo_epi16(bottom, wy)), 8);
    const __m128i wx = _mm_set_epi16(static_cast<short>(fx), static_cast<short>(fx), static_cast<short>(fx),
                                     static_cast<short>(fx), static_cast<short>(256 - fx), static_cast<short>(256 - fx),
                                     static_cast<short>(256 - fx), static_cast<short>(256 - fx));
    const __m128i weighted = _mm_mullo_epi16(column, wx);
    st.s += st.ds;
    st.t += st.dt;
    return _mm_srli_epi16(_mm_add_epi16(weighted, _mm_srli_si128(weighted, 8)), 8);
}

#else

inline uint64_t Bilinear(Stepper& st) {
    const uint32_t x0 = (st.s >> 16) & st.maskU, x1 = ((st.s >> 16) + 1) & st.maskU;
    const uint32_t y0 = (st.t >> 16) & st.maskV, y1 = ((st.t >> 16) + 1) & st.maskV;
    const uint32_t* r0 = st.texels + (static_cast<size_t>(y0) << st.shiftW);
    const uint32_t* r1 = st.texels + (static_cast<size_t>(y1) << st.shiftW);
    const uint32_t fx = (st.s >> 8) & 255u, fy = (st.t >> 8) & 255u;
    const uint64_t left = LerpSpread(Spread(r0[x0]), Spread(r1[x0]), fy);
    const uint64_t right = LerpSpread(Spread(r0[x1]), Spread(r1[x1]), fy);
    st.s += st.ds;
    st.t += st.dt;
    return LerpSpread(left, right, fx);
}

#endif

#if TOVTEX_SSE2

// Spans whose texture row does not change along x (screen rectangles and
// upright world quads): each texel column is blended vertically once into a
// row of 16-bit channels, then every pixel needs only the horizontal step.
constexpr int MAX_ROW_TEXELS = 1024;

struct RowLevel {
    alignas(16) uint64_t row[MAX_ROW_TEXELS + 2];
    int64_t s, ds;  // 16.16 texel position - 0.5, unwrapped
    int64_t first;  // texel index of row[0]
};

// False when the span reaches too many texels for the scratch row.
bool PrepareRow(const LevelSampler& l, double u, double v, double du, int n, RowLevel& r) {
    r.s = static_cast<int64_t>(std::floor((u * l.width - 0.5) * 65536.0));
    r.ds = static_cast<int64_t>(std::floor(du * l.width * 65536.0 + 0.5));
    const int64_t last = r.s + r.ds * (n - 1);
    const int64_t lo = (r.s < last ? r.s : last) >> 16, hi = ((r.s > last ? r.s : last) >> 16) + 1;
    if (hi - lo + 1 > MAX_ROW_TEXELS) {
        return false;
    }
    r.first = lo;
    const int64_t t = static_cast<int64_t>(std::floor((v * l.height - 0.5) * 65536.0));
    const int y0 = Address(static_cast<int>(t >> 16), l.height, l.maskV, l.addressV);
    const int y1 = Address(static_cast<int>(t >> 16) + 1, l.height, l.maskV, l.addressV);
    const uint32_t* r0 = l.texels + static_cast<size_t>(y0) * static_cast<size_t>(l.width);
    const uint32_t* r1 = l.texels + static_cast<size_t>(y1) * static_cast<size_t>(l.width);
    const int fy = static_cast<int>((t >> 8) & 255u);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wy = _mm_set1_epi16(static_cast<short>(fy)), wy0 = _mm_set1_epi16(static_cast<short>(256 - fy));
    if (lo >= 0 && hi < l.width) {
        // No edge inside the range: straight through memory, four columns a step.
        const uint32_t* p0 = r0 + lo;
        const uint32_t* p1 = r1 + lo;
        const int count = static_cast<int>(hi - lo + 1);
        int k = 0;
        for (; k + 4 <= count; k += 4) {
            const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p0 + k));
            const __m128i bottom = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1 + k));
            const __m128i lowCols = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), wy0),
                                                                 _mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), wy)),
                                                   8);
            const __m128i highCols = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(top, zero), wy0),
                                                                  _mm_mullo_epi16(_mm_unpackhi_epi8(bottom, zero), wy)),
                                                    8);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(&r.row[k]), lowCols);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(&r.row[k + 2]), highCols);
        }
        for (; k < count; ++k) {
            const __m128i top = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p0[k])), zero);
            const __m128i bottom = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(p1[k])), zero);
            const __m128i c = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, wy0), _mm_mullo_epi16(bottom, wy)), 8);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(&r.row[k]), c);
        }
        return true;
    }
    for (int64_t k = lo; k <= hi;) {
        const int x = Address(static_cast<int>(k), l.width, l.maskU, l.addressU);
        if (k < hi && x + 1 < l.width && Address(static_cast<int>(k) + 1, l.width, l.maskU, l.addressU) == x + 1) {
            // Two neighbouring columns at once.
            const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0 + x)), zero);
            const __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1 + x)), zero);
            const __m128i c = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, wy0), _mm_mullo_epi16(bottom, wy)), 8);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(&r.row[k - lo]), c);
            k += 2;
            continue;
        }
        const __m128i top = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(r0[x])), zero);
        const __m128i bottom = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(r1[x])), zero);
        const __m128i c = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, wy0), _mm_mullo_epi16(bottom, wy)), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(&r.row[k - lo]), c);
        ++k;
    }
    return true;
}

// The horizontal step at position s: four 32-bit channels. The two
// neighbouring columns are interleaved so one multiply-add weighs both.
inline __m128i RowSample(const RowLevel& r, int64_t s) {
    const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&r.row[(s >> 16) - r.first]));
    const __m128i mixed = _mm_unpacklo_epi16(pair, _mm_srli_si128(pair, 8));
    const int fx = static_cast<int>((s >> 8) & 255);
    return _mm_srli_epi32(_mm_madd_epi16(mixed, _mm_set1_epi32((fx << 16) | (256 - fx))), 8);
}

inline uint32_t ToArgb(__m128i c32) {
    const __m128i c16 = _mm_packs_epi32(c32, c32);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(c16, c16)));
}

bool SampleRows(const SamplePlan& plan, double u, double v, double du, int n, uint32_t* out) {
    static thread_local RowLevel a, b;
    if (!PrepareRow(*plan.a, u, v, du, n, a) || (plan.b != nullptr && !PrepareRow(*plan.b, u, v, du, n, b))) {
        return false;
    }
    int64_t sa = a.s;
    if (plan.b == nullptr) {
        for (int i = 0; i < n; ++i, sa += a.ds) {
            out[i] = ToArgb(RowSample(a, sa));
        }
        return true;
    }
    const int w = static_cast<int>(plan.weightB);
    const __m128i weights = _mm_set1_epi32((w << 16) | (256 - w));
    int64_t sb = b.s;
    for (int i = 0; i < n; ++i, sa += a.ds, sb += b.ds) {
        const __m128i both = _mm_packs_epi32(RowSample(a, sa), RowSample(b, sb));
        const __m128i mixed = _mm_unpacklo_epi16(both, _mm_srli_si128(both, 8));
        out[i] = ToArgb(_mm_srli_epi32(_mm_madd_epi16(mixed, weights), 8));
    }
    return true;
}

#endif

bool WrapsByMask(const SamplePlan& plan) {
    return plan.a->maskU >= 0 && plan.a->maskV >= 0 &&
           (plan.b == nullptr || (plan.b->maskU >= 0 && plan.b->maskV >= 0));
}

}  // namespace

bool CanSampleSpanLinear(const SamplePlan& plan) {
    return plan.linear && plan.a != nullptr && plan.a->width <= 65536 && plan.a->height <= 65536;
}

void SampleSpanLinear(const SamplePlan& plan, double u, double v, double du, double dv, int n, uint32_t* out) {
    // Fixed point needs moderate coordinates; anything else (huge repeats,
    // infinities, NaN) takes the per-pixel sampler, which saturates safely.
    constexpr double LIMIT = 16384.0;
    const bool moderate = std::fabs(u) < LIMIT && std::fabs(v) < LIMIT && std::fabs(du) < 1.0 && std::fabs(dv) < 1.0;
#if TOVTEX_SSE2
    if (moderate && dv == 0.0 && SampleRows(plan, u, v, du, n, out)) {
        return;
    }
#endif
    if (!moderate || !WrapsByMask(plan)) {
        for (int i = 0; i < n; ++i) {
            out[i] = Sample(plan, static_cast<float>(u + du * i), static_cast<float>(v + dv * i));
        }
        return;
    }
    Stepper a = MakeStepper(*plan.a, u, v, du, dv);
#if TOVTEX_SSE2
    if (plan.b == nullptr) {
        for (int i = 0; i < n; ++i) {
            const __m128i c = Bilinear(a);
            out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(c, c)));
        }
        return;
    }
    Stepper b = MakeStepper(*plan.b, u, v, du, dv);
    const int w = static_cast<int>(plan.weightB);
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w)), wa = _mm_set1_epi16(static_cast<short>(256 - w));
    for (int i = 0; i < n; ++i) {
        const __m128i ca = Bilinear(a), cb = Bilinear(b);
        const __m128i c = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(ca, wa), _mm_mullo_epi16(cb, wb)), 8);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(c, c)));
    }
#else
    if (plan.b == nullptr) {
        for (int i = 0; i < n; ++i) {
            out[i] = Pack(Bilinear(a));
        }
        return;
    }
    Stepper b = MakeStepper(*plan.b, u, v, du, dv);
    for (int i = 0; i < n; ++i) {
        const uint64_t ca = Bilinear(a);
        out[i] = Pack(LerpSpread(ca, Bilinear(b), plan.weightB));
    }
#endif
}

}  // namespace platform
