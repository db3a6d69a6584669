#pragma once
// DDS files from textures, over the library's SaveTextureToDdsInMemory. The
// default output keeps to the layouts the library's DDS reader takes:
// DXT1 to DXT5 and the six 16- and 32-bit colour formats, a plain texture or
// a six-face cube map, every level packed without padding.

#include <cstdint>
#include <vector>

#include <d3d8.h>
#include <windows.h>

namespace tovtex_tool {

struct DdsLayout {
    D3DFORMAT format;
    UINT width;  // of the top level
    UINT height;
    UINT levels;  // per face, at least 1
    bool cube;    // six faces, +X, -X, +Y, -Y, +Z, -Z
    UINT depth = 1;  // above 1: a volume texture of that many slices
};

// The formats the library's DDS reader reads back.
bool IsDdsWritable(D3DFORMAT format);

// The formats the DDS writer describes (with dx10: those with a DXGI code),
// a wider set than the reader reads back.
bool DdsHolds(D3DFORMAT format, bool dx10 = false);

// Bytes of one stored row (for DXT: one row of 4 x 4 blocks) and the number
// of stored rows of a level of the given size.
uint64_t DdsRowBytes(D3DFORMAT format, UINT width);
uint64_t DdsRowCount(D3DFORMAT format, UINT height);

// The 128-byte classic header: "DDS " and the surface description (zeros
// for a format no DDS header describes); a volume's with its depth.
std::vector<BYTE> DdsHeader(const DdsLayout& layout);

// Appends one level of the given size, read row by row from pixels with the
// given pitch.
void AppendDdsLevel(std::vector<BYTE>* out, D3DFORMAT format, UINT width, UINT height, const BYTE* pixels,
                    UINT rowPitch);

// A whole texture (every level) or cube texture (every level of every
// face) as a DDS file. Its levels must be lockable (managed or system
// memory pool). D3DERR_NOTAVAILABLE when the format is not one the
// library's reader takes.
HRESULT TextureToDds(IDirect3DTexture8* texture, std::vector<BYTE>* out);
HRESULT CubeTextureToDds(IDirect3DCubeTexture8* cube, std::vector<BYTE>* out);

// Any texture, cube or volume in any format a DDS header describes, with
// the DDS_SAVE_* flags; results as SaveTextureToDdsInMemory.
HRESULT SaveDds(IDirect3DBaseTexture8* texture, DWORD flags, std::vector<BYTE>* out);

}  // namespace tovtex_tool
