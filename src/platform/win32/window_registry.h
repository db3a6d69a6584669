#pragma once
// Inside the platform layer: the SDL window behind each HWND, so that the
// Direct3D device can present into the window the Win32 layer created.

#include <SDL.h>

#include "windef.h"

namespace platform {

void RegisterSdlWindow(HWND window, SDL_Window* sdlWindow);
void UnregisterSdlWindow(HWND window);

// Null for a handle that names no live window.
SDL_Window* SdlWindowFromHwnd(HWND window);

}  // namespace platform
