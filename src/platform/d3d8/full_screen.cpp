#include "full_screen.h"

namespace platform {

WindowPlace EnterFullScreen(SDL_Window* window) {
    WindowPlace place;
    SDL_GetWindowPosition(window, &place.x, &place.y);
    SDL_GetWindowSize(window, &place.width, &place.height);
    // Without a window manager nobody acts on the full-screen request, so
    // the window is also moved over the display itself; with one, it is
    // done twice to the same effect.
    SDL_Rect bounds;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display >= 0 && SDL_GetDisplayBounds(display, &bounds) == 0) {
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return place;
}

void LeaveFullScreen(SDL_Window* window, const WindowPlace& place) {
    SDL_SetWindowFullscreen(window, 0);
    if (place.width > 0 && place.height > 0) {
        SDL_SetWindowSize(window, place.width, place.height);
        SDL_SetWindowPosition(window, place.x, place.y);
    }
}

}  // namespace platform
