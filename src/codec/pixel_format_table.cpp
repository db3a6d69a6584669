#include "codec/pixel_format_table.h"

#include <iterator>

#include "codec/format_facts.h"

namespace {

constexpr FormatKind RGB = FORMAT_KIND_RGB;
constexpr FormatKind PAL = FORMAT_KIND_PALETTE;
constexpr FormatKind LUM = FORMAT_KIND_LUMINANCE;
constexpr FormatKind SGN = FORMAT_KIND_SIGNED;

}  // namespace

// Palette formats sit between X1R5G5B5 and A1R5G5B5 on purpose: the search
// order prefers them there.
constexpr PixelFormatInfo PixelFormatTable[PIXEL_FORMAT_COUNT] = {
    //  format             kind bits  L  A/Q R/W G/V B/U  subst  listed
    // clang-format off
    {D3DFMT_R8G8B8,        RGB, 24,  0,  0,  8,  8,  8,  FALSE, TRUE},
    {D3DFMT_A8R8G8B8,      RGB, 32,  0,  8,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_X8R8G8B8,      RGB, 32,  0,  0,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_R5G6B5,        RGB, 16,  0,  0,  5,  6,  5,  TRUE,  TRUE},
    {D3DFMT_X1R5G5B5,      RGB, 16,  0,  0,  5,  5,  5,  TRUE,  TRUE},
    {D3DFMT_A8P8,          PAL, 16,  0,  8,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_P8,            PAL,  8,  0,  8,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_A1R5G5B5,      RGB, 16,  0,  1,  5,  5,  5,  TRUE,  TRUE},
    {D3DFMT_A4R4G4B4,      RGB, 16,  0,  4,  4,  4,  4,  TRUE,  TRUE},
    {D3DFMT_R3G3B2,        RGB,  8,  0,  0,  3,  3,  2,  TRUE,  TRUE},
    {D3DFMT_A8,            RGB,  8,  0,  8,  0,  0,  0,  TRUE,  TRUE},
    {D3DFMT_A8R3G3B2,      RGB, 16,  0,  8,  3,  3,  2,  TRUE,  TRUE},
    {D3DFMT_X4R4G4B4,      RGB, 16,  0,  0,  4,  4,  4,  TRUE,  TRUE},
    {D3DFMT_L8,            LUM,  8,  0,  0,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_A8L8,          LUM, 16,  0,  8,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_A4L4,          LUM,  8,  0,  4,  4,  4,  4,  TRUE,  TRUE},
    {D3DFMT_V8U8,          SGN, 16,  0,  0,  0,  8,  8,  TRUE,  TRUE},
    {D3DFMT_L6V5U5,        SGN, 16,  6,  0,  0,  5,  5,  TRUE,  TRUE},
    {D3DFMT_X8L8V8U8,      SGN, 32,  8,  0,  0,  8,  8,  TRUE,  TRUE},
    {D3DFMT_Q8W8V8U8,      SGN, 32,  0,  8,  8,  8,  8,  TRUE,  TRUE},
    {D3DFMT_V16U16,        SGN, 32,  0,  0,  0, 16, 16,  TRUE,  TRUE},
    {D3DFMT_W11V11U10,     SGN, 32,  0,  0, 11, 11, 10,  TRUE,  TRUE},
    {D3DFMT_UYVY,          RGB, 16,  0,  0,  8,  8,  8,  FALSE, TRUE},
    {D3DFMT_YUY2,          RGB, 16,  0,  0,  8,  8,  8,  FALSE, TRUE},
    {D3DFMT_DXT1,          RGB, 16,  0,  1,  5,  6,  5,  FALSE, TRUE},
    {D3DFMT_DXT2,          RGB, 16,  0,  4,  5,  6,  5,  FALSE, TRUE},
    {D3DFMT_DXT3,          RGB, 16,  0,  4,  5,  6,  5,  FALSE, TRUE},
    {D3DFMT_DXT4,          RGB, 16,  0,  3,  5,  6,  5,  FALSE, TRUE},
    {D3DFMT_DXT5,          RGB, 16,  0,  3,  5,  6,  5,  FALSE, TRUE},
    // clang-format on
};
static_assert(std::size(PixelFormatTable) == PIXEL_FORMAT_COUNT);

constexpr PixelFormatInfo DefaultPixelFormat = {D3DFMT_UNKNOWN, RGB, 32, 0, 8, 8, 8, 8, FALSE, FALSE};

namespace {

// FORMAT_FACTS (the names, codec families and block sizes) describes the
// same rows in the same order, and what both say of a row agrees.
constexpr bool FactsFollowTheTable() {
    for (std::size_t i = 0; i < PIXEL_FORMAT_COUNT; ++i) {
        const PixelFormatInfo& info = PixelFormatTable[i];
        const FormatFacts& facts = FORMAT_FACTS[i];
        if (facts.format != info.format) {
            return false;
        }
        if ((facts.family == FAMILY_PALETTE) != (info.kind == FORMAT_KIND_PALETTE)) {
            return false;
        }
        if ((facts.family == FAMILY_DXT) != (facts.blockBytes != 0)) {
            return false;
        }
        // Codecs of fixed-size pixels take bitsPerPixel / 8 bytes a pixel.
        const bool fixedSize = facts.family == FAMILY_PACKED || facts.family == FAMILY_PALETTE;
        if (fixedSize && info.bitsPerPixel % 8 != 0) {
            return false;
        }
    }
    return true;
}
static_assert(FactsFollowTheTable());

// The device format search visits every row and skips none: only the
// default row, which no scan reaches, is unlisted.
constexpr bool EveryRowListed() {
    for (const PixelFormatInfo& info : PixelFormatTable) {
        if (!info.listed) {
            return false;
        }
    }
    return true;
}
static_assert(EveryRowListed() && !DefaultPixelFormat.listed);

}  // namespace

const PixelFormatInfo& FindPixelFormat(D3DFORMAT format) {
    for (const PixelFormatInfo& info : PixelFormatTable) {
        if (info.format == format) {
            return info;
        }
    }
    return DefaultPixelFormat;
}
