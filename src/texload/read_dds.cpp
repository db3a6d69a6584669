// DDS files: plain textures and complete cube maps, every level borrowed
// from the file bytes.

#include "base/checked_size.h"
#include "base/tovtex_defs.h"
#include "codec/dxt_blocks.h"
#include "codec/pixel_format_table.h"
#include "texload/byte_order.h"
#include "texload/image_headers.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"

namespace {

using tovtex::LoadU32;

constexpr UINT HEADER_SIZE = 128;
constexpr DWORD DDS_MAGIC = 0x20534444;  // "DDS "
constexpr DWORD DDPF_RGB = 0x40;
constexpr DWORD DDPF_RGB_ALPHA = 0x41;
constexpr DWORD CUBE_FACE_BITS = 0xFC00;

D3DFORMAT ChooseFormat(const BYTE* header) {
    const DWORD flags = LoadU32(header + 80);
    const DWORD fourCC = LoadU32(header + 84);
    const DWORD bitCount = LoadU32(header + 88);
    const DWORD greenMask = LoadU32(header + 96);
    const DWORD alphaMask = LoadU32(header + 104);
    // A DXT FourCC is the format's own code; the flags are not consulted.
    if (IsDxtFormat(static_cast<D3DFORMAT>(fourCC))) return static_cast<D3DFORMAT>(fourCC);
    if (flags == DDPF_RGB_ALPHA && bitCount == 32 && alphaMask == 0xFF000000) return D3DFMT_A8R8G8B8;
    if (flags == DDPF_RGB && bitCount == 32) return D3DFMT_X8R8G8B8;
    if (flags == DDPF_RGB && bitCount == 16 && greenMask == 0x7E0) return D3DFMT_R5G6B5;
    if (flags == DDPF_RGB && bitCount == 16 && greenMask == 0x3E0) return D3DFMT_X1R5G5B5;
    if (flags == DDPF_RGB_ALPHA && bitCount == 16 && alphaMask == 0x8000) return D3DFMT_A1R5G5B5;
    if (flags == DDPF_RGB_ALPHA && bitCount == 16 && alphaMask == 0xF000) return D3DFMT_A4R4G4B4;
    return D3DFMT_UNKNOWN;
}

// Levels of a full chain from w x h down to 1 x 1.
uint64_t FullChainLevels(uint64_t w, uint64_t h) {
    uint64_t levels = 1;
    for (uint64_t side = w > h ? w : h; side > 1; side /= 2) {
        ++levels;
    }
    return levels;
}

// Row pitch and size of a w x h level (sides below 2^31) of a format the
// header chose; false when the size does not fit in 64 bits.
bool LevelLayout(D3DFORMAT format, uint64_t w, uint64_t h, uint64_t* pitch, uint64_t* levelSize) {
    const UINT blockBytes = DxtBlockBytes(format);
    if (blockBytes != 0) {
        *pitch = blockBytes * ((w + 3) / 4);
        return tovtex::CheckedMul(*pitch, (h + 3) / 4, levelSize);
    }
    *pitch = FindPixelFormat(format).bitsPerPixel / 8 * w;
    return tovtex::CheckedMul(*pitch, h, levelSize);
}

// The header, checked in the order the reader checks it. The size is
// filled in as soon as it is known to be usable.
struct DdsLayout {
    uint64_t width, height, levels;
    unsigned faces;
    D3DFORMAT format;
};

HRESULT ParseDds(const BYTE* data, UINT size, DdsLayout* out) {
    if (size < HEADER_SIZE || LoadU32(data) != DDS_MAGIC) {
        return E_FAIL;
    }
    const uint64_t height = LoadU32(data + 12);
    const uint64_t width = LoadU32(data + 16);
    const DWORD mipCount = LoadU32(data + 28);
    const DWORD cubeBits = LoadU32(data + 112) & CUBE_FACE_BITS;

    // The image fields are signed 32-bit; a picture without pixels is not
    // usable.
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) {
        return E_FAIL;
    }
    out->width = width;
    out->height = height;

    unsigned faces = 0;
    if (cubeBits == CUBE_FACE_BITS) {
        faces = 6;
    } else if (cubeBits == 0) {
        faces = 1;
    } else {
        return E_FAIL;
    }
    // Levels past 1 x 1 are not levels: their bytes are extra data, which
    // is ignored like any other after the last level.
    const uint64_t fullChain = FullChainLevels(width, height);
    const uint64_t levels = mipCount == 0 ? 1 : mipCount < fullChain ? mipCount : fullChain;
    const D3DFORMAT format = ChooseFormat(data);
    if (format == D3DFMT_UNKNOWN) {
        return E_FAIL;
    }
    // Borrowed pixels cost nothing here, but every texture made from them
    // is as large as the picture.
    if (!tovtex::FitsPixelLimit(width, height)) {
        return ERR_IMAGETOOLARGE;
    }
    *out = DdsLayout{width, height, levels, faces, format};
    return S_OK;
}

}  // namespace

HRESULT ReadDds(Image* image, const BYTE* data, UINT size) {
    DdsLayout dds{};
    const HRESULT parsed = ParseDds(data, size, &dds);
    if (dds.width != 0) {
        // Set as soon as the size is known, even when a later check fails.
        image->rect = RECT{0, 0, static_cast<LONG>(dds.width), static_cast<LONG>(dds.height)};
    }
    if (FAILED(parsed)) {
        return parsed;
    }
    const uint64_t width = dds.width, height = dds.height, levels = dds.levels;
    const unsigned faces = dds.faces;
    const D3DFORMAT format = dds.format;

    const BYTE* cursor = data + HEADER_SIZE;
    uint64_t remaining = size - HEADER_SIZE;
    Image* faceTop = image;
    for (unsigned face = 0; face < faces; ++face) {
        if (face > 0) {
            faceTop->nextFace = tovtex::NewLinkedImage();
            if (faceTop->nextFace == nullptr) {
                return E_OUTOFMEMORY;
            }
            faceTop = faceTop->nextFace;
        }
        uint64_t w = width;
        uint64_t h = height;
        Image* level = faceTop;
        for (uint64_t index = 0; index < levels; ++index) {
            if (index > 0) {
                level->nextLevel = tovtex::NewLinkedImage();
                if (level->nextLevel == nullptr) {
                    return E_OUTOFMEMORY;
                }
                level = level->nextLevel;
            }
            uint64_t pitch = 0;
            uint64_t levelSize = 0;
            if (!LevelLayout(format, w, h, &pitch, &levelSize) || remaining < levelSize || pitch > UINT32_MAX) {
                return E_FAIL;
            }
            level->format = format;
            level->pixels = const_cast<BYTE*>(cursor);
            level->rowPitch = static_cast<UINT>(pitch);
            level->rect = RECT{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
            cursor += levelSize;
            remaining -= levelSize;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    }
    return S_OK;
}

HRESULT tovtex::ReadDdsHeader(const BYTE* data, UINT size, ImageHeader* header) {
    DdsLayout dds{};
    if (HRESULT hr = ParseDds(data, size, &dds); FAILED(hr)) {
        return hr;
    }
    // Every level of every face must be there, as the reader finds them.
    uint64_t remaining = size - HEADER_SIZE;
    for (unsigned face = 0; face < dds.faces; ++face) {
        uint64_t w = dds.width;
        uint64_t h = dds.height;
        for (uint64_t index = 0; index < dds.levels; ++index) {
            uint64_t pitch = 0;
            uint64_t levelSize = 0;
            if (!LevelLayout(dds.format, w, h, &pitch, &levelSize) || remaining < levelSize || pitch > UINT32_MAX) {
                return E_FAIL;
            }
            remaining -= levelSize;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
    }
    *header = ImageHeader{dds.format, static_cast<UINT>(dds.width), static_cast<UINT>(dds.height),
                          static_cast<UINT>(dds.levels), dds.faces};
    return S_OK;
}
