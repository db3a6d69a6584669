// Mouse messages as the platform sends them: the buttons held and the Shift
// and Ctrl keys in wParam (MK_*), the client position in lParam as two
// signed 16-bit values, and for the wheel the turn (WHEEL_DELTA per notch)
// in wParam's high word and the screen position in lParam. ScreenToClient
// converts the wheel's position back.

#include "mouse_messages.h"

#include "message_queue.h"
#include "platform_testing.h"
#include "sdl_init.h"
#include "winbase.h"
#include "window.h"
#include "window_registry.h"
#include "winerror.h"

namespace platform {

namespace {

WPARAM heldButtons = 0;

WPARAM ButtonFlag(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
    }
}

UINT ButtonMessage(Uint8 button, bool down) {
    switch (button) {
    case SDL_BUTTON_LEFT: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
    }
}

WPARAM KeyFlags() {
    const SDL_Keymod mod = SDL_GetModState();
    return ((mod & KMOD_SHIFT) != 0 ? MK_SHIFT : 0) | ((mod & KMOD_CTRL) != 0 ? MK_CONTROL : 0);
}

LPARAM PointParam(int x, int y) {
    return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(x)) |
                               (static_cast<DWORD>(static_cast<WORD>(y)) << 16));
}

}  // namespace

void QueueMouseMessage(HWND window, const SDL_Event& event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        QueueInputMessage(window, WM_MOUSEMOVE, heldButtons | KeyFlags(), PointParam(event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        const UINT message = ButtonMessage(event.button.button, down);
        if (message == 0) {
            break;
        }
        // wParam tells the buttons held after the change.
        heldButtons =
            down ? heldButtons | ButtonFlag(event.button.button) : heldButtons & ~ButtonFlag(event.button.button);
        QueueInputMessage(window, message, heldButtons | KeyFlags(), PointParam(event.button.x, event.button.y));
        break;
    }
    case SDL_MOUSEWHEEL: {
        int turn = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
            turn = -turn;
        }
        if (turn == 0) {
            break;
        }
        int left = 0, top = 0;
        SDL_GetWindowPosition(SdlWindowFromHwnd(window), &left, &top);
        const WPARAM wParam =
            (heldButtons | KeyFlags()) | (static_cast<WPARAM>(static_cast<WORD>(turn * WHEEL_DELTA)) << 16);
        QueueInputMessage(window, WM_MOUSEWHEEL, wParam,
                          PointParam(left + event.wheel.mouseX, top + event.wheel.mouseY));
        break;
    }
    default: break;
    }
}

void ResetMouseButtons() {
    heldButtons = 0;
}

}  // namespace platform

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    if (!platform::IsLiveWindow(hWnd)) {
        return FALSE;
    }
    if (lpPoint == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int left = 0, top = 0;
    SDL_GetWindowPosition(platform::SdlWindowFromHwnd(hWnd), &left, &top);
    lpPoint->x -= left;
    lpPoint->y -= top;
    return TRUE;
}

namespace platform_testing {

bool InjectSdlMouseEvent(SDL_Event event) {
    if (!platform::EnsureSdlVideo()) {
        return false;
    }
    const HWND main = platform::MainWindow();
    const Uint32 id = main != nullptr ? SDL_GetWindowID(platform::SdlWindowFromHwnd(main)) : 0;
    switch (event.type) {
    case SDL_MOUSEMOTION: event.motion.windowID = id; break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: event.button.windowID = id; break;
    case SDL_MOUSEWHEEL: event.wheel.windowID = id; break;
    default: return false;
    }
    return SDL_PushEvent(&event) == 1;
}

}  // namespace platform_testing
