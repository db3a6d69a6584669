// The colour encoder in its plain form, one block and one operation at a
// time. It is the reference the vector form must match bit for bit, and the
// encoder when the SSE2 code is off (TOVTEX_SSE2).

#include <cstdint>

#include "codec/dxt_endpoint_fit.h"
#include "codec/dxt_fit_shared.h"

using namespace dxt_fit;

void EncodeColorBlockPlain(const DWORD* pixels, ColorKeyRange key, BYTE* out) {
    // Opaque pixels lie outside the key range. No opaque pixel, or one
    // colour throughout: the block needs no fit.
    std::uint32_t opaque = 0;
    int count = 0;
    bool sameColor = true;
    for (int i = 0; i < 16; ++i) {
        if (!InKeyRange(pixels[i], key)) {
            opaque |= 1u << i;
            ++count;
        }
        sameColor = sameColor && (pixels[i] & 0x00FFFFFFu) == (pixels[0] & 0x00FFFFFFu);
    }
    if (count == 0) {
        WriteColorBlock(out, 0x0000, 0xFFFF, 0xFFFFFFFFu);
        return;
    }
    if (sameColor) {
        EncodeSingleColor(pixels, opaque, out);
        return;
    }

    // In the weighted space: the mean of the opaque pixels, every colour
    // centred on it, and the covariance matrix of the opaque pixels as its
    // six distinct entries 00 01 02 11 12 22.
    float p[3][16];
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 3; ++c) {
            p[c][i] = WEIGHTED.v[c][Channel(pixels[i], c)];
            if (opaque >> i & 1u) {
                sum[c] += p[c][i];
            }
        }
    }
    const float inverse = 1.0f / static_cast<float>(count);
    float mean[3];
    for (int c = 0; c < 3; ++c) {
        mean[c] = sum[c] * inverse;
        for (int i = 0; i < 16; ++i) {
            p[c][i] = p[c][i] - mean[c];
        }
    }
    float m[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        if (opaque >> i & 1u) {
            const float b = p[0][i], g = p[1][i], r = p[2][i];
            m[0] += b * b;
            m[1] += b * g;
            m[2] += b * r;
            m[3] += g * g;
            m[4] += g * r;
            m[5] += r * r;
        }
    }

    // Nine rounds of two squarings, each round scaled back to trace 3, turn
    // the matrix towards its principal axis. Squares are formed entry by
    // entry as the sum over k of M[i][k] x M[k][j], k ascending, so the
    // matrix stays exactly symmetric. A trace of 0 leaves no axis.
    for (int round = 0; round < 9; ++round) {
        for (int square = 0; square < 2; ++square) {
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
            EncodeSingleColor(pixels, opaque, out);
            return;
        }
        const float scale = 3.0f / trace;
        for (float& e : m) {
            e *= scale;
        }
    }

    // The axis, and the smallest and largest projections of the opaque
    // pixels on it.
    float axis[3];
    const float s = ChooseAxis(m, axis);
    if (s == 0.0f) {
        EncodeSingleColor(pixels, opaque, out);
        return;
    }
    float tMin = 99999.0f;
    float tMax = -99999.0f;
    for (int i = 0; i < 16; ++i) {
        if (opaque >> i & 1u) {
            const float t = (axis[0] * p[0][i] + axis[1] * p[1][i] + axis[2] * p[2][i]) / s;
            tMin = t < tMin ? t : tMin;
            tMax = t > tMax ? t : tMax;
        }
    }

    // The endpoints: clipped to the colour cube, quantised to 5:6:5 and
    // ordered for four colours (all opaque) or three and transparency.
    const bool allOpaque = opaque == 0xFFFFu;
    Endpoints ends;
    if (!FitEndpoints(mean, axis, tMin, tMax, allOpaque, ends)) {
        EncodeSingleColor(pixels, opaque, out);
        return;
    }

    // The indices: each opaque pixel's position along the segment, in
    // quarters (four colours) or thirds (three colours); keyed pixels take
    // the transparent index 3.
    static constexpr unsigned FOUR[4] = {0, 2, 3, 1};
    static constexpr unsigned THREE[3] = {0, 2, 1};
    std::uint32_t indices = 0;
    for (int i = 0; i < 16; ++i) {
        unsigned index = 0;
        if (!(opaque >> i & 1u)) {
            index = 3;
        } else if (ends.d != 0.0f) {
            float q[3];
            for (int c = 0; c < 3; ++c) {
                q[c] = (p[c][i] + mean[c]) - ends.e0[c];
            }
            const float t = (ends.dir[0] * q[0] + ends.dir[1] * q[1] + ends.dir[2] * q[2]) / ends.d;
            // trunc(n t) limited to the mode's range, by comparison so that no
            // out-of-range value is ever converted.
            if (allOpaque) {
                const float k = 4.0f * t;
                index = FOUR[(k >= 1.0f) + (k >= 2.0f) + (k >= 3.0f)];
            } else {
                const float k = 3.0f * t;
                index = THREE[(k >= 1.0f) + (k >= 2.0f)];
            }
        }
        indices |= index << (2 * i);
    }
    WriteColorBlock(out, ends.c0, ends.c1, indices);
}
