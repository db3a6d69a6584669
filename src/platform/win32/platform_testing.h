#pragma once
// Test seams of the platform layer. Only tests include this; the game and
// the library never do.

#include <mmsystem.h>
#include <windows.h>

#include <SDL.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "live_objects.h"

namespace platform_testing {

// Platform objects (COM objects, windows, file and mapping handles, mapped
// views) alive now.
inline int LiveObjectCount() {
    return platform::LiveObjectCount();
}

// Puts every seam back as the program finds it: real clocks, empty message
// queue, keys up, Num Lock from the keyboard, message boxes shown, no
// window classes, no resources, no virtual joysticks. Windows stay.
void ResetAll();

// Destroys every window still alive.
void DestroyAllWindows();

// timeGetTime: a fake millisecond clock that moves only when told.
void UseFakeClock(DWORD startMilliseconds);
void SetFakeClock(DWORD milliseconds);
void AdvanceFakeClock(DWORD milliseconds);
void UseRealClock();
// Each read of the fake clock moves it on by this much afterwards (0, the
// default: only when told), so that a busy wait on it ends.
void SetFakeClockStep(DWORD milliseconds);

// CrtTime: a fake calendar clock in whole seconds.
void SetFakeCalendarTime(time_t seconds);
void AdvanceFakeCalendarTime(time_t seconds);
void UseRealCalendarTime();

// Queues the key message the keyboard sends for a virtual-key code (same
// lParam as a real one), to the main window (to no window before one
// exists).
void PostKeyMessage(int vk, bool down);

// Queues a close request to a window, as its close button does.
void PostCloseMessage(HWND window);

// Overrides the Num Lock state the keypad keys are mapped by.
void SetNumLock(bool on);

// Pushes real SDL events, which the message queue translates when it is next
// read. Keys go to the main window.
bool InjectSdlKey(SDL_Scancode scancode, bool down, Uint16 modifiers = KMOD_NONE, bool repeat = false);
bool InjectSdlWindowClose(HWND window);
bool InjectSdlQuit();
// A mouse event (motion, button or wheel) of the main window.
bool InjectSdlMouseEvent(SDL_Event event);

// Message boxes recorded instead of shown (texts converted to UTF-8). The
// hook runs while the box is open.
struct CapturedMessageBox {
    std::string caption;
    std::string text;
    UINT type;
    HWND owner;
};
void CaptureMessageBoxes(bool on);
const std::vector<CapturedMessageBox>& CapturedMessageBoxes();
void ClearCapturedMessageBoxes();
void SetMessageBoxHook(std::function<void(const CapturedMessageBox&)> hook);

// Resources of a module (null: the program's); type and name are strings or
// MAKEINTRESOURCEA ids.
void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size);
void ClearResources();

// SDL virtual joysticks. Attach returns the joystick's SDL instance id, or
// -1 when SDL refuses.
int AttachVirtualJoystick(const char* name, SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER);
void DetachVirtualJoystick(int instanceId);
void DetachAllVirtualJoysticks();

}  // namespace platform_testing
#include "d3d8_testing.h"
