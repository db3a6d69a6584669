#include "window_registry.h"

#include <map>

namespace platform {

namespace {

std::map<HWND, SDL_Window*>& Registry() {
    static std::map<HWND, SDL_Window*> registry;
    return registry;
}

}  // namespace

void RegisterSdlWindow(HWND window, SDL_Window* sdlWindow) {
    Registry()[window] = sdlWindow;
}

void UnregisterSdlWindow(HWND window) {
    Registry().erase(window);
}

SDL_Window* SdlWindowFromHwnd(HWND window) {
    auto found = Registry().find(window);
    return found == Registry().end() ? nullptr : found->second;
}

}  // namespace platform
