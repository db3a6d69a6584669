#pragma once
// Four-state tracking of the game keys, sampled once per frame step.

#include <cstdint>

// Stored as a signed 32-bit value.
typedef int32_t KeyState;
constexpr KeyState KEY_UP = 0;        // up now, and not just released
constexpr KeyState KEY_PRESSED = 1;   // went down at this sample
constexpr KeyState KEY_RELEASED = 2;  // went up at this sample
constexpr KeyState KEY_HELD = 3;      // down now and at the previous sample

struct KeyStates {
    KeyState numpad4;  // aim toward the horizontal (held)
    KeyState numpad6;  // aim toward the vertical (held)
    KeyState space;    // leave the title; boost in flight (pressed)
    KeyState enter;    // launch; back to the title after landing (pressed)
    KeyState numpad0;  // information box (pressed)
};

// The process-wide key states, all KEY_UP at load.
extern KeyStates keyStates;

// The state after `previous` given whether the key is down at this sample.
KeyState NextKeyState(KeyState previous, bool down);

// Samples one key (GetKeyState) and advances its state in place.
KeyState TrackKey(int virtualKey, KeyState& state);

// Samples the five game keys; the first action of every frame step.
void PollKeys();
