#pragma once
// Inside the platform layer: what the platform's keyboard reports for a key:
// the virtual-key code, the scan code and the extended-key flag.

#include <SDL.h>

#include "windef.h"

namespace platform {

struct KeyCode {
    BYTE vk;
    BYTE scan;
    bool extended;
};

// The platform's code for an SDL key; false for keys the program never sees.
// Keypad keys give VK_NUMPAD0..9 and VK_DECIMAL only while Num Lock is on.
bool KeyCodeFromSdl(SDL_Scancode scancode, SDL_Keycode sym, bool numLock, KeyCode& key);

// The scan code and extended flag of the key that sends this virtual-key code
// (the keypad for VK_NUMPAD0..9); scan code 0 when no key sends it.
KeyCode KeyCodeFromVirtualKey(BYTE vk);

}  // namespace platform
