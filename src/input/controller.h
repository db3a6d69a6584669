#pragma once
// The game controller: opened, configured and acquired at start-up, held
// until shutdown, never read (play uses the keyboard).

#include <dinput.h>
#include <windows.h>

constexpr LONG CONTROLLER_RANGE_MIN = -1000;
constexpr LONG CONTROLLER_RANGE_MAX = 1000;

// Finds, opens and configures the first attached controller. Failures only
// clear ShellState::controllerReady; start-up goes on regardless.
void OpenController(HINSTANCE instance);

// Enumeration callback: opens the offered controller, stops at the first
// that can be created.
BOOL CALLBACK OnControllerFound(LPCDIDEVICEINSTANCEA device, LPVOID context);
