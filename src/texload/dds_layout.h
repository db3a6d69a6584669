#pragma once
// How DDS files describe the texture formats: the classic pixel-format
// record (flags, FourCC, bit count, masks), the DXGI codes of the DX10
// header, the packed level sizes, and the header itself.

#include <cstdint>

#include <d3d8.h>
#include <windows.h>

namespace tovtex {

constexpr DWORD DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40, DDPF_LUMINANCE = 0x20000,
                DDPF_BUMPLUMINANCE = 0x40000, DDPF_BUMPDUDV = 0x80000;

struct DdsPixelFormat {
    D3DFORMAT format;
    DWORD flags;  // DDPF_*
    DWORD fourCC;
    DWORD bits;
    DWORD red, green, blue, alpha;  // masks; for bump formats U, V, W/L, Q
    DWORD dxgi;                     // 0: no DXGI format
    DWORD dxgiSrgb;                 // 0: no sRGB flavour
    bool premultiplied;             // DXT2, DXT4
};

// Null for a format the DDS writer has no standard description of.
const DdsPixelFormat* FindDdsPixelFormat(D3DFORMAT format);

// Bytes of one stored row (for DXT: one row of 4 x 4 blocks; for YUV: two
// pixels in four bytes) and the number of stored rows of a level.
uint64_t DdsRowBytes(D3DFORMAT format, UINT width);
uint64_t DdsRowCount(D3DFORMAT format, UINT height);

enum class DdsShape { TEXTURE, CUBE, VOLUME };

struct DdsHeaderDesc {
    D3DFORMAT format;
    DdsShape shape;
    UINT width, height, depth;  // of the top level; depth 1 unless a volume
    UINT levels;                // per face, at least 1
    bool dx10;
    bool srgb;           // DX10 only
    bool premultiplied;  // DX10 only: the alpha mode field
};

constexpr UINT DDS_HEADER_BYTES = 128;
constexpr UINT DDS_DX10_HEADER_BYTES = 148;

// Writes the header ("DDS ", the surface description and, for DX10, the
// extra record) and returns its size; 0 when the format has no DDS
// description (or no DXGI code, or no sRGB one when asked).
UINT WriteDdsHeader(const DdsHeaderDesc& desc, BYTE* out);

}  // namespace tovtex
