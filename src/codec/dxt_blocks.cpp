#include "codec/dxt_blocks.h"

#include <cstdint>
#include <cstring>

#include "codec/dxt_endpoint_fit_group.h"

namespace {

inline unsigned ReadWord16(const BYTE* p) {
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
}

inline DWORD Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return static_cast<DWORD>(a << 24 | r << 16 | g << 8 | b);
}

inline bool Transparent(DWORD p) {
    return (p >> 24) < 128;
}

// The alpha half of a DXT4/DXT5 block: two reference values and a 3-bit
// index per pixel.
void EncodeInterpolatedAlpha(const DWORD* pixels, BYTE* out) {
    unsigned alpha[16];
    unsigned largest = 0, smallest = 255;
    for (int i = 0; i < 16; ++i) {
        alpha[i] = pixels[i] >> 24;
        largest = alpha[i] > largest ? alpha[i] : largest;
        smallest = alpha[i] < smallest ? alpha[i] : smallest;
    }
    bool sixValues = false;
    int a0 = static_cast<int>(largest);
    int a1 = static_cast<int>(smallest);
    if (largest == 255 && smallest == 0) {
        // 0 and 255 have indices of their own in six-value mode, which is
        // worth it only when at least two other values lie between.
        unsigned lo = 255, hi = 0;
        for (unsigned a : alpha) {
            if (a != 0 && a < lo) {
                lo = a;
            }
            if (a != 255 && a > hi) {
                hi = a;
            }
        }
        if (lo < hi) {
            sixValues = true;
            a0 = static_cast<int>(lo);
            a1 = static_cast<int>(hi);
        }
    }
    out[0] = static_cast<BYTE>(a0);
    out[1] = static_cast<BYTE>(a1);
    std::uint64_t indices = 0;
    if (a0 != a1) {
        const int f = a0 - a1;
        const int steps = sixValues ? 5 : 7;
        for (int i = 0; i < 16; ++i) {
            const int a = static_cast<int>(alpha[i]);
            unsigned index;
            if (sixValues && a == 0) {
                index = 6;
            } else if (sixValues && a == 255) {
                index = 7;
            } else {
                // |numerator| < 2048 and 0 < |f| < 256: a quotient that is not
                // whole lies at least 1/255 from the next whole number, far
                // beyond the float division's error, so truncating it gives
                // the integer quotient, only faster.
                const int b = static_cast<int>(static_cast<float>((f >> 1) + (a0 - a) * steps) / static_cast<float>(f));
                index = b >= steps ? 1u : b > 0 ? static_cast<unsigned>(b + 1) : 0u;
            }
            indices |= static_cast<std::uint64_t>(index) << (3 * i);
        }
    }
    for (int k = 0; k < 6; ++k) {
        out[2 + k] = static_cast<BYTE>(indices >> (8 * k));
    }
}

void EncodeExplicitAlpha(const DWORD* pixels, BYTE* out) {
    for (int row = 0; row < 4; ++row) {
        unsigned word = 0;
        for (int col = 0; col < 4; ++col) {
            word |= (pixels[4 * row + col] >> 28) << (4 * col);
        }
        out[2 * row] = static_cast<BYTE>(word);
        out[2 * row + 1] = static_cast<BYTE>(word >> 8);
    }
}

// DXT1 marks transparency with a colour no opaque pixel has: the smallest
// such RGB value stands for every transparent pixel, and a key range of
// just that value tells the colour encoder which pixels are transparent.
// Returns false when every pixel is opaque.
bool KeyTransparentPixels(const DWORD* pixels, DWORD* keyed, ColorKeyRange& key) {
    bool anyTransparent = false;
    for (int i = 0; i < 16; ++i) {
        anyTransparent = anyTransparent || Transparent(pixels[i]);
    }
    if (!anyTransparent) {
        return false;
    }
    // At most 15 opaque colours, so the key lies in 0..15.
    const auto taken = [pixels](DWORD rgb) {
        for (int i = 0; i < 16; ++i) {
            if (!Transparent(pixels[i]) && (pixels[i] & 0x00FFFFFFu) == rgb) {
                return true;
            }
        }
        return false;
    };
    DWORD candidate = 0;
    while (taken(candidate)) {
        ++candidate;
    }
    for (int i = 0; i < 16; ++i) {
        keyed[i] = Transparent(pixels[i]) ? candidate : pixels[i];
    }
    key = ColorKeyRange{candidate, candidate};
    return true;
}

// Runs the colour encoder over up to COLOR_FIT_LANES blocks at a time.
template <class PerBlock>
void EncodeBlockRun(const DWORD* pixels, std::size_t count, BYTE* blocks, std::size_t blockBytes, PerBlock perBlock) {
    DWORD keyed[COLOR_FIT_LANES][16];
    const DWORD* sources[COLOR_FIT_LANES];
    ColorKeyRange keys[COLOR_FIT_LANES];
    BYTE* outputs[COLOR_FIT_LANES];
    for (std::size_t first = 0; first < count; first += COLOR_FIT_LANES) {
        const std::size_t n = count - first < COLOR_FIT_LANES ? count - first : COLOR_FIT_LANES;
        for (std::size_t g = 0; g < n; ++g) {
            const DWORD* block = pixels + 16 * (first + g);
            BYTE* out = blocks + blockBytes * (first + g);
            sources[g] = block;
            keys[g] = NO_COLOR_KEY;
            outputs[g] = out + (blockBytes - COLOR_BLOCK_BYTES);
            perBlock(block, out, keyed[g], sources[g], keys[g]);
        }
        EncodeColorBlockGroup(sources, keys, outputs, n);
    }
}

void PrepareDxt1(const DWORD* block, BYTE*, DWORD* keyed, const DWORD*& source, ColorKeyRange& key) {
    if (KeyTransparentPixels(block, keyed, key)) {
        source = keyed;
    }
}

void PrepareDxt3(const DWORD* block, BYTE* out, DWORD*, const DWORD*&, ColorKeyRange&) {
    EncodeExplicitAlpha(block, out);
}

void PrepareDxt5(const DWORD* block, BYTE* out, DWORD*, const DWORD*&, ColorKeyRange&) {
    EncodeInterpolatedAlpha(block, out);
}

}  // namespace

void DecodeColorBlock(const BYTE* block, DWORD* pixels) {
    if (block == nullptr) {
        std::memset(pixels, 0, 16 * sizeof(DWORD));
        return;
    }
    const unsigned c0 = ReadWord16(block);
    const unsigned c1 = ReadWord16(block + 2);
    const std::uint32_t indices = static_cast<std::uint32_t>(block[4]) | static_cast<std::uint32_t>(block[5]) << 8 |
                                  static_cast<std::uint32_t>(block[6]) << 16 |
                                  static_cast<std::uint32_t>(block[7]) << 24;
    unsigned r[2], g[2], b[2];
    for (int k = 0; k < 2; ++k) {
        const unsigned c = k == 0 ? c0 : c1;
        const unsigned r5 = c >> 11, g6 = (c >> 5) & 63u, b5 = c & 31u;
        r[k] = r5 << 3 | r5 >> 2;
        g[k] = g6 << 2 | g6 >> 4;
        b[k] = b5 << 3 | b5 >> 2;
    }
    DWORD colors[4];
    colors[0] = Argb(255, r[0], g[0], b[0]);
    colors[1] = Argb(255, r[1], g[1], b[1]);
    if (c0 > c1) {
        colors[2] = Argb(255, (2 * r[0] + r[1] + 1) / 3, (2 * g[0] + g[1] + 1) / 3, (2 * b[0] + b[1] + 1) / 3);
        colors[3] = Argb(255, (r[0] + 2 * r[1] + 1) / 3, (g[0] + 2 * g[1] + 1) / 3, (b[0] + 2 * b[1] + 1) / 3);
    } else {
        colors[2] = Argb(255, (r[0] + r[1]) >> 1, (g[0] + g[1]) >> 1, (b[0] + b[1]) >> 1);
        colors[3] = 0;
    }
    for (int i = 0; i < 16; ++i) {
        pixels[i] = colors[(indices >> (2 * i)) & 3u];
    }
}

void DecodeDxt1Block(const BYTE* block, DWORD* pixels) {
    DecodeColorBlock(block, pixels);
    for (int i = 0; i < 16; ++i) {
        if ((pixels[i] >> 24) == 0) {
            pixels[i] = 0;
        }
    }
}

void DecodeDxt3Block(const BYTE* block, DWORD* pixels) {
    if (block == nullptr) {
        DecodeColorBlock(nullptr, pixels);
        return;
    }
    DecodeColorBlock(block + 8, pixels);
    for (int row = 0; row < 4; ++row) {
        const unsigned word = ReadWord16(block + 2 * row);
        for (int col = 0; col < 4; ++col) {
            const unsigned a = ((word >> (4 * col)) & 15u) * 17u;
            DWORD& p = pixels[4 * row + col];
            p = (p & 0x00FFFFFFu) | static_cast<DWORD>(a) << 24;
        }
    }
}

void DecodeDxt5Block(const BYTE* block, DWORD* pixels) {
    if (block == nullptr) {
        DecodeColorBlock(nullptr, pixels);
        return;
    }
    DecodeColorBlock(block + 8, pixels);
    const unsigned a0 = block[0], a1 = block[1];
    unsigned v[8] = {a0, a1, 0, 0, 0, 0, 0, 255};
    if (a0 > a1) {
        for (unsigned i = 1; i <= 6; ++i) {
            v[1 + i] = ((7 - i) * a0 + i * a1) / 7;
        }
    } else {
        for (unsigned i = 1; i <= 4; ++i) {
            v[1 + i] = ((5 - i) * a0 + i * a1) / 5;
        }
        v[6] = 0;
        v[7] = 255;
    }
    std::uint64_t indices = 0;
    for (int k = 0; k < 6; ++k) {
        indices |= static_cast<std::uint64_t>(block[2 + k]) << (8 * k);
    }
    for (int i = 0; i < 16; ++i) {
        const unsigned a = v[(indices >> (3 * i)) & 7u];
        pixels[i] = (pixels[i] & 0x00FFFFFFu) | static_cast<DWORD>(a) << 24;
    }
}

void EncodeDxt1Block(const DWORD* pixels, BYTE* block) {
    EncodeDxt1Blocks(pixels, 1, block);
}

void EncodeDxt3Block(const DWORD* pixels, BYTE* block) {
    EncodeDxt3Blocks(pixels, 1, block);
}

void EncodeDxt5Block(const DWORD* pixels, BYTE* block) {
    EncodeDxt5Blocks(pixels, 1, block);
}

void EncodeDxt1Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks) {
    EncodeBlockRun(pixels, count, blocks, COLOR_BLOCK_BYTES, PrepareDxt1);
}

void EncodeDxt3Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks) {
    EncodeBlockRun(pixels, count, blocks, ALPHA_BLOCK_BYTES, PrepareDxt3);
}

void EncodeDxt5Blocks(const DWORD* pixels, std::size_t count, BYTE* blocks) {
    EncodeBlockRun(pixels, count, blocks, ALPHA_BLOCK_BYTES, PrepareDxt5);
}
