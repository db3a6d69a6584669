#include "shell/main_window.h"

#include "shell/shell_state.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // The window is not destroyed here; the loop ends and the process
        // takes it away.
        shellState.quitRequested = true;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
