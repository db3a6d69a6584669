#pragma once
// Sampling with three texture coordinates: a cube texture reads (u, v, w) as
// a direction, the face chosen by the coordinate of largest magnitude; a
// volume texture reads them as a position, filtered between slices as
// within them.

#include "sampler.h"

namespace platform {

// Which face a direction reaches and where on it (0..1 across the face,
// left to right and top to bottom as the face is stored).
struct CubeHit {
    int face;  // D3DCUBEMAP_FACES
    float u, v;
};
CubeHit CubeFaceOf(float x, float y, float z);

class Sampler3d {
public:
    // False when nothing can be sampled.
    bool Prepare(const SampledTexture& texture, const SamplerStates& states);

    // c: the coordinates at the pixel; ddx, ddy: their steps per pixel in x
    // and y, for the level of detail.
    uint32_t Sample(const float c[3], const float ddx[3], const float ddy[3]) const;

private:
    uint32_t SampleCube(const float c[3], const float ddx[3], const float ddy[3]) const;
    uint32_t SampleVolume(const float c[3], const float ddx[3], const float ddy[3]) const;
    uint64_t VolumeLevel(const LevelSampler& level, int depth, float u, float v, float w, bool linear) const;

    const SampledTexture* texture_ = nullptr;
    TextureSampler chains_[SampledTexture::FACES];  // per cube face; the volume's levels in chains_[0]
    DWORD addressW_ = D3DTADDRESS_WRAP;
    float lodBias_ = 0.0f;
};

}  // namespace platform
