#include "vertex_format.h"

namespace platform {

bool DescribeVertexFormat(DWORD fvf, VertexFormat& format) {
    constexpr DWORD SIZE_BITS = 3u << 16;  // D3DFVF_TEXCOORDSIZEn(0)
    constexpr DWORD KNOWN =
        D3DFVF_XYZ | D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1 | SIZE_BITS;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD sizeCode = (fvf & SIZE_BITS) >> 16;
    if ((fvf & ~KNOWN) != 0 || sizeCode == D3DFVF_TEXTUREFORMAT4 || ((fvf & D3DFVF_TEX1) == 0 && sizeCode != 0) ||
        (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) ||
        (position == D3DFVF_XYZRHW && (fvf & D3DFVF_NORMAL) != 0)) {
        return false;
    }
    VertexFormat f;
    f.transformed = position == D3DFVF_XYZRHW;
    uint32_t offset = f.transformed ? 16 : 12;
    if (fvf & D3DFVF_NORMAL) offset += 12;
    if (fvf & D3DFVF_DIFFUSE) {
        f.diffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) offset += 4;
    if (fvf & D3DFVF_TEX1) {
        f.texOffset = static_cast<int>(offset);
        f.texSize = sizeCode == D3DFVF_TEXTUREFORMAT1 ? 1 : (sizeCode == D3DFVF_TEXTUREFORMAT3 ? 3 : 2);
        offset += 4 * static_cast<uint32_t>(f.texSize);
    }
    f.size = offset;
    format = f;
    return true;
}

}  // namespace platform
