#pragma once
// The 30 ms pacing of frame steps and the per-second statistics.

#include <cstdint>
#include <ctime>

constexpr int32_t FRAME_PERIOD_MS = 30;

struct FrameClock {
    int32_t lastTick;          // timeGetTime when the last wait ended
    bool skipRender;           // the last wait found its period already over
    int16_t framesThisSecond;  // steps since the last roll-over
    int16_t framesLastSecond;  // steps of the last completed second
    uint8_t skipsThisSecond;   // skipped pictures since the last roll-over
    uint8_t skipsLastSecond;   // skipped pictures of the last completed second
    time_t lastSecond;         // calendar second of the last roll-over
};

// Zero at load; never reset.
extern FrameClock frameClock;

// Spins until FRAME_PERIOD_MS after the end of the previous wait.
void WaitForNextFrame();

// Counts a step; rolls the statistics over when the calendar second changes.
void CountFrame();
