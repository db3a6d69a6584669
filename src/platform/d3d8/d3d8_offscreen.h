#pragma once
// Devices without a display. A device is made only where its pictures can
// be seen: without a display (no X or Wayland server, as over a plain SSH
// login) CreateDevice fails with D3DERR_NOTAVAILABLE, so that a game never
// runs invisibly. A program that draws without showing anything, such as a
// tool or a test, asks for offscreen devices instead: they render into
// memory, start no display of their own, and still present into a window
// the program opened.

namespace platform {

// Holds for the process, for Direct3D objects created from then on.
void AllowOffscreenDevices(bool allow);
bool OffscreenDevicesAllowed();

}  // namespace platform
