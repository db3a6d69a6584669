#pragma once
// Inside the platform layer: SDL's events become window messages. The
// message queue is the only reader of SDL's event queue.

#include <SDL.h>

namespace platform {

// Moves every waiting SDL event into the message queue.
void PumpSdlEvents();

// A window of the platform's own (a message box) handles the SDL events of
// its window itself; they become no messages. Its key presses still move
// GetKeyState, as keys pressed in the platform's box do for its thread.
class OwnWindowEvents {
public:
    virtual void OnSdlEvent(const SDL_Event& event) = 0;

protected:
    ~OwnWindowEvents() = default;
};
void AddOwnWindow(Uint32 sdlWindowId, OwnWindowEvents* window);
void RemoveOwnWindow(Uint32 sdlWindowId);

void ResetNumLockOverride();

}  // namespace platform
