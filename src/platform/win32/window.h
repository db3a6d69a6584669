#pragma once
// Inside the platform layer: the windows behind HWNDs.

#include <SDL.h>

#include "windef.h"
#include "winuser.h"

namespace platform {

// The procedure of a live window, or null for a handle that names none.
WNDPROC WindowProc(HWND window);

bool IsLiveWindow(HWND window);

// The first created window still alive (the program's main window), or null.
HWND MainWindow();

// The live window shown by the SDL window with this id, or null.
HWND WindowFromSdlId(Uint32 sdlWindowId);

void DestroyAllWindows();

}  // namespace platform
