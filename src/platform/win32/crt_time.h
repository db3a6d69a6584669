#pragma once
// The C runtime's calendar clock, read through one call so that tests can
// drive it.

#include <ctime>

// Seconds since the epoch, as the runtime's time(); also stored through out
// when it is not null.
time_t CrtTime(time_t* out);
