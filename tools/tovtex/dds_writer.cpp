#include "dds_writer.h"

#include <cstring>

#include "codec/format_facts.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

constexpr DWORD DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8, DDSD_PIXELFORMAT = 0x1000,
                DDSD_MIPMAPCOUNT = 0x20000, DDSD_LINEARSIZE = 0x80000;
constexpr DWORD DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
constexpr DWORD DDSCAPS_COMPLEX = 0x8, DDSCAPS_TEXTURE = 0x1000, DDSCAPS_MIPMAP = 0x400000;
constexpr DWORD DDSCAPS2_CUBEMAP = 0x200, DDSCAPS2_ALL_FACES = 0xFC00;

// The colour formats DDS files hold pack blue lowest, then green, red and
// alpha; X bits lie between red and alpha and belong to no mask.
struct ColourMasks {
    DWORD red, green, blue, alpha;  // alpha 0: no alpha channel
};

ColourMasks MasksOf(const PixelFormatInfo& info) {
    const auto ones = [](UINT bits) { return (DWORD{1} << bits) - 1; };
    const DWORD alpha = info.alphaBits != 0 ? ones(info.alphaBits) << (info.bitsPerPixel - info.alphaBits) : 0;
    return {ones(info.redBits) << (info.greenBits + info.blueBits), ones(info.greenBits) << info.blueBits,
            ones(info.blueBits), alpha};
}

void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

// Locks one level of either kind of texture, appends it and unlocks.
template <typename GetSurface>
HRESULT AppendSurface(std::vector<BYTE>* out, GetSurface getSurface) {
    IDirect3DSurface8* surface = nullptr;
    HRESULT hr = getSurface(&surface);
    if (FAILED(hr)) {
        return hr;
    }
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    hr = surface->GetDesc(&desc);
    if (SUCCEEDED(hr)) {
        hr = surface->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    }
    if (SUCCEEDED(hr)) {
        AppendDdsLevel(out, desc.Format, desc.Width, desc.Height, static_cast<const BYTE*>(locked.pBits),
                       static_cast<UINT>(locked.Pitch));
        surface->UnlockRect();
    }
    surface->Release();
    return hr;
}

// The bytes of every level of one face, so the output grows once.
template <typename GetDesc>
uint64_t FaceBytes(UINT levels, GetDesc getDesc) {
    uint64_t total = 0;
    for (UINT level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(getDesc(level, &desc))) {
            total += DdsRowBytes(desc.Format, desc.Width) * DdsRowCount(desc.Format, desc.Height);
        }
    }
    return total;
}

}  // namespace

bool IsDdsWritable(D3DFORMAT format) {
    const FormatFacts* facts = FindFormatFacts(format);
    return facts != nullptr && facts->dds;
}

uint64_t DdsRowBytes(D3DFORMAT format, UINT width) {
    if (IsDxtFormat(format)) {
        return (uint64_t{width} + 3) / 4 * DxtBlockBytes(format);
    }
    return uint64_t{width} * (FindPixelFormat(format).bitsPerPixel / 8);
}

uint64_t DdsRowCount(D3DFORMAT format, UINT height) {
    return IsDxtFormat(format) ? (uint64_t{height} + 3) / 4 : uint64_t{height};
}

std::vector<BYTE> DdsHeader(const DdsLayout& layout) {
    std::vector<BYTE> header(128, 0);
    std::memcpy(header.data(), "DDS ", 4);
    Put32(header, 4, 124);
    const bool dxt = IsDxtFormat(layout.format);
    const bool mips = layout.levels > 1;
    Put32(header, 8,
          DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | (mips ? DDSD_MIPMAPCOUNT : 0) |
              (dxt ? DDSD_LINEARSIZE : DDSD_PITCH));
    Put32(header, 12, layout.height);
    Put32(header, 16, layout.width);
    const uint64_t rowBytes = DdsRowBytes(layout.format, layout.width);
    const uint64_t pitchOrSize = dxt ? rowBytes * DdsRowCount(layout.format, layout.height) : rowBytes;
    Put32(header, 20, pitchOrSize > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(pitchOrSize));
    Put32(header, 28, mips ? layout.levels : 0);
    Put32(header, 76, 32);
    if (dxt) {
        Put32(header, 80, DDPF_FOURCC);
        Put32(header, 84, static_cast<DWORD>(layout.format));
    } else if (IsDdsWritable(layout.format)) {
        const PixelFormatInfo& info = FindPixelFormat(layout.format);
        const ColourMasks masks = MasksOf(info);
        Put32(header, 80, DDPF_RGB | (masks.alpha != 0 ? DDPF_ALPHAPIXELS : 0));
        Put32(header, 88, info.bitsPerPixel);
        Put32(header, 92, masks.red);
        Put32(header, 96, masks.green);
        Put32(header, 100, masks.blue);
        Put32(header, 104, masks.alpha);
    }
    Put32(header, 108, DDSCAPS_TEXTURE | (mips || layout.cube ? DDSCAPS_COMPLEX : 0) | (mips ? DDSCAPS_MIPMAP : 0));
    Put32(header, 112, layout.cube ? DDSCAPS2_CUBEMAP | DDSCAPS2_ALL_FACES : 0);
    return header;
}

void AppendDdsLevel(std::vector<BYTE>* out, D3DFORMAT format, UINT width, UINT height, const BYTE* pixels,
                    UINT rowPitch) {
    const uint64_t rowBytes = DdsRowBytes(format, width);
    const uint64_t rows = DdsRowCount(format, height);
    for (uint64_t y = 0; y < rows; ++y) {
        const BYTE* row = pixels + y * rowPitch;
        out->insert(out->end(), row, row + rowBytes);
    }
}

HRESULT TextureToDds(IDirect3DTexture8* texture, std::vector<BYTE>* out) {
    D3DSURFACE_DESC top{};
    HRESULT hr = texture->GetLevelDesc(0, &top);
    if (FAILED(hr)) {
        return hr;
    }
    if (!IsDdsWritable(top.Format)) {
        return D3DERR_NOTAVAILABLE;
    }
    const UINT levels = texture->GetLevelCount();
    *out = DdsHeader({top.Format, top.Width, top.Height, levels, false});
    out->reserve(out->size() +
                 FaceBytes(levels, [&](UINT l, D3DSURFACE_DESC* d) { return texture->GetLevelDesc(l, d); }));
    for (UINT level = 0; level < levels && SUCCEEDED(hr); ++level) {
        hr = AppendSurface(out, [&](IDirect3DSurface8** s) { return texture->GetSurfaceLevel(level, s); });
    }
    return hr;
}

HRESULT CubeTextureToDds(IDirect3DCubeTexture8* cube, std::vector<BYTE>* out) {
    D3DSURFACE_DESC top{};
    HRESULT hr = cube->GetLevelDesc(0, &top);
    if (FAILED(hr)) {
        return hr;
    }
    if (!IsDdsWritable(top.Format)) {
        return D3DERR_NOTAVAILABLE;
    }
    const UINT levels = cube->GetLevelCount();
    *out = DdsHeader({top.Format, top.Width, top.Height, levels, true});
    out->reserve(out->size() +
                 6 * FaceBytes(levels, [&](UINT l, D3DSURFACE_DESC* d) { return cube->GetLevelDesc(l, d); }));
    for (int face = 0; face < 6 && SUCCEEDED(hr); ++face) {
        for (UINT level = 0; level < levels && SUCCEEDED(hr); ++level) {
            hr = AppendSurface(out, [&](IDirect3DSurface8** s) {
                return cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, s);
            });
        }
    }
    return hr;
}

}  // namespace tovtex_tool
