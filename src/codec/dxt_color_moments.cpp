#include "codec/dxt_color_moments.h"

#include "codec/cpu_features.h"
#include "codec/dxt_color_moments_avx2.h"
#include "codec/dxt_quantize_pair.h"

#include <cmath>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

void ColorSumsPlain(const SearchTexels& texels, ColorSums& out) {
    out = ColorSums{};
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        const float r = texels.ch[0][i], g = texels.ch[1][i], b = texels.ch[2][i];
        const float wr = w * r, wg = w * g, wb = w * b;
        out.total += static_cast<std::int32_t>(texels.weight[i]);
        out.sum[0] += static_cast<std::int32_t>(wr);
        out.sum[1] += static_cast<std::int32_t>(wg);
        out.sum[2] += static_cast<std::int32_t>(wb);
        out.square[0] += static_cast<std::int32_t>(wr * r);
        out.square[1] += static_cast<std::int32_t>(wr * g);
        out.square[2] += static_cast<std::int32_t>(wr * b);
        out.square[3] += static_cast<std::int32_t>(wg * g);
        out.square[4] += static_cast<std::int32_t>(wg * b);
        out.square[5] += static_cast<std::int32_t>(wb * b);
    }
}

#if TOVTEX_SSE2
namespace {

std::int32_t HorizontalSum(__m128i v) {
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(v);
}

}  // namespace

void ColorSumsSse2(const SearchTexels& texels, ColorSums& out) {
    __m128i total = _mm_setzero_si128(), sum[3], square[6];
    for (__m128i& v : sum) {
        v = _mm_setzero_si128();
    }
    for (__m128i& v : square) {
        v = _mm_setzero_si128();
    }
    for (int g = 0; g < 16; g += 4) {
        const __m128i wi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + g));
        const __m128 w = _mm_cvtepi32_ps(wi);
        const __m128 r = _mm_loadu_ps(texels.ch[0] + g), gr = _mm_loadu_ps(texels.ch[1] + g),
                     b = _mm_loadu_ps(texels.ch[2] + g);
        const __m128 wr = _mm_mul_ps(w, r), wg = _mm_mul_ps(w, gr), wb = _mm_mul_ps(w, b);
        total = _mm_add_epi32(total, wi);
        sum[0] = _mm_add_epi32(sum[0], _mm_cvttps_epi32(wr));
        sum[1] = _mm_add_epi32(sum[1], _mm_cvttps_epi32(wg));
        sum[2] = _mm_add_epi32(sum[2], _mm_cvttps_epi32(wb));
        square[0] = _mm_add_epi32(square[0], _mm_cvttps_epi32(_mm_mul_ps(wr, r)));
        square[1] = _mm_add_epi32(square[1], _mm_cvttps_epi32(_mm_mul_ps(wr, gr)));
        square[2] = _mm_add_epi32(square[2], _mm_cvttps_epi32(_mm_mul_ps(wr, b)));
        square[3] = _mm_add_epi32(square[3], _mm_cvttps_epi32(_mm_mul_ps(wg, gr)));
        square[4] = _mm_add_epi32(square[4], _mm_cvttps_epi32(_mm_mul_ps(wg, b)));
        square[5] = _mm_add_epi32(square[5], _mm_cvttps_epi32(_mm_mul_ps(wb, b)));
    }
    out.total = HorizontalSum(total);
    for (int c = 0; c < 3; ++c) {
        out.sum[c] = HorizontalSum(sum[c]);
    }
    for (int k = 0; k < 6; ++k) {
        out.square[k] = HorizontalSum(square[k]);
    }
}

namespace {

// The sums by the fastest vector form the processor runs.
void ColorSumsFast(const SearchTexels& texels, ColorSums& out) {
    if (CpuHasAvx2()) {
        ColorSumsAvx2(texels, out);
    } else {
        ColorSumsSse2(texels, out);
    }
}

}  // namespace
#endif

namespace {

bool MomentsFromRaw(const SearchTexels& texels, const ColorSums& raw, ColorMoments& out) {
    if (raw.total <= 0) {
        return false;
    }
    const double total = raw.total, inverse = 1.0 / total;
    for (int c = 0; c < 3; ++c) {
        out.mean[c] = static_cast<float>(raw.sum[c] * inverse);
    }
    const bool weighted = texels.channel[0] != 1u || texels.channel[1] != 1u || texels.channel[2] != 1u;
    // Centred from the exact sums in double precision: no cancellation
    // worth the name at these magnitudes. In the space where the error is
    // plain Euclidean each channel is scaled by the square root of its
    // weight.
    static constexpr int PAIRS[6][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}};
    for (int k = 0; k < 6; ++k) {
        const int x = PAIRS[k][0], y = PAIRS[k][1];
        const double centred = raw.square[k] - static_cast<double>(raw.sum[x]) * raw.sum[y] * inverse;
        out.covariance[k] = static_cast<float>(
            weighted ? centred * std::sqrt(static_cast<double>(texels.channel[x]) * texels.channel[y]) : centred);
    }
    out.total = static_cast<float>(raw.total);
    return true;
}

// The column of the symmetric matrix m (xx, xy, xz, yy, yz, zz) with the
// largest diagonal element: it already leans towards the principal axis.
int LargestDiagonal(const float* m) {
    int j = 0;
    if (m[3] > m[0]) {
        j = 1;
    }
    if (m[5] > (j == 0 ? m[0] : m[3])) {
        j = 2;
    }
    return j;
}

// Four steps of power iteration on m from its leaning column: a few steps
// settle it well within what 5:6:5 endpoints can tell apart. T is the
// precision of the steps.
template <typename T>
void PowerIterate(const float* m, T* v) {
    const int j = LargestDiagonal(m);
    const float columns[3][3] = {{m[0], m[1], m[2]}, {m[1], m[3], m[4]}, {m[2], m[4], m[5]}};
    v[0] = columns[j][0];
    v[1] = columns[j][1];
    v[2] = columns[j][2];
    for (int step = 0; step < 4; ++step) {
        const T x = m[0] * v[0] + m[1] * v[1] + m[2] * v[2];
        const T y = m[1] * v[0] + m[3] * v[1] + m[4] * v[2];
        const T z = m[2] * v[0] + m[4] * v[1] + m[5] * v[2];
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }
}

#if TOVTEX_SSE2
// PowerIterate in single precision with a step's three sums side by side,
// one lane each: lane c adds m's row c times the vector in the scalar
// form's order, so every lane rounds as the scalar sum does and the two
// agree bit for bit (the matrix is symmetric: its rows are its columns).
void PowerIterateVector(const float* m, float* v) {
    const __m128 columns[3] = {_mm_setr_ps(m[0], m[1], m[2], 0.0f), _mm_setr_ps(m[1], m[3], m[4], 0.0f),
                               _mm_setr_ps(m[2], m[4], m[5], 0.0f)};
    __m128 x = columns[LargestDiagonal(m)];
    for (int step = 0; step < 4; ++step) {
        x = _mm_add_ps(_mm_add_ps(_mm_mul_ps(columns[0], _mm_shuffle_ps(x, x, 0x00)),
                                  _mm_mul_ps(columns[1], _mm_shuffle_ps(x, x, 0x55))),
                       _mm_mul_ps(columns[2], _mm_shuffle_ps(x, x, 0xAA)));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, x);
    v[0] = lanes[0];
    v[1] = lanes[1];
    v[2] = lanes[2];
}
#endif

}  // namespace

bool ComputeMomentsPlain(const SearchTexels& texels, ColorMoments& out) {
    ColorSums raw;
    ColorSumsPlain(texels, raw);
    return MomentsFromRaw(texels, raw, out);
}

bool ComputeMoments(const SearchTexels& texels, ColorMoments& out) {
#if TOVTEX_SSE2
    ColorSums raw;
    ColorSumsFast(texels, raw);
    return MomentsFromRaw(texels, raw, out);
#else
    return ComputeMomentsPlain(texels, out);
#endif
}

bool PrincipalAxis(const SearchTexels& texels, const ColorMoments& moments, float* axis) {
    const float* m = moments.covariance;
    const float trace = m[0] + m[3] + m[5];
    if (!(trace > 1e-3f * moments.total)) {
        return false;
    }
    // In double precision the vector needs no scaling between steps (it
    // grows by the largest eigenvalue, at most about 2^38, each step): no
    // division on the dependency chain.
    double v[3];
    PowerIterate(m, v);
    // Back from the scaled space to red, green, blue.
    double back[3], length = 0.0;
    for (int c = 0; c < 3; ++c) {
        back[c] = texels.channel[c] == 1u ? v[c] : v[c] / std::sqrt(static_cast<double>(texels.channel[c]));
        length += back[c] * back[c];
    }
    if (!(length > 0.0) || !(length < 1e300)) {
        return false;
    }
    const double inverse = 1.0 / std::sqrt(length);
    for (int c = 0; c < 3; ++c) {
        axis[c] = static_cast<float>(back[c] * inverse);
    }
    return true;
}

namespace {

template <bool VECTOR>
bool QuickAxisFromRaw(const SearchTexels& texels, const ColorSums& raw, float* mean, float* axis,
                      float& inverseSquare) {
    if (raw.total <= 0) {
        mean[0] = mean[1] = mean[2] = 0.0f;
        return false;
    }
    // The mean divides; nothing below waits for it.
    const double inverse = 1.0 / static_cast<double>(raw.total);
    for (int c = 0; c < 3; ++c) {
        mean[c] = static_cast<float>(raw.sum[c] * inverse);
    }
    // The covariance times the total weight, exact in 64-bit integers: the
    // direction is the same and no division stands before the iteration.
    static constexpr int PAIRS[6][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}};
    const bool weighted = texels.channel[0] != 1u || texels.channel[1] != 1u || texels.channel[2] != 1u;
    const std::int64_t total = raw.total;
    float m[6];
    for (int k = 0; k < 6; ++k) {
        const int x = PAIRS[k][0], y = PAIRS[k][1];
        const std::int64_t centred = total * raw.square[k] - static_cast<std::int64_t>(raw.sum[x]) * raw.sum[y];
        m[k] = static_cast<float>(weighted ? static_cast<double>(centred) *
                                                 std::sqrt(static_cast<double>(texels.channel[x]) * texels.channel[y])
                                           : static_cast<double>(centred));
    }
    const float trace = m[0] + m[3] + m[5];
    if (!(static_cast<double>(trace) > 1e-3 * static_cast<double>(total) * static_cast<double>(total))) {
        return false;
    }
    // Scaled by a power of two to a trace between 1 and 2 (exact): every
    // eigenvalue is at most 2, so four steps stay well inside single
    // precision without normalising between them.
    std::uint32_t bits;
    __builtin_memcpy(&bits, &trace, sizeof bits);
    const std::uint32_t scaleBits = (254u - (bits >> 23)) << 23;
    float scale;
    __builtin_memcpy(&scale, &scaleBits, sizeof scale);
    for (float& e : m) {
        e *= scale;
    }
    float v[3];
#if TOVTEX_SSE2
    if (VECTOR) {
        PowerIterateVector(m, v);
    } else {
        PowerIterate(m, v);
    }
#else
    PowerIterate(m, v);
#endif
    // Back from the scaled space to red, green, blue; the length is divided
    // out later, beside the extent along the line.
    float length = 0.0f;
    for (int c = 0; c < 3; ++c) {
        axis[c] = texels.channel[c] == 1u ? v[c] : v[c] / std::sqrt(static_cast<float>(texels.channel[c]));
        length += axis[c] * axis[c];
    }
    if (!(length > 0.0f) || !(length < 1e30f)) {
        return false;
    }
    inverseSquare = 1.0f / length;
    return true;
}

}  // namespace

bool QuickAxisPlain(const SearchTexels& texels, float* mean, float* axis, float& inverseSquare) {
    ColorSums raw;
    ColorSumsPlain(texels, raw);
    return QuickAxisFromRaw<false>(texels, raw, mean, axis, inverseSquare);
}

bool QuickAxis(const SearchTexels& texels, float* mean, float* axis, float& inverseSquare) {
#if TOVTEX_SSE2
    ColorSums raw;
    ColorSumsFast(texels, raw);
    return QuickAxisFromRaw<true>(texels, raw, mean, axis, inverseSquare);
#else
    return QuickAxisPlain(texels, mean, axis, inverseSquare);
#endif
}

namespace {

// The sums of the normal equations with the shares of c0 scaled to small
// integers (four colours: 3, 0, 2, 1 by index; three: 2, 0, 1, 0). Each
// product stays below 2^24 and each sum too, so every sum is exact and the
// vector and plain forms agree whatever order they add in.
struct EndpointSums {
    float aa, ab, bb;
    float ax[3], bx[3];
};

void EndpointSumsPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, EndpointSums& out) {
    static constexpr float FOUR[4] = {3.0f, 0.0f, 2.0f, 1.0f};
    static constexpr float THREE[4] = {2.0f, 0.0f, 1.0f, 0.0f};
    const float* share = fourColor ? FOUR : THREE;
    const float scale = fourColor ? 3.0f : 2.0f;
    out = EndpointSums{};
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        const float a = share[indices >> (2 * i) & 3u], b = scale - a;
        const float wa = w * a, wb = w * b;
        out.aa += wa * a;
        out.ab += wa * b;
        out.bb += wb * b;
        for (int c = 0; c < 3; ++c) {
            out.ax[c] += wa * texels.ch[c][i];
            out.bx[c] += wb * texels.ch[c][i];
        }
    }
}

#if TOVTEX_SSE2
// The share of c0 of each texel of four (one byte of the index word), one
// byte each, for either mode.
struct ShareTable {
    std::uint32_t four[256];
    std::uint32_t three[256];
};

constexpr ShareTable MakeShareTable() {
    ShareTable t{};
    constexpr std::uint32_t FOUR[4] = {3, 0, 2, 1}, THREE[4] = {2, 0, 1, 0};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        for (std::uint32_t k = 0; k < 4; ++k) {
            t.four[byte] |= FOUR[byte >> (2 * k) & 3u] << (8 * k);
            t.three[byte] |= THREE[byte >> (2 * k) & 3u] << (8 * k);
        }
    }
    return t;
}

inline constexpr ShareTable SHARES = MakeShareTable();

// The totals of four vectors of 32-bit lanes, one per lane.
__m128i Totals(__m128i a, __m128i b, __m128i c, __m128i d) {
    const __m128i ab = _mm_add_epi32(_mm_unpacklo_epi32(a, b), _mm_unpackhi_epi32(a, b));
    const __m128i cd = _mm_add_epi32(_mm_unpacklo_epi32(c, d), _mm_unpackhi_epi32(c, d));
    return _mm_add_epi32(_mm_unpacklo_epi64(ab, cd), _mm_unpackhi_epi64(ab, cd));
}

// From the block's basis: channels, weights (at most 255) and shares (at
// most 3) are small integers in 16-bit lanes, eight texels a register, and
// each pairwise product sum of _mm_madd_epi16 is exact in 32 bits. Only the
// sums that change with the indices are formed per texel (w a, w a a,
// w a x); the block's own (w, w x) come with the basis, and the b sums
// follow from b = scale - a. The results are the very integers the plain
// form adds up.
void EndpointSumsOfBasis(const SolveBasis& basis, std::uint32_t indices, bool fourColor, EndpointSums& out) {
    const std::uint32_t* table = fourColor ? SHARES.four : SHARES.three;
    const __m128i ones = _mm_set1_epi16(1), zero = _mm_setzero_si128();
    __m128i wa = zero, waa = zero, wax[3] = {zero, zero, zero};
    for (int h = 0; h < 2; ++h) {
        const __m128i w16 = _mm_load_si128(reinterpret_cast<const __m128i*>(basis.weight + 8 * h));
        const std::uint64_t shares =
            table[indices >> (16 * h) & 255u] | static_cast<std::uint64_t>(table[indices >> (16 * h + 8) & 255u]) << 32;
        const __m128i a16 = _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(shares)), zero);
        const __m128i wa16 = _mm_mullo_epi16(w16, a16);
        wa = _mm_add_epi32(wa, _mm_madd_epi16(wa16, ones));
        waa = _mm_add_epi32(waa, _mm_madd_epi16(wa16, a16));
        for (int c = 0; c < 3; ++c) {
            const __m128i x = _mm_load_si128(reinterpret_cast<const __m128i*>(basis.ch[c] + 8 * h));
            wax[c] = _mm_add_epi32(wax[c], _mm_madd_epi16(wa16, x));
        }
    }
    alignas(16) std::int32_t first[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(first), Totals(wa, waa, wax[0], wax[1]));
    const std::int32_t sumWa = first[0], sumWaa = first[1];
    const std::int32_t sumWax[3] = {first[2], first[3], HorizontalSum(wax[2])};
    const std::int32_t scale = fourColor ? 3 : 2;
    out.aa = static_cast<float>(sumWaa);
    out.ab = static_cast<float>(scale * sumWa - sumWaa);
    out.bb = static_cast<float>(scale * scale * basis.total - 2 * scale * sumWa + sumWaa);
    for (int c = 0; c < 3; ++c) {
        out.ax[c] = static_cast<float>(sumWax[c]);
        out.bx[c] = static_cast<float>(scale * basis.sum[c] - sumWax[c]);
    }
}
#endif

bool SolveFromSums(const EndpointSums& s, bool fourColor, float* e0, float* e1) {
    const double aa = s.aa, bb = s.bb, ab = s.ab;
    const double det = aa * bb - ab * ab;
    if (!(std::fabs(det) > 1e-4 * aa * bb) || !(aa > 0.0) || !(bb > 0.0)) {
        return false;
    }
    // The shares were scaled by 3 (or 2): the endpoints scale back by it.
    // Formed in locals: the outputs could alias the sums, which would keep
    // every value in memory.
    const double inv = (fourColor ? 3.0 : 2.0) / det;
    float a[3], b[3];
    for (int c = 0; c < 3; ++c) {
        const double ax = s.ax[c], bx = s.bx[c];
        a[c] = static_cast<float>((ax * bb - bx * ab) * inv);
        b[c] = static_cast<float>((bx * aa - ax * ab) * inv);
    }
    ClampToBox(a);
    ClampToBox(b);
    for (int c = 0; c < 3; ++c) {
        e0[c] = a[c];
        e1[c] = b[c];
    }
    return true;
}

#if TOVTEX_SSE2
// SolveFromSums with the six endpoint channels in pairs of doubles: the very
// operations of the scalar form, each rounded alike, so the results agree
// bit for bit. The clamp is a min and a max, not branches (endpoints beyond
// the box are common and hard to predict); min(255, e) then max(0, e) pass
// a value that is not a number through as the scalar tests do. The
// endpoints come out in two registers, r0 g0 b0 r1 and g1 b1.
bool SolveLanes(const EndpointSums& s, bool fourColor, __m128& first, __m128& second) {
    const double aa = s.aa, bb = s.bb, ab = s.ab;
    const double det = aa * bb - ab * ab;
    if (!(std::fabs(det) > 1e-4 * aa * bb) || !(aa > 0.0) || !(bb > 0.0)) {
        return false;
    }
    const __m128d inv = _mm_set1_pd((fourColor ? 3.0 : 2.0) / det), cross = _mm_set1_pd(ab);
    // Lanes a0 a1 | a2 b0 | b1 b2: own sum times the other share's square,
    // less the other sum times the cross term.
    const __m128d own[3] = {_mm_set_pd(s.ax[1], s.ax[0]), _mm_set_pd(s.bx[0], s.ax[2]), _mm_set_pd(s.bx[2], s.bx[1])};
    const __m128d other[3] = {_mm_set_pd(s.bx[1], s.bx[0]), _mm_set_pd(s.ax[0], s.bx[2]), _mm_set_pd(s.ax[2], s.ax[1])};
    const __m128d square[3] = {_mm_set1_pd(bb), _mm_set_pd(aa, bb), _mm_set1_pd(aa)};
    __m128 half[3];
    for (int k = 0; k < 3; ++k) {
        half[k] = _mm_cvtpd_ps(_mm_mul_pd(_mm_sub_pd(_mm_mul_pd(own[k], square[k]), _mm_mul_pd(other[k], cross)), inv));
    }
    const __m128 top = _mm_set1_ps(255.0f), zero = _mm_setzero_ps();
    first = _mm_max_ps(zero, _mm_min_ps(top, _mm_movelh_ps(half[0], half[1])));  // a0 a1 a2 b0
    second = _mm_max_ps(zero, _mm_min_ps(top, half[2]));                         // b1 b2
    return true;
}

bool SolveFromSumsVector(const EndpointSums& s, bool fourColor, float* e0, float* e1) {
    __m128 first, second;
    if (!SolveLanes(s, fourColor, first, second)) {
        return false;
    }
    alignas(16) float out[8];
    _mm_store_ps(out, first);
    _mm_store_ps(out + 4, second);
    for (int c = 0; c < 3; ++c) {
        e0[c] = out[c];
        e1[c] = out[3 + c];
    }
    return true;
}
#endif

}  // namespace

bool SolveEndpointsPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1) {
    EndpointSums sums;
    EndpointSumsPlain(texels, indices, fourColor, sums);
    return SolveFromSums(sums, fourColor, e0, e1);
}

bool SolveEndpoints(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1) {
#if TOVTEX_SSE2
    SolveBasis basis;
    PrepareSolveBasis(texels, basis);
    EndpointSums sums;
    EndpointSumsOfBasis(basis, indices, fourColor, sums);
    return SolveFromSumsVector(sums, fourColor, e0, e1);
#else
    return SolveEndpointsPlain(texels, indices, fourColor, e0, e1);
#endif
}

bool SolveQuantizedPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, unsigned& q0,
                         unsigned& q1) {
    float e0[3], e1[3];
    if (!SolveEndpointsPlain(texels, indices, fourColor, e0, e1)) {
        return false;
    }
    QuantizePair565Plain(e0, e1, q0, q1);
    return true;
}

void PrepareSolveBasis(const SearchTexels& texels, SolveBasis& out) {
    out.texels = &texels;
#if TOVTEX_SSE2
    // Channels and weights are small integers: exact in 16-bit lanes, and
    // each pairwise product sum of _mm_madd_epi16 exact in 32 bits.
    const __m128i ones = _mm_set1_epi16(1);
    __m128i total = _mm_setzero_si128(), sum[3] = {total, total, total};
    for (int h = 0; h < 2; ++h) {
        const auto* weight = reinterpret_cast<const __m128i*>(texels.weight + 8 * h);
        const __m128i w16 = _mm_packs_epi32(_mm_loadu_si128(weight), _mm_loadu_si128(weight + 1));
        _mm_store_si128(reinterpret_cast<__m128i*>(out.weight + 8 * h), w16);
        total = _mm_add_epi32(total, _mm_madd_epi16(w16, ones));
        for (int c = 0; c < 3; ++c) {
            const __m128i x = _mm_packs_epi32(_mm_cvttps_epi32(_mm_loadu_ps(texels.ch[c] + 8 * h)),
                                              _mm_cvttps_epi32(_mm_loadu_ps(texels.ch[c] + 8 * h + 4)));
            _mm_store_si128(reinterpret_cast<__m128i*>(out.ch[c] + 8 * h), x);
            sum[c] = _mm_add_epi32(sum[c], _mm_madd_epi16(w16, x));
        }
    }
    alignas(16) std::int32_t totals[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(totals), Totals(total, sum[0], sum[1], sum[2]));
    out.total = totals[0];
    for (int c = 0; c < 3; ++c) {
        out.sum[c] = totals[1 + c];
    }
#else
    out.total = 0;
    out.sum[0] = out.sum[1] = out.sum[2] = 0;
    for (int i = 0; i < 16; ++i) {
        const auto w = static_cast<std::int32_t>(texels.weight[i]);
        out.weight[i] = static_cast<std::int16_t>(w);
        out.total += w;
        for (int c = 0; c < 3; ++c) {
            const auto x = static_cast<std::int32_t>(texels.ch[c][i]);
            out.ch[c][i] = static_cast<std::int16_t>(x);
            out.sum[c] += w * x;
        }
    }
#endif
}

bool SolveQuantized(const SolveBasis& basis, std::uint32_t indices, bool fourColor, unsigned& q0, unsigned& q1) {
#if TOVTEX_SSE2
    EndpointSums sums;
    EndpointSumsOfBasis(basis, indices, fourColor, sums);
    __m128 first, second;
    if (!SolveLanes(sums, fourColor, first, second)) {
        return false;
    }
    QuantizeLanes565<true>(first, second, q0, q1);
    return true;
#else
    return SolveQuantizedPlain(*basis.texels, indices, fourColor, q0, q1);
#endif
}

}  // namespace dxt_search
