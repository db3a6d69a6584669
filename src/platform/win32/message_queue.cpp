// PeekMessageA, PostMessageA, TranslateMessage and DispatchMessageA over one
// first-in first-out queue.

#include "message_queue.h"

#include <deque>

#include "key_state.h"
#include "mmsystem.h"
#include "sdl_events.h"
#include "winbase.h"
#include "window.h"
#include "winerror.h"

namespace platform {

namespace {

struct QueuedMessage {
    MSG msg;
    bool input;
};

std::deque<QueuedMessage>& Queue() {
    static std::deque<QueuedMessage> queue;
    return queue;
}

void Queue(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool input) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    Queue().push_back({msg, input});
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

// The platform's filter: a null window takes every message, (HWND)-1 only
// those posted to no window; a range of 0, 0 takes every message.
bool Matches(const MSG& msg, HWND window, UINT first, UINT last) {
    if (window == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) {
        if (msg.hwnd != nullptr) {
            return false;
        }
    } else if (window != nullptr && msg.hwnd != window) {
        return false;
    }
    return (first == 0 && last == 0) || (msg.message >= first && msg.message <= last);
}

}  // namespace

void QueueInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue(window, message, wParam, lParam, true);
}

void QueuePostedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue(window, message, wParam, lParam, false);
}

void DropMessagesFor(HWND window) {
    auto& queue = Queue();
    std::erase_if(queue, [window](const QueuedMessage& queued) { return queued.msg.hwnd == window; });
}

void ClearMessageQueue() {
    Queue().clear();
}

void DispatchWaitingMessages() {
    PumpSdlEvents();
    for (size_t waiting = Queue().size(); waiting > 0; --waiting) {
        MSG msg{};
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace platform

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    platform::PumpSdlEvents();
    auto& queue = platform::Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!platform::Matches(it->msg, hWnd, wMsgFilterMin, wMsgFilterMax)) {
            continue;
        }
        *lpMsg = it->msg;
        if ((wRemoveMsg & PM_REMOVE) != 0) {
            const bool input = it->input;
            queue.erase(it);
            if (input && platform::IsKeyMessage(lpMsg->message)) {
                platform::ApplyTakenKeyMessage(*lpMsg);
            }
        }
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != nullptr && !platform::IsLiveWindow(hWnd)) {
        return FALSE;
    }
    platform::QueuePostedMessage(hWnd, Msg, wParam, lParam);
    return TRUE;
}

// Character messages are not needed by anything here; the result tells
// whether the message was a key message, as the platform's does.
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    return lpMsg != nullptr && platform::IsKeyMessage(lpMsg->message) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr) {
        return 0;
    }
    const WNDPROC proc = platform::WindowProc(lpMsg->hwnd);
    if (proc == nullptr) {
        return 0;
    }
    return proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}
