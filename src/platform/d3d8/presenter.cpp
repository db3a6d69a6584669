#include "presenter.h"

namespace platform {

namespace {

Uint32 SdlFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R5G6B5: return SDL_PIXELFORMAT_RGB565;
    case D3DFMT_A8R8G8B8: return SDL_PIXELFORMAT_ARGB8888;
    default: return SDL_PIXELFORMAT_RGB888;  // X8R8G8B8
    }
}

}  // namespace

void PresentToWindow(SDL_Window* window, LevelData& backBuffer) {
    if (window == nullptr || backBuffer.Bits() == nullptr) {
        return;
    }
    // The window surface belongs to the window, so nothing outlives a
    // window that goes away between frames.
    SDL_Surface* screen = SDL_GetWindowSurface(window);
    if (screen == nullptr) {
        return;
    }
    const D3DFORMAT format = backBuffer.Format();
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        backBuffer.Bits(), static_cast<int>(backBuffer.Width()), static_cast<int>(backBuffer.Height()),
        format == D3DFMT_R5G6B5 ? 16 : 32, static_cast<int>(backBuffer.RowPitch()), SdlFormat(format));
    if (picture == nullptr) {
        return;
    }
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    if (picture->w == screen->w && picture->h == screen->h) {
        SDL_BlitSurface(picture, nullptr, screen, nullptr);
    } else {
        SDL_BlitScaled(picture, nullptr, screen, nullptr);
    }
    SDL_FreeSurface(picture);
    SDL_UpdateWindowSurface(window);
}

}  // namespace platform
