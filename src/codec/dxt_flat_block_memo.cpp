#include "codec/dxt_flat_block_memo.h"

#include "codec/dxt_color_fit_normal.h"

namespace dxt_search {

namespace {

bool SameFacts(const FlatBlock& a, const FlatBlock& b) {
    return a.rgb[0] == b.rgb[0] && a.rgb[1] == b.rgb[1] && a.rgb[2] == b.rgb[2] && a.weight == b.weight &&
           a.channel[0] == b.channel[0] && a.channel[1] == b.channel[1] && a.channel[2] == b.channel[2] &&
           a.transparent == b.transparent && a.used == b.used && a.threeColorOnly == b.threeColorOnly &&
           a.fourColorOnly == b.fourColorOnly;
}

struct LastFlatBlock {
    bool filled = false;
    FlatBlock block;
    ColorChoice choice;
};

// One per thread: the tool's workers each encode their own rows.
thread_local LastFlatBlock last;

struct LastUniformBlock {
    bool filled = false;
    DWORD pixel = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DxtQuality quality = DXT_QUALITY_NORMAL;
    BYTE alphaThreshold = 0;
    bool perceptual = false;
    ColorChoice choice{};
};

thread_local LastUniformBlock lastUniform;

// Sixteen equal pixels, all inside the picture.
bool Uniform(const DWORD* pixels, std::uint16_t texels) {
    DWORD differs = 0;
    for (int i = 1; i < 16; ++i) {
        differs |= pixels[i] ^ pixels[0];
    }
    return differs == 0 && texels == ALL_TEXELS;
}

}  // namespace

ColorChoice FitFlatBlockRemembered(const FlatBlock& block) {
    if (last.filled && SameFacts(last.block, block)) {
        return last.choice;
    }
    last.choice = FitFlatBlock(block);
    last.block = block;
    last.filled = true;
    return last.choice;
}

bool RepeatedUniformBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels,
                          const DxtEncodeOptions& options, ColorChoice& out) {
    const LastUniformBlock& u = lastUniform;
    if (!u.filled || pixels[0] != u.pixel || format != u.format || options.quality != u.quality ||
        options.alphaThreshold != u.alphaThreshold || options.perceptual != u.perceptual || !Uniform(pixels, texels)) {
        return false;
    }
    out = u.choice;
    return true;
}

void KeepUniformBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels, const DxtEncodeOptions& options,
                      const ColorChoice& choice) {
    if (Uniform(pixels, texels)) {
        lastUniform = LastUniformBlock{true,           pixels[0],          format, options.quality,
                                       options.alphaThreshold, options.perceptual, choice};
    }
}

}  // namespace dxt_search
