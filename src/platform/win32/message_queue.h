#pragma once
// Inside the platform layer: the thread's message queue.

#include "winuser.h"

namespace platform {

// A message from the keyboard: taking it updates GetKeyState.
void QueueInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A message posted by the program or by the window system.
void QueuePostedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A destroyed window's messages go with it.
void DropMessagesFor(HWND window);

void ClearMessageQueue();

// Takes and dispatches the messages waiting now, as a modal loop does; those
// their procedures post meanwhile wait for the program's own loop.
void DispatchWaitingMessages();

}  // namespace platform
