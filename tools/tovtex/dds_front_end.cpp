#include "dds_front_end.h"

#include <cctype>
#include <cstring>
#include <new>

#include "any_shape_loader.h"
#include "base/checked_size.h"
#include "dds_dxgi_formats.h"
#include "dds_source_layout.h"
#include "dds_writer.h"
#include "format_names.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

using tovtex::CheckedAdd;
using tovtex::CheckedMul;
using tovtex::CheckedMul3;

constexpr UINT HEADER_BYTES = 128;
constexpr UINT DX10_HEADER_BYTES = 148;

constexpr DWORD DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_PALETTEINDEXED4 = 0x8,
                DDPF_PALETTEINDEXED8 = 0x20, DDPF_RGB = 0x40, DDPF_YUV = 0x200, DDPF_LUMINANCE = 0x20000,
                DDPF_BUMPLUMINANCE = 0x40000, DDPF_BUMPDUDV = 0x80000;
constexpr DWORD DDSCAPS2_CUBE_FACES = 0xFC00, DDSCAPS2_VOLUME = 0x200000;
constexpr DWORD DX10_MISC_TEXTURECUBE = 0x4, DX10_ALPHA_MODE_PREMULTIPLIED = 2;
constexpr DWORD DX10_DIMENSION_TEXTURE3D = 4;

constexpr DWORD FourCC(const char (&text)[5]) {
    return DWORD{static_cast<BYTE>(text[0])} | DWORD{static_cast<BYTE>(text[1])} << 8 |
           DWORD{static_cast<BYTE>(text[2])} << 16 | DWORD{static_cast<BYTE>(text[3])} << 24;
}

DWORD Get32(const BYTE* data, UINT offset) {
    return DWORD{data[offset]} | DWORD{data[offset + 1]} << 8 | DWORD{data[offset + 2]} << 16 |
           DWORD{data[offset + 3]} << 24;
}

HRESULT Refuse(std::string* reason, const std::string& why) {
    *reason = why;
    return ERR_INVALIDDATA;
}

std::string FourCCText(DWORD code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(code >> (8 * i));
        if (!std::isprint(static_cast<unsigned char>(c))) {
            return "format code " + std::to_string(code);
        }
        text += c;
    }
    return "FourCC '" + text + "'";
}

// Everything the header says, checked enough to be used.
struct Header {
    DdsSourceLayout layout;
    UINT dataOffset = HEADER_BYTES;
    UINT width = 0, height = 0, depth = 1, levels = 1, faces = 1;
    bool volume = false;
    bool extended = false;  // "DX10"
    DWORD pixelFlags = 0;
};

// The layout of a classic header (no "DX10"): by FourCC, else by flags.
HRESULT ClassicLayout(const BYTE* data, Header* header, std::string* reason) {
    DdsSourceLayout& layout = header->layout;
    const DWORD flags = Get32(data, 80), fourCC = Get32(data, 84);
    header->pixelFlags = flags;
    // Formats named by their FourCC, stored as a texture of that format
    // holds them.
    const DWORD asStored[] = {FourCC("DXT1"), FourCC("DXT2"), FourCC("DXT3"), FourCC("DXT4"),
                              FourCC("DXT5"), FourCC("UYVY"), FourCC("YUY2")};
    for (DWORD code : asStored) {
        if (fourCC == code) {
            layout.blockFormat = static_cast<D3DFORMAT>(code);
            layout.storage = IsDxtFormat(layout.blockFormat) ? DdsStorage::DXT_BLOCKS : DdsStorage::YUV_PAIRS;
            layout.name = FormatName(layout.blockFormat);
            return S_OK;
        }
    }
    struct Block {
        DWORD code;
        DdsStorage storage;
        const char* name;
    };
    const Block blocks[] = {{FourCC("ATI1"), DdsStorage::BC4_BLOCKS, "BC4 (ATI1)"},
                            {FourCC("BC4U"), DdsStorage::BC4_BLOCKS, "BC4 (BC4U)"},
                            {FourCC("ATI2"), DdsStorage::BC5_BLOCKS, "BC5 (ATI2)"},
                            {FourCC("BC5U"), DdsStorage::BC5_BLOCKS, "BC5 (BC5U)"}};
    for (const Block& block : blocks) {
        if (fourCC == block.code) {
            layout.storage = block.storage;
            layout.name = block.name;
            return S_OK;
        }
    }
    if (fourCC == FourCC("BC4S") || fourCC == FourCC("BC5S")) {
        return Refuse(reason, std::string("signed ") + (fourCC == FourCC("BC4S") ? "BC4" : "BC5") +
                                  " compression is not supported");
    }
    if ((flags & DDPF_FOURCC) != 0) {
        return Refuse(reason, FourCCText(fourCC) + " is not supported");
    }
    if ((flags & (DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8)) != 0) {
        return Refuse(reason, "palette DDS files are not supported");
    }
    if ((flags & (DDPF_BUMPDUDV | DDPF_BUMPLUMINANCE)) != 0) {
        return Refuse(reason, "bump-map (signed) pixels are not supported");
    }
    if ((flags & DDPF_YUV) != 0) {
        return Refuse(reason, "YUV pixels are not supported");
    }
    layout.storage = DdsStorage::MASKED;
    layout.bitCount = Get32(data, 88);
    const bool alpha = (flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) != 0;
    layout.alpha = alpha ? Get32(data, 104) : 0;
    if ((flags & DDPF_RGB) != 0) {
        layout.red = Get32(data, 92);
        layout.green = Get32(data, 96);
        layout.blue = Get32(data, 100);
    } else if ((flags & DDPF_LUMINANCE) != 0) {
        layout.luminance = true;
        layout.red = Get32(data, 92);
    } else if (!alpha) {
        return Refuse(
            reason, "the pixel format (flags 0x" + [&] {
                char hex[16];
                std::snprintf(hex, sizeof(hex), "%X", static_cast<unsigned>(flags));
                return std::string(hex);
            }() + ") is not supported");
    }
    if (!CheckMasks(layout, reason)) {
        return ERR_INVALIDDATA;
    }
    layout.name = MaskedLayoutName(layout);
    return S_OK;
}

HRESULT ReadHeader(const BYTE* data, UINT size, Header* header, std::string* reason) {
    header->height = Get32(data, 12);
    header->width = Get32(data, 16);
    const DWORD depth = Get32(data, 24), mipCount = Get32(data, 28), caps2 = Get32(data, 112);
    header->levels = mipCount == 0 ? 1 : mipCount;
    bool cube = false;
    if (Get32(data, 84) == FourCC("DX10")) {
        header->extended = true;
        if (size < DX10_HEADER_BYTES) {
            return Refuse(reason, "the file ends inside its DX10 header");
        }
        header->dataOffset = DX10_HEADER_BYTES;
        const DWORD dxgi = Get32(data, 128), dimension = Get32(data, 132), misc = Get32(data, 136),
                    arraySize = Get32(data, 140), misc2 = Get32(data, 144);
        if (arraySize > 1) {
            return Refuse(reason, "texture arrays (" + std::to_string(arraySize) + " layers) are not supported");
        }
        if (!DxgiSourceLayout(dxgi, (misc2 & 7) == DX10_ALPHA_MODE_PREMULTIPLIED, &header->layout, reason)) {
            return ERR_INVALIDDATA;
        }
        cube = (misc & DX10_MISC_TEXTURECUBE) != 0;
        header->volume = dimension == DX10_DIMENSION_TEXTURE3D && depth > 1;
    } else {
        const HRESULT hr = ClassicLayout(data, header, reason);
        if (FAILED(hr)) {
            return hr;
        }
        const DWORD faceBits = caps2 & DDSCAPS2_CUBE_FACES;
        if (faceBits != 0 && faceBits != DDSCAPS2_CUBE_FACES) {
            return Refuse(reason, "a cube map without all six faces is not supported");
        }
        cube = faceBits != 0;
        header->volume = (caps2 & DDSCAPS2_VOLUME) != 0 && depth > 1;
    }
    if (cube && header->volume) {
        return Refuse(reason, "the header describes both a cube map and a volume");
    }
    header->faces = cube ? 6 : 1;
    header->depth = header->volume ? depth : 1;
    // Levels past 1 x 1 are not levels, as the library reads them: their
    // bytes are extra data.
    const UINT chain = FullChain(header->width > header->height ? header->width : header->height, header->depth);
    header->levels = header->levels < chain ? header->levels : chain;
    return S_OK;
}

// What the library's own reader takes, and reads right, is left to it.
bool LibraryReadsAsItIs(const Header& header) {
    if (header.extended || header.volume) {
        return false;
    }
    const DdsSourceLayout& layout = header.layout;
    if (layout.storage == DdsStorage::DXT_BLOCKS) {
        return true;
    }
    const bool alphaFlags = header.pixelFlags == (DDPF_RGB | DDPF_ALPHAPIXELS);
    return layout.storage == DdsStorage::MASKED && IsNativeLayout(layout) &&
           (header.pixelFlags == DDPF_RGB || alphaFlags) && alphaFlags == (layout.alpha != 0);
}

UINT Half(UINT side, UINT level) {
    const UINT half = level >= 32 ? 0 : side >> level;
    return half == 0 ? 1 : half;
}

}  // namespace

HRESULT ReadDdsFrontEnd(const BYTE* data, UINT size, DdsFrontEnd* frontEnd, std::string* reason) {
    *frontEnd = DdsFrontEnd{};
    reason->clear();
    if (size < HEADER_BYTES || std::memcmp(data, "DDS ", 4) != 0) {
        return S_OK;
    }
    Header header;
    HRESULT hr = ReadHeader(data, size, &header, reason);
    if (FAILED(hr) || LibraryReadsAsItIs(header)) {
        return hr;
    }
    if (header.width == 0 || header.height == 0) {
        return Refuse(reason, "the header gives a size of 0 pixels");
    }
    const ULONGLONG limit = GetImagePixelLimit();
    uint64_t pixels = 0;
    if (!CheckedMul3(header.width, header.height, header.depth, &pixels) || (limit != 0 && pixels > limit)) {
        return ERR_IMAGETOOLARGE;
    }
    const DdsSourceLayout& layout = header.layout;
    const D3DFORMAT format = ConvertedFormat(layout);
    // Both sizes before anything is allocated: the stored levels must lie in
    // the file, and the converted ones must fit a file the library takes.
    const uint64_t available = size - header.dataOffset;
    uint64_t stored = 0, converted = 0;
    for (UINT level = 0; level < header.levels; ++level) {
        const UINT w = Half(header.width, level), h = Half(header.height, level);
        const UINT d = header.volume ? Half(header.depth, level) : 1;
        uint64_t in = 0, out = 0;
        if (!CheckedMul3(SourceRowBytes(layout, w), SourceRowCount(layout, h), d, &in) ||
            !CheckedMul3(DdsRowBytes(format, w), DdsRowCount(format, h), d, &out) || !CheckedAdd(stored, in, &stored) ||
            !CheckedAdd(converted, out, &converted) || stored > available) {
            return Refuse(reason, "the file ends before its pixel data does");
        }
        // The library's conversion measures rows in INT.
        if (layout.storage == DdsStorage::YUV_PAIRS && DdsRowBytes(format, w) > INT32_MAX) {
            return Refuse(reason, "the picture's rows are too long (2 GiB or more once converted)");
        }
    }
    uint64_t allStored = 0, allConverted = 0;
    if (!CheckedMul(stored, header.faces, &allStored) || allStored > available ||
        !CheckedMul(converted, header.faces, &allConverted)) {
        return Refuse(reason, "the file ends before its pixel data does");
    }
    if (allConverted > 0xFFFFFFFFu - HEADER_BYTES) {
        return Refuse(reason, "the picture is too large once converted (4 GiB or more)");
    }
    const UINT total = static_cast<UINT>(allConverted + HEADER_BYTES);
    frontEnd->file.data.reset(new (std::nothrow) BYTE[total]);
    if (frontEnd->file.data == nullptr) {
        return E_OUTOFMEMORY;
    }
    frontEnd->file.size = total;
    const std::vector<BYTE> head =
        DdsHeader({format, header.width, header.height, header.levels, header.faces == 6, header.depth});
    std::memcpy(frontEnd->file.data.get(), head.data(), HEADER_BYTES);
    const BYTE* source = data + header.dataOffset;
    BYTE* destination = frontEnd->file.data.get() + HEADER_BYTES;
    for (UINT face = 0; face < header.faces; ++face) {
        for (UINT level = 0; level < header.levels; ++level) {
            const UINT w = Half(header.width, level), h = Half(header.height, level);
            const UINT d = header.volume ? Half(header.depth, level) : 1;
            for (UINT slice = 0; slice < d; ++slice) {
                hr = ConvertSlice(layout, w, h, source, destination);
                if (FAILED(hr)) {
                    frontEnd->file = FileBytes{};
                    return hr == E_OUTOFMEMORY ? hr : Refuse(reason, "the library could not convert the pixels");
                }
                source += SourceRowBytes(layout, w) * SourceRowCount(layout, h);
                destination += DdsRowBytes(format, w) * DdsRowCount(format, h);
            }
        }
    }
    frontEnd->applied = true;
    frontEnd->layoutName = layout.name;
    frontEnd->width = header.width;
    frontEnd->height = header.height;
    frontEnd->depth = header.depth;
    frontEnd->levels = header.levels;
    frontEnd->faces = header.faces;
    frontEnd->volume = header.volume;
    frontEnd->format = format;
    frontEnd->naturalFormat = NaturalFormat(layout);
    return S_OK;
}

const BYTE* VolumeLevel(const DdsFrontEnd& frontEnd, UINT level, UINT* width, UINT* height, UINT* depth) {
    const BYTE* at = frontEnd.file.data.get() + HEADER_BYTES;
    for (UINT l = 0;; ++l) {
        const UINT w = Half(frontEnd.width, l), h = Half(frontEnd.height, l), d = Half(frontEnd.depth, l);
        if (l == level) {
            *width = w;
            *height = h;
            *depth = d;
            return at;
        }
        at += DdsRowBytes(frontEnd.format, w) * DdsRowCount(frontEnd.format, h) * d;
    }
}

}  // namespace tovtex_tool
