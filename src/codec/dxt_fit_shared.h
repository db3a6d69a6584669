#pragma once
// Pieces of the colour encoder shared by its plain form and its vector
// form, so that both take every decision by the same code.

#include <cmath>
#include <cstdint>

#include <windows.h>

#include "codec/color_f.h"
#include "codec/dxt_blocks.h"

// The fit works in a weighted colour space (blue, green, red, each scaled by
// its share of perceived brightness): the centred colours' covariance
// matrix is squared a fixed 18 times to single out its principal axis, the
// colours are projected on that axis, and the extreme projections, clipped
// to the colour cube, become the two endpoints.

namespace dxt_fit {

// Channel order in the weighted space is blue, green, red.
inline constexpr float WEIGHTS[3] = {0.0820f, 0.6094f, 0.3086f};

struct WeightTable {
    float v[3][256];
};

// n x weight x 1/255 per channel, each product rounded to single precision.
constexpr WeightTable MakeWeightTable() {
    WeightTable t{};
    for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < 256; ++n) {
            t.v[c][n] = static_cast<float>(n) * WEIGHTS[c] * UNIT_SCALE_8;
        }
    }
    return t;
}

inline constexpr WeightTable WEIGHTED = MakeWeightTable();

inline unsigned Channel(DWORD p, int c) {
    return (p >> (8 * c)) & 255u;  // c: 0 blue, 1 green, 2 red
}

inline std::uint16_t Pack565(DWORD p) {
    return static_cast<std::uint16_t>(((p >> 8) & 0xF800u) | ((p >> 5) & 0x07E0u) | ((p >> 3) & 0x001Fu));
}

// 5:6:5 to 8 bits per channel by replicating the top bits, as blue, green, red.
inline void Expand565(unsigned c, unsigned out[3]) {
    const unsigned r = c >> 11, g = (c >> 5) & 63u, b = c & 31u;
    out[0] = b << 3 | b >> 2;
    out[1] = g << 2 | g >> 4;
    out[2] = r << 3 | r >> 2;
}

inline void WriteColorBlock(BYTE* out, unsigned c0, unsigned c1, std::uint32_t indices) {
    out[0] = static_cast<BYTE>(c0);
    out[1] = static_cast<BYTE>(c0 >> 8);
    out[2] = static_cast<BYTE>(c1);
    out[3] = static_cast<BYTE>(c1 >> 8);
    out[4] = static_cast<BYTE>(indices);
    out[5] = static_cast<BYTE>(indices >> 8);
    out[6] = static_cast<BYTE>(indices >> 16);
    out[7] = static_cast<BYTE>(indices >> 24);
}

inline bool InKeyRange(DWORD p, const ColorKeyRange& key) {
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
inline void EncodeSingleColor(const DWORD* pixels, std::uint32_t opaque, BYTE* out) {
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

// a moves along the line towards b until channel c equals bound.
inline void MoveAlongSegment(float* a, const float* b, int c, float bound) {
    const float f = (bound - a[c]) / (b[c] - a[c]);
    for (int k = 0; k < 3; ++k) {
        a[k] = a[k] + f * (b[k] - a[k]);
    }
    a[c] = bound;
}

inline void ClipSegment(float* e0, float* e1) {
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
inline unsigned BackToByte(float v, int c) {
    const float n = v / WEIGHTS[c] * 255.0f;
    if (!(n > 0.0f)) {
        return 0;
    }
    return n >= 255.0f ? 255u : static_cast<unsigned>(n);
}

inline unsigned QuantizeEndpoint(const float* e) {
    const unsigned b = BackToByte(e[0], 0), g = BackToByte(e[1], 1), r = BackToByte(e[2], 2);
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
}

inline void WeightedEndpoint(unsigned c, float* e) {
    unsigned n[3];
    Expand565(c, n);
    for (int k = 0; k < 3; ++k) {
        e[k] = WEIGHTED.v[k][n[k]];
    }
}

// The principal axis from the squared matrix: the column of the largest
// diagonal element (the first on ties) over that element's square root.
// Returns the axis's squared length; 0 leaves no axis.
inline float ChooseAxis(const float* m, float* axis) {
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
    for (int c = 0; c < 3; ++c) {
        axis[c] = columns[j][c] / root;
    }
    return axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
}

// The quantised endpoints in their final order, and the segment the
// indices are measured along.
struct Endpoints {
    unsigned c0;
    unsigned c1;
    float e0[3];
    float dir[3];
    float d;  // squared length of dir
};

// From the extreme projections to the stored endpoints. False when the
// block is opaque and both endpoints came out equal: a single colour then.
inline bool FitEndpoints(const float* mean, const float* axis, float tMin, float tMax, bool allOpaque, Endpoints& out) {
    float e0[3], e1[3];
    for (int c = 0; c < 3; ++c) {
        e0[c] = mean[c] + tMin * axis[c];
        e1[c] = mean[c] + tMax * axis[c];
    }
    ClipSegment(e0, e1);
    unsigned c0 = QuantizeEndpoint(e0);
    unsigned c1 = QuantizeEndpoint(e1);
    // All opaque: c0 > c1 selects four colours; with keyed pixels c0 <= c1
    // selects three colours and the transparent index.
    if (allOpaque ? c0 <= c1 : c0 > c1) {
        const unsigned t = c0;
        c0 = c1;
        c1 = t;
    }
    out.c0 = c0;
    out.c1 = c1;
    WeightedEndpoint(c0, out.e0);
    WeightedEndpoint(c1, e1);
    for (int c = 0; c < 3; ++c) {
        out.dir[c] = e1[c] - out.e0[c];
    }
    out.d = out.dir[0] * out.dir[0] + out.dir[1] * out.dir[1] + out.dir[2] * out.dir[2];
    return !(out.d == 0.0f && allOpaque);
}

}  // namespace dxt_fit
