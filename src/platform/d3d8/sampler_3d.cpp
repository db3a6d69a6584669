#include "sampler_3d.h"

#include <cmath>

namespace platform {

namespace {

// Per face: the direction's component for s and t with their signs, and the
// major axis (OpenGL and Direct3D agree on these orientations).
struct FaceAxes {
    int sAxis;
    float sSign;
    int tAxis;
    float tSign;
    int major;
};
constexpr FaceAxes FACE_AXES[6] = {
    {2, -1.0f, 1, -1.0f, 0},  // +X
    {2, 1.0f, 1, -1.0f, 0},   // -X
    {0, 1.0f, 2, 1.0f, 1},    // +Y
    {0, 1.0f, 2, -1.0f, 1},   // -Y
    {0, 1.0f, 1, -1.0f, 2},   // +Z
    {0, -1.0f, 1, -1.0f, 2},  // -Z
};

int FaceOf(const float d[3]) {
    const float ax = std::fabs(d[0]), ay = std::fabs(d[1]), az = std::fabs(d[2]);
    if (ax >= ay && ax >= az) return d[0] >= 0.0f ? 0 : 1;
    if (ay >= az) return d[1] >= 0.0f ? 2 : 3;
    return d[2] >= 0.0f ? 4 : 5;
}

// Face coordinate (0..1) along one face axis, and its derivative for a step
// of the direction.
float FaceCoord(const float d[3], int axis, float sign, int major) {
    const float m = std::fabs(d[major]);
    return m > 0.0f ? 0.5f * (sign * d[axis] / m + 1.0f) : 0.5f;
}

float FaceStep(const float d[3], const float step[3], int axis, float sign, int major) {
    const float m = std::fabs(d[major]);
    if (!(m > 0.0f)) return 0.0f;
    const float dm = d[major] >= 0.0f ? step[major] : -step[major];
    return 0.5f * sign * (step[axis] * m - d[axis] * dm) / (m * m);
}

}  // namespace

CubeHit CubeFaceOf(float x, float y, float z) {
    const float d[3] = {x, y, z};
    const int face = FaceOf(d);
    const FaceAxes& a = FACE_AXES[face];
    return {face, FaceCoord(d, a.sAxis, a.sSign, a.major), FaceCoord(d, a.tAxis, a.tSign, a.major)};
}

bool Sampler3d::Prepare(const SampledTexture& texture, const SamplerStates& states) {
    texture_ = &texture;
    addressW_ = states.addressW;
    lodBias_ = states.lodBias;
    if (texture.shape == TextureShape::CUBE) {
        // Each face is clamped at its edges: no filtering across to the next face.
        SamplerStates faceStates = states;
        faceStates.addressU = D3DTADDRESS_CLAMP;
        faceStates.addressV = D3DTADDRESS_CLAMP;
        for (int f = 0; f < SampledTexture::FACES; ++f) {
            if (!chains_[f].Prepare(texture.faces[f], texture.levelCount, faceStates)) {
                return false;
            }
        }
        return true;
    }
    return chains_[0].Prepare(texture.levels, texture.levelCount, states);
}

uint32_t Sampler3d::Sample(const float c[3], const float ddx[3], const float ddy[3]) const {
    return texture_->shape == TextureShape::CUBE ? SampleCube(c, ddx, ddy) : SampleVolume(c, ddx, ddy);
}

uint32_t Sampler3d::SampleCube(const float c[3], const float ddx[3], const float ddy[3]) const {
    const int face = FaceOf(c);
    const FaceAxes& a = FACE_AXES[face];
    const float u = FaceCoord(c, a.sAxis, a.sSign, a.major), v = FaceCoord(c, a.tAxis, a.tSign, a.major);
    const TextureSampler& chain = chains_[face];
    const float lod =
        chain.Lod(FaceStep(c, ddx, a.sAxis, a.sSign, a.major), FaceStep(c, ddx, a.tAxis, a.tSign, a.major),
                  FaceStep(c, ddy, a.sAxis, a.sSign, a.major), FaceStep(c, ddy, a.tAxis, a.tSign, a.major));
    return platform::Sample(chain.Plan(lod), u, v);
}

uint64_t Sampler3d::VolumeLevel(const LevelSampler& level, int depth, float u, float v, float w, bool linear) const {
    const size_t sliceTexels = static_cast<size_t>(level.width) * static_cast<size_t>(level.height);
    LevelSampler slice = level;
    if (!linear) {
        const int z = Address(FloorFixed8(w * static_cast<float>(depth)) >> 8, depth, -1, addressW_);
        slice.texels = level.texels + static_cast<size_t>(z) * sliceTexels;
        return Spread(SamplePoint(slice, u, v));
    }
    const int t = FloorFixed8(w * static_cast<float>(depth) - 0.5f);
    const int z0 = Address(t >> 8, depth, -1, addressW_), z1 = Address((t >> 8) + 1, depth, -1, addressW_);
    slice.texels = level.texels + static_cast<size_t>(z0) * sliceTexels;
    const uint64_t front = SampleBilinear(slice, u, v);
    slice.texels = level.texels + static_cast<size_t>(z1) * sliceTexels;
    return LerpSpread(front, SampleBilinear(slice, u, v), static_cast<uint32_t>(t) & 255u);
}

uint32_t Sampler3d::SampleVolume(const float c[3], const float ddx[3], const float ddy[3]) const {
    const TextureSampler& chain = chains_[0];
    const LevelSampler& top = chain.Level(0);
    const float depth = static_cast<float>(texture_->levels[0].depth);
    const float xu = ddx[0] * top.fwidth, xv = ddx[1] * top.fheight, xw = ddx[2] * depth;
    const float yu = ddy[0] * top.fwidth, yv = ddy[1] * top.fheight, yw = ddy[2] * depth;
    const float lx = xu * xu + xv * xv + xw * xw, ly = yu * yu + yv * yv + yw * yw;
    const float rho2 = lx > ly ? lx : ly;
    const float lod = rho2 > 0.0f ? 0.5f * std::log2(rho2) + lodBias_ : -100.0f;
    const SamplePlan plan = chain.Plan(lod);
    const int ia = chain.IndexOf(plan.a);
    uint64_t s = VolumeLevel(*plan.a, texture_->levels[ia].depth, c[0], c[1], c[2], plan.linear);
    if (plan.b != nullptr) {
        const int ib = chain.IndexOf(plan.b);
        s = LerpSpread(s, VolumeLevel(*plan.b, texture_->levels[ib].depth, c[0], c[1], c[2], plan.linear),
                       plan.weightB);
    }
    return Pack(s);
}

}  // namespace platform
