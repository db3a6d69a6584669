// The device's drawing calls: Clear and DrawPrimitiveUP, with the vertex
// work (transform, lighting, clipping, viewport) in front of the rasterizer.

#include <cmath>
#include <cstring>

#include "clipper.h"
#include "cube_texture.h"
#include "device.h"
#include "pixel_ops.h"
#include "rasterizer.h"
#include "texture.h"
#include "vertex_format.h"
#include "volume_texture.h"

namespace platform {

namespace {

// Screen positions stay within this many pixels of the origin.
constexpr float GUARD_BAND = 16384.0f;

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX out;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return out;
}

struct VertexReader {
    const uint8_t* data;
    UINT stride;
    VertexFormat format;
    D3DMATRIX transform;  // world x view x projection
    bool lighting;
    uint32_t ambient;

    void Colour(const uint8_t* p, float& r, float& g, float& b, float& a) const {
        uint32_t c = 0xFFFFFFFFu;
        if (format.diffuseOffset >= 0) {
            std::memcpy(&c, p + format.diffuseOffset, 4);
        }
        if (lighting && !format.transformed) {
            // No lights exist on this device: a lit vertex gets the ambient
            // light only, and keeps its own alpha.
            c = (c & 0xFF000000u) | (ModulateArgb(c, ambient) & 0x00FFFFFFu);
        }
        a = static_cast<float>(c >> 24);
        r = static_cast<float>((c >> 16) & 255u);
        g = static_cast<float>((c >> 8) & 255u);
        b = static_cast<float>(c & 255u);
    }

    void TexCoords(const uint8_t* p, float& u, float& v, float& w) const {
        float uvw[3] = {0.0f, 0.0f, 0.0f};
        if (format.texOffset >= 0) {
            std::memcpy(uvw, p + format.texOffset, 4 * static_cast<size_t>(format.texSize));
        }
        u = uvw[0];
        v = uvw[1];
        w = uvw[2];
    }

    ClipVertex Clip(UINT index) const {
        const uint8_t* p = data + static_cast<size_t>(index) * stride;
        float pos[3];
        std::memcpy(pos, p, 12);
        ClipVertex out;
        const D3DMATRIX& m = transform;
        out.x = pos[0] * m._11 + pos[1] * m._21 + pos[2] * m._31 + m._41;
        out.y = pos[0] * m._12 + pos[1] * m._22 + pos[2] * m._32 + m._42;
        out.z = pos[0] * m._13 + pos[1] * m._23 + pos[2] * m._33 + m._43;
        out.w = pos[0] * m._14 + pos[1] * m._24 + pos[2] * m._34 + m._44;
        TexCoords(p, out.u, out.v, out.tw);
        Colour(p, out.r, out.g, out.b, out.a);
        return out;
    }

    // False for a vertex that cannot be drawn (rhw not positive, or not a number).
    bool Transformed(UINT index, RasterVertex& out) const {
        const uint8_t* p = data + static_cast<size_t>(index) * stride;
        float pos[4];
        std::memcpy(pos, p, 16);
        if (!(pos[3] > 0.0f) || !std::isfinite(pos[3]) || !std::isfinite(pos[0]) || !std::isfinite(pos[1])) {
            return false;
        }
        const float w = pos[3];
        out.x = pos[0];
        out.y = pos[1];
        out.z = pos[2];
        out.rhw = w;
        float u, v, tw, r, g, b, a;
        TexCoords(p, u, v, tw);
        Colour(p, r, g, b, a);
        out.u = u * w;
        out.v = v * w;
        out.tw = tw * w;
        out.r = r * w;
        out.g = g * w;
        out.b = b * w;
        out.a = a * w;
        return true;
    }
};

RasterVertex Project(const ClipVertex& c, const D3DVIEWPORT8& vp) {
    const float rhw = 1.0f / c.w;
    RasterVertex out;
    out.x = static_cast<float>(vp.X) + (c.x * rhw + 1.0f) * 0.5f * static_cast<float>(vp.Width);
    out.y = static_cast<float>(vp.Y) + (1.0f - c.y * rhw) * 0.5f * static_cast<float>(vp.Height);
    out.z = vp.MinZ + c.z * rhw * (vp.MaxZ - vp.MinZ);
    out.rhw = rhw;
    out.u = c.u * rhw;
    out.v = c.v * rhw;
    out.tw = c.tw * rhw;
    out.r = c.r * rhw;
    out.g = c.g * rhw;
    out.b = c.b * rhw;
    out.a = c.a * rhw;
    return out;
}

bool InsideDepthRange(const ClipVertex& v) {
    return v.w >= 1.0e-5f && v.z >= 0.0f && v.z <= v.w;
}

bool InsideGuardBand(const RasterVertex& v) {
    return std::fabs(v.x) <= GUARD_BAND && std::fabs(v.y) <= GUARD_BAND;
}

void DrawPolygon(Rasterizer& rasterizer, const RasterVertex* polygon, int count) {
    bool inside = true;
    for (int i = 0; i < count; ++i) {
        inside = inside && InsideGuardBand(polygon[i]);
    }
    RasterVertex clipped[MAX_CLIP_VERTICES];
    if (!inside) {
        count = ClipToGuardBand(polygon, count, clipped, GUARD_BAND);
        polygon = clipped;
    }
    for (int i = 1; i + 1 < count; ++i) {
        rasterizer.DrawTriangle(polygon[0], polygon[i], polygon[i + 1]);
    }
}

void DrawTriangle(Rasterizer& rasterizer, const VertexReader& reader, const D3DVIEWPORT8& vp, UINT i0, UINT i1,
                  UINT i2) {
    RasterVertex polygon[MAX_CLIP_VERTICES];
    if (reader.format.transformed) {
        if (reader.Transformed(i0, polygon[0]) && reader.Transformed(i1, polygon[1]) &&
            reader.Transformed(i2, polygon[2])) {
            DrawPolygon(rasterizer, polygon, 3);
        }
        return;
    }
    ClipVertex corners[3] = {reader.Clip(i0), reader.Clip(i1), reader.Clip(i2)};
    ClipVertex clipped[MAX_CLIP_VERTICES];
    const ClipVertex* source = corners;
    int count = 3;
    if (!InsideDepthRange(corners[0]) || !InsideDepthRange(corners[1]) || !InsideDepthRange(corners[2])) {
        count = ClipToDepthRange(corners, 3, clipped);
        source = clipped;
    }
    for (int i = 0; i < count; ++i) {
        polygon[i] = Project(source[i], vp);
    }
    DrawPolygon(rasterizer, polygon, count);
}

}  // namespace

bool Device::BuildDrawContext(DrawContext& c) {
    LevelData& back = backBuffer_->Data();
    c.target.bits = back.Bits();
    c.target.pitch = back.RowPitch();
    c.target.format = back.Format();
    c.target.width = back.Width();
    c.target.height = back.Height();
    c.target.depth = nullptr;
    if (depthBuffer_ != nullptr && depthBuffer_->Data().Bits() != nullptr) {
        c.target.depth = reinterpret_cast<uint16_t*>(depthBuffer_->Data().Bits());
        c.target.depthPitch = depthBuffer_->Data().RowPitch() / 2;
    }
    c.viewport = {static_cast<int>(viewport_.X),
                  static_cast<int>(viewport_.Y),
                  static_cast<int>(viewport_.X + viewport_.Width),
                  static_cast<int>(viewport_.Y + viewport_.Height),
                  viewport_.MinZ,
                  viewport_.MaxZ};

    const auto& stage = stageStates_[0];
    c.sampler.magFilter = stage[D3DTSS_MAGFILTER];
    c.sampler.minFilter = stage[D3DTSS_MINFILTER];
    c.sampler.mipFilter = stage[D3DTSS_MIPFILTER];
    c.sampler.addressU = stage[D3DTSS_ADDRESSU];
    c.sampler.addressV = stage[D3DTSS_ADDRESSV];
    c.sampler.addressW = stage[D3DTSS_ADDRESSW];
    std::memcpy(&c.sampler.lodBias, &stage[D3DTSS_MIPMAPLODBIAS], 4);
    if (!std::isfinite(c.sampler.lodBias)) {
        c.sampler.lodBias = 0.0f;
    }
    c.sampler.maxMipLevel = static_cast<int>(std::min<DWORD>(stage[D3DTSS_MAXMIPLEVEL], 31));
    c.combine = {stage[D3DTSS_COLOROP], stage[D3DTSS_COLORARG1], stage[D3DTSS_COLORARG2],
                 stage[D3DTSS_ALPHAOP], stage[D3DTSS_ALPHAARG1], stage[D3DTSS_ALPHAARG2]};

    const auto& rs = renderStates_;
    c.pixel.depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    c.pixel.depthWrite = rs[D3DRS_ZWRITEENABLE] != FALSE;
    c.pixel.depthFunc = rs[D3DRS_ZFUNC];
    c.pixel.alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    c.pixel.alphaFunc = rs[D3DRS_ALPHAFUNC];
    c.pixel.alphaRef = rs[D3DRS_ALPHAREF] & 255u;
    c.pixel.blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    c.pixel.srcBlend = rs[D3DRS_SRCBLEND];
    c.pixel.destBlend = rs[D3DRS_DESTBLEND];
    c.pixel.cullMode = rs[D3DRS_CULLMODE];

    BindSampledTexture();
    c.texture = &sampled_;
    return c.target.bits != nullptr;
}

void Device::BindSampledTexture() {
    // Levels are decoded to A8R8G8B8 once after each change and kept, so a
    // draw reads no block, pair or palette twice.
    const PALETTEENTRY* palette = palettes_.CurrentEntries();
    const uint64_t stamp = palettes_.Stamp();
    auto view = [&](LevelData& level) {
        return TextureLevelView{level.Argb(palette, stamp), static_cast<int>(level.Width()),
                                static_cast<int>(level.Height()), static_cast<int>(level.Depth())};
    };
    sampled_.levelCount = 0;
    sampled_.shape = TextureShape::PLAIN;
    IDirect3DBaseTexture8* bound = textures_[0];
    if (bound == nullptr) {
        return;
    }
    const int count = static_cast<int>(std::min<DWORD>(bound->GetLevelCount(), SampledTexture::MAX_LEVELS));
    int usable = 0;
    if (auto* texture = dynamic_cast<Texture*>(bound)) {
        for (; usable < count; ++usable) {
            sampled_.levels[usable] = view(texture->Level(static_cast<UINT>(usable))->Data());
            if (sampled_.levels[usable].texels == nullptr) break;
        }
    } else if (auto* volume = dynamic_cast<VolumeTexture*>(bound)) {
        sampled_.shape = TextureShape::VOLUME;
        for (; usable < count; ++usable) {
            sampled_.levels[usable] = view(volume->Level(static_cast<UINT>(usable))->Data());
            if (sampled_.levels[usable].texels == nullptr) break;
        }
    } else if (auto* cube = dynamic_cast<CubeTexture*>(bound)) {
        sampled_.shape = TextureShape::CUBE;
        for (; usable < count; ++usable) {
            bool complete = true;
            for (UINT f = 0; f < CubeTexture::FACES; ++f) {
                sampled_.faces[f][usable] = view(cube->Level(f, static_cast<UINT>(usable))->Data());
                complete = complete && sampled_.faces[f][usable].texels != nullptr;
            }
            if (!complete) break;
        }
    }
    sampled_.levelCount = usable;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, CONST void* pVertexStreamZeroData,
                                UINT VertexStreamZeroStride) {
    VertexFormat format;
    if (pVertexStreamZeroData == nullptr || PrimitiveCount == 0 || PrimitiveCount > 0xFFFFF ||
        !DescribeVertexFormat(vertexShader_, format) || VertexStreamZeroStride < format.size ||
        (PrimitiveType != D3DPT_TRIANGLELIST && PrimitiveType != D3DPT_TRIANGLESTRIP &&
         PrimitiveType != D3DPT_TRIANGLEFAN)) {
        return D3DERR_INVALIDCALL;
    }
    DrawContext context;
    if (!BuildDrawContext(context) || !rasterizer_.Begin(context)) {
        return D3D_OK;
    }
    VertexReader reader{static_cast<const uint8_t*>(pVertexStreamZeroData),
                        VertexStreamZeroStride,
                        format,
                        Multiply(Multiply(world_, view_), projection_),
                        renderStates_[D3DRS_LIGHTING] != FALSE,
                        renderStates_[D3DRS_AMBIENT]};
    for (UINT i = 0; i < PrimitiveCount; ++i) {
        switch (PrimitiveType) {
        case D3DPT_TRIANGLELIST: DrawTriangle(rasterizer_, reader, viewport_, 3 * i, 3 * i + 1, 3 * i + 2); break;
        case D3DPT_TRIANGLESTRIP:
            // Every second triangle of a strip is listed the other way round.
            if (i % 2 == 0) {
                DrawTriangle(rasterizer_, reader, viewport_, i, i + 1, i + 2);
            } else {
                DrawTriangle(rasterizer_, reader, viewport_, i + 1, i, i + 2);
            }
            break;
        default: DrawTriangle(rasterizer_, reader, viewport_, 0, i + 1, i + 2); break;
        }
    }
    return D3D_OK;
}

HRESULT Device::Clear(DWORD Count, CONST D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD /*Stencil*/) {
    if ((Count != 0 && pRects == nullptr) || (Flags & ~DWORD{D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL}) ||
        ((Flags & D3DCLEAR_ZBUFFER) != 0 && depthBuffer_ == nullptr) || (Flags & D3DCLEAR_STENCIL) != 0 ||
        !(Z >= 0.0f && Z <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    LevelData& back = backBuffer_->Data();
    if (back.Bits() == nullptr) {
        return D3D_OK;
    }
    const D3DRECT whole{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                        static_cast<LONG>(viewport_.X + viewport_.Width),
                        static_cast<LONG>(viewport_.Y + viewport_.Height)};
    const uint16_t depth = static_cast<uint16_t>(Z * 65535.0f + 0.5f);
    const uint16_t narrow = ToR5G6B5(Color);
    const DWORD rects = Count == 0 ? 1 : Count;
    for (DWORD r = 0; r < rects; ++r) {
        const D3DRECT& rect = Count == 0 ? whole : pRects[r];
        const LONG x1 = std::max(rect.x1, whole.x1), y1 = std::max(rect.y1, whole.y1);
        const LONG x2 = std::min(rect.x2, whole.x2), y2 = std::min(rect.y2, whole.y2);
        for (LONG y = y1; y < y2; ++y) {
            uint8_t* row = back.Bits() + static_cast<size_t>(y) * back.RowPitch();
            if ((Flags & D3DCLEAR_TARGET) != 0 && x1 < x2) {
                if (back.Format() == D3DFMT_R5G6B5) {
                    std::fill(reinterpret_cast<uint16_t*>(row) + x1, reinterpret_cast<uint16_t*>(row) + x2, narrow);
                } else {
                    std::fill(reinterpret_cast<uint32_t*>(row) + x1, reinterpret_cast<uint32_t*>(row) + x2, Color);
                }
            }
            if ((Flags & D3DCLEAR_ZBUFFER) != 0 && depthBuffer_->Data().Bits() != nullptr && x1 < x2) {
                auto* depthRow = reinterpret_cast<uint16_t*>(depthBuffer_->Data().Bits() +
                                                             static_cast<size_t>(y) * depthBuffer_->Data().RowPitch());
                std::fill(depthRow + x1, depthRow + x2, depth);
            }
        }
    }
    return D3D_OK;
}

}  // namespace platform
