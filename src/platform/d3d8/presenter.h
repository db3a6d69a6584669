#pragma once
// Shows a back buffer in an SDL window through SDL's renderer: the picture
// goes into a streaming texture of its own size and is scaled to the window
// (by the GPU where there is one) with its shape kept, black bars where the
// window's shape differs. The back buffer itself never changes size.

#include <SDL.h>

#include "level_data.h"

namespace platform {

// Where a width x height picture goes in an output of outputWidth x
// outputHeight: as large as fits with its shape kept, centred.
SDL_Rect FitPicture(int width, int height, int outputWidth, int outputHeight);

class Presenter {
public:
    Presenter() = default;
    ~Presenter() { Detach(); }
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Sets the window up for presenting ahead of the first picture (a GPU
    // renderer may replace the window's native window). False when SDL
    // offers no renderer for it.
    bool Attach(SDL_Window* window);
    // Shows the picture in the window; does nothing without a window.
    void Show(SDL_Window* window, const LevelData& backBuffer);
    // Gives the window back as it was before Attach.
    void Detach();

private:
    bool Attached(SDL_Window* window);
    bool TextureFits(const LevelData& backBuffer);

    Uint32 windowId_ = 0;
    SDL_Renderer* renderer_ = nullptr;
    bool ownsRenderer_ = false;
    SDL_Texture* texture_ = nullptr;
    D3DFORMAT textureFormat_ = D3DFMT_UNKNOWN;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

}  // namespace platform
