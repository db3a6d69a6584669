#include "d3d8_offscreen.h"

namespace platform {

namespace {

bool allowed = false;

}  // namespace

void AllowOffscreenDevices(bool allow) {
    allowed = allow;
}

bool OffscreenDevicesAllowed() {
    return allowed;
}

}  // namespace platform
