#include "codec/dxt_quality_encoder.h"

#include "codec/dxt_alpha_ramp.h"
#include "codec/dxt_blocks.h"
#include "codec/dxt_cluster_fit.h"
#include "codec/dxt_color_fit_normal.h"
#include "codec/dxt_flat_block_memo.h"
#include "codec/dxt_normal_fit_steps.h"
#include "codec/dxt_quality_measure.h"
#include "codec/dxt_search_texels.h"

using namespace dxt_search;

namespace {

// How far from the extremes each quality looks for the alpha references.
// Normal moves one reference at a time: the corners of its square seldom
// win and cost as much again. Best looks no further: a wider window lowers
// the alpha error by about a tenth and costs a third of best's time.
constexpr int NORMAL_ALPHA_WINDOW = 1;
constexpr int NORMAL_ALPHA_STEPS = 1;
constexpr int BEST_ALPHA_WINDOW = 1;
constexpr int BEST_ALPHA_STEPS = 1;

bool IsPremultiplied(D3DFORMAT format) {
    return format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
}

void WriteColor(const ColorChoice& choice, BYTE* out) {
    out[0] = static_cast<BYTE>(choice.c0);
    out[1] = static_cast<BYTE>(choice.c0 >> 8);
    out[2] = static_cast<BYTE>(choice.c1);
    out[3] = static_cast<BYTE>(choice.c1 >> 8);
    for (int k = 0; k < 4; ++k) {
        out[4 + k] = static_cast<BYTE>(choice.indices >> (8 * k));
    }
}

// Nothing seen: DXT1's transparent texels on index 3 of the three-colour
// mode, the rest black.
ColorChoice NothingSeen(std::uint16_t transparent) {
    ColorChoice none{0, 0xFFFF, 0, 0};
    for (int i = 0; i < 16; ++i) {
        if (transparent >> i & 1u) {
            none.indices |= 3u << (2 * i);
        }
    }
    if (transparent == 0) {
        none.c1 = 0;
    }
    return none;
}

ColorChoice FitColor(const SearchTexels& texels, DxtQuality quality) {
    if (texels.used == 0) {
        return NothingSeen(texels.transparent);
    }
    return quality == DXT_QUALITY_BEST ? FitColorBest(texels) : FitColorNormal(texels);
}

// The block's pixels as the format stores them: DXT2 and DXT4 premultiply.
const DWORD* StoredPixels(D3DFORMAT format, const DWORD* pixels, DWORD* premultiplied) {
    if (!IsPremultiplied(format)) {
        return pixels;
    }
    for (int i = 0; i < 16; ++i) {
        premultiplied[i] = PremultiplyLikeCodec(pixels[i]);
    }
    return premultiplied;
}

// A one-colour block is taken straight from its pixels, to the very block
// the full path would choose; best searches such blocks further unless that
// block already meets them closely. A block repeating the last one of
// sixteen equal pixels is answered before its facts are read. False when
// the block needs the search.
bool FitWithoutSearch(D3DFORMAT format, const DWORD* stored, std::uint16_t texels, const DxtEncodeOptions& options,
                      ColorChoice& color) {
    if (RepeatedUniformBlock(format, stored, texels, options, color)) {
        return true;
    }
    FlatBlock flat;
    if (!PrepareFlatBlock(format, stored, texels, options, flat)) {
        return false;
    }
    color = flat.used == 0 ? NothingSeen(flat.transparent) : FitFlatBlockRemembered(flat);
    if (options.quality == DXT_QUALITY_BEST && !BestKeepsFlatBlock(flat, color)) {
        return false;
    }
    KeepUniformBlock(format, stored, texels, options, color);
    return true;
}

// The colour chosen, and the alpha the format holds, written to the block.
DxtBlockError WriteBlock(D3DFORMAT format, const DWORD* stored, std::uint16_t texels, const DxtEncodeOptions& options,
                         const ColorChoice& color, BYTE* block) {
    DxtBlockError error{color.error, 0};
    switch (format) {
    case D3DFMT_DXT1: WriteColor(color, block); return error;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: error.alpha = WriteExplicitAlpha(stored, texels, block); break;
    default: {
        const bool best = options.quality == DXT_QUALITY_BEST;
        const AlphaChoice alpha = FitAlphaRamp(stored, texels, best ? BEST_ALPHA_WINDOW : NORMAL_ALPHA_WINDOW,
                                               best ? BEST_ALPHA_STEPS : NORMAL_ALPHA_STEPS);
        WriteAlphaRamp(alpha, block);
        error.alpha = alpha.error;
        break;
    }
    }
    WriteColor(color, block + 8);
    return error;
}

// One block of a run that the normal fit searches: its pixels, its texels
// as the fit sees them and the fit under way.
struct SearchSlot {
    const DWORD* stored;  // the caller's pixels, or premultiplied below
    DWORD premultiplied[16];
    SearchTexels texels;
    NormalColorFit fit;
    std::size_t block;
};

}  // namespace

DxtBlockError EncodeDxtBlockMeasured(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels,
                                     const DxtEncodeOptions& options, BYTE* block) {
    DWORD premultiplied[16];
    const DWORD* stored = StoredPixels(format, pixels, premultiplied);
    ColorChoice color;
    if (!FitWithoutSearch(format, stored, texels, options, color)) {
        SearchTexels search;
        PrepareTexels(format, stored, texels, options, search);
        color = FitColor(search, options.quality);
    }
    return WriteBlock(format, stored, texels, options, color, block);
}

void EncodeDxtBlockWith(D3DFORMAT format, const DWORD* pixels, uint16_t texels, const DxtEncodeOptions& options,
                        BYTE* block) {
    EncodeDxtBlockMeasured(format, pixels, texels, options, block);
}

void EncodeDxtBlocksWith(D3DFORMAT format, const DWORD* pixels, const uint16_t* texels, std::size_t count,
                         const DxtEncodeOptions& options, BYTE* blocks) {
    const std::size_t blockBytes = DxtBlockBytes(format);
    const auto maskOf = [&](std::size_t b) { return texels ? texels[b] : ALL_TEXELS; };
    if (options.quality == DXT_QUALITY_BEST) {
        for (std::size_t b = 0; b < count; ++b) {
            EncodeDxtBlockMeasured(format, pixels + 16 * b, maskOf(b), options, blocks + blockBytes * b);
        }
        return;
    }
    // Two searches under way, stepped in turn. The blocks that need no
    // search are written as they come; a slot that finishes takes the
    // next block that needs one.
    constexpr int SLOTS = 2;
    SearchSlot slots[SLOTS];
    bool busy[SLOTS] = {};
    std::size_t next = 0;
    const auto fill = [&](SearchSlot& slot) {
        while (next < count) {
            const std::size_t b = next++;
            slot.stored = StoredPixels(format, pixels + 16 * b, slot.premultiplied);
            ColorChoice color;
            if (FitWithoutSearch(format, slot.stored, maskOf(b), options, color)) {
                WriteBlock(format, slot.stored, maskOf(b), options, color, blocks + blockBytes * b);
                continue;
            }
            PrepareTexels(format, slot.stored, maskOf(b), options, slot.texels);
            if (slot.texels.used == 0) {
                WriteBlock(format, slot.stored, maskOf(b), options, NothingSeen(slot.texels.transparent),
                           blocks + blockBytes * b);
                continue;
            }
            slot.fit.Start(slot.texels);
            slot.block = b;
            return true;
        }
        return false;
    };
    int running = 0;
    for (int k = 0; k < SLOTS; ++k) {
        busy[k] = fill(slots[k]);
        running += busy[k];
    }
    while (running > 0) {
        for (int k = 0; k < SLOTS; ++k) {
            SearchSlot& slot = slots[k];
            if (busy[k] && !slot.fit.Step()) {
                WriteBlock(format, slot.stored, maskOf(slot.block), options, slot.fit.Result(),
                           blocks + blockBytes * slot.block);
                busy[k] = fill(slot);
                running -= !busy[k];
            }
        }
    }
}

DxtBlockError MeasureDecodedBlock(D3DFORMAT format, const DWORD* pixels, std::uint16_t texels,
                                  const DxtEncodeOptions& options, const DWORD* decoded) {
    DWORD stored[16];
    for (int i = 0; i < 16; ++i) {
        stored[i] = IsPremultiplied(format) ? PremultiplyLikeCodec(pixels[i]) : pixels[i];
    }
    SearchTexels search;
    PrepareTexels(format, stored, texels, options, search);
    DxtBlockError error{0, 0};
    for (int i = 0; i < 16; ++i) {
        std::uint64_t texel = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = static_cast<int>(search.ch[c][i]) - static_cast<int>((decoded[i] >> (16 - 8 * c)) & 255u);
            texel += static_cast<std::uint64_t>(search.channel[c]) * static_cast<std::uint64_t>(d * d);
        }
        error.color += search.weight[i] * texel;
        if (format != D3DFMT_DXT1 && (texels >> i & 1u)) {
            const int d = static_cast<int>(stored[i] >> 24) - static_cast<int>(decoded[i] >> 24);
            error.alpha += static_cast<std::uint32_t>(d * d);
        }
    }
    return error;
}
