#pragma once
// Whole files in and out.

#include <string>
#include <vector>

#include <windows.h>

namespace tovtex_tool {

// Writes the bytes to path (replacing it); on failure no partial file is
// left. S_OK or the system error as 0x8007xxxx.
HRESULT WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes);

}  // namespace tovtex_tool
