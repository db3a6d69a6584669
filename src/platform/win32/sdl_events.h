#pragma once
// Inside the platform layer: SDL's events become window messages. The
// message queue is the only reader of SDL's event queue.

namespace platform {

// Moves every waiting SDL event into the message queue.
void PumpSdlEvents();

void ResetNumLockOverride();

}  // namespace platform
