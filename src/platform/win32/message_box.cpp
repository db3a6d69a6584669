// MessageBoxA: code page 932 text shown in a modal box (SDL's where it can
// draw the text, else the platform's own), or written to standard error
// where there is no display.

#include <windows.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "message_queue.h"
#include "own_message_box.h"
#include "platform_testing.h"
#include "sdl_init.h"
#include "shift_jis.h"
#include "window_registry.h"

namespace {

bool capturing = false;
std::vector<platform_testing::CapturedMessageBox> captured;
std::function<void(const platform_testing::CapturedMessageBox&)> whileOpen;

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// SDL's box on X11 draws with the server's core fonts, which cannot be
// counted on for more than ASCII (and a fresh server may have none: then
// SDL says so and the platform's own box is shown).
bool SdlBoxCanDraw(const std::string& caption, const std::string& text) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "x11") != 0 || (IsAscii(caption) && IsAscii(text));
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

// False when SDL cannot show its box; pressed is the button's id.
bool ShowSdlBox(SDL_Window* owner, const std::string& caption, const std::string& text, UINT type, int& pressed) {
    const bool okCancel = (type & MB_TYPEMASK) == MB_OKCANCEL;
    const SDL_MessageBoxButtonData buttons[] = {
        {okCancel ? Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}
                  : Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT},
         IDOK, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
    };
    SDL_MessageBoxData data{};
    data.flags = SdlIcon(type);
    data.window = owner;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = okCancel ? 2 : 1;
    data.buttons = buttons;
    pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        return false;
    }
    // Closing the box without a button is the platform's Cancel, or OK when
    // OK is the only button.
    if (pressed < 0) {
        pressed = okCancel ? IDCANCEL : IDOK;
    }
    return true;
}

int Show(HWND owner, const std::string& caption, const std::string& text, UINT type) {
    if (!platform::DisplayAvailable()) {
        return WriteToStandardError(caption, text);
    }
    SDL_Window* ownerWindow = owner != nullptr ? platform::SdlWindowFromHwnd(owner) : nullptr;
    int pressed = IDOK;
    if (SdlBoxCanDraw(caption, text) && ShowSdlBox(ownerWindow, caption, text, type, pressed)) {
        return pressed;
    }
    platform::OwnMessageBox box;
    if (box.Open(ownerWindow, caption, text, type)) {
        return box.Run();
    }
    // No font to draw with: the text is not lost.
    return WriteToStandardError(caption, text);
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

void CaptureMessageBoxes(bool on) {
    capturing = on;
}

const std::vector<CapturedMessageBox>& CapturedMessageBoxes() {
    return captured;
}

void ClearCapturedMessageBoxes() {
    captured.clear();
}

void SetMessageBoxHook(std::function<void(const CapturedMessageBox&)> hook) {
    whileOpen = std::move(hook);
}

}  // namespace platform_testing
