#include "sampler.h"

namespace platform {

namespace {

bool IsPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

}  // namespace

bool TextureSampler::Prepare(const SampledTexture& texture, const SamplerStates& states) {
    return Prepare(texture.levels, texture.levelCount, states);
}

bool TextureSampler::Prepare(const TextureLevelView* views, int viewCount, const SamplerStates& states) {
    count_ = 0;
    for (int i = 0; i < viewCount && i < SampledTexture::MAX_LEVELS; ++i) {
        const TextureLevelView& view = views[i];
        if (view.texels == nullptr) {
            break;
        }
        LevelSampler& l = levels_[i];
        l.texels = view.texels;
        l.width = view.width;
        l.height = view.height;
        l.fwidth = static_cast<float>(view.width);
        l.fheight = static_cast<float>(view.height);
        l.addressU = states.addressU;
        l.addressV = states.addressV;
        l.maskU = states.addressU == D3DTADDRESS_WRAP && IsPowerOfTwo(view.width) ? view.width - 1 : -1;
        l.maskV = states.addressV == D3DTADDRESS_WRAP && IsPowerOfTwo(view.height) ? view.height - 1 : -1;
        count_ = i + 1;
    }
    if (count_ == 0) {
        return false;
    }
    base_ = states.maxMipLevel < count_ ? states.maxMipLevel : count_ - 1;
    magFilter_ = states.magFilter;
    minFilter_ = states.minFilter;
    mipFilter_ = count_ > 1 ? states.mipFilter : D3DTEXF_NONE;
    lodBias_ = states.lodBias;
    return true;
}

SamplePlan TextureSampler::Plan(float lod) const {
    SamplePlan plan;
    if (!(lod > 0.0f) || mipFilter_ == D3DTEXF_NONE) {
        plan.a = &levels_[base_];
        plan.linear = (lod > 0.0f ? minFilter_ : magFilter_) >= D3DTEXF_LINEAR;
        return plan;
    }
    plan.linear = minFilter_ >= D3DTEXF_LINEAR;
    // The level of detail counts from level 0; the most detailed level
    // allowed (D3DTSS_MAXMIPLEVEL) bounds it, it does not shift it.
    const int last = count_ - 1;
    if (mipFilter_ == D3DTEXF_POINT) {
        const float nearest = std::floor(lod + 0.5f);
        const int level = nearest >= static_cast<float>(last) ? last : static_cast<int>(nearest);
        plan.a = &levels_[level > base_ ? level : base_];
        return plan;
    }
    const float whole = std::floor(lod);
    if (whole >= static_cast<float>(last) || whole < static_cast<float>(base_)) {
        plan.a = &levels_[whole < static_cast<float>(base_) ? base_ : last];
        return plan;
    }
    const int level = static_cast<int>(whole);
    plan.a = &levels_[level];
    plan.weightB = static_cast<uint32_t>((lod - whole) * 256.0f + 0.5f);
    if (plan.weightB > 0) {
        plan.b = &levels_[level + 1];
    }
    return plan;
}

}  // namespace platform
