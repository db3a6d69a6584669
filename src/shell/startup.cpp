#include "shell/startup.h"

#include <d3d8.h>

#include "input/controller.h"
#include "shell/game_textures.h"
#include "shell/main_window.h"
#include "shell/shell_state.h"
#include "shell/startup_messages.h"

namespace {

constexpr int COMMAND_LINE_SCAN_LIMIT = 99;
constexpr int CLIENT_WIDTH = 640;
constexpr int CLIENT_HEIGHT = 480;
constexpr char WINDOW_CLASS[] = "BASE";
constexpr char WINDOW_TITLE[] = "tovlen bounce";

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&windowClass);
}

void OpenWindow(HINSTANCE instance) {
    int width = CLIENT_WIDTH;
    int height = CLIENT_HEIGHT;
    if (!shellState.fullScreen) {
        // Outer size that leaves a 640 x 480 client area for this style.
        width += 2 * GetSystemMetrics(SM_CXDLGFRAME);
        height += GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
    }
    shellState.window =
        CreateWindowExA(0, WINDOW_CLASS, WINDOW_TITLE, WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
}

D3DPRESENT_PARAMETERS FillPresentParams() {
    D3DPRESENT_PARAMETERS params = {};
    D3DDISPLAYMODE mode = {};
    shellState.direct3d->GetAdapterDisplayMode(shellState.adapter, &mode);
    params.BackBufferWidth = CLIENT_WIDTH;
    params.BackBufferHeight = CLIENT_HEIGHT;
    params.BackBufferFormat = shellState.fullScreen ? D3DFMT_R5G6B5 : mode.Format;
    params.BackBufferCount = 0;
    params.MultiSampleType = D3DMULTISAMPLE_NONE;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.hDeviceWindow = nullptr;
    params.Windowed = shellState.fullScreen ? FALSE : TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    params.Flags = 0;
    params.FullScreen_RefreshRateInHz = 0;
    params.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    // Reset reuses this copy; the device may adjust the record it is given.
    shellState.presentParams = params;
    return params;
}

bool CreateDeviceWithFallback(D3DPRESENT_PARAMETERS& params) {
    // No FPU_PRESERVE: from here on the game runs at the device's precision.
    struct Attempt {
        D3DDEVTYPE type;
        DWORD behaviour;
    };
    static constexpr Attempt attempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const Attempt& attempt : attempts) {
        if (SUCCEEDED(shellState.direct3d->CreateDevice(shellState.adapter, attempt.type, shellState.window,
                                                        attempt.behaviour, &params, &shellState.device))) {
            return true;
        }
    }
    return false;
}

template <typename Interface>
void ReleaseOnce(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

bool ScanFullScreenSwitch(const char* commandLine) {
    if (commandLine == nullptr) {
        return false;
    }
    bool found = false;
    for (int i = 0; i < COMMAND_LINE_SCAN_LIMIT && commandLine[i] != '\0'; ++i) {
        if (commandLine[i] == '-' && commandLine[i + 1] == 'f') {
            found = true;
        }
    }
    return found;
}

bool StartUp(HINSTANCE instance, const char* commandLine) {
    if (ScanFullScreenSwitch(commandLine)) {
        shellState.fullScreen = true;
    }

    shellState.direct3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (shellState.direct3d == nullptr) {
        MessageBoxA(nullptr, MESSAGE_DIRECT3D_CREATE_FAILED, CAPTION_DIRECT3D_CREATE_FAILED, MB_ICONERROR);
        return false;
    }
    shellState.adapter = D3DADAPTER_DEFAULT;
    shellState.quitRequested = false;

    RegisterWindowClass(instance);
    OpenWindow(instance);
    D3DPRESENT_PARAMETERS params = FillPresentParams();

    if (!CreateDeviceWithFallback(params)) {
        MessageBoxA(nullptr, MESSAGE_DEVICE_CREATE_FAILED, CAPTION_DEVICE_CREATE_FAILED, MB_ICONERROR);
        ReleaseOnce(shellState.direct3d);
        return false;
    }

    LoadGameTextures();
    OpenController(instance);
    return true;
}

void ShutDown() {
    for (IDirect3DTexture8*& texture : shellState.textures) {
        ReleaseOnce(texture);
    }
    ReleaseOnce(shellState.device);
    ReleaseOnce(shellState.direct3d);
    ReleaseOnce(shellState.directInput);
    // Released without Unacquire: the device is never read.
    ReleaseOnce(shellState.controller);
}
