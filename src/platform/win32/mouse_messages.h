#pragma once
// Inside the platform layer: SDL's mouse events become the mouse messages
// of the window they happened in.

#include <SDL.h>

#include "windef.h"

namespace platform {

// Queues WM_MOUSEMOVE, WM_xBUTTONDOWN/UP or WM_MOUSEWHEEL for a mouse event
// of the window; other events and other buttons queue nothing.
void QueueMouseMessage(HWND window, const SDL_Event& event);

// Buttons held as far as the queued messages tell; cleared by the test reset.
void ResetMouseButtons();

}  // namespace platform
