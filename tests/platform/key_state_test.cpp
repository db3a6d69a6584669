#include <gtest/gtest.h>

#include "platform_fixture.h"

namespace {

using KeyStateTest = PlatformTest;

constexpr SHORT DOWN = static_cast<SHORT>(0xFF80);

bool TakeOne(MSG& msg) {
    return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
}

TEST_F(KeyStateTest, FollowsTakenMessagesNotPostedOnes) {
    OpenWindow();
    platform_testing::PostKeyMessage(VK_SPACE, true);
    platform_testing::PostKeyMessage(VK_SPACE, false);
    // Posted but not yet taken: still up.
    EXPECT_EQ(GetKeyState(VK_SPACE) & 0x80, 0);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(GetKeyState(VK_SPACE) & 0x80, 0) << "looking is not taking";
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_TRUE(TranslateMessage(&msg));
    // Down reads as the key-state byte sign-extended; the first press
    // toggles the low bit.
    EXPECT_EQ(GetKeyState(VK_SPACE), static_cast<SHORT>(DOWN | 1));
    EXPECT_NE(GetKeyState(VK_SPACE) & 0x8000, 0);
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_EQ(GetKeyState(VK_SPACE), 1);

    platform_testing::PostKeyMessage(VK_SPACE, true);
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_EQ(GetKeyState(VK_SPACE), DOWN) << "second press toggles back";
    EXPECT_EQ(GetKeyState(VK_RETURN), 0);
}

TEST_F(KeyStateTest, ProgramPostedKeyMessagesDoNotMoveTheKeyboard) {
    const HWND window = OpenWindow();
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    MSG msg{};
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_EQ(GetKeyState(VK_RETURN), 0);
}

TEST_F(KeyStateTest, KeyMessagesCarryThePlatformLParam) {
    struct Case {
        const char* name;
        SDL_Scancode key;
        bool down;
        bool repeat;
        UINT message;
        WPARAM vk;
        DWORD lParam;
    };
    // repeat 1 | scan << 16 | extended << 24 | previous << 30 | transition << 31
    const Case cases[] = {
        {"space down", SDL_SCANCODE_SPACE, true, false, WM_KEYDOWN, VK_SPACE, 0x00390001},
        {"space repeat", SDL_SCANCODE_SPACE, true, true, WM_KEYDOWN, VK_SPACE, 0x40390001},
        {"space up", SDL_SCANCODE_SPACE, false, false, WM_KEYUP, VK_SPACE, 0xC0390001},
        {"return down", SDL_SCANCODE_RETURN, true, false, WM_KEYDOWN, VK_RETURN, 0x001C0001},
        {"left arrow down", SDL_SCANCODE_LEFT, true, false, WM_KEYDOWN, VK_LEFT, 0x014B0001},
        {"left arrow up", SDL_SCANCODE_LEFT, false, false, WM_KEYUP, VK_LEFT, 0xC14B0001},
        {"escape down", SDL_SCANCODE_ESCAPE, true, false, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
        {"F1 down", SDL_SCANCODE_F1, true, false, WM_KEYDOWN, VK_F1, 0x003B0001},
        {"letter down", SDL_SCANCODE_Q, true, false, WM_KEYDOWN, 'Q', 0x00100001},
        {"digit down", SDL_SCANCODE_7, true, false, WM_KEYDOWN, '7', 0x00080001},
        {"left bracket down", SDL_SCANCODE_LEFTBRACKET, true, false, WM_KEYDOWN, VK_OEM_4, 0x001A0001},
        {"right bracket up", SDL_SCANCODE_RIGHTBRACKET, false, false, WM_KEYUP, VK_OEM_6, 0xC01B0001},
        {"equals (plus) down", SDL_SCANCODE_EQUALS, true, false, WM_KEYDOWN, VK_OEM_PLUS, 0x000D0001},
        {"minus down", SDL_SCANCODE_MINUS, true, false, WM_KEYDOWN, VK_OEM_MINUS, 0x000C0001},
        {"page up down", SDL_SCANCODE_PAGEUP, true, false, WM_KEYDOWN, VK_PRIOR, 0x01490001},
    };
    OpenWindow();
    platform_testing::SetNumLock(true);
    for (const Case& c : cases) {
        ASSERT_TRUE(platform_testing::InjectSdlKey(c.key, c.down, KMOD_NONE, c.repeat));
        MSG msg{};
        ASSERT_TRUE(TakeOne(msg)) << c.name;
        EXPECT_EQ(msg.message, c.message) << c.name;
        EXPECT_EQ(msg.wParam, c.vk) << c.name;
        EXPECT_EQ(static_cast<DWORD>(msg.lParam), c.lParam) << c.name;
    }
}

TEST_F(KeyStateTest, PostedKeysMatchTheKeyboardsOwn) {
    OpenWindow();
    platform_testing::SetNumLock(true);
    for (SDL_Scancode key : {SDL_SCANCODE_SPACE, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_4, SDL_SCANCODE_UP}) {
        MSG real[2]{};
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(platform_testing::InjectSdlKey(key, i == 0));
            ASSERT_TRUE(TakeOne(real[i]));
        }
        for (int i = 0; i < 2; ++i) {
            platform_testing::PostKeyMessage(static_cast<int>(real[0].wParam), i == 0);
            MSG posted{};
            ASSERT_TRUE(TakeOne(posted));
            EXPECT_EQ(posted.message, real[i].message) << key;
            EXPECT_EQ(posted.lParam, real[i].lParam) << key;
        }
    }
}

TEST_F(KeyStateTest, KeypadCodesFollowNumLock) {
    struct Case {
        SDL_Scancode key;
        WPARAM numLockOn;
        WPARAM numLockOff;
    };
    const Case cases[] = {
        // clang-format off
        {SDL_SCANCODE_KP_0, VK_NUMPAD0, VK_INSERT}, {SDL_SCANCODE_KP_1, VK_NUMPAD1, VK_END},
        {SDL_SCANCODE_KP_2, VK_NUMPAD2, VK_DOWN},   {SDL_SCANCODE_KP_3, VK_NUMPAD3, VK_NEXT},
        {SDL_SCANCODE_KP_4, VK_NUMPAD4, VK_LEFT},   {SDL_SCANCODE_KP_5, VK_NUMPAD5, VK_CLEAR},
        {SDL_SCANCODE_KP_6, VK_NUMPAD6, VK_RIGHT},  {SDL_SCANCODE_KP_7, VK_NUMPAD7, VK_HOME},
        {SDL_SCANCODE_KP_8, VK_NUMPAD8, VK_UP},     {SDL_SCANCODE_KP_9, VK_NUMPAD9, VK_PRIOR},
        // clang-format on
    };
    OpenWindow();
    for (bool numLock : {true, false}) {
        platform_testing::SetNumLock(numLock);
        for (const Case& c : cases) {
            const WPARAM expected = numLock ? c.numLockOn : c.numLockOff;
            const WPARAM other = numLock ? c.numLockOff : c.numLockOn;
            ASSERT_TRUE(platform_testing::InjectSdlKey(c.key, true));
            MSG msg{};
            ASSERT_TRUE(TakeOne(msg));
            EXPECT_EQ(msg.wParam, expected) << c.key << " num lock " << numLock;
            EXPECT_EQ(static_cast<DWORD>(msg.lParam) & 0x01000000u, 0u) << "keypad keys are not extended";
            EXPECT_EQ(GetKeyState(static_cast<int>(expected)) & 0x80, 0x80);
            EXPECT_EQ(GetKeyState(static_cast<int>(other)) & 0x80, 0);
            ASSERT_TRUE(platform_testing::InjectSdlKey(c.key, false));
            ASSERT_TRUE(TakeOne(msg));
            EXPECT_EQ(GetKeyState(static_cast<int>(expected)) & 0x80, 0);
        }
    }
}

TEST_F(KeyStateTest, NumLockStateComesWithTheKeyWithoutAnOverride) {
    OpenWindow();
    ASSERT_TRUE(platform_testing::InjectSdlKey(SDL_SCANCODE_KP_6, true, KMOD_NUM));
    ASSERT_TRUE(platform_testing::InjectSdlKey(SDL_SCANCODE_KP_6, false, KMOD_NONE));
    MSG msg{};
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_NUMPAD6));
    ASSERT_TRUE(TakeOne(msg));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_RIGHT));
}

}  // namespace
