#include <mmsystem.h>

#include <ctime>
#include <optional>

#include "platform_testing.h"

namespace {

std::optional<DWORD> fakeMilliseconds;
DWORD fakeStepPerRead = 0;

DWORD MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<unsigned long long>(now.tv_sec) * 1000ull +
                    static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
    // The platform's clock is 32 bits wide and wraps about every 49.7 days.
    return static_cast<DWORD>(ms);
}

}  // namespace

DWORD WINAPI timeGetTime(void) {
    if (!fakeMilliseconds) {
        return MonotonicMilliseconds();
    }
    const DWORD now = *fakeMilliseconds;
    *fakeMilliseconds += fakeStepPerRead;
    return now;
}

namespace platform_testing {

void UseFakeClock(DWORD startMilliseconds) {
    fakeMilliseconds = startMilliseconds;
}

void SetFakeClock(DWORD milliseconds) {
    fakeMilliseconds = milliseconds;
}

void AdvanceFakeClock(DWORD milliseconds) {
    if (fakeMilliseconds) {
        *fakeMilliseconds += milliseconds;
    }
}

void UseRealClock() {
    fakeMilliseconds.reset();
    fakeStepPerRead = 0;
}

void SetFakeClockStep(DWORD milliseconds) {
    fakeStepPerRead = milliseconds;
}

}  // namespace platform_testing
