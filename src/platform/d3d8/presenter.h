#pragma once
// Shows a back buffer in an SDL window.

#include <SDL.h>

#include "level_data.h"

namespace platform {

// Copies the picture into the window's surface, scaled to fit. Does nothing
// without a window or where the video driver offers no window surface.
void PresentToWindow(SDL_Window* window, LevelData& backBuffer);

}  // namespace platform
