#include "clipper.h"

#include <cmath>

namespace platform {

namespace {

constexpr float MIN_W = 1.0e-5f;

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    auto mix = [t](float p, float q) { return p + (q - p) * t; };
    return {mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.w, b.w), mix(a.u, b.u),  mix(a.v, b.v),
            mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a), mix(a.tw, b.tw)};
}

RasterVertex Lerp(const RasterVertex& a, const RasterVertex& b, float t) {
    auto mix = [t](float p, float q) { return p + (q - p) * t; };
    return {mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.rhw, b.rhw), mix(a.u, b.u),  mix(a.v, b.v),
            mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a),     mix(a.tw, b.tw)};
}

// One Sutherland-Hodgman pass: keeps the part where distance >= 0.
template <typename Vertex, typename Distance>
int ClipPlane(const Vertex* in, int count, Vertex* out, Distance distance) {
    int n = 0;
    for (int i = 0; i < count && n < MAX_CLIP_VERTICES - 1; ++i) {
        const Vertex& a = in[i];
        const Vertex& b = in[(i + 1) % count];
        const float da = distance(a), db = distance(b);
        if (da >= 0.0f) {
            out[n++] = a;
        }
        if ((da >= 0.0f) != (db >= 0.0f)) {
            out[n++] = Lerp(a, b, da / (da - db));
        }
    }
    return n < 3 ? 0 : n;
}

}  // namespace

int ClipToDepthRange(const ClipVertex* in, int count, ClipVertex* out) {
    ClipVertex scratch[MAX_CLIP_VERTICES];
    count = ClipPlane(in, count, scratch, [](const ClipVertex& v) { return v.w - MIN_W; });
    count = ClipPlane(scratch, count, out, [](const ClipVertex& v) { return v.z; });
    count = ClipPlane(out, count, scratch, [](const ClipVertex& v) { return v.w - v.z; });
    for (int i = 0; i < count; ++i) {
        out[i] = scratch[i];
    }
    return count;
}

int ClipToGuardBand(const RasterVertex* in, int count, RasterVertex* out, float limit) {
    RasterVertex scratch[MAX_CLIP_VERTICES];
    count = ClipPlane(in, count, scratch, [limit](const RasterVertex& v) { return limit + v.x; });
    count = ClipPlane(scratch, count, out, [limit](const RasterVertex& v) { return limit - v.x; });
    count = ClipPlane(out, count, scratch, [limit](const RasterVertex& v) { return limit + v.y; });
    count = ClipPlane(scratch, count, out, [limit](const RasterVertex& v) { return limit - v.y; });
    return count;
}

}  // namespace platform
