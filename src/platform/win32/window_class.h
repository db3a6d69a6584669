#pragma once
// Inside the platform layer: registered window classes.

#include "winuser.h"

namespace platform {

// The procedure of the class named by name (or by its atom), or null.
WNDPROC FindWindowClassProc(LPCSTR classNameOrAtom);

void ClearWindowClasses();

}  // namespace platform
