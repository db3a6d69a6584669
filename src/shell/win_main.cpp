#include <windows.h>

#include "shell/frame_loop.h"
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*showCommand*/) {
    if (!StartUp(instance, commandLine)) {
        return 0;
    }
    RunMessageLoop();
    ShutDown();
    return 0;
}
