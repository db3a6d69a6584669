#pragma once
// Test seams of the platform layer. Only tests include this; the game and
// the library never do.

#include <windows.h>

#include "live_objects.h"

namespace platform_testing {

// Platform objects (COM objects, windows, file and mapping handles) alive now.
inline int LiveObjectCount() { return platform::LiveObjectCount(); }

}  // namespace platform_testing
#include "d3d8_testing.h"
