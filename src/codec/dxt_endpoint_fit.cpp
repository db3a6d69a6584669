#include "codec/dxt_endpoint_fit.h"

#include <cmath>
#include <cstdint>

#include "codec/color_f.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The fit works in a weighted colour space (blue, green, red, each scaled by
// its share of perceived brightness): the centred colours' covariance
// matrix is squared a fixed 18 times to single out its principal axis, the
// colours are projected on that axis, and the extreme projections, clipped
// to the colour cube, become the two endpoints.

namespace {

// Channel order in the weighted space is blue, green, red.
constexpr float WEIGHTS[3] = {0.0820f, 0.6094f, 0.3086f};

struct WeightTable {
    float v[3][256];
};

// n x weight x 1/255 per channel, each product rounded to single precision.
constexpr WeightTable MakeWeightTable()
{
    WeightTable t{};
    for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < 256; ++n) {
            t.v[c][n] = static_cast<float>(n) * WEIGHTS[c] * UNIT_SCALE_8;
        }
    }
    return t;
}

constexpr WeightTable WEIGHTED = MakeWeightTable();

inline unsigned Channel(DWORD p, int c)
{
    return (p >> (8 * c)) & 255u;   // c: 0 blue, 1 green, 2 red
}

inline std::uint16_t Pack565(DWORD p)
{
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800u) | ((p >> 5) & 0x07E0u) | ((p >> 3) & 0x001Fu));
}

// 5:6:5 to 8 bits per channel by replicating the top bits, as blue, green, red.
inline void Expand565(unsigned c, unsigned out[3])
{
    const unsigned r = c >> 11, g = (c >> 5) & 63u, b = c & 31u;
    out[0] = b << 3 | b >> 2;
    out[1] = g << 2 | g >> 4;
    out[2] = r << 3 | r >> 2;
}

void WriteColorBlock(BYTE* out, unsigned c0, unsigned c1, std::uint32_t indices)
{
    out[0] = static_cast<BYTE>(c0);
    out[1] = static_cast<BYTE>(c0 >> 8);
    out[2] = static_cast<BYTE>(c1);
    out[3] = static_cast<BYTE>(c1 >> 8);
    out[4] = static_cast<BYTE>(indices);
    out[5] = static_cast<BYTE>(indices >> 8);
    out[6] = static_cast<BYTE>(indices >> 16);
    out[7] = static_cast<BYTE>(indices >> 24);
}

bool InKeyRange(DWORD p, const ColorKeyRange& key)
{
    for (int c = 0; c < 3; ++c) {
        const unsigned v = Channel(p, c);
        if (v < Channel(key.low, c) || v > Channel(key.high, c)) {
            return false;
        }
    }
    return true;
}

// Every opaque pixel takes one colour; equal endpoints decode in
// three-colour mode, so keyed pixels can still take index 3.
void EncodeSingleColor(const DWORD* pixels, std::uint32_t opaque, BYTE* out)
{
    if (opaque == 0xFFFFu) {
        const unsigned c = Pack565(pixels[0]);
        WriteColorBlock(out, c, c, 0);
        return;
    }
    int last = 0;
    std::uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        if (opaque >> i & 1u) {
            last = i;
        } else {
            indices |= 3u << (2 * i);
        }
    }
    const unsigned c = Pack565(pixels[last]);
    WriteColorBlock(out, c, c, indices);
}

// One block between the covariance and the power iteration.
struct ColorFit {
    const DWORD* pixels;
    BYTE* out;
    std::uint32_t opaque;     // bit i: pixel i is opaque
    float mean[3];
    float p[3][16];           // centred weighted colours, all 16 pixels
    float m[6];               // 00 01 02 11 12 22 of the symmetric matrix
    bool traceZero;
};

// Steps up to the covariance; false when the block was already written.
bool PrepareColorFit(const DWORD* pixels, const ColorKeyRange& key, BYTE* out, ColorFit& f)
{
    std::uint32_t opaque = 0;
    int count = 0;
    bool sameColor = true;
    const DWORD first = pixels[0] & 0x00FFFFFFu;
    for (int i = 0; i < 16; ++i) {
        if (!InKeyRange(pixels[i], key)) {
            opaque |= 1u << i;
            ++count;
        }
        sameColor = sameColor && (pixels[i] & 0x00FFFFFFu) == first;
    }
    if (count == 0) {
        WriteColorBlock(out, 0x0000, 0xFFFF, 0xFFFFFFFFu);
        return false;
    }
    if (sameColor) {
        EncodeSingleColor(pixels, opaque, out);
        return false;
    }

    f.pixels = pixels;
    f.out = out;
    f.opaque = opaque;
    float x[3][16];
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 16; ++i) {
            x[c][i] = WEIGHTED.v[c][Channel(pixels[i], c)];
        }
    }
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        if (opaque >> i & 1u) {
            sum[0] += x[0][i];
            sum[1] += x[1][i];
            sum[2] += x[2][i];
        }
    }
    const float inverse = 1.0f / static_cast<float>(count);
    for (int c = 0; c < 3; ++c) {
        f.mean[c] = sum[c] * inverse;
        for (int i = 0; i < 16; ++i) {
            f.p[c][i] = x[c][i] - f.mean[c];
        }
    }
    float m00 = 0.0f, m01 = 0.0f, m02 = 0.0f, m11 = 0.0f, m12 = 0.0f, m22 = 0.0f;
    for (int i = 0; i < 16; ++i) {
        if (opaque >> i & 1u) {
            const float b = f.p[0][i], g = f.p[1][i], r = f.p[2][i];
            m00 += b * b;
            m01 += b * g;
            m02 += b * r;
            m11 += g * g;
            m12 += g * r;
            m22 += r * r;
        }
    }
    f.m[0] = m00;
    f.m[1] = m01;
    f.m[2] = m02;
    f.m[3] = m11;
    f.m[4] = m12;
    f.m[5] = m22;
    f.traceZero = false;
    return true;
}

// Nine rounds of two squarings and a rescale to trace 3, for up to four
// blocks. The squares are formed entry by entry as sum over k of
// M[i][k] x M[k][j], k ascending, so a symmetric matrix stays exactly
// symmetric and six entries carry it.
#if defined(__SSE2__)
void IterateColorFits(ColorFit* const* fits, std::size_t count)
{
    __m128 m[6];
    for (int e = 0; e < 6; ++e) {
        float lane[4];
        for (std::size_t g = 0; g < 4; ++g) {
            lane[g] = fits[g < count ? g : 0]->m[e];
        }
        m[e] = _mm_loadu_ps(lane);
    }
    const auto square = [&m] {
        const __m128 a00 = m[0], a01 = m[1], a02 = m[2], a11 = m[3], a12 = m[4], a22 = m[5];
        const auto sum3 = [](__m128 x, __m128 y, __m128 z) { return _mm_add_ps(_mm_add_ps(x, y), z); };
        m[0] = sum3(_mm_mul_ps(a00, a00), _mm_mul_ps(a01, a01), _mm_mul_ps(a02, a02));
        m[1] = sum3(_mm_mul_ps(a00, a01), _mm_mul_ps(a01, a11), _mm_mul_ps(a02, a12));
        m[2] = sum3(_mm_mul_ps(a00, a02), _mm_mul_ps(a01, a12), _mm_mul_ps(a02, a22));
        m[3] = sum3(_mm_mul_ps(a01, a01), _mm_mul_ps(a11, a11), _mm_mul_ps(a12, a12));
        m[4] = sum3(_mm_mul_ps(a01, a02), _mm_mul_ps(a11, a12), _mm_mul_ps(a12, a22));
        m[5] = sum3(_mm_mul_ps(a02, a02), _mm_mul_ps(a12, a12), _mm_mul_ps(a22, a22));
    };
    __m128 zero = _mm_setzero_ps();
    const __m128 three = _mm_set1_ps(3.0f);
    for (int round = 0; round < 9; ++round) {
        square();
        square();
        const __m128 trace = _mm_add_ps(_mm_add_ps(m[0], m[3]), m[5]);
        // A lane whose trace reached 0 is finished; its later values
        // (infinities, NaN) are never read.
        zero = _mm_or_ps(zero, _mm_cmpeq_ps(trace, _mm_setzero_ps()));
        const __m128 scale = _mm_div_ps(three, trace);
        for (__m128& e : m) {
            e = _mm_mul_ps(e, scale);
        }
    }
    alignas(16) float lanes[6][4];
    for (int e = 0; e < 6; ++e) {
        _mm_store_ps(lanes[e], m[e]);
    }
    const int zeroMask = _mm_movemask_ps(zero);
    for (std::size_t g = 0; g < count; ++g) {
        for (int e = 0; e < 6; ++e) {
            fits[g]->m[e] = lanes[e][g];
        }
        fits[g]->traceZero = (zeroMask >> g & 1) != 0;
    }
}
#else
void IterateColorFits(ColorFit* const* fits, std::size_t count)
{
    for (std::size_t g = 0; g < count; ++g) {
        float* m = fits[g]->m;
        for (int round = 0; round < 9 && !fits[g]->traceZero; ++round) {
            for (int s = 0; s < 2; ++s) {
                const float a00 = m[0], a01 = m[1], a02 = m[2], a11 = m[3], a12 = m[4], a22 = m[5];
                m[0] = a00 * a00 + a01 * a01 + a02 * a02;
                m[1] = a00 * a01 + a01 * a11 + a02 * a12;
                m[2] = a00 * a02 + a01 * a12 + a02 * a22;
                m[3] = a01 * a01 + a11 * a11 + a12 * a12;
                m[4] = a01 * a02 + a11 * a12 + a12 * a22;
                m[5] = a02 * a02 + a12 * a12 + a22 * a22;
            }
            const float trace = m[0] + m[3] + m[5];
            if (trace == 0.0f) {
                fits[g]->traceZero = true;
            } else {
                const float scale = 3.0f / trace;
                for (int e = 0; e < 6; ++e) {
                    m[e] *= scale;
                }
            }
        }
    }
}
#endif

// a moves along the line towards b until channel c equals bound.
void MoveAlongSegment(float* a, const float* b, int c, float bound)
{
    const float f = (bound - a[c]) / (b[c] - a[c]);
    for (int k = 0; k < 3; ++k) {
        a[k] = a[k] + f * (b[k] - a[k]);
    }
    a[c] = bound;
}

void ClipSegment(float* e0, float* e1)
{
    for (int c = 0; c < 3; ++c) {
        if (e0[c] < 0.0f && !(e1[c] < 0.0f)) {
            MoveAlongSegment(e0, e1, c, 0.0f);
        } else if (e1[c] < 0.0f && !(e0[c] < 0.0f)) {
            MoveAlongSegment(e1, e0, c, 0.0f);
        }
        const float w = WEIGHTS[c];
        if (e0[c] > w && !(e1[c] > w)) {
            MoveAlongSegment(e0, e1, c, w);
        } else if (e1[c] > w && !(e0[c] > w)) {
            MoveAlongSegment(e1, e0, c, w);
        }
    }
}

// trunc(v / w x 255), kept to 0..255 so that an endpoint left outside the
// cube by rounding cannot spill into a neighbouring field.
unsigned BackToByte(float v, int c)
{
    const float n = v / WEIGHTS[c] * 255.0f;
    if (!(n > 0.0f)) {
        return 0;
    }
    return n >= 255.0f ? 255u : static_cast<unsigned>(n);
}

unsigned QuantizeEndpoint(const float* e)
{
    const unsigned b = BackToByte(e[0], 0), g = BackToByte(e[1], 1), r = BackToByte(e[2], 2);
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
}

void WeightedEndpoint(unsigned c, float* e)
{
    unsigned n[3];
    Expand565(c, n);
    for (int k = 0; k < 3; ++k) {
        e[k] = WEIGHTED.v[k][n[k]];
    }
}

void FinishColorFit(const ColorFit& f)
{
    if (f.traceZero) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }
    const float* m = f.m;
    const float diagonal[3] = {m[0], m[3], m[5]};
    int j = 0;
    if (diagonal[1] > diagonal[j]) {
        j = 1;
    }
    if (diagonal[2] > diagonal[j]) {
        j = 2;
    }
    const float columns[3][3] = {{m[0], m[1], m[2]}, {m[1], m[3], m[4]}, {m[2], m[4], m[5]}};
    const float root = std::sqrt(diagonal[j]);
    const float axis[3] = {columns[j][0] / root, columns[j][1] / root, columns[j][2] / root};
    const float s = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
    if (s == 0.0f) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }

    float tMin = 99999.0f;
    float tMax = -99999.0f;
    for (int i = 0; i < 16; ++i) {
        const float t = (axis[0] * f.p[0][i] + axis[1] * f.p[1][i] + axis[2] * f.p[2][i]) / s;
        if (f.opaque >> i & 1u) {
            tMin = t < tMin ? t : tMin;
            tMax = t > tMax ? t : tMax;
        }
    }
    float e0[3], e1[3];
    for (int c = 0; c < 3; ++c) {
        e0[c] = f.mean[c] + tMin * axis[c];
        e1[c] = f.mean[c] + tMax * axis[c];
    }
    ClipSegment(e0, e1);

    const bool allOpaque = f.opaque == 0xFFFFu;
    unsigned c0 = QuantizeEndpoint(e0);
    unsigned c1 = QuantizeEndpoint(e1);
    // All opaque: c0 > c1 selects four colours; with keyed pixels c0 <= c1
    // selects three colours and the transparent index.
    if (allOpaque ? c0 <= c1 : c0 > c1) {
        const unsigned t = c0;
        c0 = c1;
        c1 = t;
    }
    WeightedEndpoint(c0, e0);
    WeightedEndpoint(c1, e1);
    const float dir[3] = {e1[0] - e0[0], e1[1] - e0[1], e1[2] - e0[2]};
    const float d = dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2];
    if (d == 0.0f && allOpaque) {
        EncodeSingleColor(f.pixels, f.opaque, f.out);
        return;
    }

    std::uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        unsigned index;
        if (!(f.opaque >> i & 1u)) {
            index = 3;
        } else if (d == 0.0f) {
            index = 0;
        } else {
            float q[3];
            for (int c = 0; c < 3; ++c) {
                q[c] = (f.p[c][i] + f.mean[c]) - e0[c];
            }
            const float t = (dir[0] * q[0] + dir[1] * q[1] + dir[2] * q[2]) / d;
            // trunc(n t) limited to the mode's range, by comparison so that
            // no out-of-range value is ever converted.
            if (allOpaque) {
                const float k4 = 4.0f * t;
                static constexpr unsigned FOUR[4] = {0, 2, 3, 1};
                index = FOUR[(k4 >= 1.0f) + (k4 >= 2.0f) + (k4 >= 3.0f)];
            } else {
                const float k3 = 3.0f * t;
                static constexpr unsigned THREE[3] = {0, 2, 1};
                index = THREE[(k3 >= 1.0f) + (k3 >= 2.0f)];
            }
        }
        indices |= index << (2 * i);
    }
    WriteColorBlock(f.out, c0, c1, indices);
}

}  // namespace

void EncodeColorBlockGroup(const DWORD* const* pixels, const ColorKeyRange* keys, BYTE* const* blocks,
                           std::size_t count)
{
    ColorFit fits[COLOR_FIT_LANES];
    ColorFit* pending[COLOR_FIT_LANES];
    std::size_t n = 0;
    for (std::size_t g = 0; g < count && g < COLOR_FIT_LANES; ++g) {
        if (PrepareColorFit(pixels[g], keys[g], blocks[g], fits[n])) {
            pending[n] = &fits[n];
            ++n;
        }
    }
    if (n == 0) {
        return;
    }
    IterateColorFits(pending, n);
    for (std::size_t g = 0; g < n; ++g) {
        FinishColorFit(*pending[g]);
    }
}

void EncodeColorBlock(const DWORD* pixels, ColorKeyRange key, BYTE* block)
{
    EncodeColorBlockGroup(&pixels, &key, &block, 1);
}
