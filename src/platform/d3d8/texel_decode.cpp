#include "texel_decode.h"

#include <cstring>

#include "block_texel_decode.h"

namespace platform {

namespace {

inline uint32_t UnitToByte(float c);

// Widens an n-bit channel to 8 bits the way the texture library reads it
// (times the single-precision 1/(2^n - 1), then rounded to 8 bits), so a
// texture drawn 1:1 shows what the library decodes.
struct ExpandTables {
    uint8_t bits[7][64];
    ExpandTables() {
        const float scales[7] = {0.0f, 1.0f, 1.0f / 3.0f, 1.0f / 7.0f, 1.0f / 15.0f, 1.0f / 31.0f, 1.0f / 63.0f};
        for (int n = 1; n <= 6; ++n) {
            for (uint32_t v = 0; v < (1u << n); ++v) {
                bits[n][v] = static_cast<uint8_t>(UnitToByte(static_cast<float>(v) * scales[n]));
            }
        }
    }
};

inline uint32_t Expand(uint32_t value, int bits) {
    static const ExpandTables tables;
    return bits >= 8 ? value : tables.bits[bits][value];
}

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// A channel in 0..1 (or beyond) to a byte, rounded as the texture library
// stores colours; below zero reads as 0.
inline uint32_t UnitToByte(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    const float scaled = c * 255.0f;
    return static_cast<uint32_t>(scaled + 0.5f);
}

// A signed field of the given width, sign-extended, times its scale.
inline float Signed(uint32_t word, int shift, int bits, float scale) {
    const int32_t v = static_cast<int32_t>(word << (32 - shift - bits)) >> (32 - bits);
    return static_cast<float>(v) * scale;
}

constexpr float K6 = 1.0f / 63.0f;
constexpr float K8 = 1.0f / 255.0f;

uint32_t SignedArgb(float r, float g, float b, float a) {
    return Argb(UnitToByte(a), UnitToByte(r), UnitToByte(g), UnitToByte(b));
}

// Studio-range BT.601, the constants the texture library converts with.
void YuvPair(uint32_t y0, uint32_t u, uint32_t y1, uint32_t v, uint32_t* out) {
    const float luma = 0.0045662099f;
    const float du = static_cast<float>(static_cast<int>(u) - 128), dv = static_cast<float>(static_cast<int>(v) - 128);
    const float rV = dv * 0.0062589301f, gU = du * 0.00153632f, gV = dv * 0.00318811f, bU = du * 0.0079107098f;
    const uint32_t ys[2] = {y0, y1};
    for (int i = 0; i < 2; ++i) {
        const float y = static_cast<float>(static_cast<int>(ys[i]) - 16) * luma;
        const float r = y + rV;
        const float g = y - gU - gV;
        const float b = y + bU;
        out[i] = Argb(255, UnitToByte(r), UnitToByte(g), UnitToByte(b));
    }
}

}  // namespace

bool IsPaletteFormat(D3DFORMAT format) {
    return format == D3DFMT_P8 || format == D3DFMT_A8P8;
}

uint32_t DecodePixel(D3DFORMAT format, const uint8_t* p) {
    switch (format) {
    case D3DFMT_A8R8G8B8: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case D3DFMT_X8R8G8B8: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v | 0xFF000000u;
    }
    case D3DFMT_R8G8B8: return Argb(255, p[2], p[1], p[0]);
    case D3DFMT_R5G6B5: {
        const uint32_t v = Load16(p);
        return Argb(255, Expand(v >> 11, 5), Expand((v >> 5) & 63, 6), Expand(v & 31, 5));
    }
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
        const uint32_t v = Load16(p);
        const uint32_t a = format == D3DFMT_A1R5G5B5 ? Expand(v >> 15, 1) : 255u;
        return Argb(a, Expand((v >> 10) & 31, 5), Expand((v >> 5) & 31, 5), Expand(v & 31, 5));
    }
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: {
        const uint32_t v = Load16(p);
        const uint32_t a = format == D3DFMT_A4R4G4B4 ? Expand(v >> 12, 4) : 255u;
        return Argb(a, Expand((v >> 8) & 15, 4), Expand((v >> 4) & 15, 4), Expand(v & 15, 4));
    }
    case D3DFMT_R3G3B2:
    case D3DFMT_A8R3G3B2: {
        const uint32_t v = format == D3DFMT_R3G3B2 ? p[0] : Load16(p);
        const uint32_t a = format == D3DFMT_A8R3G3B2 ? (v >> 8) : 255u;
        return Argb(a, Expand((v >> 5) & 7, 3), Expand((v >> 2) & 7, 3), Expand(v & 3, 2));
    }
    case D3DFMT_A8: return Argb(p[0], 0, 0, 0);
    case D3DFMT_L8: return Argb(255, p[0], p[0], p[0]);
    case D3DFMT_A8L8: return Argb(p[1], p[0], p[0], p[0]);
    case D3DFMT_A4L4: {
        const uint32_t l = Expand(p[0] & 15, 4);
        return Argb(Expand(p[0] >> 4, 4), l, l, l);
    }
    case D3DFMT_V8U8: {
        const uint32_t v = Load16(p);
        return SignedArgb(Signed(v, 0, 8, 1.0f / 128), Signed(v, 8, 8, 1.0f / 128), 1.0f, 1.0f);
    }
    case D3DFMT_Q8W8V8U8: {
        const uint32_t v = Load32(p);
        return SignedArgb(Signed(v, 0, 8, 1.0f / 128), Signed(v, 8, 8, 1.0f / 128), Signed(v, 16, 8, 1.0f / 128),
                          Signed(v, 24, 8, 1.0f / 128));
    }
    case D3DFMT_V16U16: {
        const uint32_t v = Load32(p);
        return SignedArgb(Signed(v, 0, 16, 1.0f / 32768), Signed(v, 16, 16, 1.0f / 32768), 1.0f, 1.0f);
    }
    case D3DFMT_W11V11U10: {
        const uint32_t v = Load32(p);
        return SignedArgb(Signed(v, 0, 10, 1.0f / 512), Signed(v, 10, 11, 1.0f / 1024), Signed(v, 21, 11, 1.0f / 1024),
                          1.0f);
    }
    case D3DFMT_L6V5U5: {
        const uint32_t v = Load16(p);
        return SignedArgb(Signed(v, 0, 5, 1.0f / 16), Signed(v, 5, 5, 1.0f / 16), 1.0f,
                          static_cast<float>(v >> 10) * K6);
    }
    case D3DFMT_X8L8V8U8: {
        const uint32_t v = Load32(p);
        return SignedArgb(Signed(v, 0, 8, 1.0f / 128), Signed(v, 8, 8, 1.0f / 128), 1.0f,
                          static_cast<float>((v >> 16) & 255u) * K8);
    }
    default: return 0xFFFFFFFFu;
    }
}

bool HasDecoder(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_R3G3B2:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_A8L8:
    case D3DFMT_A4L4:
    case D3DFMT_V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_W11V11U10:
    case D3DFMT_L6V5U5:
    case D3DFMT_X8L8V8U8: return true;
    default: return false;
    }
}

void DecodeToArgb(const FormatLayout& layout, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                  const PALETTEENTRY* palette, uint32_t* out) {
    if (layout.blockBytes != 0) {
        DecodeDxtLevel(layout.format, bits, rowPitch, width, height, out);
        return;
    }
    if (IsPaletteFormat(layout.format)) {
        // The palette once as texels, then one lookup per pixel.
        uint32_t colours[256];
        for (int i = 0; i < 256; ++i) {
            colours[i] = palette == nullptr
                             ? 0xFFFFFFFFu
                             : Argb(palette[i].peFlags, palette[i].peRed, palette[i].peGreen, palette[i].peBlue);
        }
        const bool alpha = layout.format == D3DFMT_A8P8;
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = bits + uint64_t{y} * rowPitch;
            uint32_t* dst = out + uint64_t{y} * width;
            for (uint32_t x = 0; x < width; ++x) {
                dst[x] =
                    alpha ? (colours[row[2 * x]] & 0x00FFFFFFu) | (uint32_t{row[2 * x + 1]} << 24) : colours[row[x]];
            }
        }
        return;
    }
    if (layout.yuv) {
        const bool uyvy = layout.format == D3DFMT_UYVY;
        uint32_t pair[2];
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = bits + uint64_t{y} * rowPitch;
            uint32_t* dst = out + uint64_t{y} * width;
            for (uint32_t x = 0; x < width; x += 2) {
                const uint8_t* p = row + uint64_t{x} * 2;
                if (uyvy) {
                    YuvPair(p[1], p[0], p[3], p[2], pair);
                } else {
                    YuvPair(p[0], p[1], p[2], p[3], pair);
                }
                dst[x] = pair[0];
                if (x + 1 < width) {
                    dst[x + 1] = pair[1];
                }
            }
        }
        return;
    }
    const bool decodable = HasDecoder(layout.format);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = bits + uint64_t{y} * rowPitch;
        uint32_t* dst = out + uint64_t{y} * width;
        for (uint32_t x = 0; x < width; ++x) {
            dst[x] = decodable ? DecodePixel(layout.format, row + uint64_t{x} * layout.bytesPerPixel) : 0xFFFFFFFFu;
        }
    }
}

}  // namespace platform
