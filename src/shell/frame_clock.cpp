#include "shell/frame_clock.h"

#include <mmsystem.h>
#include <windows.h>

#include <crt_time.h>

FrameClock frameClock;

void WaitForNextFrame() {
    frameClock.skipRender = true;
    int32_t now;
    for (;;) {
        now = static_cast<int32_t>(timeGetTime());
        // Signed comparisons with a wrapping sum: a wrapped (or negative)
        // clock ends the wait at once and re-bases the period.
        const int32_t due =
            static_cast<int32_t>(static_cast<uint32_t>(frameClock.lastTick) + static_cast<uint32_t>(FRAME_PERIOD_MS));
        if (now >= due || now < frameClock.lastTick) {
            break;
        }
        frameClock.skipRender = false;
    }
    // The next period runs from here: time lost by a late step is not made up.
    frameClock.lastTick = now;
    if (frameClock.skipRender) {
        ++frameClock.skipsThisSecond;
    }
}

void CountFrame() {
    const time_t second = CrtTime(nullptr);
    ++frameClock.framesThisSecond;
    if (second != frameClock.lastSecond) {
        frameClock.lastSecond = second;
        frameClock.framesLastSecond = frameClock.framesThisSecond;
        frameClock.framesThisSecond = 0;
        frameClock.skipsLastSecond = frameClock.skipsThisSecond;
        frameClock.skipsThisSecond = 0;
    }
}
