#include "crt_time.h"

#include <optional>

#include "platform_testing.h"

namespace {

std::optional<time_t> fakeCalendar;

}  // namespace

time_t CrtTime(time_t* out) {
    const time_t now = fakeCalendar ? *fakeCalendar : std::time(nullptr);
    if (out != nullptr) {
        *out = now;
    }
    return now;
}

namespace platform_testing {

void SetFakeCalendarTime(time_t seconds) {
    fakeCalendar = seconds;
}

void AdvanceFakeCalendarTime(time_t seconds) {
    if (fakeCalendar) {
        *fakeCalendar += seconds;
    }
}

void UseRealCalendarTime() {
    fakeCalendar.reset();
}

}  // namespace platform_testing
