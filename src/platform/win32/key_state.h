#pragma once
// Inside the platform layer: the keyboard as the message queue sees it.

#include "key_codes.h"
#include "winuser.h"

namespace platform {

// Queues the message a key transition sends to window, as the keyboard does:
// WM_KEYDOWN/WM_KEYUP (or the WM_SYS forms while Alt is held) with the
// platform's lParam: repeat count 1, scan code, extended flag, context code,
// previous key state and transition state.
void QueueKeyTransition(HWND window, const KeyCode& key, bool down, bool repeat);

// GetKeyState follows key messages as the program takes them from the queue.
void ApplyTakenKeyMessage(const MSG& message);

void ResetKeyStates();

}  // namespace platform
