#include <gtest/gtest.h>

#include "platform_fixture.h"
#include "window_registry.h"

namespace {

using WindowTest = PlatformTest;

TEST_F(WindowTest, ClientAreaIsOuterSizeLessTheReportedFrame) {
    EXPECT_EQ(GetSystemMetrics(SM_CXDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CYDLGFRAME), 3);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);

    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);

    SDL_Window* sdl = platform::SdlWindowFromHwnd(window);
    ASSERT_NE(sdl, nullptr);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

TEST_F(WindowTest, VisibilityFollowsTheStyle) {
    struct Case {
        DWORD style;
        bool shown;
    };
    for (const Case& c : {Case{WS_VISIBLE | WS_SYSMENU, true}, Case{WS_SYSMENU, false}}) {
        const HWND window = OpenWindow(c.style);
        ASSERT_NE(window, nullptr);
        const Uint32 flags = SDL_GetWindowFlags(platform::SdlWindowFromHwnd(window));
        EXPECT_EQ((flags & SDL_WINDOW_SHOWN) != 0, c.shown) << std::hex << c.style;
        EXPECT_EQ((flags & SDL_WINDOW_HIDDEN) != 0, !c.shown) << std::hex << c.style;
        EXPECT_TRUE(DestroyWindow(window));
        platform_testing::ResetAll();
    }
}

TEST_F(WindowTest, CaptionIsConvertedFromCodePage932) {
    // "テスト" in code page 932.
    const HWND window = OpenWindow(WS_VISIBLE, "\x83\x65\x83\x58\x83\x67 bounce");
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(platform::SdlWindowFromHwnd(window)), "テスト bounce");
}

TEST_F(WindowTest, ClassNamesIgnoreCaseAndRegisterOnce) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "Base";
    EXPECT_NE(RegisterClassA(&windowClass), 0);
    windowClass.lpszClassName = "BASE";
    EXPECT_EQ(RegisterClassA(&windowClass), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    const HWND window = CreateWindowExA(0, "bAsE", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(CreateWindowExA(0, "OTHER", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowTest, DefaultCloseDestroysTheWindowAfterTellingIt) {
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    const int live = platform_testing::LiveObjectCount();
    EXPECT_EQ(DefWindowProcA(window, WM_CLOSE, 0, 0), 0);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(platform_testing::LiveObjectCount(), live - 1);
    EXPECT_EQ(platform::SdlWindowFromHwnd(window), nullptr);
    RECT client{};
    EXPECT_FALSE(GetClientRect(window, &client));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(WindowTest, CursorAndStockObjectsAreHandles) {
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
}

}  // namespace
