// MessageBoxA: code page 932 text shown in a modal SDL box, or written to
// standard error where there is no display.

#include <windows.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "message_queue.h"
#include "platform_testing.h"
#include "sdl_init.h"
#include "shift_jis.h"
#include "window_registry.h"

namespace {

bool capturing = false;
std::vector<platform_testing::CapturedMessageBox> captured;
std::function<void(const platform_testing::CapturedMessageBox&)> whileOpen;

bool HasDisplay() {
    if (!platform::EnsureSdlVideo()) {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

Uint32 SdlIcon(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

int WriteToStandardError(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return IDOK;
}

int Show(HWND owner, const std::string& caption, const std::string& text, UINT type) {
    if (!HasDisplay()) {
        return WriteToStandardError(caption, text);
    }
    const bool okCancel = (type & MB_TYPEMASK) == MB_OKCANCEL;
    const SDL_MessageBoxButtonData buttons[] = {
        {okCancel ? Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}
                  : Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT},
         IDOK, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
    };
    SDL_MessageBoxData data{};
    data.flags = SdlIcon(type);
    data.window = owner != nullptr ? platform::SdlWindowFromHwnd(owner) : nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = okCancel ? 2 : 1;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        return WriteToStandardError(caption, text);
    }
    // Closing the box without a button is the platform's Cancel, or OK when
    // OK is the only button.
    if (pressed < 0) {
        return okCancel ? IDCANCEL : IDOK;
    }
    return pressed;
}

}  // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    const std::string text = platform::Cp932ToUtf8(lpText != nullptr ? lpText : "");
    const std::string caption = platform::Cp932ToUtf8(lpCaption != nullptr ? lpCaption : "Error");
    int result = IDOK;
    if (capturing) {
        captured.push_back({caption, text, uType, hWnd});
        if (whileOpen) {
            const platform_testing::CapturedMessageBox box = captured.back();
            whileOpen(box);
        }
    } else {
        result = Show(hWnd, caption, text, uType);
    }
    // The box's own loop dispatched what arrived while it was open.
    platform::DispatchWaitingMessages();
    return result;
}

namespace platform_testing {

void CaptureMessageBoxes(bool on) { capturing = on; }

const std::vector<CapturedMessageBox>& CapturedMessageBoxes() { return captured; }

void ClearCapturedMessageBoxes() { captured.clear(); }

void SetMessageBoxHook(std::function<void(const CapturedMessageBox&)> hook) { whileOpen = std::move(hook); }

}  // namespace platform_testing
