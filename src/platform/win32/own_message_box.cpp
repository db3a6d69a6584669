#include "own_message_box.h"

#include <algorithm>

#include "message_queue.h"
#include "text_wrap.h"
#include "window.h"
#include "window_registry.h"

namespace platform {

namespace {

constexpr int PADDING = 18;
constexpr int BUTTON_GAP = 10;
constexpr int MIN_BUTTON_WIDTH = 88;
constexpr int MIN_WIDTH = 260;
constexpr int MAX_TEXT_WIDTH = 560;
// How long the loop sleeps between looks at the message queue when no
// event comes (a signal, for one, brings none).
constexpr int IDLE_MILLISECONDS = 50;

struct Rgb {
    Uint8 r, g, b;
};
constexpr Rgb FRAME{0x5A, 0x5A, 0x5A};
constexpr Rgb BODY{0xF0, 0xF0, 0xF0};
constexpr Rgb TITLE_BAND{0x2B, 0x4F, 0x81};
constexpr Rgb BUTTON_FACE{0xE1, 0xE1, 0xE1};
constexpr Rgb BUTTON_PRESSED{0xCC, 0xE4, 0xF7};
constexpr Rgb BUTTON_EDGE{0xAD, 0xAD, 0xAD};
constexpr Rgb FOCUS_EDGE{0x00, 0x78, 0xD7};
constexpr SDL_Color TEXT{0x00, 0x00, 0x00, 0xFF};
constexpr SDL_Color TITLE_TEXT{0xFF, 0xFF, 0xFF, 0xFF};

void Fill(SDL_Surface* surface, const SDL_Rect& rect, Rgb colour) {
    SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, colour.r, colour.g, colour.b));
}

SDL_Rect Inset(const SDL_Rect& rect, int by) {
    return SDL_Rect{rect.x + by, rect.y + by, rect.w - 2 * by, rect.h - 2 * by};
}

bool Inside(const SDL_Rect& rect, int x, int y) {
    return x >= rect.x && x < rect.x + rect.w && y >= rect.y && y < rect.y + rect.h;
}

// The display the box goes on: the owner's, else the program's window's.
int DisplayFor(SDL_Window* owner) {
    SDL_Window* near = owner;
    if (near == nullptr) {
        if (const HWND main = MainWindow()) {
            near = SdlWindowFromHwnd(main);
        }
    }
    const int display = near != nullptr ? SDL_GetWindowDisplayIndex(near) : 0;
    return display >= 0 ? display : 0;
}

}  // namespace

OwnMessageBox::~OwnMessageBox() {
    Close();
}

bool OwnMessageBox::Open(SDL_Window* owner, const std::string& caption, const std::string& text, UINT type) {
    fonts_ = OpenBoxFonts();
    if (fonts_ == nullptr || window_ != nullptr) {
        return false;
    }
    const int display = DisplayFor(owner);
    int maxTextWidth = MAX_TEXT_WIDTH;
    SDL_Rect bounds;
    if (SDL_GetDisplayUsableBounds(display, &bounds) == 0) {
        maxTextWidth = std::clamp(bounds.w - 4 * PADDING, MIN_WIDTH, MAX_TEXT_WIDTH);
    }
    caption_ = caption;
    lines_ = WrapText(*fonts_, text, maxTextWidth);
    lineHeight_ = LineHeight(*fonts_);
    titleHeight_ = lineHeight_ + 12;

    int textWidth = 0;
    for (const std::string& line : lines_) {
        textWidth = std::max(textWidth, LineWidth(*fonts_, line));
    }
    buttons_ = {{IDOK, "OK", {}}};
    if ((type & MB_TYPEMASK) == MB_OKCANCEL) {
        buttons_.push_back({IDCANCEL, "Cancel", {}});
    }
    const int buttonHeight = lineHeight_ + 12;
    int buttonWidth = MIN_BUTTON_WIDTH;
    for (const Button& button : buttons_) {
        buttonWidth = std::max(buttonWidth, LineWidth(*fonts_, button.label) + 24);
    }
    const int count = static_cast<int>(buttons_.size());
    const int buttonsWidth = count * buttonWidth + (count - 1) * BUTTON_GAP;
    const int textHeight = static_cast<int>(lines_.size()) * lineHeight_;
    const int width = std::max({textWidth + 2 * PADDING, buttonsWidth + 2 * PADDING,
                                std::min(LineWidth(*fonts_, caption) + 24, maxTextWidth + 2 * PADDING), MIN_WIDTH});
    const int height = titleHeight_ + PADDING + textHeight + PADDING + buttonHeight + PADDING;
    textPlace_ = SDL_Rect{PADDING, titleHeight_ + PADDING, textWidth, textHeight};
    for (int i = 0; i < count; ++i) {
        buttons_[i].place = SDL_Rect{(width - buttonsWidth) / 2 + i * (buttonWidth + BUTTON_GAP),
                                     height - PADDING - buttonHeight, buttonWidth, buttonHeight};
    }

    int x = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    int y = x;
    if (owner != nullptr) {
        int ownerX = 0, ownerY = 0, ownerWidth = 0, ownerHeight = 0;
        SDL_GetWindowPosition(owner, &ownerX, &ownerY);
        SDL_GetWindowSize(owner, &ownerWidth, &ownerHeight);
        x = ownerX + (ownerWidth - width) / 2;
        y = ownerY + (ownerHeight - height) / 2;
    }
    // Its own title band and frame: the box looks the same with or without
    // a window manager, and stays above a full-screen game.
    window_ = SDL_CreateWindow(caption.c_str(), x, y, width, height,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
    if (window_ == nullptr) {
        return false;
    }
    if (owner != nullptr) {
        SDL_SetWindowModalFor(window_, owner);
    }
    windowId_ = SDL_GetWindowID(window_);
    AddOwnWindow(windowId_, this);
    focused_ = 0;
    pressed_ = -1;
    result_ = 0;
    return true;
}

int OwnMessageBox::Run() {
    if (window_ == nullptr) {
        return IDOK;
    }
    SDL_Window* focus = SDL_GetKeyboardFocus();
    focusBefore_ = focus != nullptr ? SDL_GetWindowID(focus) : 0;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    // Without a window manager nobody else gives it the keyboard.
    SDL_SetWindowInputFocus(window_);
    Draw();
    while (!Chosen()) {
        // The box's events come to OnSdlEvent; every other window's become
        // messages and go to their procedures.
        DispatchWaitingMessages();
        if (!Chosen()) {
            SDL_WaitEventTimeout(nullptr, IDLE_MILLISECONDS);
        }
    }
    Close();
    return result_;
}

void OwnMessageBox::Close() {
    if (window_ == nullptr) {
        return;
    }
    RemoveOwnWindow(windowId_);
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (focusBefore_ != 0) {
        if (SDL_Window* before = SDL_GetWindowFromID(focusBefore_)) {
            SDL_SetWindowInputFocus(before);
        }
    }
}

int OwnMessageBox::CancelResult() const {
    return buttons_.size() > 1 ? IDCANCEL : IDOK;
}

int OwnMessageBox::ButtonAt(int x, int y) const {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (Inside(buttons_[i].place, x, y)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void OwnMessageBox::OnSdlEvent(const SDL_Event& event) {
    if (Chosen() || buttons_.empty()) {
        return;
    }
    const int count = static_cast<int>(buttons_.size());
    switch (event.type) {
    case SDL_KEYDOWN: {
        // A held key's repeats choose nothing: only a fresh press does.
        if (event.key.repeat != 0) {
            break;
        }
        const SDL_Keycode key = event.key.keysym.sym;
        const Uint16 mod = event.key.keysym.mod;
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE) {
            result_ = buttons_[focused_].id;
        } else if (key == SDLK_ESCAPE || (key == SDLK_F4 && (mod & KMOD_ALT) != 0)) {
            result_ = CancelResult();
        } else if (key == SDLK_TAB || key == SDLK_RIGHT || key == SDLK_LEFT) {
            const bool back = key == SDLK_LEFT || (key == SDLK_TAB && (mod & KMOD_SHIFT) != 0);
            focused_ = (focused_ + (back ? count - 1 : 1)) % count;
            Draw();
        }
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
            pressed_ = ButtonAt(event.button.x, event.button.y);
            if (pressed_ >= 0) {
                focused_ = pressed_;
            }
            Draw();
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            const int released = ButtonAt(event.button.x, event.button.y);
            if (released >= 0 && released == pressed_) {
                result_ = buttons_[released].id;
            }
            pressed_ = -1;
            Draw();
        }
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            result_ = CancelResult();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN ||
                   event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            Draw();
        }
        break;
    default: break;
    }
}

void OwnMessageBox::Draw() {
    if (window_ == nullptr || fonts_ == nullptr) {
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        return;
    }
    const SDL_Rect whole{0, 0, surface->w, surface->h};
    Fill(surface, whole, FRAME);
    Fill(surface, Inset(whole, 1), BODY);
    // Nothing spills over the frame, whatever the text.
    const SDL_Rect band{1, 1, surface->w - 2, titleHeight_ - 1};
    Fill(surface, band, TITLE_BAND);
    SDL_SetClipRect(surface, &band);
    DrawLine(*fonts_, surface, caption_, 12, (titleHeight_ - lineHeight_) / 2, TITLE_TEXT);
    const SDL_Rect body = Inset(whole, 1);
    SDL_SetClipRect(surface, &body);
    for (size_t i = 0; i < lines_.size(); ++i) {
        DrawLine(*fonts_, surface, lines_[i], textPlace_.x, textPlace_.y + static_cast<int>(i) * lineHeight_, TEXT);
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const Button& button = buttons_[i];
        const bool focused = static_cast<int>(i) == focused_;
        Fill(surface, button.place, focused ? FOCUS_EDGE : BUTTON_EDGE);
        Fill(surface, Inset(button.place, focused ? 2 : 1),
             static_cast<int>(i) == pressed_ ? BUTTON_PRESSED : BUTTON_FACE);
        const int labelWidth = LineWidth(*fonts_, button.label);
        DrawLine(*fonts_, surface, button.label, button.place.x + (button.place.w - labelWidth) / 2,
                 button.place.y + (button.place.h - lineHeight_) / 2, TEXT);
    }
    SDL_SetClipRect(surface, nullptr);
    SDL_UpdateWindowSurface(window_);
}

}  // namespace platform
