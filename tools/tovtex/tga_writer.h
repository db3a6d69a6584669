#pragma once
// Targa files of 8-bit RGBA pictures: uncompressed, 32 bits a pixel, rows
// stored top first.

#include <cstdint>
#include <vector>

#include <windows.h>

namespace tovtex_tool {

// pixels: width x height D3DFMT_A8R8G8B8 values, rows packed. Sides above
// 65535 do not fit the header: D3DERR_INVALIDCALL.
HRESULT EncodeTga(const uint32_t* pixels, UINT width, UINT height, std::vector<BYTE>* out);

}  // namespace tovtex_tool
