#pragma once
// What the rasterizer needs for one draw: the target, the texture levels and
// the per-pixel states, settled from the device states once per draw.

#include <d3d8.h>

#include <cstdint>

namespace platform {

struct RenderTarget {
    uint8_t* bits = nullptr;
    uint32_t pitch = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    uint32_t width = 0, height = 0;
    uint16_t* depth = nullptr;  // null without a depth buffer
    uint32_t depthPitch = 0;    // in elements
};

struct TextureLevelView {
    const uint32_t* texels;  // A8R8G8B8, width x height per slice, no padding
    int width, height;
    int depth = 1;  // slices, one after the other
};

// Plain and volume textures use levels; a cube texture uses faces, in the
// order of D3DCUBEMAP_FACES, and reads three coordinates as a direction.
enum class TextureShape { PLAIN, CUBE, VOLUME };

struct SampledTexture {
    static constexpr int MAX_LEVELS = 32;
    static constexpr int FACES = 6;
    TextureShape shape = TextureShape::PLAIN;
    TextureLevelView levels[MAX_LEVELS];
    TextureLevelView faces[FACES][MAX_LEVELS];
    int levelCount = 0;  // 0: nothing bound; samples opaque white
};

struct SamplerStates {
    DWORD magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
    DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP, addressW = D3DTADDRESS_WRAP;
    float lodBias = 0.0f;
    int maxMipLevel = 0;  // the most detailed level used
};

struct CombineStates {
    DWORD colorOp = D3DTOP_MODULATE, colorArg1 = D3DTA_TEXTURE, colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1, alphaArg1 = D3DTA_TEXTURE, alphaArg2 = D3DTA_CURRENT;
};

struct PixelStates {
    bool depthTest = false, depthWrite = false;
    DWORD depthFunc = D3DCMP_LESSEQUAL;
    bool alphaTest = false;
    DWORD alphaFunc = D3DCMP_ALWAYS;
    uint32_t alphaRef = 0;
    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
    DWORD cullMode = D3DCULL_CCW;
};

struct ViewportRect {
    int left, top, right, bottom;  // pixels, right and bottom exclusive
    float minZ, maxZ;
};

struct DrawContext {
    RenderTarget target;
    ViewportRect viewport;
    const SampledTexture* texture;
    SamplerStates sampler;
    CombineStates combine;
    PixelStates pixel;
};

}  // namespace platform
