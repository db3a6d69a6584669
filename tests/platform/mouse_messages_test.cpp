#include <gtest/gtest.h>

#include "platform_fixture.h"

namespace {

using MouseMessagesTest = PlatformTest;

SDL_Event Motion(int x, int y, Uint32 state = 0) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = state;
    return e;
}

SDL_Event Button(Uint8 button, bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.type = e.type;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Wheel(int y, bool flipped, int x = 0, int mouseY = 0) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    e.wheel.mouseX = x;
    e.wheel.mouseY = mouseY;
    return e;
}

// A drag and the wheel, in order: each event gives one message with the
// buttons held after it, the position as two signed 16-bit halves (a drag
// may leave the window), and the wheel's turn in WHEEL_DELTA units.
TEST_F(MouseMessagesTest, EventsBecomeThePlatformsMouseMessages) {
    struct Case {
        const char* name;
        SDL_Event event;
        UINT message;
        WPARAM buttons;
        int x, y;
        int wheel;
    };
    const Case cases[] = {
        {"move, nothing held", Motion(10, 20), WM_MOUSEMOVE, 0, 10, 20, 0},
        {"left down", Button(SDL_BUTTON_LEFT, true, 11, 21), WM_LBUTTONDOWN, MK_LBUTTON, 11, 21, 0},
        {"drag out to the left", Motion(-5, 30), WM_MOUSEMOVE, MK_LBUTTON, -5, 30, 0},
        {"right down too", Button(SDL_BUTTON_RIGHT, true, -5, 30), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, -5, 30, 0},
        {"left up", Button(SDL_BUTTON_LEFT, false, 2, 3), WM_LBUTTONUP, MK_RBUTTON, 2, 3, 0},
        {"right up", Button(SDL_BUTTON_RIGHT, false, 2, 3), WM_RBUTTONUP, 0, 2, 3, 0},
        {"middle down", Button(SDL_BUTTON_MIDDLE, true, 4, 5), WM_MBUTTONDOWN, MK_MBUTTON, 4, 5, 0},
        {"middle up", Button(SDL_BUTTON_MIDDLE, false, 4, 5), WM_MBUTTONUP, 0, 4, 5, 0},
        {"wheel away, one notch", Wheel(1, false, 7, 8), WM_MOUSEWHEEL, 0, 7, 8, WHEEL_DELTA},
        {"wheel toward, two notches", Wheel(-2, false, 7, 8), WM_MOUSEWHEEL, 0, 7, 8, -2 * WHEEL_DELTA},
        {"flipped wheel", Wheel(1, true, 0, 0), WM_MOUSEWHEEL, 0, 0, 0, -WHEEL_DELTA},
    };
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    for (const Case& c : cases) {
        ASSERT_TRUE(platform_testing::InjectSdlMouseEvent(c.event)) << c.name;
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << c.name;
        EXPECT_EQ(msg.hwnd, window) << c.name;
        EXPECT_EQ(msg.message, c.message) << c.name;
        EXPECT_EQ(GET_KEYSTATE_WPARAM(msg.wParam), c.buttons) << c.name;
        POINT point{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        if (c.message == WM_MOUSEWHEEL) {
            // The wheel reports where the mouse is on the screen.
            EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), c.wheel) << c.name;
            ASSERT_TRUE(ScreenToClient(window, &point)) << c.name;
        }
        EXPECT_EQ(point.x, c.x) << c.name;
        EXPECT_EQ(point.y, c.y) << c.name;
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << c.name;
    }
}

TEST_F(MouseMessagesTest, ScreenToClientNeedsALiveWindowAndAPoint) {
    const HWND window = OpenWindow();
    EXPECT_FALSE(ScreenToClient(window, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(DestroyWindow(window));
    POINT point{1, 2};
    EXPECT_FALSE(ScreenToClient(window, &point));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
