#pragma once
// The multimedia timer.

#include "windef.h"

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD WINAPI timeGetTime(void);
