#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "input/key_tracker.h"
#include "platform_fakes.h"
#include "shell/main_window.h"

namespace {

TEST(KeyTable, EveryStateAndSample) {
    struct Case {
        KeyState previous;
        bool down;
        KeyState next;
    };
    const Case cases[] = {
        // clang-format off
        {KEY_UP, true, KEY_PRESSED},        {KEY_UP, false, KEY_UP},
        {KEY_PRESSED, true, KEY_HELD},      {KEY_PRESSED, false, KEY_RELEASED},
        {KEY_RELEASED, true, KEY_HELD},     {KEY_RELEASED, false, KEY_UP},
        {KEY_HELD, true, KEY_HELD},         {KEY_HELD, false, KEY_RELEASED},
        // clang-format on
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextKeyState(c.previous, c.down), c.next) << c.previous << (c.down ? " down" : " up");
    }
}

// Real key messages through a real window: post, take them off the queue as
// the message loop does, then sample.
class KeyMessages : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameRecords();
        fakes::ResetPlatform();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "BASE";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "BASE", "keys", WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        Drain();
        PollKeys();
        PollKeys();
    }

    void TearDown() override {
        // Leave every key up for the next test.
        for (int key : {VK_SPACE, VK_RETURN, VK_NUMPAD0, VK_NUMPAD4, VK_NUMPAD6}) {
            fakes::PostKey(window_, key, false);
        }
        Drain();
        DestroyWindow(window_);
    }

    static void Drain() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    // Per sample: the messages that arrive before it ('d' down, 'u' up).
    std::vector<KeyState> Samples(int key, const std::vector<const char*>& before, KeyState KeyStates::*field) {
        std::vector<KeyState> seen;
        for (const char* events : before) {
            for (const char* e = events; *e != '\0'; ++e) {
                fakes::PostKey(window_, key, *e == 'd');
            }
            Drain();
            PollKeys();
            seen.push_back(keyStates.*field);
        }
        return seen;
    }

    HWND window_ = nullptr;
};

TEST_F(KeyMessages, SequencesOfEveryGameKey) {
    struct Key {
        int code;
        KeyState KeyStates::*field;
    };
    const Key keys[] = {{VK_SPACE, &KeyStates::space},
                        {VK_RETURN, &KeyStates::enter},
                        {VK_NUMPAD0, &KeyStates::numpad0},
                        {VK_NUMPAD4, &KeyStates::numpad4},
                        {VK_NUMPAD6, &KeyStates::numpad6}};
    struct Sequence {
        const char* name;
        std::vector<const char*> before;
        std::vector<KeyState> states;
    };
    const Sequence sequences[] = {
        // clang-format off
        {"tap for one step", {"d", "u", ""}, {KEY_PRESSED, KEY_RELEASED, KEY_UP}},
        {"hold", {"d", "", "", ""}, {KEY_PRESSED, KEY_HELD, KEY_HELD, KEY_HELD}},
        {"auto-repeat while held", {"d", "d", "dd", "u"}, {KEY_PRESSED, KEY_HELD, KEY_HELD, KEY_RELEASED}},
        {"up for one step then down again", {"d", "", "u", "d"}, {KEY_PRESSED, KEY_HELD, KEY_RELEASED, KEY_HELD}},
        {"press and release between samples", {"du", ""}, {KEY_UP, KEY_UP}},
        // clang-format on
    };
    for (const Key& key : keys) {
        for (const Sequence& s : sequences) {
            SCOPED_TRACE(testing::Message() << "key " << key.code << ": " << s.name);
            EXPECT_EQ(Samples(key.code, s.before, key.field), s.states);
            // Settle to up before the next sequence.
            Samples(key.code, {"u", ""}, key.field);
            ASSERT_EQ(keyStates.*key.field, KEY_UP);
        }
    }
}

}  // namespace
