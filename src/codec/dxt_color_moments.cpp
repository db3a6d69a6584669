#include "codec/dxt_color_moments.h"

#include <cmath>

namespace dxt_search {

bool ComputeMoments(const SearchTexels& texels, ColorMoments& out) {
    float total = 0.0f, sum[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        total += w;
        for (int c = 0; c < 3; ++c) {
            sum[c] += w * texels.ch[c][i];
        }
    }
    if (!(total > 0.0f)) {
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        out.mean[c] = sum[c] / total;
    }
    float m[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        const float r = texels.ch[0][i] - out.mean[0], g = texels.ch[1][i] - out.mean[1],
                    b = texels.ch[2][i] - out.mean[2];
        m[0] += w * r * r;
        m[1] += w * r * g;
        m[2] += w * r * b;
        m[3] += w * g * g;
        m[4] += w * g * b;
        m[5] += w * b * b;
    }
    // In the space where the error is plain Euclidean each channel is
    // scaled by the square root of its weight.
    const float s[3] = {std::sqrt(static_cast<float>(texels.channel[0])),
                        std::sqrt(static_cast<float>(texels.channel[1])),
                        std::sqrt(static_cast<float>(texels.channel[2]))};
    out.covariance[0] = m[0] * s[0] * s[0];
    out.covariance[1] = m[1] * s[0] * s[1];
    out.covariance[2] = m[2] * s[0] * s[2];
    out.covariance[3] = m[3] * s[1] * s[1];
    out.covariance[4] = m[4] * s[1] * s[2];
    out.covariance[5] = m[5] * s[2] * s[2];
    out.total = total;
    return true;
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
    float v[3] = {columns[j][0], columns[j][1], columns[j][2]};
    for (int step = 0; step < 4; ++step) {
        const float x = m[0] * v[0] + m[1] * v[1] + m[2] * v[2];
        const float y = m[1] * v[0] + m[3] * v[1] + m[4] * v[2];
        const float z = m[2] * v[0] + m[4] * v[1] + m[5] * v[2];
        const float ax = x < 0.0f ? -x : x, ay = y < 0.0f ? -y : y, az = z < 0.0f ? -z : z;
        const float largest = ax > ay ? (ax > az ? ax : az) : (ay > az ? ay : az);
        if (!(largest > 0.0f)) {
            return false;
        }
        const float scale = 1.0f / largest;
        v[0] = x * scale;
        v[1] = y * scale;
        v[2] = z * scale;
    }
    // Back from the scaled space to red, green, blue.
    float length = 0.0f;
    for (int c = 0; c < 3; ++c) {
        axis[c] = v[c] / std::sqrt(static_cast<float>(texels.channel[c]));
        length += axis[c] * axis[c];
    }
    length = std::sqrt(length);
    for (int c = 0; c < 3; ++c) {
        axis[c] /= length;
    }
    return true;
}

bool SolveEndpoints(const SearchTexels& texels, std::uint32_t indices, bool fourColor, float* e0, float* e1) {
    // Share of c0 in each palette entry, by index.
    static constexpr float FOUR[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
    static constexpr float THREE[4] = {1.0f, 0.0f, 0.5f, 0.0f};
    const float* share = fourColor ? FOUR : THREE;
    float aa = 0.0f, bb = 0.0f, ab = 0.0f, ax[3] = {0.0f, 0.0f, 0.0f}, bx[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        const float w = static_cast<float>(texels.weight[i]);
        const float alpha = share[indices >> (2 * i) & 3u], beta = 1.0f - alpha;
        const float wa = w * alpha, wb = w * beta;
        aa += wa * alpha;
        bb += wb * beta;
        ab += wa * beta;
        for (int c = 0; c < 3; ++c) {
            ax[c] += wa * texels.ch[c][i];
            bx[c] += wb * texels.ch[c][i];
        }
    }
    const float det = aa * bb - ab * ab;
    if (!(std::fabs(det) > 1e-4f * aa * bb) || !(aa > 0.0f) || !(bb > 0.0f)) {
        return false;
    }
    const float inv = 1.0f / det;
    for (int c = 0; c < 3; ++c) {
        e0[c] = (ax[c] * bb - bx[c] * ab) * inv;
        e1[c] = (bx[c] * aa - ax[c] * ab) * inv;
    }
    ClampToBox(e0);
    ClampToBox(e1);
    return true;
}

}  // namespace dxt_search
