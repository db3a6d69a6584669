#pragma once
// Fills triangles in screen space: top-left fill rule with pixel centres on
// integer coordinates, perspective-correct interpolation, 16-bit depth test,
// stage-0 texturing, alpha test and blending.

#include "pipeline_state.h"
#include "sampler.h"
#include "sampler_3d.h"

namespace platform {

// A vertex after projection. Texture coordinates and colour (0..255) are
// multiplied by rhw, so every field is linear in screen space.
struct RasterVertex {
    float x, y, z, rhw;
    float u, v, r, g, b, a;
    float tw;  // third texture coordinate, for cube and volume textures
};

class Rasterizer {
public:
    // False when the draw cannot touch any pixel (no target memory).
    bool Begin(const DrawContext& context);
    void DrawTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);

    struct Plane {
        double c, dx, dy;  // value at pixel (0, 0) and steps per pixel
        double At(int x, int y) const { return c + dx * x + dy * y; }
    };
    enum class Shade { TEXTURE, MODULATE, GENERIC };
    struct Triangle {
        Plane z, w, u, v, r, g, b, a;  // affine: u..a are the attributes themselves
        Plane tw;
        bool perspective;
        bool flatDiffuse;
        uint32_t diffuse;
        Shade shade;
        SamplePlan plan;  // for a constant level of detail
        bool spanLinear = false;
        bool fastPixels = false;
    };

private:
    template <typename Pixel, bool Perspective>
    void Span(const Triangle& t, int y, int xs, int xe);
    void Fill(const Triangle& t, int y, int xs, int xe);

    void SampleThreeCoordinates(const Triangle& t, int y, int x0, int n, uint32_t* texels) const;

    DrawContext context_{};
    TextureSampler sampler_;
    Sampler3d sampler3d_;
    bool textured_ = false;
    bool threeCoordinates_ = false;  // a cube or volume texture is bound
};

}  // namespace platform
