#include "platform_fakes.h"

#include <d3d8_offscreen.h>
#include <d3d8_testing.h>
#include <platform_testing.h>

#include <set>
#include <string>
#include <utility>

namespace fakes {

namespace {

std::set<std::pair<D3DDEVTYPE, DWORD>> failingDevices;

void ApplyDeviceFaults() {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.createDeviceFails = [](D3DDEVTYPE type, DWORD behaviour) {
        return failingDevices.count({type, behaviour}) != 0;
    };
    platform_testing::SetDeviceProfile(profile);
}

}  // namespace

void SetMilliseconds(uint32_t now, uint32_t perRead) {
    platform_testing::UseFakeClock(now);
    platform_testing::SetFakeClockStep(perRead);
}

void AdvanceMilliseconds(uint32_t ms) {
    platform_testing::AdvanceFakeClock(ms);
}

void UseRealMilliseconds() {
    platform_testing::SetFakeClockStep(0);
    platform_testing::UseRealClock();
}

void SetCalendarSeconds(time_t seconds) {
    platform_testing::SetFakeCalendarTime(seconds);
}

void UseRealCalendar() {
    platform_testing::UseRealCalendarTime();
}

void PostKey(HWND /*window*/, int virtualKey, bool down) {
    platform_testing::PostKeyMessage(virtualKey, down);
}

void CaptureMessageBoxes(std::function<void()> whileOpen) {
    platform_testing::ClearCapturedMessageBoxes();
    platform_testing::CaptureMessageBoxes(true);
    if (whileOpen) {
        platform_testing::SetMessageBoxHook([whileOpen](const platform_testing::CapturedMessageBox&) { whileOpen(); });
    } else {
        platform_testing::SetMessageBoxHook(nullptr);
    }
}

std::vector<ShownBox> StopCapturingMessageBoxes() {
    std::vector<ShownBox> boxes;
    for (const platform_testing::CapturedMessageBox& box : platform_testing::CapturedMessageBoxes()) {
        boxes.push_back({box.text, box.caption, box.type});
    }
    platform_testing::CaptureMessageBoxes(false);
    platform_testing::SetMessageBoxHook(nullptr);
    platform_testing::ClearCapturedMessageBoxes();
    return boxes;
}

void FailDirect3DCreate() {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    profile.failDirect3DCreate = true;
    platform_testing::SetDeviceProfile(profile);
}

void FailCreateDevice(D3DDEVTYPE type, DWORD behaviour) {
    failingDevices.insert({type, behaviour});
    ApplyDeviceFaults();
}

std::vector<DeviceAttempt> DeviceAttempts() {
    std::vector<DeviceAttempt> attempts;
    for (const platform_testing::CreateDeviceAttempt& a : platform_testing::CreateDeviceAttempts()) {
        attempts.push_back({a.deviceType, a.behaviorFlags, a.focusWindow, a.presentParameters, SUCCEEDED(a.result)});
    }
    return attempts;
}

void UseDefaultDevice() {
    // The game's tests run without a display and read what the device drew.
    platform::AllowOffscreenDevices(true);
    failingDevices.clear();
    platform_testing::ResetDeviceProfile();
}

void RequireDisplay() {
    platform::AllowOffscreenDevices(false);
}

void AttachJoysticks(int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = "pad " + std::to_string(i + 1);
        platform_testing::AttachVirtualJoystick(name.c_str());
    }
}

void DetachJoysticks() {
    platform_testing::DetachAllVirtualJoysticks();
}

int LiveObjects() {
    return platform_testing::LiveObjectCount();
}

void ResetPlatform() {
    platform_testing::ResetAll();
    UseDefaultDevice();
}

}  // namespace fakes
