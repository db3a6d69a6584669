#pragma once
// Inside the platform layer: the resource table of each module.

#include <windows.h>

namespace platform {

// Adds (or replaces) a resource; type and name are strings or integer ids.
void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size);
void ClearResources();

}  // namespace platform
