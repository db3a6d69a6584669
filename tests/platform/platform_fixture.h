#pragma once
// Every platform test starts from reset seams and must leave no platform
// object alive that it created.

#include <gtest/gtest.h>

#include "platform_testing.h"

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform_testing::ResetAll();
        liveAtStart_ = platform_testing::LiveObjectCount();
    }

    void TearDown() override {
        platform_testing::DestroyAllWindows();
        platform_testing::ResetAll();
        EXPECT_EQ(platform_testing::LiveObjectCount(), liveAtStart_);
    }

    // Registers a class whose procedure records what it receives, and opens
    // a window of it with the outer size the game computes for 640 x 480.
    HWND OpenWindow(DWORD style = WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX, const char* caption = "tovlen bounce");

    struct Received {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    static std::vector<Received>& Log();
    static LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    int liveAtStart_ = 0;
};
