#pragma once
// The tool's DDS front end: DDS files the library's reader refuses or
// misreads (24-bit and other mask layouts, luminance and alpha-only
// pixels, "DX10" headers, BC4 / BC5 blocks, volume textures) are turned,
// in memory, into the layouts it reads (A8R8G8B8, X8R8G8B8, the 16-bit
// layouts and DXT1..DXT5), level for level and face for face. Every other
// file goes to the library untouched.

#include <string>

#include <d3d8.h>
#include <windows.h>

#include "file_bytes.h"

namespace tovtex_tool {

struct DdsFrontEnd {
    bool applied = false;  // false: the bytes go to the library as they are
    // What the file holds, as stored: for info.
    std::string layoutName;  // "R8G8B8", "BC5 (ATI2)", "DXGI_FORMAT_BC1_UNORM_SRGB"
    UINT width = 0, height = 0, depth = 1, levels = 1, faces = 1;
    bool volume = false;
    // The converted levels.
    D3DFORMAT format = D3DFMT_UNKNOWN;
    D3DFORMAT naturalFormat = D3DFMT_UNKNOWN;  // the library's format for the stored pixels, if any
    // A DDS file of the converted levels. For a texture or cube map the
    // library reads it as it reads any DDS file; a volume's (its levels one
    // after the other, each slice after slice) only through VolumeLevel.
    FileBytes file;
};

// Looks at a whole file. S_OK with applied false when it is not a DDS file
// or one the library reads as it is; S_OK with the converted file; or a
// failure with *reason for a DDS file that cannot be read:
// ERR_INVALIDDATA (a layout not supported, a broken header, too little
// data), ERR_IMAGETOOLARGE (over the pixel limit) or E_OUTOFMEMORY.
HRESULT ReadDdsFrontEnd(const BYTE* data, UINT size, DdsFrontEnd* frontEnd, std::string* reason);

// Level l of a converted volume: its first byte and its size.
const BYTE* VolumeLevel(const DdsFrontEnd& frontEnd, UINT level, UINT* width, UINT* height, UINT* depth);

}  // namespace tovtex_tool
