#include <gtest/gtest.h>

#include <vector>

#include "platform_fixture.h"

namespace {

using MessageQueueTest = PlatformTest;

constexpr UINT USER_MESSAGE = 0x0400;

std::vector<UINT> TakeAll(HWND filter = nullptr) {
    std::vector<UINT> taken;
    MSG msg{};
    while (PeekMessageA(&msg, filter, 0, 0, PM_REMOVE)) {
        taken.push_back(msg.message);
    }
    return taken;
}

TEST_F(MessageQueueTest, OneMessagePerPeekInPostingOrder) {
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageA(window, USER_MESSAGE, 1, 2));
    platform_testing::PostKeyMessage(VK_SPACE, true);
    ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(USER_MESSAGE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, static_cast<UINT>(USER_MESSAGE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);
    EXPECT_EQ(TakeAll(), (std::vector<UINT>{WM_KEYDOWN, WM_CLOSE}));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, FiltersByWindowAndRange) {
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(nullptr, USER_MESSAGE, 0, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE));
    EXPECT_EQ(TakeAll(), (std::vector<UINT>{USER_MESSAGE, WM_CLOSE}));
}

TEST_F(MessageQueueTest, PostingToADeadWindowFails) {
    const HWND window = OpenWindow();
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessageQueueTest, CloseReachesTheClassProcedureThroughDispatch) {
    const HWND window = OpenWindow();
    platform_testing::PostCloseMessage(window);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(TranslateMessage(&msg));
    EXPECT_EQ(DispatchMessageA(&msg), 1);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].window, window);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_CLOSE));
}

// Each way the window system asks to close ends as one WM_CLOSE to the
// window (the main window for a quit request that comes alone).
TEST_F(MessageQueueTest, SdlCloseRequestsBecomeOneCloseMessage) {
    struct Case {
        const char* name;
        bool windowEvent;
        bool quit;
        bool altF4;
    };
    const Case cases[] = {
        {"close button", true, false, false},
        {"close button of the last window", true, true, false},
        {"quit request alone", false, true, false},
        {"Alt+F4", false, false, true},
    };
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    for (const Case& c : cases) {
        if (c.windowEvent) {
            ASSERT_TRUE(platform_testing::InjectSdlWindowClose(window));
        }
        if (c.quit) {
            ASSERT_TRUE(platform_testing::InjectSdlQuit());
        }
        if (c.altF4) {
            ASSERT_TRUE(platform_testing::InjectSdlKey(SDL_SCANCODE_F4, true, KMOD_LALT));
            ASSERT_TRUE(platform_testing::InjectSdlKey(SDL_SCANCODE_F4, false, KMOD_LALT));
        }
        std::vector<MSG> closes;
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_CLOSE) {
                closes.push_back(msg);
            }
        }
        ASSERT_EQ(closes.size(), 1u) << c.name;
        EXPECT_EQ(closes[0].hwnd, window) << c.name;
    }
}

TEST_F(MessageQueueTest, DestroyedWindowsTakeTheirMessagesAlong) {
    const HWND window = OpenWindow();
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(nullptr, USER_MESSAGE, 0, 0);
    DestroyWindow(window);
    EXPECT_EQ(TakeAll(), (std::vector<UINT>{USER_MESSAGE}));
}

}  // namespace
