#include "input/key_tracker.h"

#include <windows.h>

KeyStates keyStates;

KeyState NextKeyState(KeyState previous, bool down) {
    if (down) {
        return previous == KEY_UP ? KEY_PRESSED : KEY_HELD;
    }
    return (previous == KEY_PRESSED || previous == KEY_HELD) ? KEY_RELEASED : KEY_UP;
}

KeyState TrackKey(int virtualKey, KeyState& state) {
    // The key-down bit of the key-state byte; GetKeyState sign-extends it.
    const bool down = (GetKeyState(virtualKey) & 0x80) != 0;
    state = NextKeyState(state, down);
    return state;
}

void PollKeys() {
    TrackKey(VK_NUMPAD4, keyStates.numpad4);
    TrackKey(VK_NUMPAD6, keyStates.numpad6);
    TrackKey(VK_SPACE, keyStates.space);
    TrackKey(VK_RETURN, keyStates.enter);
    TrackKey(VK_NUMPAD0, keyStates.numpad0);
}
