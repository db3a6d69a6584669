#pragma once
// Our own Win32: the subset of the platform this program calls, with the
// platform's documented names, signatures and constant values.

#include "unknwn.h"
#include "winbase.h"
#include "windef.h"
#include "winerror.h"
#include "winuser.h"

// The program's entry point, called by the process's main().
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);
