#pragma once
// Pixel format names as the tool prints and accepts them ("A8R8G8B8",
// "DXT5"; an optional "D3DFMT_" prefix and any letter case are accepted),
// taken from the library's format table.

#include <string>

#include <d3d8.h>

namespace tovtex_tool {

// The name without prefix, or the number in hex for a format the library
// does not know.
std::string FormatName(D3DFORMAT format);

// D3DFMT_UNKNOWN when the name is not a library format.
D3DFORMAT ParseFormatName(const std::string& name);

}  // namespace tovtex_tool
