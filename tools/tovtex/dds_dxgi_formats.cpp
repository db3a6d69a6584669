#include "dds_dxgi_formats.h"

namespace tovtex_tool {

namespace {

enum class DxgiRead { NO, MASKED, BLOCKS, BC4, BC5, YUV };

struct DxgiFormat {
    DWORD code;
    const char* name;
    DxgiRead read;
    UINT bitCount;  // MASKED
    DWORD red, green, blue, alpha;
    D3DFORMAT blocks;  // BLOCKS: straight alpha; premultiplied one below; YUV: the pairs' format
    D3DFORMAT premultipliedBlocks;
    const char* refusal;  // NO: why
};

// clang-format off
const DxgiFormat DXGI_FORMATS[] = {
    {2,  "R32G32B32A32_FLOAT",   DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "floating-point pixels are not supported"},
    {10, "R16G16B16A16_FLOAT",   DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "floating-point pixels are not supported"},
    {11, "R16G16B16A16_UNORM",   DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "64-bit pixels are not supported"},
    {24, "R10G10B10A2_UNORM",    DxgiRead::MASKED, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {28, "R8G8B8A8_UNORM",       DxgiRead::MASKED, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {29, "R8G8B8A8_UNORM_SRGB",  DxgiRead::MASKED, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {31, "R8G8B8A8_SNORM",       DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "signed pixels are not supported"},
    {35, "R16G16_UNORM",         DxgiRead::MASKED, 32, 0xFFFF, 0xFFFF0000, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {41, "R32_FLOAT",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "floating-point pixels are not supported"},
    {49, "R8G8_UNORM",           DxgiRead::MASKED, 16, 0xFF, 0xFF00, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {54, "R16_FLOAT",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "floating-point pixels are not supported"},
    {56, "R16_UNORM",            DxgiRead::MASKED, 16, 0xFFFF, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {61, "R8_UNORM",             DxgiRead::MASKED, 8, 0xFF, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {65, "A8_UNORM",             DxgiRead::MASKED, 8, 0, 0, 0, 0xFF, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {70, "BC1_TYPELESS",         DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT1, D3DFMT_DXT1, nullptr},
    {71, "BC1_UNORM",            DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT1, D3DFMT_DXT1, nullptr},
    {72, "BC1_UNORM_SRGB",       DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT1, D3DFMT_DXT1, nullptr},
    {73, "BC2_TYPELESS",         DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT3, D3DFMT_DXT2, nullptr},
    {74, "BC2_UNORM",            DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT3, D3DFMT_DXT2, nullptr},
    {75, "BC2_UNORM_SRGB",       DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT3, D3DFMT_DXT2, nullptr},
    {76, "BC3_TYPELESS",         DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT5, D3DFMT_DXT4, nullptr},
    {77, "BC3_UNORM",            DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT5, D3DFMT_DXT4, nullptr},
    {78, "BC3_UNORM_SRGB",       DxgiRead::BLOCKS, 0, 0, 0, 0, 0, D3DFMT_DXT5, D3DFMT_DXT4, nullptr},
    {79, "BC4_TYPELESS",         DxgiRead::BC4, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {80, "BC4_UNORM",            DxgiRead::BC4, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {81, "BC4_SNORM",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "signed BC4 compression is not supported"},
    {82, "BC5_TYPELESS",         DxgiRead::BC5, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {83, "BC5_UNORM",            DxgiRead::BC5, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {84, "BC5_SNORM",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "signed BC5 compression is not supported"},
    {85, "B5G6R5_UNORM",         DxgiRead::MASKED, 16, 0xF800, 0x7E0, 0x1F, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {86, "B5G5R5A1_UNORM",       DxgiRead::MASKED, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {87, "B8G8R8A8_UNORM",       DxgiRead::MASKED, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {88, "B8G8R8X8_UNORM",       DxgiRead::MASKED, 32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {91, "B8G8R8A8_UNORM_SRGB",  DxgiRead::MASKED, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {93, "B8G8R8X8_UNORM_SRGB",  DxgiRead::MASKED, 32, 0xFF0000, 0xFF00, 0xFF, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
    {94, "BC6H_TYPELESS",        DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC6H compression is not supported"},
    {95, "BC6H_UF16",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC6H compression is not supported"},
    {96, "BC6H_SF16",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC6H compression is not supported"},
    {97, "BC7_TYPELESS",         DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC7 compression is not supported"},
    {98, "BC7_UNORM",            DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC7 compression is not supported"},
    {99, "BC7_UNORM_SRGB",       DxgiRead::NO, 0, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, "BC7 compression is not supported"},
    {107, "YUY2",                DxgiRead::YUV, 0, 0, 0, 0, 0, D3DFMT_YUY2, D3DFMT_YUY2, nullptr},
    {115, "B4G4R4A4_UNORM",      DxgiRead::MASKED, 16, 0xF00, 0xF0, 0xF, 0xF000, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN, nullptr},
};
// clang-format on

const DxgiFormat* FindDxgi(DWORD code) {
    for (const DxgiFormat& format : DXGI_FORMATS) {
        if (format.code == code) {
            return &format;
        }
    }
    return nullptr;
}

}  // namespace

std::string DxgiFormatName(DWORD dxgiFormat) {
    const DxgiFormat* format = FindDxgi(dxgiFormat);
    return format != nullptr ? format->name : std::to_string(dxgiFormat);
}

bool DxgiSourceLayout(DWORD dxgiFormat, bool premultiplied, DdsSourceLayout* layout, std::string* reason) {
    const DxgiFormat* format = FindDxgi(dxgiFormat);
    if (format == nullptr) {
        *reason = "DXGI format " + std::to_string(dxgiFormat) + " is not supported";
        return false;
    }
    if (format->read == DxgiRead::NO) {
        *reason = format->refusal;
        return false;
    }
    *layout = DdsSourceLayout{};
    layout->name = std::string("DXGI_FORMAT_") + format->name;
    switch (format->read) {
    case DxgiRead::MASKED:
        layout->storage = DdsStorage::MASKED;
        layout->bitCount = format->bitCount;
        layout->red = format->red;
        layout->green = format->green;
        layout->blue = format->blue;
        layout->alpha = format->alpha;
        break;
    case DxgiRead::BLOCKS:
        layout->storage = DdsStorage::DXT_BLOCKS;
        layout->blockFormat = premultiplied ? format->premultipliedBlocks : format->blocks;
        break;
    case DxgiRead::YUV:
        layout->storage = DdsStorage::YUV_PAIRS;
        layout->blockFormat = format->blocks;
        break;
    case DxgiRead::BC4: layout->storage = DdsStorage::BC4_BLOCKS; break;
    case DxgiRead::BC5: layout->storage = DdsStorage::BC5_BLOCKS; break;
    case DxgiRead::NO: break;
    }
    return true;
}

}  // namespace tovtex_tool
