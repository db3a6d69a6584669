#pragma once
// The C runtime's calendar clock, as the game reads it; tests can fake it.

#include <ctime>

// Whole seconds, as time(); stores them through `out` when it is not null.
time_t CrtTime(time_t* out);
