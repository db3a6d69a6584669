#pragma once
// Inside the platform layer: while the program has a window, SIGINT and
// SIGTERM (a Ctrl-C in its terminal, a polite kill) ask the main window to
// close, as its close button does.

namespace platform {

// Installs the handlers (the first window calls this) and puts back the
// ones they replaced (the last window to go calls that).
void InstallCloseSignals();
void RestoreCloseSignals();

// True once for each signal that arrived since the last call; the event
// pump turns it into WM_CLOSE.
bool TakeCloseSignal();

}  // namespace platform
