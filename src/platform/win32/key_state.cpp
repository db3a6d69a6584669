#include "key_state.h"

#include <array>

#include "message_queue.h"

namespace platform {

namespace {

constexpr BYTE DOWN = 0x80;
constexpr BYTE TOGGLED = 0x01;

// The keyboard as the last generated message left it (for lParam's previous
// key state) and as the last taken message left it (for GetKeyState).
std::array<bool, 256> physicalDown{};
std::array<BYTE, 256> takenState{};

}  // namespace

void QueueKeyTransition(HWND window, const KeyCode& key, bool down, bool repeat) {
    const bool wasDown = physicalDown[key.vk];
    physicalDown[key.vk] = down;
    const bool altHeld = physicalDown[VK_MENU];
    const bool system = (altHeld || key.vk == VK_MENU || key.vk == VK_F10) && !physicalDown[VK_CONTROL];
    DWORD lParam = 1u | (static_cast<DWORD>(key.scan) << 16);
    if (key.extended) {
        lParam |= 1u << 24;
    }
    if (system && altHeld) {
        lParam |= 1u << 29;
    }
    if (!down || wasDown || repeat) {
        lParam |= 1u << 30;
    }
    if (!down) {
        lParam |= 1u << 31;
    }
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    QueueInputMessage(window, message, key.vk, static_cast<LPARAM>(static_cast<LONG>(lParam)));
}

void ApplyTakenKeyMessage(const MSG& message) {
    BYTE& state = takenState[message.wParam & 0xFF];
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        if ((state & DOWN) == 0) {
            state ^= TOGGLED;
        }
        state |= DOWN;
    } else if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
        state &= static_cast<BYTE>(~DOWN);
    }
}

void ResetKeyStates() {
    physicalDown.fill(false);
    takenState.fill(0);
}

}  // namespace platform

SHORT WINAPI GetKeyState(int nVirtKey) {
    if (nVirtKey < 0 || nVirtKey > 0xFF) {
        return 0;
    }
    // The state byte sign-extended: down reads 0xFF80, with the toggle in bit 0.
    return static_cast<SHORT>(static_cast<signed char>(platform::takenState[nVirtKey]));
}
