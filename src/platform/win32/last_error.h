#pragma once
// Inside the platform layer: the platform's error number for a C library
// errno value.

#include "windef.h"

namespace platform {

DWORD Win32ErrorFromErrno(int error);

// Records the error for GetLastError from the current errno.
void SetLastErrorFromErrno();

}  // namespace platform
