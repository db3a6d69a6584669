#include "platform_testing.h"

#include "key_codes.h"
#include "key_state.h"
#include "message_queue.h"
#include "mouse_messages.h"
#include "resources.h"
#include "sdl_events.h"
#include "window.h"
#include "window_class.h"

namespace platform_testing {

void ResetAll() {
    UseRealClock();
    UseRealCalendarTime();
    platform::ClearMessageQueue();
    platform::ResetKeyStates();
    platform::ResetNumLockOverride();
    platform::ResetMouseButtons();
    CaptureMessageBoxes(false);
    ClearCapturedMessageBoxes();
    SetMessageBoxHook(nullptr);
    platform::ClearWindowClasses();
    platform::ClearResources();
    DetachAllVirtualJoysticks();
}

void DestroyAllWindows() {
    platform::DestroyAllWindows();
}

void PostKeyMessage(int vk, bool down) {
    // Without a window the message is queued to none; taking it still
    // updates the key state.
    platform::QueueKeyTransition(platform::MainWindow(), platform::KeyCodeFromVirtualKey(static_cast<BYTE>(vk)), down,
                                 false);
}

void PostCloseMessage(HWND window) {
    platform::QueuePostedMessage(window, WM_CLOSE, 0, 0);
}

void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size) {
    platform::AddResource(module, type, name, data, size);
}

void ClearResources() {
    platform::ClearResources();
}

}  // namespace platform_testing
