#pragma once
// Test seam: the smallest file that MappedFile::OpenOnDemand reads on
// demand (1 MB by default), so tests can take that route with small files.

#include <windows.h>

namespace tovtex {

inline constexpr DWORD DEFAULT_ON_DEMAND_FROM = DWORD{1} << 20;

void SetOnDemandFrom(DWORD bytes);

}  // namespace tovtex
