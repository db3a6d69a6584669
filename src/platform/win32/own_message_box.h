#pragma once
// Inside the platform layer: the message box of the platform's own, for
// displays where SDL's cannot draw the text. A small window with the
// caption, the text wrapped to lines, and the buttons (OK, or OK and
// Cancel); modal: it runs its own loop until a button is chosen, and the
// program's windows still get their messages meanwhile.

#include <SDL.h>

#include <string>
#include <vector>

#include "box_text.h"
#include "sdl_events.h"
#include "winuser.h"

namespace platform {

class OwnMessageBox final : public OwnWindowEvents {
public:
    OwnMessageBox() = default;
    ~OwnMessageBox();
    OwnMessageBox(const OwnMessageBox&) = delete;
    OwnMessageBox& operator=(const OwnMessageBox&) = delete;

    // Lays the box out and opens its window, hidden, centred over the owner
    // (or on the main window's display). False where it cannot: no fonts,
    // no window.
    bool Open(SDL_Window* owner, const std::string& caption, const std::string& text, UINT type);
    // Shows the box, takes the keyboard focus and loops until a button is
    // chosen: Return, keypad Enter or Space choose the focused button (OK
    // at first), Escape, Alt+F4 or the window's close button choose Cancel
    // (OK when it is the only button), a click chooses the button clicked.
    // Gives the focus back and closes the window; returns IDOK or IDCANCEL.
    int Run();

    // One event of the box's window (the event pump hands them over).
    void OnSdlEvent(const SDL_Event& event) override;

    bool Chosen() const { return result_ != 0; }
    int Result() const { return result_; }
    SDL_Window* Window() const { return window_; }

    struct Button {
        int id;
        const char* label;
        SDL_Rect place;
    };
    const std::vector<Button>& Buttons() const { return buttons_; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Paints the whole box into its window.
    void Draw();

private:
    void Close();
    int CancelResult() const;
    int ButtonAt(int x, int y) const;

    BoxFonts* fonts_ = nullptr;
    std::string caption_;
    std::vector<std::string> lines_;
    std::vector<Button> buttons_;
    SDL_Rect textPlace_{};
    int lineHeight_ = 0;
    int titleHeight_ = 0;
    int focused_ = 0;
    int pressed_ = -1;
    int result_ = 0;
    SDL_Window* window_ = nullptr;
    Uint32 windowId_ = 0;
    Uint32 focusBefore_ = 0;
};

}  // namespace platform
