#pragma once
// Texture sampling on A8R8G8B8 levels: wrap/mirror/clamp addressing, point
// and bilinear filters, and the choice of mip levels from the level of
// detail. Colours are blended four channels at once: a texel spread to
// 0x00AA00GG00RR00BB leaves each channel room for an 8-bit weight.

#include <cmath>
#include <cstdint>

#include "pipeline_state.h"

namespace platform {

inline uint64_t Spread(uint32_t c) {
    return (c & 0x00FF00FFu) | (uint64_t{c & 0xFF00FF00u} << 24);
}
inline uint32_t Pack(uint64_t s) {
    return static_cast<uint32_t>(s & 0x00FF00FFu) | static_cast<uint32_t>((s >> 24) & 0xFF00FF00u);
}
// a + (b - a) * f / 256 per channel, f in 0..256.
inline uint64_t LerpSpread(uint64_t a, uint64_t b, uint32_t f) {
    return ((a * (256 - f) + b * f) >> 8) & 0x00FF00FF00FF00FFull;
}

// floor(value * 256), saturated to a range that leaves room for addressing.
inline int FloorFixed8(float value) {
    float t = value * 256.0f;
    if (!(t > -1.0e9f)) t = -1.0e9f;  // also NaN
    if (t > 1.0e9f) t = 1.0e9f;
    const int i = static_cast<int>(t);
    return i - (t < static_cast<float>(i) ? 1 : 0);
}

struct LevelSampler {
    const uint32_t* texels;
    int width, height;
    float fwidth, fheight;
    int maskU, maskV;  // size - 1 for wrapped power-of-two sizes, else -1
    DWORD addressU, addressV;
};

inline int AddressSlow(int i, int size, DWORD mode) {
    if (mode == D3DTADDRESS_MIRROR) {
        const int period = 2 * size;
        int m = i % period;
        if (m < 0) m += period;
        return m < size ? m : period - 1 - m;
    }
    if (mode == D3DTADDRESS_CLAMP || mode == D3DTADDRESS_BORDER) {
        return i < 0 ? 0 : (i >= size ? size - 1 : i);
    }
    int m = i % size;
    return m < 0 ? m + size : m;
}

inline int Address(int i, int size, int mask, DWORD mode) {
    if (mask >= 0) return i & mask;
    if (static_cast<unsigned>(i) < static_cast<unsigned>(size)) return i;
    return AddressSlow(i, size, mode);
}

inline uint32_t SamplePoint(const LevelSampler& l, float u, float v) {
    const int x = Address(FloorFixed8(u * l.fwidth) >> 8, l.width, l.maskU, l.addressU);
    const int y = Address(FloorFixed8(v * l.fheight) >> 8, l.height, l.maskV, l.addressV);
    return l.texels[static_cast<size_t>(y) * static_cast<size_t>(l.width) + static_cast<size_t>(x)];
}

inline uint64_t SampleBilinear(const LevelSampler& l, float u, float v) {
    const int s = FloorFixed8(u * l.fwidth - 0.5f);
    const int t = FloorFixed8(v * l.fheight - 0.5f);
    const uint32_t fx = static_cast<uint32_t>(s) & 255u, fy = static_cast<uint32_t>(t) & 255u;
    const int x0 = Address(s >> 8, l.width, l.maskU, l.addressU);
    const int x1 = Address((s >> 8) + 1, l.width, l.maskU, l.addressU);
    const int y0 = Address(t >> 8, l.height, l.maskV, l.addressV);
    const int y1 = Address((t >> 8) + 1, l.height, l.maskV, l.addressV);
    const uint32_t* r0 = l.texels + static_cast<size_t>(y0) * static_cast<size_t>(l.width);
    const uint32_t* r1 = l.texels + static_cast<size_t>(y1) * static_cast<size_t>(l.width);
    const uint64_t top = LerpSpread(Spread(r0[x0]), Spread(r0[x1]), fx);
    const uint64_t bottom = LerpSpread(Spread(r1[x0]), Spread(r1[x1]), fx);
    return LerpSpread(top, bottom, fy);
}

// The levels and filter for one level of detail.
struct SamplePlan {
    const LevelSampler* a = nullptr;
    const LevelSampler* b = nullptr;  // second level of a linear mip filter
    uint32_t weightB = 0;             // 0..256
    bool linear = false;
};

inline uint32_t Sample(const SamplePlan& p, float u, float v) {
    if (p.linear) {
        uint64_t s = SampleBilinear(*p.a, u, v);
        if (p.b != nullptr) {
            s = LerpSpread(s, SampleBilinear(*p.b, u, v), p.weightB);
        }
        return Pack(s);
    }
    uint32_t c = SamplePoint(*p.a, u, v);
    if (p.b != nullptr) {
        c = Pack(LerpSpread(Spread(c), Spread(SamplePoint(*p.b, u, v)), p.weightB));
    }
    return c;
}

class TextureSampler {
public:
    // False when nothing can be sampled (the stage then reads opaque white).
    bool Prepare(const SampledTexture& texture, const SamplerStates& states);
    // The same from one chain of level views (a cube face, or a volume's
    // levels seen by their first slice).
    bool Prepare(const TextureLevelView* views, int viewCount, const SamplerStates& states);

    int IndexOf(const LevelSampler* level) const { return static_cast<int>(level - levels_); }
    const LevelSampler& Level(int i) const { return levels_[i]; }

    // Level of detail from the texel footprint of one pixel step in x and y
    // (in level-0 texture coordinates).
    float Lod(float dudx, float dvdx, float dudy, float dvdy) const {
        const float ax = dudx * levels_[0].fwidth, bx = dvdx * levels_[0].fheight;
        const float ay = dudy * levels_[0].fwidth, by = dvdy * levels_[0].fheight;
        const float lx = ax * ax + bx * bx, ly = ay * ay + by * by;
        const float rho2 = lx > ly ? lx : ly;
        return rho2 > 0.0f ? 0.5f * std::log2(rho2) + lodBias_ : -100.0f;
    }

    SamplePlan Plan(float lod) const;

private:
    LevelSampler levels_[SampledTexture::MAX_LEVELS];
    int count_ = 0;
    int base_ = 0;
    DWORD magFilter_ = D3DTEXF_POINT, minFilter_ = D3DTEXF_POINT, mipFilter_ = D3DTEXF_NONE;
    float lodBias_ = 0.0f;
};

}  // namespace platform
