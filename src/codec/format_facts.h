#pragma once
// What the library knows of each format besides the searched table's
// columns: the name, the codec family, the block size and whether DDS files
// hold it. One row per row of PixelFormatTable, in the same order; where
// the table is defined, static_asserts hold the two row for row.

#include <cstddef>
#include <iterator>

#include <d3d8.h>
#include <windows.h>

#include "codec/pixel_format_table.h"

enum CodecFamily {
    FAMILY_PACKED,   // fixed-size pixels, one codec per bit layout
    FAMILY_PALETTE,  // P8, A8P8
    FAMILY_YUV,      // two pixels share their chroma: no fixed pixel size
    FAMILY_DXT,      // 4 x 4 blocks: no fixed pixel size
};

struct FormatFacts {
    D3DFORMAT format;
    const char* name;  // the D3DFMT_ name without its prefix
    CodecFamily family;
    UINT blockBytes;  // one 4 x 4 block; 0 unless DXT
    bool dds;         // DDS files hold it: by FourCC (DXT) or by RGB masks
};

inline constexpr FormatFacts FORMAT_FACTS[] = {
    //  format             name          family         block  dds
    // clang-format off
    {D3DFMT_R8G8B8,        "R8G8B8",     FAMILY_PACKED,   0,   false},
    {D3DFMT_A8R8G8B8,      "A8R8G8B8",   FAMILY_PACKED,   0,   true},
    {D3DFMT_X8R8G8B8,      "X8R8G8B8",   FAMILY_PACKED,   0,   true},
    {D3DFMT_R5G6B5,        "R5G6B5",     FAMILY_PACKED,   0,   true},
    {D3DFMT_X1R5G5B5,      "X1R5G5B5",   FAMILY_PACKED,   0,   true},
    {D3DFMT_A8P8,          "A8P8",       FAMILY_PALETTE,  0,   false},
    {D3DFMT_P8,            "P8",         FAMILY_PALETTE,  0,   false},
    {D3DFMT_A1R5G5B5,      "A1R5G5B5",   FAMILY_PACKED,   0,   true},
    {D3DFMT_A4R4G4B4,      "A4R4G4B4",   FAMILY_PACKED,   0,   true},
    {D3DFMT_R3G3B2,        "R3G3B2",     FAMILY_PACKED,   0,   false},
    {D3DFMT_A8,            "A8",         FAMILY_PACKED,   0,   false},
    {D3DFMT_A8R3G3B2,      "A8R3G3B2",   FAMILY_PACKED,   0,   false},
    {D3DFMT_X4R4G4B4,      "X4R4G4B4",   FAMILY_PACKED,   0,   false},
    {D3DFMT_L8,            "L8",         FAMILY_PACKED,   0,   false},
    {D3DFMT_A8L8,          "A8L8",       FAMILY_PACKED,   0,   false},
    {D3DFMT_A4L4,          "A4L4",       FAMILY_PACKED,   0,   false},
    {D3DFMT_V8U8,          "V8U8",       FAMILY_PACKED,   0,   false},
    {D3DFMT_L6V5U5,        "L6V5U5",     FAMILY_PACKED,   0,   false},
    {D3DFMT_X8L8V8U8,      "X8L8V8U8",   FAMILY_PACKED,   0,   false},
    {D3DFMT_Q8W8V8U8,      "Q8W8V8U8",   FAMILY_PACKED,   0,   false},
    {D3DFMT_V16U16,        "V16U16",     FAMILY_PACKED,   0,   false},
    {D3DFMT_W11V11U10,     "W11V11U10",  FAMILY_PACKED,   0,   false},
    {D3DFMT_UYVY,          "UYVY",       FAMILY_YUV,      0,   false},
    {D3DFMT_YUY2,          "YUY2",       FAMILY_YUV,      0,   false},
    {D3DFMT_DXT1,          "DXT1",       FAMILY_DXT,      8,   true},
    {D3DFMT_DXT2,          "DXT2",       FAMILY_DXT,     16,   true},
    {D3DFMT_DXT3,          "DXT3",       FAMILY_DXT,     16,   true},
    {D3DFMT_DXT4,          "DXT4",       FAMILY_DXT,     16,   true},
    {D3DFMT_DXT5,          "DXT5",       FAMILY_DXT,     16,   true},
    // clang-format on
};
static_assert(std::size(FORMAT_FACTS) == PIXEL_FORMAT_COUNT);

// The row of a table format; null for any other.
constexpr const FormatFacts* FindFormatFacts(D3DFORMAT format) {
    for (const FormatFacts& facts : FORMAT_FACTS) {
        if (facts.format == format) {
            return &facts;
        }
    }
    return nullptr;
}
