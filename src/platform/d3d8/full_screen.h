#pragma once
// Full screen for a device: the window takes its whole display without
// changing the display's mode, and the presenter scales the picture to it.

#include <SDL.h>

namespace platform {

// Where a window was before it took the whole screen.
struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Covers the window's display; returns where the window was.
WindowPlace EnterFullScreen(SDL_Window* window);
// Back to a window at its old place.
void LeaveFullScreen(SDL_Window* window, const WindowPlace& place);

}  // namespace platform
