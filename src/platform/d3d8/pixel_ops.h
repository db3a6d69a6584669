#pragma once
// Per-pixel colour work after sampling: the stage-0 colour and alpha
// operations, the alpha test, blending with the target and the target's
// pixel formats. Channels are 8-bit; products are x * y / 255, rounded.

#include <cstdint>

#include "pipeline_state.h"
#include "sampler.h"

namespace platform {

inline uint32_t Mul255(uint32_t a, uint32_t b) {
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t Channel(uint32_t c, int shift) {
    return (c >> shift) & 255u;
}

// One stage-0 operation on one channel.
inline uint32_t ApplyOp(DWORD op, uint32_t arg1, uint32_t arg2) {
    switch (op) {
    case D3DTOP_SELECTARG1: return arg1;
    case D3DTOP_SELECTARG2: return arg2;
    case D3DTOP_MODULATE: return Mul255(arg1, arg2);
    case D3DTOP_MODULATE2X: {
        const uint32_t v = Mul255(arg1, arg2) * 2;
        return v > 255 ? 255 : v;
    }
    case D3DTOP_MODULATE4X: {
        const uint32_t v = Mul255(arg1, arg2) * 4;
        return v > 255 ? 255 : v;
    }
    case D3DTOP_ADD: {
        const uint32_t v = arg1 + arg2;
        return v > 255 ? 255 : v;
    }
    default: return arg1;
    }
}

// Stage 0 reads the texture, the diffuse colour (which is also the current
// colour at stage 0) or white for an argument it does not know.
inline uint32_t SelectArg(DWORD arg, uint32_t texel, uint32_t diffuse) {
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: return texel;
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT: return diffuse;
    default: return 0xFFFFFFFFu;
    }
}

inline uint32_t CombineStage0(const CombineStates& s, uint32_t texel, uint32_t diffuse) {
    if (s.colorOp == D3DTOP_DISABLE) {
        return diffuse;
    }
    const uint32_t c1 = SelectArg(s.colorArg1, texel, diffuse), c2 = SelectArg(s.colorArg2, texel, diffuse);
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= ApplyOp(s.colorOp, Channel(c1, shift), Channel(c2, shift)) << shift;
    }
    uint32_t alpha = Channel(diffuse, 24);
    if (s.alphaOp != D3DTOP_DISABLE) {
        alpha = ApplyOp(s.alphaOp, Channel(SelectArg(s.alphaArg1, texel, diffuse), 24),
                        Channel(SelectArg(s.alphaArg2, texel, diffuse), 24));
    }
    return out | (alpha << 24);
}

// Both colour and alpha the product of texture and diffuse: the usual case.
inline uint32_t ModulateArgb(uint32_t a, uint32_t b) {
    return (Mul255(a >> 24, b >> 24) << 24) | (Mul255(Channel(a, 16), Channel(b, 16)) << 16) |
           (Mul255(Channel(a, 8), Channel(b, 8)) << 8) | Mul255(a & 255u, b & 255u);
}

inline bool Compare(DWORD func, uint32_t value, uint32_t reference) {
    switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
    }
}

// The factor of one blend operand, per channel (colour in the low three
// bytes, alpha in the top byte).
inline uint32_t BlendFactor(DWORD blend, uint32_t src, uint32_t dst) {
    const uint32_t srcAlpha = src >> 24, dstAlpha = dst >> 24;
    switch (blend) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 0xFFFFFFFFu;
    case D3DBLEND_SRCCOLOR: return src;
    case D3DBLEND_INVSRCCOLOR: return ~src;
    case D3DBLEND_SRCALPHA: return srcAlpha * 0x01010101u;
    case D3DBLEND_INVSRCALPHA: return (255 - srcAlpha) * 0x01010101u;
    case D3DBLEND_DESTALPHA: return dstAlpha * 0x01010101u;
    case D3DBLEND_INVDESTALPHA: return (255 - dstAlpha) * 0x01010101u;
    case D3DBLEND_DESTCOLOR: return dst;
    case D3DBLEND_INVDESTCOLOR: return ~dst;
    default: return 0xFFFFFFFFu;
    }
}

inline uint32_t Blend(DWORD srcBlend, DWORD destBlend, uint32_t src, uint32_t dst) {
    if (srcBlend == D3DBLEND_SRCALPHA && destBlend == D3DBLEND_INVSRCALPHA) {
        const uint32_t a = src >> 24;
        if (a == 255) return src;
        if (a == 0) return dst;
        // src * a + dst * (255 - a) fits each 16-bit lane; then a rounded / 255.
        uint64_t t = Spread(src) * a + Spread(dst) * (255 - a) + 0x0080008000800080ull;
        t += (t >> 8) & 0x00FF00FF00FF00FFull;
        return Pack((t >> 8) & 0x00FF00FF00FF00FFull);
    }
    const uint32_t fs = BlendFactor(srcBlend, src, dst), fd = BlendFactor(destBlend, src, dst);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t v =
            Mul255(Channel(src, shift), Channel(fs, shift)) + Mul255(Channel(dst, shift), Channel(fd, shift));
        out |= (v > 255 ? 255 : v) << shift;
    }
    return out;
}

inline uint16_t ToR5G6B5(uint32_t c) {
    return static_cast<uint16_t>(((c >> 8) & 0xF800u) | ((c >> 5) & 0x07E0u) | ((c >> 3) & 0x001Fu));
}

inline uint32_t FromR5G6B5(uint16_t v) {
    const uint32_t r = (v >> 11) & 31u, g = (v >> 5) & 63u, b = v & 31u;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

}  // namespace platform
