#pragma once
// Inside the device: the profile in force and the counters the test seams
// read.

#include "d3d8_testing.h"

namespace platform {

const platform_testing::DeviceProfile& CurrentDeviceProfile();

void RecordCreateDeviceAttempt(const platform_testing::CreateDeviceAttempt& attempt);
// How many CreateDevice attempts were made before this one.
int CreateDeviceAttemptsSoFar();
void CountResetCall();
void CountPresentCall();
void CountReleasedWhileLocked();

bool ProfileAccepts(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format);

}  // namespace platform
