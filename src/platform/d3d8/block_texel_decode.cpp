#include "block_texel_decode.h"

#include <cstring>

namespace platform {

namespace {

uint32_t Load16(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}

void Expand565(uint32_t c, uint32_t& r, uint32_t& g, uint32_t& b) {
    const uint32_t r5 = c >> 11, g6 = (c >> 5) & 63u, b5 = c & 31u;
    r = (r5 << 3) | (r5 >> 2);
    g = (g6 << 2) | (g6 >> 4);
    b = (b5 << 3) | (b5 >> 2);
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// The colour half of every block: two 5:6:5 ends and 2-bit indices. With
// c0 <= c1 the fourth colour is transparent black.
void DecodeColours(const uint8_t* p, uint32_t out[16]) {
    const uint32_t c0 = Load16(p), c1 = Load16(p + 2);
    uint32_t r0, g0, b0, r1, g1, b1;
    Expand565(c0, r0, g0, b0);
    Expand565(c1, r1, g1, b1);
    uint32_t colours[4];
    colours[0] = Argb(255, r0, g0, b0);
    colours[1] = Argb(255, r1, g1, b1);
    if (c0 > c1) {
        colours[2] = Argb(255, (2 * r0 + r1 + 1) / 3, (2 * g0 + g1 + 1) / 3, (2 * b0 + b1 + 1) / 3);
        colours[3] = Argb(255, (r0 + 2 * r1 + 1) / 3, (g0 + 2 * g1 + 1) / 3, (b0 + 2 * b1 + 1) / 3);
    } else {
        colours[2] = Argb(255, (r0 + r1) >> 1, (g0 + g1) >> 1, (b0 + b1) >> 1);
        colours[3] = 0;
    }
    uint32_t indices;
    std::memcpy(&indices, p + 4, 4);
    for (int i = 0; i < 16; ++i) {
        out[i] = colours[(indices >> (2 * i)) & 3u];
    }
}

void ExplicitAlpha(const uint8_t* p, uint32_t out[16]) {
    for (int row = 0; row < 4; ++row) {
        const uint32_t word = Load16(p + 2 * row);
        for (int col = 0; col < 4; ++col) {
            const uint32_t a = ((word >> (4 * col)) & 15u) * 17u;
            uint32_t& texel = out[row * 4 + col];
            texel = (texel & 0x00FFFFFFu) | (a << 24);
        }
    }
}

void InterpolatedAlpha(const uint8_t* p, uint32_t out[16]) {
    const uint32_t a0 = p[0], a1 = p[1];
    uint32_t values[8] = {a0, a1};
    if (a0 > a1) {
        for (uint32_t i = 1; i <= 6; ++i) {
            values[i + 1] = ((7 - i) * a0 + i * a1) / 7;
        }
    } else {
        for (uint32_t i = 1; i <= 4; ++i) {
            values[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        }
        values[6] = 0;
        values[7] = 255;
    }
    for (int half = 0; half < 2; ++half) {
        const uint8_t* g = p + 2 + 3 * half;
        const uint32_t bits = uint32_t{g[0]} | (uint32_t{g[1]} << 8) | (uint32_t{g[2]} << 16);
        for (int i = 0; i < 8; ++i) {
            uint32_t& texel = out[half * 8 + i];
            texel = (texel & 0x00FFFFFFu) | (values[(bits >> (3 * i)) & 7u] << 24);
        }
    }
}

}  // namespace

void DecodeDxtBlock(D3DFORMAT format, const uint8_t* block, uint32_t out[16]) {
    switch (format) {
    case D3DFMT_DXT1: DecodeColours(block, out); break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
        DecodeColours(block + 8, out);
        ExplicitAlpha(block, out);
        break;
    default:
        DecodeColours(block + 8, out);
        InterpolatedAlpha(block, out);
        break;
    }
}

void DecodeDxtLevel(D3DFORMAT format, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                    uint32_t* out) {
    const uint32_t blockBytes = format == D3DFMT_DXT1 ? 8u : 16u;
    uint32_t texels[16];
    for (uint32_t by = 0; by < height; by += 4) {
        const uint8_t* row = bits + uint64_t{by / 4} * rowPitch;
        for (uint32_t bx = 0; bx < width; bx += 4) {
            DecodeDxtBlock(format, row + uint64_t{bx / 4} * blockBytes, texels);
            for (uint32_t y = by; y < by + 4 && y < height; ++y) {
                for (uint32_t x = bx; x < bx + 4 && x < width; ++x) {
                    out[uint64_t{y} * width + x] = texels[(y - by) * 4 + (x - bx)];
                }
            }
        }
    }
}

}  // namespace platform
