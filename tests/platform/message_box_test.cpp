#include <gtest/gtest.h>

#include "platform_fixture.h"

namespace {

using MessageBoxTest = PlatformTest;

TEST_F(MessageBoxTest, StartUpTextsArriveAsUtf8) {
    struct Case {
        const char* shiftJis;
        const char* caption;
        const char* utf8;
    };
    // The two start-up failures, as code page 932 bytes.
    const Case cases[] = {
        {"Direct3D \x82\xcc\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42", "Base",
         "Direct3D の作成に失敗しました。"},
        {"Direct3D \x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42",
         "tovlen bounce", "Direct3D の初期化に失敗しました。"},
    };
    platform_testing::CaptureMessageBoxes(true);
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBoxA(nullptr, c.shiftJis, c.caption, MB_ICONERROR), IDOK);
    }
    const auto& boxes = platform_testing::CapturedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, cases[i].utf8);
        EXPECT_EQ(boxes[i].caption, cases[i].caption);
        EXPECT_EQ(boxes[i].type, static_cast<UINT>(MB_ICONERROR));
    }
}

TEST_F(MessageBoxTest, InvalidBytesAreReplacedNotDropped) {
    platform_testing::CaptureMessageBoxes(true);
    // A lead byte with no trail byte, then plain text.
    MessageBoxA(nullptr, "a\x82", nullptr, MB_OK);
    const auto& boxes = platform_testing::CapturedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "a・");
    EXPECT_EQ(boxes[0].caption, "Error");
}

TEST_F(MessageBoxTest, MessagesArrivingWhileOpenAreDispatchedBeforeItReturns) {
    const HWND window = OpenWindow();
    platform_testing::CaptureMessageBoxes(true);
    bool logEmptyWhileOpen = false;
    platform_testing::SetMessageBoxHook([&](const platform_testing::CapturedMessageBox&) {
        logEmptyWhileOpen = Log().empty();
        platform_testing::PostCloseMessage(window);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "info", "tovlen bounce", MB_OK), IDOK);
    EXPECT_TRUE(logEmptyWhileOpen);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_CLOSE));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageBoxTest, WithoutADisplayTheTextGoesToStandardError) {
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy") {
        GTEST_SKIP() << "needs SDL's dummy video driver";
    }
    ::testing::internal::CaptureStderr();
    const int result = MessageBoxA(nullptr, "\x83\x65\x83\x58\x83\x67", "Base", MB_ICONERROR);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(written.find("Base"), std::string::npos);
    EXPECT_NE(written.find("テスト"), std::string::npos);
}

}  // namespace
