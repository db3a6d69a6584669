#include "dds_source_layout.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "dds_writer.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

struct NativeMasks {
    D3DFORMAT format;
    UINT bitCount;
    DWORD red, green, blue, alpha;
};

// The layouts the library's DDS reader takes, with the masks DDS files
// give them.
constexpr NativeMasks NATIVE_MASKS[] = {
    {D3DFMT_A8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {D3DFMT_X8R8G8B8, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R5G6B5, 16, 0xF800, 0x7E0, 0x1F, 0},
    {D3DFMT_X1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {D3DFMT_A1R5G5B5, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {D3DFMT_A4R4G4B4, 16, 0xF00, 0xF0, 0xF, 0xF000},
};

const NativeMasks* FindNative(const DdsSourceLayout& layout) {
    if (layout.storage != DdsStorage::MASKED || layout.luminance) {
        return nullptr;
    }
    for (const NativeMasks& native : NATIVE_MASKS) {
        if (native.bitCount == layout.bitCount && native.red == layout.red && native.green == layout.green &&
            native.blue == layout.blue && native.alpha == layout.alpha) {
            return &native;
        }
    }
    return nullptr;
}

// One channel: where it sits and how to widen or narrow it to 8 bits.
struct ChannelScale {
    unsigned shift = 0;
    uint64_t max = 0;  // 0: the pixel has no such channel

    explicit ChannelScale(DWORD mask) {
        if (mask != 0) {
            shift = static_cast<unsigned>(__builtin_ctz(mask));
            max = mask >> shift;
        }
    }
    // The nearest 8-bit value; exact for 8-bit channels.
    DWORD Take(DWORD pixel, DWORD absent) const {
        if (max == 0) {
            return absent;
        }
        const uint64_t value = (pixel >> shift) & max;
        return static_cast<DWORD>((value * 255 + max / 2) / max);
    }
};

DWORD LoadPixel(const BYTE* at, UINT bytes) {
    DWORD pixel = 0;
    for (UINT i = 0; i < bytes; ++i) {
        pixel |= DWORD{at[i]} << (8 * i);
    }
    return pixel;
}

void StoreArgb(BYTE* at, DWORD argb) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<BYTE>(argb >> (8 * i));
    }
}

void ConvertMaskedSlice(const DdsSourceLayout& layout, UINT width, UINT height, const BYTE* source, BYTE* destination) {
    const UINT bytes = layout.bitCount / 8;
    const uint64_t count = uint64_t{width} * height;
    if (FindNative(layout) != nullptr) {
        std::memcpy(destination, source, count * bytes);
        return;
    }
    const ChannelScale red(layout.red), green(layout.green), blue(layout.blue), alpha(layout.alpha);
    // An alpha-only pixel is white, as the library reads A8.
    const bool alphaOnly = layout.red == 0 && layout.green == 0 && layout.blue == 0;
    const DWORD absentColour = alphaOnly ? 255 : 0;
    for (uint64_t i = 0; i < count; ++i) {
        const DWORD pixel = LoadPixel(source + i * bytes, bytes);
        const DWORD r = red.Take(pixel, absentColour);
        const DWORD g = layout.luminance ? r : green.Take(pixel, absentColour);
        const DWORD b = layout.luminance ? r : blue.Take(pixel, absentColour);
        StoreArgb(destination + i * 4, alpha.Take(pixel, 255) << 24 | r << 16 | g << 8 | b);
    }
}

// The eight values of a BC4 block (the DXT5 alpha block) at its sixteen
// texels, through the library's own DXT5 decoder so both agree.
void DecodeBc4Block(const BYTE* block, BYTE* values) {
    BYTE dxt5[16] = {};
    std::memcpy(dxt5, block, 8);
    DWORD pixels[16];
    DecodeDxt5Block(dxt5, pixels);
    for (int i = 0; i < 16; ++i) {
        values[i] = static_cast<BYTE>(pixels[i] >> 24);
    }
}

void ConvertBcSlice(const DdsSourceLayout& layout, UINT width, UINT height, const BYTE* source, BYTE* destination) {
    const bool twoChannels = layout.storage == DdsStorage::BC5_BLOCKS;
    const UINT blockBytes = twoChannels ? 16 : 8;
    const UINT blocksWide = (width + 3) / 4;
    const uint64_t rowPitch = uint64_t{width} * 4;
    for (UINT by = 0; by < (height + 3) / 4; ++by) {
        for (UINT bx = 0; bx < blocksWide; ++bx) {
            const BYTE* block = source + (uint64_t{by} * blocksWide + bx) * blockBytes;
            BYTE first[16], second[16] = {};
            DecodeBc4Block(block, first);
            if (twoChannels) {
                DecodeBc4Block(block + 8, second);
            }
            for (UINT i = 0; i < 16; ++i) {
                const UINT x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= width || y >= height) {
                    continue;
                }
                const DWORD r = first[i];
                const DWORD argb =
                    twoChannels ? 0xFF000000u | r << 16 | DWORD{second[i]} << 8 : 0xFF000000u | r << 16 | r << 8 | r;
                StoreArgb(destination + y * rowPitch + uint64_t{x} * 4, argb);
            }
        }
    }
}

// UYVY and YUY2 as the library's codecs read them; the caller keeps each
// row's bytes of both layouts within INT_MAX.
HRESULT ConvertYuvSlice(const DdsSourceLayout& layout, UINT width, UINT height, const BYTE* source, BYTE* destination) {
    PixelRegion from{};
    from.pixels = const_cast<BYTE*>(source);
    from.format = layout.blockFormat;
    from.rowPitch = static_cast<INT>(SourceRowBytes(layout, width));
    from.surfaceBox = {0, 0, width, height, 0, 1};
    from.box = {0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, 1};
    PixelRegion to{};
    to.pixels = destination;
    to.format = D3DFMT_X8R8G8B8;
    to.rowPitch = static_cast<INT>(uint64_t{width} * 4);
    to.surfaceBox = from.surfaceBox;
    to.box = from.box;
    return ConvertRegion(&to, &from, FILTER_NONE);
}

}  // namespace

uint64_t SourceRowBytes(const DdsSourceLayout& layout, UINT width) {
    switch (layout.storage) {
    case DdsStorage::DXT_BLOCKS:
    case DdsStorage::YUV_PAIRS: return DdsRowBytes(layout.blockFormat, width);
    case DdsStorage::BC4_BLOCKS: return (uint64_t{width} + 3) / 4 * 8;
    case DdsStorage::BC5_BLOCKS: return (uint64_t{width} + 3) / 4 * 16;
    case DdsStorage::MASKED: break;
    }
    return uint64_t{width} * (layout.bitCount / 8);
}

uint64_t SourceRowCount(const DdsSourceLayout& layout, UINT height) {
    return layout.storage == DdsStorage::MASKED || layout.storage == DdsStorage::YUV_PAIRS ? uint64_t{height}
                                                                                           : (uint64_t{height} + 3) / 4;
}

bool IsNativeLayout(const DdsSourceLayout& layout) {
    return FindNative(layout) != nullptr;
}

D3DFORMAT ConvertedFormat(const DdsSourceLayout& layout) {
    if (layout.storage == DdsStorage::DXT_BLOCKS) {
        return layout.blockFormat;
    }
    if (layout.storage != DdsStorage::MASKED) {
        return D3DFMT_X8R8G8B8;
    }
    if (const NativeMasks* native = FindNative(layout)) {
        return native->format;
    }
    return layout.alpha != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

D3DFORMAT NaturalFormat(const DdsSourceLayout& layout) {
    if (layout.storage == DdsStorage::BC4_BLOCKS) {
        return D3DFMT_L8;
    }
    if (layout.storage == DdsStorage::YUV_PAIRS) {
        return layout.blockFormat;
    }
    if (layout.storage != DdsStorage::MASKED) {
        return D3DFMT_UNKNOWN;
    }
    if (layout.luminance) {
        if (layout.bitCount == 8 && layout.red == 0xFF && layout.alpha == 0) return D3DFMT_L8;
        if (layout.bitCount == 16 && layout.red == 0xFF && layout.alpha == 0xFF00) return D3DFMT_A8L8;
        if (layout.bitCount == 8 && layout.red == 0xF && layout.alpha == 0xF0) return D3DFMT_A4L4;
        return D3DFMT_UNKNOWN;
    }
    if (layout.bitCount == 8 && layout.red == 0 && layout.green == 0 && layout.blue == 0 && layout.alpha == 0xFF) {
        return D3DFMT_A8;
    }
    return D3DFMT_UNKNOWN;
}

bool CheckMasks(const DdsSourceLayout& layout, std::string* reason) {
    const UINT bits = layout.bitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        *reason = "pixels of " + std::to_string(bits) + " bits are not supported";
        return false;
    }
    const uint64_t inside = (uint64_t{1} << bits) - 1;
    DWORD taken = 0;
    const DWORD masks[] = {layout.red, layout.green, layout.blue, layout.alpha};
    for (DWORD mask : masks) {
        const bool oneRun = mask == 0 || ((mask >> __builtin_ctz(mask)) & ((mask >> __builtin_ctz(mask)) + 1)) == 0;
        if (!oneRun || (mask & ~inside) != 0 || (mask & taken) != 0) {
            *reason = "the pixel layout's channel masks are not supported";
            return false;
        }
        taken |= mask;
    }
    if (taken == 0) {
        *reason = "the pixel layout has no channels";
        return false;
    }
    return true;
}

std::string MaskedLayoutName(const DdsSourceLayout& layout) {
    struct Part {
        DWORD mask;
        char letter;
    };
    std::vector<Part> parts;
    const Part named[] = {{layout.alpha, 'A'},
                          {layout.red, layout.luminance ? 'L' : 'R'},
                          {layout.luminance ? 0u : layout.green, 'G'},
                          {layout.luminance ? 0u : layout.blue, 'B'}};
    DWORD taken = 0;
    for (const Part& part : named) {
        if (part.mask != 0) {
            parts.push_back(part);
            taken |= part.mask;
        }
    }
    // Runs of bits in no mask, as X.
    const DWORD all = layout.bitCount >= 32 ? 0xFFFFFFFFu : (DWORD{1} << layout.bitCount) - 1;
    DWORD spare = all & ~taken;
    while (spare != 0) {
        const unsigned low = static_cast<unsigned>(__builtin_ctz(spare));
        DWORD run = spare >> low;
        run &= ~(run + 1);  // the lowest run of ones
        parts.push_back({run << low, 'X'});
        spare &= ~(run << low);
    }
    std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.mask > b.mask; });
    std::string name;
    for (const Part& part : parts) {
        name += part.letter + std::to_string(__builtin_popcount(part.mask));
    }
    return name;
}

HRESULT ConvertSlice(const DdsSourceLayout& layout, UINT width, UINT height, const BYTE* source, BYTE* destination) {
    switch (layout.storage) {
    case DdsStorage::DXT_BLOCKS:
        std::memcpy(destination, source, SourceRowBytes(layout, width) * SourceRowCount(layout, height));
        break;
    case DdsStorage::MASKED: ConvertMaskedSlice(layout, width, height, source, destination); break;
    case DdsStorage::BC4_BLOCKS:
    case DdsStorage::BC5_BLOCKS: ConvertBcSlice(layout, width, height, source, destination); break;
    case DdsStorage::YUV_PAIRS: return ConvertYuvSlice(layout, width, height, source, destination);
    }
    return S_OK;
}

}  // namespace tovtex_tool
