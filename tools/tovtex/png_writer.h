#pragma once
// PNG files of 8-bit RGBA pictures, through libpng.

#include <cstdint>
#include <vector>

#include <windows.h>

namespace tovtex_tool {

// pixels: width x height D3DFMT_A8R8G8B8 values, rows packed. S_OK or
// E_OUTOFMEMORY / E_FAIL from the encoder.
HRESULT EncodePng(const uint32_t* pixels, UINT width, UINT height, std::vector<BYTE>* out);

}  // namespace tovtex_tool
