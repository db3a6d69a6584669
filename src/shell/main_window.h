#pragma once
// The main window's procedure: turns a close request into the quit flag.

#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
