#include "texload/dds_layout.h"

#include <cstring>

#include "codec/dxt_blocks.h"
#include "codec/pixel_format_table.h"

namespace tovtex {

namespace {

constexpr DWORD DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8, DDSD_PIXELFORMAT = 0x1000,
                DDSD_MIPMAPCOUNT = 0x20000, DDSD_LINEARSIZE = 0x80000, DDSD_DEPTH = 0x800000;
constexpr DWORD DDSCAPS_COMPLEX = 0x8, DDSCAPS_TEXTURE = 0x1000, DDSCAPS_MIPMAP = 0x400000;
constexpr DWORD DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_ALL_FACES = 0xFC00, DDSCAPS2_VOLUME = 0x200000;
constexpr DWORD FOURCC_DX10 = 0x30315844;  // "DX10"
constexpr DWORD DIMENSION_TEXTURE2D = 3, DIMENSION_TEXTURE3D = 4, MISC_TEXTURECUBE = 0x4;
constexpr DWORD ALPHA_MODE_PREMULTIPLIED = 2;

constexpr DWORD RGB = DDPF_RGB, RGBA = DDPF_RGB | DDPF_ALPHAPIXELS, LUM = DDPF_LUMINANCE,
                LUMA = DDPF_LUMINANCE | DDPF_ALPHAPIXELS, FOURCC = DDPF_FOURCC;

// The masks are those of the classic DirectDraw descriptions, which every
// DDS reader knows. Palette formats are left out: a Direct3D 8 texture
// keeps no palette of its own to store beside the indices.
constexpr DdsPixelFormat DDS_PIXEL_FORMATS[] = {
    // clang-format off
    //  format            flags          fourCC          bits  red         green       blue        alpha       dxgi srgb premul
    {D3DFMT_A8R8G8B8,     RGBA,          0,              32, 0xFF0000,   0xFF00,     0xFF,       0xFF000000, 87,  91,  false},
    {D3DFMT_X8R8G8B8,     RGB,           0,              32, 0xFF0000,   0xFF00,     0xFF,       0,          88,  93,  false},
    {D3DFMT_R8G8B8,       RGB,           0,              24, 0xFF0000,   0xFF00,     0xFF,       0,          0,   0,   false},
    {D3DFMT_R5G6B5,       RGB,           0,              16, 0xF800,     0x7E0,      0x1F,       0,          85,  0,   false},
    {D3DFMT_X1R5G5B5,     RGB,           0,              16, 0x7C00,     0x3E0,      0x1F,       0,          0,   0,   false},
    {D3DFMT_A1R5G5B5,     RGBA,          0,              16, 0x7C00,     0x3E0,      0x1F,       0x8000,     86,  0,   false},
    {D3DFMT_A4R4G4B4,     RGBA,          0,              16, 0xF00,      0xF0,       0xF,        0xF000,     115, 0,   false},
    {D3DFMT_R3G3B2,       RGB,           0,               8, 0xE0,       0x1C,       0x3,        0,          0,   0,   false},
    {D3DFMT_A8,           DDPF_ALPHA,    0,               8, 0,          0,          0,          0xFF,       65,  0,   false},
    {D3DFMT_A8R3G3B2,     RGBA,          0,              16, 0xE0,       0x1C,       0x3,        0xFF00,     0,   0,   false},
    {D3DFMT_X4R4G4B4,     RGB,           0,              16, 0xF00,      0xF0,       0xF,        0,          0,   0,   false},
    {D3DFMT_L8,           LUM,           0,               8, 0xFF,       0,          0,          0,          0,   0,   false},
    {D3DFMT_A8L8,         LUMA,          0,              16, 0xFF,       0,          0,          0xFF00,     0,   0,   false},
    {D3DFMT_A4L4,         LUMA,          0,               8, 0xF,        0,          0,          0xF0,       0,   0,   false},
    {D3DFMT_V8U8,         DDPF_BUMPDUDV, 0,              16, 0xFF,       0xFF00,     0,          0,          51,  0,   false},
    {D3DFMT_L6V5U5,       DDPF_BUMPLUMINANCE, 0,         16, 0x1F,       0x3E0,      0xFC00,     0,          0,   0,   false},
    {D3DFMT_X8L8V8U8,     DDPF_BUMPLUMINANCE, 0,         32, 0xFF,       0xFF00,     0xFF0000,   0,          0,   0,   false},
    {D3DFMT_Q8W8V8U8,     DDPF_BUMPDUDV, 0,              32, 0xFF,       0xFF00,     0xFF0000,   0xFF000000, 31,  0,   false},
    {D3DFMT_V16U16,       DDPF_BUMPDUDV, 0,              32, 0xFFFF,     0xFFFF0000, 0,          0,          37,  0,   false},
    {D3DFMT_UYVY,         FOURCC,        D3DFMT_UYVY,     0, 0,          0,          0,          0,          0,   0,   false},
    {D3DFMT_YUY2,         FOURCC,        D3DFMT_YUY2,     0, 0,          0,          0,          0,          107, 0,   false},
    {D3DFMT_DXT1,         FOURCC,        D3DFMT_DXT1,     0, 0,          0,          0,          0,          71,  72,  false},
    {D3DFMT_DXT2,         FOURCC,        D3DFMT_DXT2,     0, 0,          0,          0,          0,          74,  75,  true},
    {D3DFMT_DXT3,         FOURCC,        D3DFMT_DXT3,     0, 0,          0,          0,          0,          74,  75,  false},
    {D3DFMT_DXT4,         FOURCC,        D3DFMT_DXT4,     0, 0,          0,          0,          0,          77,  78,  true},
    {D3DFMT_DXT5,         FOURCC,        D3DFMT_DXT5,     0, 0,          0,          0,          0,          77,  78,  false},
    // clang-format on
};

void Put32(BYTE* bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

bool IsYuv(D3DFORMAT format) {
    return format == D3DFMT_UYVY || format == D3DFMT_YUY2;
}

}  // namespace

const DdsPixelFormat* FindDdsPixelFormat(D3DFORMAT format) {
    for (const DdsPixelFormat& entry : DDS_PIXEL_FORMATS) {
        if (entry.format == format) {
            return &entry;
        }
    }
    return nullptr;
}

uint64_t DdsRowBytes(D3DFORMAT format, UINT width) {
    if (IsDxtFormat(format)) {
        return (uint64_t{width} + 3) / 4 * DxtBlockBytes(format);
    }
    if (IsYuv(format)) {
        return (uint64_t{width} + 1) / 2 * 4;
    }
    return uint64_t{width} * (FindPixelFormat(format).bitsPerPixel / 8);
}

uint64_t DdsRowCount(D3DFORMAT format, UINT height) {
    return IsDxtFormat(format) ? (uint64_t{height} + 3) / 4 : uint64_t{height};
}

UINT WriteDdsHeader(const DdsHeaderDesc& desc, BYTE* out) {
    const DdsPixelFormat* pf = FindDdsPixelFormat(desc.format);
    if (pf == nullptr || (desc.dx10 && pf->dxgi == 0) || (desc.srgb && (!desc.dx10 || pf->dxgiSrgb == 0))) {
        return 0;
    }
    const UINT size = desc.dx10 ? DDS_DX10_HEADER_BYTES : DDS_HEADER_BYTES;
    std::memset(out, 0, size);
    std::memcpy(out, "DDS ", 4);
    Put32(out, 4, 124);
    const bool dxt = IsDxtFormat(desc.format);
    const bool mips = desc.levels > 1;
    const bool volume = desc.shape == DdsShape::VOLUME;
    const bool cube = desc.shape == DdsShape::CUBE;
    Put32(out, 8,
          DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | (mips ? DDSD_MIPMAPCOUNT : 0) |
              (dxt ? DDSD_LINEARSIZE : DDSD_PITCH) | (volume ? DDSD_DEPTH : 0));
    Put32(out, 12, desc.height);
    Put32(out, 16, desc.width);
    const uint64_t rowBytes = DdsRowBytes(desc.format, desc.width);
    const uint64_t pitchOrSize = dxt ? rowBytes * DdsRowCount(desc.format, desc.height) : rowBytes;
    Put32(out, 20, pitchOrSize > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(pitchOrSize));
    Put32(out, 24, volume ? desc.depth : 0);
    Put32(out, 28, mips ? desc.levels : 0);
    Put32(out, 76, 32);
    if (desc.dx10) {
        Put32(out, 80, DDPF_FOURCC);
        Put32(out, 84, FOURCC_DX10);
    } else {
        Put32(out, 80, pf->flags);
        Put32(out, 84, pf->fourCC);
        Put32(out, 88, pf->bits);
        Put32(out, 92, pf->red);
        Put32(out, 96, pf->green);
        Put32(out, 100, pf->blue);
        Put32(out, 104, pf->alpha);
    }
    Put32(out, 108, DDSCAPS_TEXTURE | (mips || cube || volume ? DDSCAPS_COMPLEX : 0) | (mips ? DDSCAPS_MIPMAP : 0));
    Put32(out, 112, cube ? DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES : volume ? DDSCAPS2_VOLUME : 0);
    if (desc.dx10) {
        Put32(out, 128, desc.srgb ? pf->dxgiSrgb : pf->dxgi);
        Put32(out, 132, volume ? DIMENSION_TEXTURE3D : DIMENSION_TEXTURE2D);
        Put32(out, 136, cube ? MISC_TEXTURECUBE : 0);
        Put32(out, 140, 1);
        Put32(out, 144, desc.premultiplied || pf->premultiplied ? ALPHA_MODE_PREMULTIPLIED : 0);
    }
    return size;
}

}  // namespace tovtex
