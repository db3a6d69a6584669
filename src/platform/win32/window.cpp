// CreateWindowExA, DestroyWindow, GetClientRect and DefWindowProcA: one SDL
// window per created window.

#include "window.h"

#include <algorithm>
#include <new>
#include <vector>

#include "close_signals.h"
#include "live_objects.h"
#include "message_queue.h"
#include "sdl_init.h"
#include "shift_jis.h"
#include "winbase.h"
#include "window_class.h"
#include "window_registry.h"
#include "winerror.h"

namespace platform {

namespace {

// A window's client size when the caller leaves the size to the system.
constexpr int DEFAULT_CLIENT_WIDTH = 640;
constexpr int DEFAULT_CLIENT_HEIGHT = 480;

struct Window {
    Window() { ObjectCreated(); }
    ~Window() { ObjectDestroyed(); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WNDPROC proc = nullptr;
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    LONG clientWidth = 0;
    LONG clientHeight = 0;
    bool destroying = false;
};

// Live windows in creation order.
std::vector<Window*>& Windows() {
    static std::vector<Window*> windows;
    return windows;
}

HWND ToHandle(Window* window) {
    return reinterpret_cast<HWND>(window);
}

Window* Lookup(HWND handle) {
    for (Window* window : Windows()) {
        if (ToHandle(window) == handle) {
            return window;
        }
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

// An overlapped window, or a popup with a caption, has the dialog frame and
// the caption around its client area.
bool HasFrame(DWORD style) {
    return (style & WS_POPUP) == 0 || (style & WS_CAPTION) != 0;
}

}  // namespace

WNDPROC WindowProc(HWND handle) {
    Window* window = Lookup(handle);
    return window != nullptr ? window->proc : nullptr;
}

bool IsLiveWindow(HWND handle) {
    return Lookup(handle) != nullptr;
}

HWND MainWindow() {
    return Windows().empty() ? nullptr : ToHandle(Windows().front());
}

HWND WindowFromSdlId(Uint32 sdlWindowId) {
    for (Window* window : Windows()) {
        if (window->sdl != nullptr && window->sdlId == sdlWindowId) {
            return ToHandle(window);
        }
    }
    return nullptr;
}

void DestroyAllWindows() {
    while (!Windows().empty()) {
        DestroyWindow(ToHandle(Windows().back()));
    }
}

}  // namespace platform

HWND WINAPI CreateWindowExA(DWORD, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y, int nWidth,
                            int nHeight, HWND, HMENU, HINSTANCE, LPVOID) {
    const WNDPROC proc = platform::FindWindowClassProc(lpClassName);
    if (proc == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool framed = platform::HasFrame(dwStyle);
    const int frameWidth = framed ? 2 * GetSystemMetrics(SM_CXDLGFRAME) : 0;
    const int frameHeight = framed ? GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME) : 0;
    LONG clientWidth = platform::DEFAULT_CLIENT_WIDTH;
    LONG clientHeight = platform::DEFAULT_CLIENT_HEIGHT;
    if (nWidth != CW_USEDEFAULT) {
        clientWidth = std::max(0, nWidth - frameWidth);
        clientHeight = std::max(0, nHeight - frameHeight);
    }
    if (!platform::EnsureSdlVideo()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    // SDL places the client area; the platform's position is the frame's.
    const int x = X == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED)
                                     : X + (framed ? GetSystemMetrics(SM_CXDLGFRAME) : 0);
    const int y = X == CW_USEDEFAULT
                      ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED)
                      : Y + (framed ? GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME) : 0);
    Uint32 flags = (dwStyle & WS_VISIBLE) != 0 ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if ((dwStyle & WS_THICKFRAME) != 0) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    if (!framed) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    const std::string caption = platform::Cp932ToUtf8(lpWindowName != nullptr ? lpWindowName : "");
    SDL_Window* sdl =
        SDL_CreateWindow(caption.c_str(), x, y, std::max<int>(1, clientWidth), std::max<int>(1, clientHeight), flags);
    if (sdl == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto* window = new (std::nothrow) platform::Window;
    if (window == nullptr) {
        SDL_DestroyWindow(sdl);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    window->proc = proc;
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    if (platform::Windows().empty()) {
        platform::InstallCloseSignals();
    }
    platform::Windows().push_back(window);
    const HWND handle = platform::ToHandle(window);
    platform::RegisterSdlWindow(handle, sdl);
    return handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    platform::Window* window = platform::Lookup(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    if (window->destroying) {
        return TRUE;
    }
    window->destroying = true;
    // The window is still whole while its procedure hears of its end.
    window->proc(hWnd, WM_DESTROY, 0, 0);
    auto& windows = platform::Windows();
    windows.erase(std::find(windows.begin(), windows.end(), window));
    platform::DropMessagesFor(hWnd);
    platform::UnregisterSdlWindow(hWnd);
    SDL_DestroyWindow(window->sdl);
    delete window;
    if (windows.empty()) {
        platform::RestoreCloseSignals();
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    platform::Window* window = platform::Lookup(hWnd);
    if (window == nullptr) {
        return FALSE;
    }
    if (lpRect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONG width = window->clientWidth;
    LONG height = window->clientHeight;
    if (width > 0 && height > 0) {
        // Follows changes made to the SDL window (full screen, resizing).
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(window->sdl, &w, &h);
        width = w;
        height = h;
    }
    *lpRect = RECT{0, 0, width, height};
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
    if (Msg == WM_CLOSE) {
        DestroyWindow(hWnd);
    }
    return 0;
}
