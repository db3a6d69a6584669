#include "platform_fixture.h"

std::vector<PlatformTest::Received>& PlatformTest::Log() {
    static std::vector<Received> log;
    return log;
}

LRESULT CALLBACK PlatformTest::RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back({window, message, wParam, lParam});
    return message == WM_CLOSE ? 1 : DefWindowProcA(window, message, wParam, lParam);
}

HWND PlatformTest::OpenWindow(DWORD style, const char* caption) {
    Log().clear();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "BASE";
    RegisterClassA(&windowClass);
    const int width = 640 + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int height = 480 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
    return CreateWindowExA(0, "BASE", caption, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
