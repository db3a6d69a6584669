#pragma once
// What every test on the software device starts and ends with: offscreen
// devices allowed, the default device profile, a Direct3D object, and at
// the end a check that each platform object made during the test was
// released. Platform only, so the device's own tests can use it.

#include <gtest/gtest.h>

#include <d3d8.h>
#include <windows.h>

#include "d3d8_offscreen.h"
#include "platform_testing.h"

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The tests read back what they draw; they need no display.
        platform::AllowOffscreenDevices(true);
        platform_testing::ResetDeviceProfile();
        liveBefore_ = platform_testing::LiveObjectCount();
        d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
    }

    void TearDown() override {
        if (device_ != nullptr) {
            EXPECT_EQ(device_->Release(), 0u);
        }
        if (d3d_ != nullptr) {
            EXPECT_EQ(d3d_->Release(), 0u);
        }
        EXPECT_EQ(platform_testing::LiveObjectCount(), liveBefore_) << "a platform object was not released";
        platform_testing::ResetDeviceProfile();
    }

    // device_ on the default adapter, without a window, with software vertex
    // processing.
    void CreateDevice(D3DPRESENT_PARAMETERS params) {
        ASSERT_EQ(
            d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
            D3D_OK);
    }

    // The default profile with the given changes.
    template <typename Change>
    static void UseProfile(Change change) {
        platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
        change(profile);
        platform_testing::SetDeviceProfile(profile);
    }

    IDirect3D8* d3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
    int liveBefore_ = 0;
};
