#include "rasterizer.h"

#include <algorithm>
#include <cmath>

#include "pixel_ops.h"
#include "span_sampler.h"

#if TOVTEX_SSE2
#include <emmintrin.h>
#endif

namespace platform {

namespace {

constexpr int SUBPIXEL_BITS = 8;
constexpr int CHUNK = 128;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

uint32_t ToByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint32_t>(v + 0.5f);
}

bool IsDiffuseArg(DWORD arg) {
    arg &= D3DTA_SELECTMASK;
    return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT;
}

bool IsModulateOfTextureAndDiffuse(DWORD op, DWORD arg1, DWORD arg2) {
    return op == D3DTOP_MODULATE && (((arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE && IsDiffuseArg(arg2)) ||
                                     ((arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE && IsDiffuseArg(arg1)));
}

bool IsTextureOnly(DWORD op, DWORD arg1, DWORD arg2) {
    return (op == D3DTOP_SELECTARG1 && (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE) ||
           (op == D3DTOP_SELECTARG2 && (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE);
}

// The plane through three (x, y, value) points.
Rasterizer::Plane MakePlane(const double x[3], const double y[3], double f0, double f1, double f2, double det) {
    Rasterizer::Plane p;
    p.dx = ((f1 - f0) * (y[2] - y[0]) - (f2 - f0) * (y[1] - y[0])) / det;
    p.dy = ((x[1] - x[0]) * (f2 - f0) - (x[2] - x[0]) * (f1 - f0)) / det;
    p.c = f0 - p.dx * x[0] - p.dy * y[0];
    return p;
}

// Depth along a span in 24.8 steps of the 16-bit buffer (rounded), the same
// numbers on every path so equal depths compare equal.
struct DepthStep {
    int64_t z, dz;
};

DepthStep MakeDepthStep(double z, double dz) {
    auto moderate = [](double v) { return v > -1.0e6 ? (v < 1.0e6 ? v : 1.0e6) : -1.0e6; };
    constexpr double SCALE = 65535.0 * 256.0;
    return {std::llround(moderate(z) * SCALE) + 128, std::llround(moderate(dz) * SCALE)};
}

inline uint32_t DepthAt(int64_t z) {
    const int64_t level = z >> 8;
    return level < 0 ? 0u : (level > 65535 ? 65535u : static_cast<uint32_t>(level));
}

// The common states in one tight loop: a flat colour, texture alone or
// modulated, less-or-equal depth, no alpha test, no blend or the alpha blend.
template <bool DepthTest, bool Blended>
void FastPixelsScalar(uint32_t* dst, uint16_t* depth, const uint32_t* texels, int begin, int end, DepthStep z,
                      bool depthWrite, bool modulate, uint32_t diffuse) {
    for (int i = begin; i < end; ++i) {
        if (DepthTest) {
            const uint32_t q = DepthAt(z.z + z.dz * i);
            if (q > depth[i]) {
                continue;
            }
            if (depthWrite) {
                depth[i] = static_cast<uint16_t>(q);
            }
        }
        uint32_t c = modulate ? ModulateArgb(texels[i], diffuse) : texels[i];
        if (Blended) {
            const uint32_t a = c >> 24;
            if (a != 255) {
                if (a == 0) {
                    continue;
                }
                c = Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, c, dst[i]);
            }
        }
        dst[i] = c;
    }
}

template <bool DepthTest, bool Blended>
void FastPixels(uint32_t* dst, uint16_t* depth, const uint32_t* texels, int n, DepthStep z, bool depthWrite,
                bool modulate, uint32_t diffuse) {
    int i = 0;
#if TOVTEX_SSE2
    // Eight pixels at a time while they all pass the depth test and are
    // opaque: no blending to do, whole vectors stored.
    const int64_t last = z.z + z.dz * (n - 1);
    const bool fits = z.z > -(int64_t{1} << 30) && z.z < (int64_t{1} << 30) && last > -(int64_t{1} << 30) &&
                      last < (int64_t{1} << 30);
    if (!modulate && fits && n >= 8) {
        const int32_t z0 = static_cast<int32_t>(z.z), dz = static_cast<int32_t>(z.dz);
        __m128i zs = _mm_set_epi32(z0 + 3 * dz, z0 + 2 * dz, z0 + dz, z0);
        const __m128i step4 = _mm_set1_epi32(4 * dz);
        const __m128i half = _mm_set1_epi32(32768);
        const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
        const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        for (; i + 8 <= n; i += 8) {
            const __m128i zA = zs, zB = _mm_add_epi32(zs, step4);
            zs = _mm_add_epi32(zB, step4);
            const __m128i t0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i));
            const __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i + 4));
            bool simple = true;
            if (Blended) {
                const __m128i opaque = _mm_and_si128(_mm_cmpeq_epi32(_mm_and_si128(t0, alpha), alpha),
                                                     _mm_cmpeq_epi32(_mm_and_si128(t1, alpha), alpha));
                simple = _mm_movemask_epi8(opaque) == 0xFFFF;
            }
            __m128i q = _mm_setzero_si128();  // depths less 32768, as signed
            if (DepthTest && simple) {
                // Saturating to signed 16 bits after the shift by 32768 clamps to 0..65535.
                q = _mm_packs_epi32(_mm_sub_epi32(_mm_srai_epi32(zA, 8), half),
                                    _mm_sub_epi32(_mm_srai_epi32(zB, 8), half));
                const __m128i stored =
                    _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depth + i)), bias);
                simple = _mm_movemask_epi8(_mm_cmpgt_epi16(q, stored)) == 0;
            }
            if (!simple) {
                FastPixelsScalar<DepthTest, Blended>(dst, depth, texels, i, i + 8, z, depthWrite, false, diffuse);
                continue;
            }
            if (DepthTest && depthWrite) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(depth + i), _mm_xor_si128(q, bias));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), t0);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4), t1);
        }
    }
#endif
    FastPixelsScalar<DepthTest, Blended>(dst, depth, texels, i, n, z, depthWrite, modulate, diffuse);
}

}  // namespace

bool Rasterizer::Begin(const DrawContext& context) {
    context_ = context;
    if (context.target.bits == nullptr) {
        return false;
    }
    threeCoordinates_ = context.texture != nullptr && context.texture->shape != TextureShape::PLAIN;
    textured_ = context.texture != nullptr && context.texture->levelCount > 0 &&
                (threeCoordinates_ ? sampler3d_.Prepare(*context.texture, context.sampler)
                                   : sampler_.Prepare(*context.texture, context.sampler));
    return true;
}

void Rasterizer::DrawTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    const RasterVertex* v[3] = {&a, &b, &c};
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        const float fx = v[i]->x * (1 << SUBPIXEL_BITS), fy = v[i]->y * (1 << SUBPIXEL_BITS);
        // The clipper keeps vertices inside the guard band; anything else is bad input.
        if (!(std::fabs(fx) < 1.0e9f) || !(std::fabs(fy) < 1.0e9f)) {
            return;
        }
        X[i] = std::llrint(fx);
        Y[i] = std::llrint(fy);
    }
    int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
    if (area == 0) {
        return;
    }
    // With y down, a positive area is clockwise on screen.
    const DWORD cull = context_.pixel.cullMode;
    if ((cull == D3DCULL_CCW && area < 0) || (cull == D3DCULL_CW && area > 0)) {
        return;
    }
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        area = -area;
    }

    // Rows whose centres lie within the triangle's extent and the viewport.
    const ViewportRect& vp = context_.viewport;
    const int64_t one = int64_t{1} << SUBPIXEL_BITS;
    const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    const int yStart = static_cast<int>(std::max<int64_t>(CeilDiv(minY, one), vp.top));
    const int yEnd = static_cast<int>(std::min<int64_t>(FloorDiv(maxY, one), vp.bottom - 1));
    if (yStart > yEnd) {
        return;
    }

    // Attribute planes over the snapped positions.
    Triangle t;
    double px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        px[i] = static_cast<double>(X[i]) / one;
        py[i] = static_cast<double>(Y[i]) / one;
    }
    const double det = static_cast<double>(area) / static_cast<double>(one * one);
    const float w0 = v[0]->rhw, w1 = v[1]->rhw, w2 = v[2]->rhw;
    const float wMax = std::max({w0, w1, w2}), wMin = std::min({w0, w1, w2});
    t.perspective = (wMax - wMin) > wMax * 1.0e-6f;
    auto plane = [&](float RasterVertex::*field) {
        if (t.perspective) {
            return MakePlane(px, py, v[0]->*field, v[1]->*field, v[2]->*field, det);
        }
        return MakePlane(px, py, double(v[0]->*field) / w0, double(v[1]->*field) / w1, double(v[2]->*field) / w2, det);
    };
    t.z = MakePlane(px, py, v[0]->z, v[1]->z, v[2]->z, det);
    t.w = MakePlane(px, py, w0, w1, w2, det);
    t.u = plane(&RasterVertex::u);
    t.v = plane(&RasterVertex::v);
    if (threeCoordinates_) {
        t.tw = plane(&RasterVertex::tw);
    }

    // A colour the same at every corner needs no interpolation.
    uint32_t corner[3];
    for (int i = 0; i < 3; ++i) {
        const float inv = 1.0f / v[i]->rhw;
        corner[i] = (ToByte(v[i]->a * inv) << 24) | (ToByte(v[i]->r * inv) << 16) | (ToByte(v[i]->g * inv) << 8) |
                    ToByte(v[i]->b * inv);
    }
    t.flatDiffuse = corner[0] == corner[1] && corner[1] == corner[2];
    t.diffuse = corner[0];
    if (!t.flatDiffuse) {
        t.r = plane(&RasterVertex::r);
        t.g = plane(&RasterVertex::g);
        t.b = plane(&RasterVertex::b);
        t.a = plane(&RasterVertex::a);
    }

    const CombineStates& cs = context_.combine;
    t.shade = Shade::GENERIC;
    if (IsModulateOfTextureAndDiffuse(cs.colorOp, cs.colorArg1, cs.colorArg2) &&
        IsModulateOfTextureAndDiffuse(cs.alphaOp, cs.alphaArg1, cs.alphaArg2)) {
        t.shade = t.flatDiffuse && t.diffuse == 0xFFFFFFFFu ? Shade::TEXTURE : Shade::MODULATE;
    } else if (IsTextureOnly(cs.colorOp, cs.colorArg1, cs.colorArg2) &&
               IsTextureOnly(cs.alphaOp, cs.alphaArg1, cs.alphaArg2)) {
        t.shade = Shade::TEXTURE;
    }
    if (textured_ && !t.perspective && !threeCoordinates_) {
        t.plan = sampler_.Plan(sampler_.Lod(static_cast<float>(t.u.dx), static_cast<float>(t.v.dx),
                                            static_cast<float>(t.u.dy), static_cast<float>(t.v.dy)));
        t.spanLinear = CanSampleSpanLinear(t.plan);
    }
    const PixelStates& ps = context_.pixel;
    t.fastPixels = t.flatDiffuse && t.shade != Shade::GENERIC && !ps.alphaTest &&
                   (!ps.depthTest || ps.depthFunc == D3DCMP_LESSEQUAL) &&
                   (!ps.blend || (ps.srcBlend == D3DBLEND_SRCALPHA && ps.destBlend == D3DBLEND_INVSRCALPHA));

    // Edges: pixel (x, y) is inside when every edge function is positive, or
    // zero on a top or left edge.
    struct Edge {
        int64_t dx, dy, ax, ay, bias;
    } edges[3];
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        Edge& e = edges[i];
        e.dx = X[j] - X[i];
        e.dy = Y[j] - Y[i];
        e.ax = X[i];
        e.ay = Y[i];
        const bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
        e.bias = topLeft ? 0 : 1;
    }
    for (int y = yStart; y <= yEnd; ++y) {
        const int64_t rowY = int64_t{y} << SUBPIXEL_BITS;
        int64_t xs = vp.left, xe = vp.right - 1;
        bool empty = false;
        for (const Edge& e : edges) {
            const int64_t c0 = e.dx * (rowY - e.ay) + e.dy * e.ax;  // E(px) = c0 - dy * px * one
            if (e.dy < 0) {
                xs = std::max(xs, CeilDiv(e.bias - c0, -e.dy * one));
            } else if (e.dy > 0) {
                xe = std::min(xe, FloorDiv(c0 - e.bias, e.dy * one));
            } else if (c0 < e.bias) {
                empty = true;
            }
        }
        if (!empty && xs <= xe) {
            Fill(t, y, static_cast<int>(xs), static_cast<int>(xe));
        }
    }
}

void Rasterizer::SampleThreeCoordinates(const Triangle& t, int y, int x0, int n, uint32_t* texels) const {
    const Plane* planes[3] = {&t.u, &t.v, &t.tw};
    for (int i = 0; i < n; ++i) {
        const int x = x0 + i;
        float c[3], ddx[3], ddy[3];
        if (t.perspective) {
            // The planes hold c * rhw; the coordinate is their ratio to w.
            const double inv = 1.0 / t.w.At(x, y);
            for (int k = 0; k < 3; ++k) {
                const double value = planes[k]->At(x, y) * inv;
                c[k] = static_cast<float>(value);
                ddx[k] = static_cast<float>((planes[k]->dx - value * t.w.dx) * inv);
                ddy[k] = static_cast<float>((planes[k]->dy - value * t.w.dy) * inv);
            }
        } else {
            for (int k = 0; k < 3; ++k) {
                c[k] = static_cast<float>(planes[k]->At(x, y));
                ddx[k] = static_cast<float>(planes[k]->dx);
                ddy[k] = static_cast<float>(planes[k]->dy);
            }
        }
        texels[i] = sampler3d_.Sample(c, ddx, ddy);
    }
}

void Rasterizer::Fill(const Triangle& t, int y, int xs, int xe) {
    const bool wide = context_.target.format != D3DFMT_R5G6B5;
    if (t.perspective) {
        wide ? Span<uint32_t, true>(t, y, xs, xe) : Span<uint16_t, true>(t, y, xs, xe);
    } else {
        wide ? Span<uint32_t, false>(t, y, xs, xe) : Span<uint16_t, false>(t, y, xs, xe);
    }
}

template <typename Pixel, bool Perspective>
void Rasterizer::Span(const Triangle& t, int y, int xs, int xe) {
    const RenderTarget& target = context_.target;
    const PixelStates& ps = context_.pixel;
    Pixel* row = reinterpret_cast<Pixel*>(target.bits + static_cast<size_t>(y) * target.pitch);
    uint16_t* depthRow = target.depth != nullptr ? target.depth + static_cast<size_t>(y) * target.depthPitch : nullptr;
    const bool depthTest = ps.depthTest && depthRow != nullptr;
    const bool depthWrite = depthTest && ps.depthWrite;

    uint32_t texels[CHUNK];
    for (int x0 = xs; x0 <= xe; x0 += CHUNK) {
        const int n = std::min(CHUNK, xe - x0 + 1);

        // Texels of the chunk.
        if (!textured_) {
            std::fill_n(texels, n, 0xFFFFFFFFu);
        } else if (threeCoordinates_) {
            SampleThreeCoordinates(t, y, x0, n, texels);
        } else if (!Perspective && t.spanLinear) {
            SampleSpanLinear(t.plan, t.u.At(x0, y), t.v.At(x0, y), t.u.dx, t.v.dx, n, texels);
        } else if (!Perspective) {
            float u = static_cast<float>(t.u.At(x0, y)), v = static_cast<float>(t.v.At(x0, y));
            const float du = static_cast<float>(t.u.dx), dv = static_cast<float>(t.v.dx);
            for (int i = 0; i < n; ++i) {
                texels[i] = Sample(t.plan, u, v);
                u += du;
                v += dv;
            }
        } else {
            double U = t.u.At(x0, y), V = t.v.At(x0, y), W = t.w.At(x0, y);
            for (int i = 0; i < n; ++i) {
                const double inv = 1.0 / W;
                const double u = U * inv, v = V * inv;
                // Screen-space derivatives of u = U / W and v = V / W.
                const float lod = sampler_.Lod(
                    static_cast<float>((t.u.dx - u * t.w.dx) * inv), static_cast<float>((t.v.dx - v * t.w.dx) * inv),
                    static_cast<float>((t.u.dy - u * t.w.dy) * inv), static_cast<float>((t.v.dy - v * t.w.dy) * inv));
                texels[i] = Sample(sampler_.Plan(lod), static_cast<float>(u), static_cast<float>(v));
                U += t.u.dx;
                V += t.v.dx;
                W += t.w.dx;
            }
        }

        const DepthStep z = MakeDepthStep(t.z.At(x0, y), t.z.dx);
        if constexpr (sizeof(Pixel) == 4 && !Perspective) {
            if (t.fastPixels) {
                uint32_t* dst = row + x0;
                uint16_t* depth = depthTest ? depthRow + x0 : nullptr;
                const bool modulate = t.shade == Shade::MODULATE;
                if (depthTest) {
                    ps.blend ? FastPixels<true, true>(dst, depth, texels, n, z, depthWrite, modulate, t.diffuse)
                             : FastPixels<true, false>(dst, depth, texels, n, z, depthWrite, modulate, t.diffuse);
                } else {
                    ps.blend ? FastPixels<false, true>(dst, depth, texels, n, z, false, modulate, t.diffuse)
                             : FastPixels<false, false>(dst, depth, texels, n, z, false, modulate, t.diffuse);
                }
                continue;
            }
        }
        for (int i = 0; i < n; ++i) {
            const int x = x0 + i;
            uint32_t depth = 0;
            if (depthTest) {
                depth = DepthAt(z.z + z.dz * i);
                if (!Compare(ps.depthFunc, depth, depthRow[x])) {
                    continue;
                }
            }
            uint32_t diffuse = t.diffuse;
            if (!t.flatDiffuse) {
                double scale = 1.0;
                if (Perspective) {
                    scale = 1.0 / t.w.At(x, y);
                }
                diffuse = (ToByte(static_cast<float>(t.a.At(x, y) * scale)) << 24) |
                          (ToByte(static_cast<float>(t.r.At(x, y) * scale)) << 16) |
                          (ToByte(static_cast<float>(t.g.At(x, y) * scale)) << 8) |
                          ToByte(static_cast<float>(t.b.At(x, y) * scale));
            }
            uint32_t colour;
            switch (t.shade) {
            case Shade::TEXTURE: colour = texels[i]; break;
            case Shade::MODULATE: colour = ModulateArgb(texels[i], diffuse); break;
            default: colour = CombineStage0(context_.combine, texels[i], diffuse); break;
            }
            if (ps.alphaTest && !Compare(ps.alphaFunc, colour >> 24, ps.alphaRef)) {
                continue;
            }
            if (depthWrite) {
                depthRow[x] = static_cast<uint16_t>(depth);
            }
            if constexpr (sizeof(Pixel) == 4) {
                if (ps.blend) {
                    colour = Blend(ps.srcBlend, ps.destBlend, colour, row[x]);
                }
                row[x] = colour;
            } else {
                if (ps.blend) {
                    colour = Blend(ps.srcBlend, ps.destBlend, colour, FromR5G6B5(row[x]));
                }
                row[x] = ToR5G6B5(colour);
            }
        }
    }
}

}  // namespace platform
