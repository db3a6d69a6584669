#pragma once
// What the one adapter reports: the desktop's display mode and the device
// capabilities of the profile in force.

#include <d3d8.h>

namespace platform {

// Starts SDL's video subsystem (reference counted); false without a display.
bool AcquireSdlVideo();
void ReleaseSdlVideo();

D3DDISPLAYMODE DesktopDisplayMode();
void FillDeviceCaps(D3DDEVTYPE type, D3DCAPS8* caps);

}  // namespace platform
