#include "format_layout.h"

#include <algorithm>
#include <array>

namespace platform {

namespace {

// The colour rows repeat what the texture library's format table says of
// the same formats (the platform cannot include library code); a test in
// tests/codec keeps the two in step.
// format, bytes per pixel, bytes per 4 x 4 block, YUV pair, depth
constexpr std::array<FormatLayout, 36> LAYOUTS{{
    {D3DFMT_R8G8B8, 3, 0, false, false},   {D3DFMT_A8R8G8B8, 4, 0, false, false},
    {D3DFMT_X8R8G8B8, 4, 0, false, false}, {D3DFMT_R5G6B5, 2, 0, false, false},
    {D3DFMT_X1R5G5B5, 2, 0, false, false}, {D3DFMT_A1R5G5B5, 2, 0, false, false},
    {D3DFMT_A4R4G4B4, 2, 0, false, false}, {D3DFMT_R3G3B2, 1, 0, false, false},
    {D3DFMT_A8, 1, 0, false, false},       {D3DFMT_A8R3G3B2, 2, 0, false, false},
    {D3DFMT_X4R4G4B4, 2, 0, false, false}, {D3DFMT_A8P8, 2, 0, false, false},
    {D3DFMT_P8, 1, 0, false, false},       {D3DFMT_L8, 1, 0, false, false},
    {D3DFMT_A8L8, 2, 0, false, false},     {D3DFMT_A4L4, 1, 0, false, false},
    {D3DFMT_V8U8, 2, 0, false, false},     {D3DFMT_L6V5U5, 2, 0, false, false},
    {D3DFMT_X8L8V8U8, 4, 0, false, false}, {D3DFMT_Q8W8V8U8, 4, 0, false, false},
    {D3DFMT_V16U16, 4, 0, false, false},   {D3DFMT_W11V11U10, 4, 0, false, false},
    {D3DFMT_UYVY, 2, 0, true, false},      {D3DFMT_YUY2, 2, 0, true, false},
    {D3DFMT_DXT1, 0, 8, false, false},     {D3DFMT_DXT2, 0, 16, false, false},
    {D3DFMT_DXT3, 0, 16, false, false},    {D3DFMT_DXT4, 0, 16, false, false},
    {D3DFMT_DXT5, 0, 16, false, false},    {D3DFMT_D16_LOCKABLE, 2, 0, false, true},
    {D3DFMT_D16, 2, 0, false, true},       {D3DFMT_D15S1, 2, 0, false, true},
    {D3DFMT_D32, 4, 0, false, true},       {D3DFMT_D24S8, 4, 0, false, true},
    {D3DFMT_D24X8, 4, 0, false, true},     {D3DFMT_D24X4S4, 4, 0, false, true},
}};
constexpr size_t COLOUR_FORMAT_COUNT = 29;

constexpr std::array<D3DFORMAT, COLOUR_FORMAT_COUNT> ColourFormats() {
    std::array<D3DFORMAT, COLOUR_FORMAT_COUNT> formats{};
    for (size_t i = 0; i < COLOUR_FORMAT_COUNT; ++i) {
        formats[i] = LAYOUTS[i].format;
    }
    return formats;
}
constexpr std::array<D3DFORMAT, COLOUR_FORMAT_COUNT> COLOUR_FORMATS = ColourFormats();

}  // namespace

const FormatLayout* FindFormatLayout(D3DFORMAT format) {
    for (const FormatLayout& layout : LAYOUTS) {
        if (layout.format == format) {
            return &layout;
        }
    }
    return nullptr;
}

std::span<const D3DFORMAT> TextureFormats() {
    return COLOUR_FORMATS;
}

bool IsBlockFormat(D3DFORMAT format) {
    const FormatLayout* layout = FindFormatLayout(format);
    return layout != nullptr && layout->blockBytes != 0;
}

bool IsYuvFormat(D3DFORMAT format) {
    const FormatLayout* layout = FindFormatLayout(format);
    return layout != nullptr && layout->yuv;
}

uint64_t RowPitch(const FormatLayout& layout, uint32_t width) {
    if (layout.blockBytes != 0) {
        return std::max<uint64_t>(1, (uint64_t{width} + 3) / 4) * layout.blockBytes;
    }
    if (layout.yuv) {
        return (uint64_t{width} + 1) / 2 * 4;
    }
    return uint64_t{width} * layout.bytesPerPixel;
}

uint64_t RowCount(const FormatLayout& layout, uint32_t height) {
    if (layout.blockBytes != 0) {
        return std::max<uint64_t>(1, (uint64_t{height} + 3) / 4);
    }
    return height;
}

uint32_t FullChainLength(uint32_t width, uint32_t height, uint32_t depth) {
    uint32_t largest = std::max({width, height, depth});
    uint32_t levels = 1;
    while (largest > 1) {
        largest >>= 1;
        ++levels;
    }
    return levels;
}

}  // namespace platform
