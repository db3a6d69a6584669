#pragma once
// The pixel formats the library knows: what each holds and how wide its
// channels are. The row order is the device format search order.

#include <cstddef>
#include <span>

#include <d3d8.h>
#include <windows.h>

enum FormatKind : DWORD {
    FORMAT_KIND_RGB = 0,  // colour, alpha-only, YUV and DXT formats
    FORMAT_KIND_PALETTE = 1,
    FORMAT_KIND_LUMINANCE = 2,
    FORMAT_KIND_SIGNED = 3,  // bump maps
};

// Signed formats keep U in blueBits, V in greenBits, W in redBits and Q in
// alphaBits; luminance formats record their width in red, green and blue.
struct PixelFormatInfo {
    D3DFORMAT format;
    FormatKind kind;
    UINT bitsPerPixel;
    UINT luminanceBits;
    UINT alphaBits;
    UINT redBits;
    UINT greenBits;
    UINT blueBits;
    BOOL substitutable;  // may stand in for a different requested format
    BOOL listed;         // takes part in the device format search
};

inline constexpr std::size_t PIXEL_FORMAT_COUNT = 29;

// The searched rows, in order; the default row is not among them.
extern const PixelFormatInfo PixelFormatTable[PIXEL_FORMAT_COUNT];

// Describes any format not in the table: a 32-bit A8R8G8B8-like format.
extern const PixelFormatInfo DefaultPixelFormat;

// The row for a format, or the default row when the table has none.
const PixelFormatInfo& FindPixelFormat(D3DFORMAT format);

// The 29 searched rows in table order.
inline std::span<const PixelFormatInfo, PIXEL_FORMAT_COUNT> PixelFormats() {
    return std::span<const PixelFormatInfo, PIXEL_FORMAT_COUNT>(PixelFormatTable);
}
