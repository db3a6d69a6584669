#pragma once
// Start-up and shutdown of the program's platform objects.

#include <windows.h>

// True when a '-' followed by a lower-case 'f' starts within the first 99
// characters of the command line.
bool ScanFullScreenSwitch(const char* commandLine);

// Command line, Direct3D, window, device, textures and controller. False when
// Direct3D or its device cannot be made (after telling the user); the loop
// must not run then.
bool StartUp(HINSTANCE instance, const char* commandLine);

// Releases the textures, the device, Direct3D, DirectInput and the
// controller, in that order, each once.
void ShutDown();
