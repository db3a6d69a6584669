#include "span_sampler.h"

#include <cmath>

#if defined(__SSE2__)
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

#if defined(__SSE2__)

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
        top = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r0[x0])), _mm_cvtsi32_si128(static_cast<int>(r0[x1])));
        bottom = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r1[x0])), _mm_cvtsi32_si128(static_cast<int>(r1[x1])));
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

#if defined(__SSE2__)

// Spans whose texture row does not change along x (screen rectangles and
// upright world quads): each texel column is blended vertically once into a
// row of 16-bit channels, then every pixel needs only the horizontal step.
constexpr int kMaxRowTexels = 512;

struct RowLevel {
    alignas(16) uint64_t row[kMaxRowTexels + 2];
    int64_t s, ds;  // 16.16 texel position - 0.5, unwrapped
    int64_t first;  // texel index of row[0]
};

// False when the span reaches too many texels for the scratch row.
bool PrepareRow(const LevelSampler& l, double u, double v, double du, int n, RowLevel& r) {
    r.s = static_cast<int64_t>(std::floor((u * l.width - 0.5) * 65536.0));
    r.ds = static_cast<int64_t>(std::floor(du * l.width * 65536.0 + 0.5));
    const int64_t last = r.s + r.ds * (n - 1);
    const int64_t lo = (r.s < last ? r.s : last) >> 16, hi = ((r.s > last ? r.s : last) >> 16) + 1;
    if (hi - lo + 1 > kMaxRowTexels) {
        return false;
    }
    r.first = lo;
    const uint32_t t = ToFixed(v * l.height - 0.5);
    const uint32_t y0 = (t >> 16) & static_cast<uint32_t>(l.maskV), y1 = ((t >> 16) + 1) & static_cast<uint32_t>(l.maskV);
    const uint32_t* r0 = l.texels + static_cast<size_t>(y0) * static_cast<size_t>(l.width);
    const uint32_t* r1 = l.texels + static_cast<size_t>(y1) * static_cast<size_t>(l.width);
    const int fy = static_cast<int>((t >> 8) & 255u);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wy = _mm_set1_epi16(static_cast<short>(fy)), wy0 = _mm_set1_epi16(static_cast<short>(256 - fy));
    const uint32_t mask = static_cast<uint32_t>(l.maskU);
    for (int64_t k = lo; k <= hi;) {
        const uint32_t x = static_cast<uint32_t>(k) & mask;
        if (k < hi && x != mask) {
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

// The horizontal step for pixel i: four 16-bit channels in the low half.
inline __m128i RowSample(const RowLevel& r, int i, __m128i base, __m128i sign) {
    const int64_t s = r.s + r.ds * i;
    const __m128i pair = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&r.row[(s >> 16) - r.first]));
    const __m128i fx = _mm_set1_epi16(static_cast<short>((s >> 8) & 255));
    const __m128i weighted = _mm_mullo_epi16(pair, _mm_add_epi16(base, _mm_mullo_epi16(sign, fx)));
    return _mm_srli_epi16(_mm_add_epi16(weighted, _mm_srli_si128(weighted, 8)), 8);
}

bool SampleRows(const SamplePlan& plan, double u, double v, double du, int n, uint32_t* out) {
    static thread_local RowLevel a, b;
    if (!PrepareRow(*plan.a, u, v, du, n, a) || (plan.b != nullptr && !PrepareRow(*plan.b, u, v, du, n, b))) {
        return false;
    }
    // Weights (256 - fx) for the left texel's lanes and fx for the right one's.
    const __m128i base = _mm_set_epi16(0, 0, 0, 0, 256, 256, 256, 256);
    const __m128i sign = _mm_set_epi16(1, 1, 1, 1, -1, -1, -1, -1);
    if (plan.b == nullptr) {
        for (int i = 0; i < n; ++i) {
            const __m128i c = RowSample(a, i, base, sign);
            out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(c, c)));
        }
        return true;
    }
    const int w = static_cast<int>(plan.weightB);
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w)), wa = _mm_set1_epi16(static_cast<short>(256 - w));
    for (int i = 0; i < n; ++i) {
        const __m128i ca = RowSample(a, i, base, sign), cb = RowSample(b, i, base, sign);
        const __m128i c = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(ca, wa), _mm_mullo_epi16(cb, wb)), 8);
        out[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(c, c)));
    }
    return true;
}

#endif

}  // namespace

bool CanSampleSpanLinear(const SamplePlan& plan) {
    return plan.linear && plan.a != nullptr && plan.a->maskU >= 0 && plan.a->maskV >= 0 && plan.a->width <= 65536 &&
           plan.a->height <= 65536 &&
           (plan.b == nullptr || (plan.b->maskU >= 0 && plan.b->maskV >= 0));
}

void SampleSpanLinear(const SamplePlan& plan, double u, double v, double du, double dv, int n, uint32_t* out) {
    // Fixed point needs moderate coordinates; anything else (huge repeats,
    // infinities, NaN) takes the per-pixel sampler, which saturates safely.
    constexpr double kLimit = 16384.0;
    if (!(std::fabs(u) < kLimit && std::fabs(v) < kLimit && std::fabs(du) < 1.0 && std::fabs(dv) < 1.0)) {
        for (int i = 0; i < n; ++i) {
            out[i] = Sample(plan, static_cast<float>(u + du * i), static_cast<float>(v + dv * i));
        }
        return;
    }
#if defined(__SSE2__)
    if (dv == 0.0 && SampleRows(plan, u, v, du, n, out)) {
        return;
    }
#endif
    Stepper a = MakeStepper(*plan.a, u, v, du, dv);
#if defined(__SSE2__)
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
