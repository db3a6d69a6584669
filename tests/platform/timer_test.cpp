#include <gtest/gtest.h>

#include "crt_time.h"
#include "platform_fixture.h"

namespace {

using TimerTest = PlatformTest;

TEST_F(TimerTest, FakeClockWrapsAt32Bits) {
    platform_testing::UseFakeClock(0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    platform_testing::AdvanceFakeClock(0x0F);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    platform_testing::AdvanceFakeClock(1);
    EXPECT_EQ(timeGetTime(), 0u);
    platform_testing::AdvanceFakeClock(30);
    EXPECT_EQ(timeGetTime(), 30u);
    // Signed, the way the frame pacing reads it: the wrap is a step back.
    platform_testing::SetFakeClock(0x7FFFFFFFu);
    const auto before = static_cast<int32_t>(timeGetTime());
    platform_testing::AdvanceFakeClock(1);
    EXPECT_LT(static_cast<int32_t>(timeGetTime()), before);
}

TEST_F(TimerTest, RealClockNeverRunsBackward) {
    DWORD previous = timeGetTime();
    for (int i = 0; i < 1000; ++i) {
        const DWORD now = timeGetTime();
        EXPECT_LT(now - previous, 1000u);
        previous = now;
    }
}

TEST_F(TimerTest, CalendarClockCanBeFaked) {
    platform_testing::SetFakeCalendarTime(1000);
    time_t stored = 0;
    EXPECT_EQ(CrtTime(&stored), 1000);
    EXPECT_EQ(stored, 1000);
    platform_testing::AdvanceFakeCalendarTime(1);
    EXPECT_EQ(CrtTime(nullptr), 1001);
    platform_testing::UseRealCalendarTime();
    EXPECT_GT(CrtTime(nullptr), 1001);
}

}  // namespace
