#include "sdl_events.h"

#include <SDL.h>

#include <map>
#include <optional>

#include "close_signals.h"
#include "key_codes.h"
#include "key_state.h"
#include "message_queue.h"
#include "mouse_messages.h"
#include "platform_testing.h"
#include "sdl_init.h"
#include "window.h"
#include "window_registry.h"

namespace platform {

namespace {

std::optional<bool> numLockOverride;

bool NumLockOn(Uint16 mod) {
    return numLockOverride ? *numLockOverride : (mod & KMOD_NUM) != 0;
}

std::map<Uint32, OwnWindowEvents*>& OwnWindows() {
    static std::map<Uint32, OwnWindowEvents*> windows;
    return windows;
}

// The window an event belongs to; 0 for events of no window.
Uint32 EventWindowId(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    case SDL_WINDOWEVENT: return event.window.windowID;
    default: return 0;
    }
}

// Key state only: the message goes to no window.
void TrackOwnWindowKey(const SDL_KeyboardEvent& event) {
    KeyCode key{};
    if (KeyCodeFromSdl(event.keysym.scancode, event.keysym.sym, NumLockOn(event.keysym.mod), key)) {
        QueueKeyTransition(nullptr, key, event.type == SDL_KEYDOWN, event.repeat != 0);
    }
}

HWND KeyboardTarget(Uint32 sdlWindowId) {
    const HWND window = WindowFromSdlId(sdlWindowId);
    return window != nullptr ? window : MainWindow();
}

void TranslateKey(const SDL_KeyboardEvent& event) {
    KeyCode key{};
    if (!KeyCodeFromSdl(event.keysym.scancode, event.keysym.sym, NumLockOn(event.keysym.mod), key)) {
        return;
    }
    const HWND window = KeyboardTarget(event.windowID);
    if (window == nullptr) {
        return;
    }
    const bool down = event.type == SDL_KEYDOWN;
    if (down && key.vk == VK_F4 && (event.keysym.mod & KMOD_ALT) != 0 && (event.keysym.mod & KMOD_CTRL) == 0) {
        // Alt+F4 asks the window to close, as its system menu would.
        if (event.repeat == 0) {
            QueuePostedMessage(window, WM_CLOSE, 0, 0);
        }
        return;
    }
    QueueKeyTransition(window, key, down, event.repeat != 0);
}

}  // namespace

void PumpSdlEvents() {
    if (TakeCloseSignal()) {
        if (const HWND window = MainWindow()) {
            QueuePostedMessage(window, WM_CLOSE, 0, 0);
        }
    }
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return;
    }
    // Closing the last window also brings SDL_QUIT; only a quit request
    // that came alone (a signal, the session ending) closes the main window.
    bool windowClosed = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        const Uint32 windowId = EventWindowId(event);
        const auto own = windowId != 0 ? OwnWindows().find(windowId) : OwnWindows().end();
        if (own != OwnWindows().end()) {
            if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
                TrackOwnWindowKey(event.key);
            }
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
                windowClosed = true;
            }
            own->second->OnSdlEvent(event);
            continue;
        }
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: TranslateKey(event.key); break;
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            if (const HWND window = WindowFromSdlId(windowId)) {
                QueueMouseMessage(window, event);
            }
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                if (const HWND window = WindowFromSdlId(event.window.windowID)) {
                    QueuePostedMessage(window, WM_CLOSE, 0, 0);
                    windowClosed = true;
                }
            }
            break;
        case SDL_QUIT:
            if (!windowClosed) {
                if (const HWND window = MainWindow()) {
                    QueuePostedMessage(window, WM_CLOSE, 0, 0);
                }
            }
            windowClosed = false;
            break;
        default: break;
        }
    }
}

void ResetNumLockOverride() {
    numLockOverride.reset();
}

void AddOwnWindow(Uint32 sdlWindowId, OwnWindowEvents* window) {
    OwnWindows()[sdlWindowId] = window;
}

void RemoveOwnWindow(Uint32 sdlWindowId) {
    OwnWindows().erase(sdlWindowId);
}

}  // namespace platform

namespace platform_testing {

void SetNumLock(bool on) {
    platform::numLockOverride = on;
}

bool InjectSdlKey(SDL_Scancode scancode, bool down, Uint16 modifiers, bool repeat) {
    if (!platform::EnsureSdlVideo()) {
        return false;
    }
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    const HWND main = platform::MainWindow();
    event.key.windowID = main != nullptr ? SDL_GetWindowID(platform::SdlWindowFromHwnd(main)) : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = modifiers;
    return SDL_PushEvent(&event) == 1;
}

bool InjectSdlWindowClose(HWND window) {
    if (!platform::EnsureSdlVideo()) {
        return false;
    }
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(platform::SdlWindowFromHwnd(window));
    return SDL_PushEvent(&event) == 1;
}

bool InjectSdlQuit() {
    if (!platform::EnsureSdlVideo()) {
        return false;
    }
    SDL_Event event{};
    event.type = SDL_QUIT;
    event.quit.type = SDL_QUIT;
    return SDL_PushEvent(&event) == 1;
}

}  // namespace platform_testing
