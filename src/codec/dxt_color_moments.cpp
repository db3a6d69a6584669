#include "codec/dxt_color_moments.h"

#include <cmath>

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace dxt_search {

namespace {

// The exact sums a block's moments come from. Every product of a weight and
// up to two channels stays below 2^24, so each is exact in single precision
// and the sums are exact integers: the vector and plain forms agree
// whatever order they add in.
struct RawMoments {
    std::int32_t total;
    std::int32_t sum[3];
    std::int32_t square[6];  // rr, rg, rb, gg, gb, bb
};

void RawMomentsPlain(const SearchTexels& texels, RawMoments& out) {
    out = RawMoments{};
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
std::int32_t HorizontalSum(__m128i v) {
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(v);
}

void RawMomentsVector(const SearchTexels& texels, RawMoments& out) {
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
#endif

bool MomentsFromRaw(const SearchTexels& texels, const RawMoments& raw, ColorMoments& out) {
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

}  // namespace

bool ComputeMomentsPlain(const SearchTexels& texels, ColorMoments& out) {
    RawMoments raw;
    RawMomentsPlain(texels, raw);
    return MomentsFromRaw(texels, raw, out);
}

bool ComputeMoments(const SearchTexels& texels, ColorMoments& out) {
#if TOVTEX_SSE2
    RawMoments raw;
    RawMomentsVector(texels, raw);
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
    // Power iteration from the column of the largest diagonal element:
    // that column already leans towards the axis, and a few steps settle it
    // well within what 5:6:5 endpoints can tell apart.
    int j = 0;
    if (m[3] > m[0]) {
        j = 1;
    }
    if (m[5] > (j == 0 ? m[0] : m[3])) {
        j = 2;
    }
    const float columns[3][3] = {{m[0], m[1], m[2]}, {m[1], m[3], m[4]}, {m[2], m[4], m[5]}};
    // In double precision the vector needs no scaling between steps (it
    // grows by the largest eigenvalue, at most about 2^38, each step): no
    // division on the dependency chain.
    double v[3] = {columns[j][0], columns[j][1], columns[j][2]};
    for (int step = 0; step < 4; ++step) {
        const double x = m[0] * v[0] + m[1] * v[1] + m[2] * v[2];
        const double y = m[1] * v[0] + m[3] * v[1] + m[4] * v[2];
        const double z = m[2] * v[0] + m[4] * v[1] + m[5] * v[2];
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }
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
float HorizontalSum(__m128 v) {
    v = _mm_add_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtss_f32(v);
}

void EndpointSumsVector(const SearchTexels& texels, std::uint32_t indices, bool fourColor, EndpointSums& out) {
    const __m128i field = _mm_setr_epi32(3, 3 << 2, 3 << 4, 3 << 6);
    const __m128i is2 = _mm_setr_epi32(2, 2 << 2, 2 << 4, 2 << 6), is3 = _mm_setr_epi32(3, 3 << 2, 3 << 4, 3 << 6);
    const __m128i s0 = _mm_set1_epi32(fourColor ? 3 : 2), s2 = _mm_set1_epi32(fourColor ? 2 : 1),
                  s3 = _mm_set1_epi32(fourColor ? 1 : 0);
    const __m128 scale = _mm_set1_ps(fourColor ? 3.0f : 2.0f);
    __m128 aa = _mm_setzero_ps(), ab = aa, bb = aa, ax[3] = {aa, aa, aa}, bx[3] = {aa, aa, aa};
    for (int g = 0; g < 4; ++g) {
        const __m128i idx = _mm_and_si128(_mm_set1_epi32(static_cast<int>(indices >> (8 * g))), field);
        const __m128i shareI = _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_cmpeq_epi32(idx, _mm_setzero_si128()), s0),
                                                         _mm_and_si128(_mm_cmpeq_epi32(idx, is2), s2)),
                                            _mm_and_si128(_mm_cmpeq_epi32(idx, is3), s3));
        const __m128 a = _mm_cvtepi32_ps(shareI), b = _mm_sub_ps(scale, a);
        const __m128 w = _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels.weight + 4 * g)));
        const __m128 wa = _mm_mul_ps(w, a), wb = _mm_mul_ps(w, b);
        aa = _mm_add_ps(aa, _mm_mul_ps(wa, a));
        ab = _mm_add_ps(ab, _mm_mul_ps(wa, b));
        bb = _mm_add_ps(bb, _mm_mul_ps(wb, b));
        for (int c = 0; c < 3; ++c) {
            const __m128 x = _mm_loadu_ps(texels.ch[c] + 4 * g);
            ax[c] = _mm_add_ps(ax[c], _mm_mul_ps(wa, x));
            bx[c] = _mm_add_ps(bx[c], _mm_mul_ps(wb, x));
        }
    }
    out.aa = HorizontalSum(aa);
    out.ab = HorizontalSum(ab);
    out.bb = HorizontalSum(bb);
    for (int c = 0; c < 3; ++c) {
        out.ax[c] = HorizontalSum(ax[c]);
        out.bx[c] = HorizontalSum(bx[c]);
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
    const double inv = (fourColor ? 3.0 : 2.0) / det;
    for (int c = 0; c < 3; ++c) {
        e0[c] = static_cast<float>((s.ax[c] * bb - s.bx[c] * ab) * inv);
        e1[c] = static_cast<float>((s.bx[c] * aa - s.ax[c] * ab) * inv);
    }
    ClampToBox(e0);
    ClampToBox(e1);
    return true;
}

}  // namespace

bool SolveEndpointsPlain(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1) {
    EndpointSums sums;
    EndpointSumsPlain(texels, indices, fourColor, sums);
    return SolveFromSums(sums, fourColor, e0, e1);
}

bool SolveEndpoints(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1) {
#if TOVTEX_SSE2
    EndpointSums sums;
    EndpointSumsVector(texels, indices, fourColor, sums);
    return SolveFromSums(sums, fourColor, e0, e1);
#else
    return SolveEndpointsPlain(texels, indices, fourColor, e0, e1);
#endif
}

}  // namespace dxt_search
