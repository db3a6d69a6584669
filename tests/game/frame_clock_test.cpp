#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform_fakes.h"
#include "shell/frame_clock.h"
#include "shell/info_box.h"

namespace {

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameRecords();
        fakes::ResetPlatform();
        fakes::SetCalendarSeconds(1700000000);
    }
    void TearDown() override {
        fakes::UseRealMilliseconds();
        fakes::UseRealCalendar();
    }
};

TEST_F(FrameClockTest, FirstStepsRenderThenSkipOnce) {
    // The clock is far past lastTick 0, so the first wait ends at once.
    fakes::SetMilliseconds(5000, 1);
    EXPECT_FALSE(frameClock.skipRender);  // step 1 renders
    CountFrame();
    EXPECT_EQ(frameClock.framesLastSecond, 1);  // lastSecond 0 rolls over at once
    EXPECT_EQ(frameClock.framesThisSecond, 0);
    WaitForNextFrame();
    EXPECT_TRUE(frameClock.skipRender);  // step 2 does not render
    EXPECT_EQ(frameClock.lastTick, 5000);
    EXPECT_EQ(frameClock.skipsThisSecond, 1);
    CountFrame();
    WaitForNextFrame();
    EXPECT_FALSE(frameClock.skipRender);
    EXPECT_EQ(frameClock.lastTick, 5030);
    EXPECT_EQ(frameClock.skipsThisSecond, 1);
}

TEST_F(FrameClockTest, WaitEndsAtThePeriodOrAtOnce) {
    struct Case {
        const char* name;
        int32_t lastTick;
        uint32_t now;
        bool skip;
        int32_t endTick;
    };
    const Case cases[] = {
        {"early step waits out the period", 1000, 1010, false, 1030},
        {"exactly on time", 1000, 1030, true, 1030},
        {"overrun", 1000, 1045, true, 1045},
        {"clock turned negative", INT_MAX - 5, 0x80000002u, true, INT_MIN + 2},
        {"sum overflows in the last 30 ms", INT_MAX - 20, static_cast<uint32_t>(INT_MAX - 19), true, INT_MAX - 19},
        {"clock went backwards", 1000, 900, true, 900},
        {"crossing zero paces normally", -10, 0xFFFFFFFCu, false, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frameClock = FrameClock{};
        frameClock.lastTick = c.lastTick;
        fakes::SetMilliseconds(c.now, 1);
        WaitForNextFrame();
        EXPECT_EQ(frameClock.skipRender, c.skip);
        EXPECT_EQ(frameClock.lastTick, c.endTick);
        EXPECT_EQ(frameClock.skipsThisSecond, c.skip ? 1 : 0);
    }
}

TEST_F(FrameClockTest, PacingResumesAfterTheClockWraps) {
    frameClock.lastTick = INT_MAX - 40;
    fakes::SetMilliseconds(static_cast<uint32_t>(INT_MAX - 35), 1);
    std::vector<bool> skips;
    for (int step = 0; step < 5; ++step) {
        fakes::AdvanceMilliseconds(5);  // each step's own work
        WaitForNextFrame();
        skips.push_back(frameClock.skipRender);
    }
    // Waits end at once near and across the sign change, then pace again.
    EXPECT_EQ(skips, (std::vector<bool>{false, true, true, false, false}));
    EXPECT_EQ(frameClock.lastTick, INT_MIN + 61);
}

TEST_F(FrameClockTest, FortyMillisecondStepsRenderEveryOtherStep) {
    fakes::SetMilliseconds(100000, 1);
    frameClock.lastTick = 100000;
    std::string pattern;
    for (int step = 0; step < 8; ++step) {
        const bool renders = !frameClock.skipRender;
        pattern += renders ? 'R' : '-';
        fakes::AdvanceMilliseconds(renders ? 40 : 2);
        CountFrame();
        WaitForNextFrame();
    }
    EXPECT_EQ(pattern, "R-R-R-R-");
}

TEST_F(FrameClockTest, StatisticsRollOverAtEachNewSecond) {
    fakes::SetMilliseconds(1000, 1);
    CountFrame();  // first roll-over
    for (int step = 0; step < 33; ++step) {
        CountFrame();
    }
    EXPECT_EQ(frameClock.framesThisSecond, 33);
    frameClock.skipsThisSecond = 2;
    fakes::SetCalendarSeconds(1700000001);
    CountFrame();  // counted in the second that just ended
    EXPECT_EQ(frameClock.framesLastSecond, 34);
    EXPECT_EQ(frameClock.skipsLastSecond, 2);
    EXPECT_EQ(frameClock.framesThisSecond, 0);
    EXPECT_EQ(frameClock.skipsThisSecond, 0);
    EXPECT_EQ(frameClock.lastSecond, 1700000001);
}

TEST_F(FrameClockTest, SkipsWrapAt256) {
    frameClock.skipsThisSecond = 255;
    frameClock.lastTick = 0;
    fakes::SetMilliseconds(1000, 1);
    WaitForNextFrame();
    EXPECT_EQ(frameClock.skipsThisSecond, 0);
}

TEST(InfoText, ShowsLastSecondsStatistics) {
    struct Case {
        int16_t frames;
        uint8_t skips;
        const char* text;
    };
    const Case cases[] = {
        {33, 0, " tovlen bounce / version 0.2 \n by marl-ovin \n\n [ FPS : 33 / LOOP : 33 / SKIP : 0 ] \n"},
        {33, 16, " tovlen bounce / version 0.2 \n by marl-ovin \n\n [ FPS : 17 / LOOP : 33 / SKIP : 16 ] \n"},
        {0, 0, " tovlen bounce / version 0.2 \n by marl-ovin \n\n [ FPS : 0 / LOOP : 0 / SKIP : 0 ] \n"},
    };
    for (const Case& c : cases) {
        ResetGameRecords();
        frameClock.framesLastSecond = c.frames;
        frameClock.skipsLastSecond = c.skips;
        frameClock.framesThisSecond = 99;  // the running second is not shown
        char text[200];
        FormatInfoText(text, sizeof(text));
        EXPECT_STREQ(text, c.text);
    }
}

}  // namespace
