#pragma once
// The DXGI formats of DDS files with the "DX10" extension header: their
// names, and how the front end reads the ones it supports.

#include <string>

#include <windows.h>

#include "dds_source_layout.h"

namespace tovtex_tool {

// "BC1_UNORM_SRGB", or the number for a format not named here.
std::string DxgiFormatName(DWORD dxgiFormat);

// Fills *layout (its name included) for a supported format; otherwise
// false with the reason ("BC7 compression is not supported"). A
// premultiplied alpha mode picks DXT2 / DXT4 for BC2 / BC3.
bool DxgiSourceLayout(DWORD dxgiFormat, bool premultiplied, DdsSourceLayout* layout, std::string* reason);

}  // namespace tovtex_tool
