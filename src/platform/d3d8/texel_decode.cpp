#include "texel_decode.h"

#include <cstring>

namespace platform {

namespace {

// Widens an n-bit channel to 8 bits by repeating its high bits.
inline uint32_t Expand(uint32_t value, int bits) {
    switch (bits) {
    case 1: return value ? 255u : 0u;
    case 2: return value * 85u;
    case 3: return (value << 5) | (value << 2) | (value >> 1);
    case 4: return value * 17u;
    case 5: return (value << 3) | (value >> 2);
    case 6: return (value << 2) | (value >> 4);
    default: return value;
    }
}

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

}  // namespace

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
    case D3DFMT_A4L4: return true;
    default: return false;
    }
}

void DecodeToArgb(const FormatLayout& layout, const uint8_t* bits, uint32_t rowPitch, uint32_t width, uint32_t height,
                  uint32_t* out) {
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
