#include "presenter.h"

#include <algorithm>

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

SDL_Rect FitPicture(int width, int height, int outputWidth, int outputHeight) {
    if (width <= 0 || height <= 0 || outputWidth <= 0 || outputHeight <= 0) {
        return SDL_Rect{0, 0, std::max(outputWidth, 0), std::max(outputHeight, 0)};
    }
    // Compared in 64 bits: which side limits the scale, and the other side
    // rounded to the nearest pixel.
    const long long w = width, h = height, ow = outputWidth, oh = outputHeight;
    long long fitWidth = ow;
    long long fitHeight = oh;
    if (ow * h > oh * w) {
        fitWidth = std::max(1LL, (2 * oh * w + h) / (2 * h));
    } else {
        fitHeight = std::max(1LL, (2 * ow * h + w) / (2 * w));
    }
    return SDL_Rect{static_cast<int>((ow - fitWidth) / 2), static_cast<int>((oh - fitHeight) / 2),
                    static_cast<int>(fitWidth), static_cast<int>(fitHeight)};
}

bool Presenter::Attached(SDL_Window* window) {
    if (renderer_ == nullptr) {
        return false;
    }
    // The renderer goes with its window, whoever destroys it.
    SDL_Window* current = SDL_GetWindowFromID(windowId_);
    if (current == nullptr || SDL_GetRenderer(current) != renderer_) {
        renderer_ = nullptr;
        texture_ = nullptr;
        ownsRenderer_ = false;
        return false;
    }
    if (current != window) {
        Detach();
        return false;
    }
    return true;
}

bool Presenter::Attach(SDL_Window* window) {
    if (window == nullptr) {
        return false;
    }
    if (Attached(window)) {
        return true;
    }
    // Another device may present into the same window; it keeps its renderer.
    renderer_ = SDL_GetRenderer(window);
    ownsRenderer_ = false;
    if (renderer_ == nullptr) {
        renderer_ = SDL_CreateRenderer(window, -1, 0);
        ownsRenderer_ = renderer_ != nullptr;
    }
    if (renderer_ == nullptr) {
        return false;
    }
    windowId_ = SDL_GetWindowID(window);
    return true;
}

void Presenter::Detach() {
    SDL_Window* window = renderer_ != nullptr ? SDL_GetWindowFromID(windowId_) : nullptr;
    if (window != nullptr && SDL_GetRenderer(window) == renderer_) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        if (ownsRenderer_) {
            SDL_DestroyRenderer(renderer_);
        }
    }
    renderer_ = nullptr;
    texture_ = nullptr;
    ownsRenderer_ = false;
    windowId_ = 0;
}

bool Presenter::TextureFits(const LevelData& backBuffer) {
    const int width = static_cast<int>(backBuffer.Width());
    const int height = static_cast<int>(backBuffer.Height());
    if (texture_ != nullptr && textureFormat_ == backBuffer.Format() && textureWidth_ == width &&
        textureHeight_ == height) {
        return true;
    }
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    texture_ = SDL_CreateTexture(renderer_, SdlFormat(backBuffer.Format()), SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture_ == nullptr) {
        return false;
    }
    // The back buffer's alpha is not a mask; a magnified picture is
    // filtered rather than blocky.
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    textureFormat_ = backBuffer.Format();
    textureWidth_ = width;
    textureHeight_ = height;
    return true;
}

void Presenter::Show(SDL_Window* window, const LevelData& backBuffer) {
    if (window == nullptr || backBuffer.Bits() == nullptr || !Attach(window) || !TextureFits(backBuffer)) {
        return;
    }
    if (SDL_UpdateTexture(texture_, nullptr, backBuffer.Bits(), static_cast<int>(backBuffer.RowPitch())) != 0) {
        return;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) {
        return;
    }
    // The whole output, so that the bars stay black whatever was there.
    SDL_RenderSetViewport(renderer_, nullptr);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect place = FitPicture(textureWidth_, textureHeight_, outputWidth, outputHeight);
    SDL_RenderCopy(renderer_, texture_, nullptr, &place);
    SDL_RenderPresent(renderer_);
}

}  // namespace platform
