#include <gtest/gtest.h>

#include <csignal>

#include "platform_fixture.h"

namespace {

volatile std::sig_atomic_t received = 0;

extern "C" void RecordSignal(int signal) {
    received = signal;
}

// Puts the process's own handler in place for the test and back after it.
class CloseSignalTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        struct sigaction mine {};
        mine.sa_handler = RecordSignal;
        sigemptyset(&mine.sa_mask);
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(sigaction(SIGNALS[i], &mine, &saved_[i]), 0);
        }
        received = 0;
    }

    void TearDown() override {
        PlatformTest::TearDown();
        for (int i = 0; i < 2; ++i) {
            sigaction(SIGNALS[i], &saved_[i], nullptr);
        }
    }

    static std::vector<MSG> TakeAll() {
        std::vector<MSG> taken;
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg);
        }
        return taken;
    }

    static constexpr int SIGNALS[2] = {SIGINT, SIGTERM};
    struct sigaction saved_[2];
};

TEST_F(CloseSignalTest, WhileAWindowIsOpenASignalAsksTheMainWindowToClose) {
    for (const int signal : SIGNALS) {
        const HWND main = OpenWindow();
        const HWND second = OpenWindow();
        ASSERT_NE(main, nullptr);
        ASSERT_NE(second, nullptr);
        TakeAll();

        std::raise(signal);
        EXPECT_EQ(received, 0) << "the program's handler ran while a window was open";
        const std::vector<MSG> taken = TakeAll();
        ASSERT_EQ(taken.size(), 1u) << signal;
        EXPECT_EQ(taken[0].hwnd, main);
        EXPECT_EQ(taken[0].message, static_cast<UINT>(WM_CLOSE));

        // One window left: still the windows' handling.
        DestroyWindow(main);
        std::raise(signal);
        EXPECT_EQ(received, 0);
        ASSERT_EQ(TakeAll().size(), 1u);

        // The last window gone: the program's own handler is back.
        DestroyWindow(second);
        std::raise(signal);
        EXPECT_EQ(received, signal);
        EXPECT_TRUE(TakeAll().empty());
        received = 0;
    }
}

TEST_F(CloseSignalTest, AnIgnoredSignalStaysIgnored) {
    std::signal(SIGINT, SIG_IGN);
    const HWND window = OpenWindow();
    ASSERT_NE(window, nullptr);
    TakeAll();
    std::raise(SIGINT);
    EXPECT_TRUE(TakeAll().empty());
    DestroyWindow(window);
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
}

TEST_F(CloseSignalTest, ASecondSignalBeforeTheFirstIsTakenEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::signal(SIGINT, SIG_DFL);
            OpenWindow();
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
