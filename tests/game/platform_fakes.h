#pragma once
// The game tests' view of the platform's test seams, in one place, plus a
// helper that puts the game's process-wide records back to their load state.

#include <d3d8.h>
#include <windows.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace fakes {

// Millisecond clock: each timeGetTime returns `now`, then `now` moves on by
// `perRead` (a busy wait needs a clock that moves).
void SetMilliseconds(uint32_t now, uint32_t perRead);
void AdvanceMilliseconds(uint32_t ms);
void UseRealMilliseconds();

// Calendar clock read by the game.
void SetCalendarSeconds(time_t seconds);
void UseRealCalendar();

// Queues a key message for `window` as the keyboard would.
void PostKey(HWND window, int virtualKey, bool down);

struct ShownBox {
    std::string text;  // as UTF-8
    std::string caption;
    UINT type;
};

// From now on message boxes are recorded instead of shown, and `whileOpen`
// runs inside each one (as the box's own message loop would).
void CaptureMessageBoxes(std::function<void()> whileOpen = {});
// The boxes recorded so far; capturing stops.
std::vector<ShownBox> StopCapturingMessageBoxes();

// Makes Direct3DCreate8 return null.
void FailDirect3DCreate();
// CreateDevice fails for this device type and behaviour.
void FailCreateDevice(D3DDEVTYPE type, DWORD behaviour);
// The CreateDevice calls made since UseDefaultDevice.
struct DeviceAttempt {
    D3DDEVTYPE type;
    DWORD behaviour;
    HWND focusWindow;
    D3DPRESENT_PARAMETERS params;
    bool succeeded;
};
std::vector<DeviceAttempt> DeviceAttempts();
// Back to the capable default device with no faults, made without a display.
void UseDefaultDevice();
// Devices are made only where there is a display, as in the game itself.
void RequireDisplay();

// Virtual game controllers seen by DirectInput.
void AttachJoysticks(int count);
void DetachJoysticks();

// Windows, COM objects and handles alive now.
int LiveObjects();

// Every seam back to how the program finds it.
void ResetPlatform();

}  // namespace fakes

// ShellState, FrameClock, KeyStates and GameState as at program load.
void ResetGameRecords();
