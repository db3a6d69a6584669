#include "dds_volume_writer.h"

#include "dds_writer.h"

namespace tovtex_tool {

namespace {

constexpr DWORD DDSD_DEPTH = 0x800000;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS2_VOLUME = 0x200000;

void Put32(std::vector<BYTE>& bytes, size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

DWORD Get32(const std::vector<BYTE>& bytes, size_t offset) {
    return DWORD{bytes[offset]} | DWORD{bytes[offset + 1]} << 8 | DWORD{bytes[offset + 2]} << 16 |
           DWORD{bytes[offset + 3]} << 24;
}

}  // namespace

std::vector<BYTE> DdsVolumeHeader(D3DFORMAT format, UINT width, UINT height, UINT depth, UINT levels) {
    std::vector<BYTE> header = DdsHeader({format, width, height, levels, false});
    Put32(header, 8, Get32(header, 8) | DDSD_DEPTH);
    Put32(header, 24, depth);
    Put32(header, 108, Get32(header, 108) | DDSCAPS_COMPLEX);
    Put32(header, 112, DDSCAPS2_VOLUME);
    return header;
}

HRESULT VolumeTextureToDds(IDirect3DVolumeTexture8* volume, std::vector<BYTE>* out) {
    D3DVOLUME_DESC top{};
    HRESULT hr = volume->GetLevelDesc(0, &top);
    if (FAILED(hr)) {
        return hr;
    }
    if (!IsDdsWritable(top.Format)) {
        return D3DERR_NOTAVAILABLE;
    }
    const UINT levels = volume->GetLevelCount();
    *out = DdsVolumeHeader(top.Format, top.Width, top.Height, top.Depth, levels);
    for (UINT level = 0; level < levels && SUCCEEDED(hr); ++level) {
        D3DVOLUME_DESC desc{};
        D3DLOCKED_BOX locked{};
        hr = volume->GetLevelDesc(level, &desc);
        if (SUCCEEDED(hr)) {
            hr = volume->LockBox(level, &locked, nullptr, D3DLOCK_READONLY);
        }
        if (FAILED(hr)) {
            break;
        }
        for (UINT slice = 0; slice < desc.Depth; ++slice) {
            AppendDdsLevel(out, desc.Format, desc.Width, desc.Height,
                           static_cast<const BYTE*>(locked.pBits) + uint64_t{slice} * locked.SlicePitch,
                           static_cast<UINT>(locked.RowPitch));
        }
        volume->UnlockBox(level);
    }
    return hr;
}

}  // namespace tovtex_tool
