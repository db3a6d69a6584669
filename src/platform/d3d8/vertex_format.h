#pragma once
// The fixed-function vertex layouts the device draws: a position (model
// space, or already transformed with its reciprocal w), then optionally a
// normal, a diffuse and a specular colour and one set of one to three
// texture coordinates (D3DFVF_TEXCOORDSIZEn(0)).

#include <d3d8.h>

#include <cstdint>

namespace platform {

struct VertexFormat {
    bool transformed = false;  // D3DFVF_XYZRHW
    int diffuseOffset = -1;    // bytes, -1 when absent
    int texOffset = -1;
    int texSize = 0;  // coordinates in the set: 1, 2 or 3
    uint32_t size = 0;
};

// False for a code the device does not draw.
bool DescribeVertexFormat(DWORD fvf, VertexFormat& format);

}  // namespace platform
