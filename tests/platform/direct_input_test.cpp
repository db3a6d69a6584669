#include <gtest/gtest.h>

#include <dinput.h>

#include <string>
#include <vector>

#include "platform_fixture.h"

namespace {

class DirectInputTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        void* out = nullptr;
        ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr),
                  DI_OK);
        directInput_ = static_cast<IDirectInput8A*>(out);
    }
    void TearDown() override {
        if (directInput_ != nullptr) {
            EXPECT_EQ(directInput_->Release(), 0u);
        }
        PlatformTest::TearDown();
    }

    struct Enumeration {
        std::vector<DIDEVICEINSTANCEA> seen;
        size_t stopAfter = 0;  // 0: never stop
    };
    static BOOL CALLBACK Record(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
        auto* enumeration = static_cast<Enumeration*>(context);
        enumeration->seen.push_back(*instance);
        return enumeration->seen.size() == enumeration->stopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
    }

    Enumeration Enumerate(size_t stopAfter = 0, DWORD deviceClass = DI8DEVCLASS_GAMECTRL) {
        Enumeration enumeration;
        enumeration.stopAfter = stopAfter;
        EXPECT_EQ(directInput_->EnumDevices(deviceClass, Record, &enumeration, DIEDFL_ATTACHEDONLY), DI_OK);
        return enumeration;
    }

    IDirectInput8A* directInput_ = nullptr;
};

TEST_F(DirectInputTest, CreationChecksVersionInterfaceAndPointer) {
    struct Case {
        DWORD version;
        const IID* iid;
        bool nullOut;
        HRESULT expected;
    };
    const Case cases[] = {
        {0x0700, &IID_IDirectInput8A, false, DIERR_OLDDIRECTINPUTVERSION},
        {0x0900, &IID_IDirectInput8A, false, DIERR_BETADIRECTINPUTVERSION},
        {0x0800, &IID_IDirectInputDevice8A, false, DIERR_NOINTERFACE},
        {0x0800, &IID_IDirectInput8A, true, E_POINTER},
    };
    for (const Case& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), c.version, *c.iid, c.nullOut ? nullptr : &out, nullptr),
                  c.expected)
            << std::hex << c.version;
        if (!c.nullOut) {
            EXPECT_EQ(out, nullptr);
        }
    }
}

TEST_F(DirectInputTest, NoJoystickMeansNoCallback) {
    EXPECT_TRUE(Enumerate().seen.empty());
    GUID unknown{};
    IDirectInputDevice8A* device = reinterpret_cast<IDirectInputDevice8A*>(1);
    EXPECT_EQ(directInput_->CreateDevice(unknown, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
}

TEST_F(DirectInputTest, EnumeratesJoysticksInOrderUntilStopped) {
    const int first = platform_testing::AttachVirtualJoystick("first pad");
    const int second = platform_testing::AttachVirtualJoystick("second stick", SDL_JOYSTICK_TYPE_UNKNOWN);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);

    for (DWORD deviceClass : {DI8DEVCLASS_GAMECTRL, DI8DEVCLASS_ALL}) {
        const Enumeration all = Enumerate(0, deviceClass);
        ASSERT_EQ(all.seen.size(), 2u);
        EXPECT_STREQ(all.seen[0].tszInstanceName, "first pad");
        EXPECT_STREQ(all.seen[1].tszInstanceName, "second stick");
        EXPECT_EQ(all.seen[0].dwSize, sizeof(DIDEVICEINSTANCEA));
        EXPECT_EQ(all.seen[0].dwDevType & 0xFF, static_cast<DWORD>(DI8DEVTYPE_GAMEPAD));
        EXPECT_EQ(all.seen[1].dwDevType & 0xFF, static_cast<DWORD>(DI8DEVTYPE_JOYSTICK));
        EXPECT_NE(all.seen[0].guidInstance, all.seen[1].guidInstance);
    }
    EXPECT_EQ(Enumerate(1).seen.size(), 1u);
    EXPECT_TRUE(Enumerate(0, DI8DEVCLASS_KEYBOARD).seen.empty());

    // Each instance GUID opens its own joystick, until it is pulled out.
    const Enumeration all = Enumerate();
    for (const auto& instance : all.seen) {
        IDirectInputDevice8A* device = nullptr;
        ASSERT_EQ(directInput_->CreateDevice(instance.guidInstance, &device, nullptr), DI_OK);
        EXPECT_EQ(device->Release(), 0u);
    }
    platform_testing::DetachVirtualJoystick(first);
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(directInput_->CreateDevice(all.seen[0].guidInstance, &device, nullptr), DIERR_DEVICENOTREG);
    ASSERT_EQ(Enumerate().seen.size(), 1u);
    EXPECT_EQ(Enumerate().seen[0].guidInstance, all.seen[1].guidInstance);
}

TEST_F(DirectInputTest, ControllerSetUpAsTheGameDoesIt) {
    ASSERT_GE(platform_testing::AttachVirtualJoystick("pad"), 0);
    const Enumeration found = Enumerate(1);
    ASSERT_EQ(found.seen.size(), 1u);
    IDirectInputDevice8A* device = nullptr;
    ASSERT_EQ(directInput_->CreateDevice(found.seen[0].guidInstance, &device, nullptr), DI_OK);

    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DI_OK);
    EXPECT_EQ(c_dfDIJoystick.dwDataSize, 80u);

    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwHow = DIPH_DEVICE;
    range.lMin = -1000;
    range.lMax = 1000;
    struct Case {
        const char* name;
        DWORD size;
        DWORD headerSize;
        DWORD how;
        DWORD object;
        HRESULT expected;
    };
    const Case cases[] = {
        {"whole device", 24, 16, DIPH_DEVICE, 0, DI_OK},
        {"first axis by id", 24, 16, DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(0), DI_OK},
        {"y axis by offset", 24, 16, DIPH_BYOFFSET, 4, DI_OK},
        {"record too small", 20, 16, DIPH_DEVICE, 0, DIERR_INVALIDPARAM},
        {"record too large", 28, 16, DIPH_DEVICE, 0, DIERR_INVALIDPARAM},
        {"header size wrong", 24, 12, DIPH_DEVICE, 0, DIERR_INVALIDPARAM},
        {"id 0 names no axis", 24, 16, DIPH_BYID, 0, DIERR_NOTFOUND},
        {"button offset", 24, 16, DIPH_BYOFFSET, 48, DIERR_NOTFOUND},
    };
    for (const Case& c : cases) {
        range.diph.dwSize = c.size;
        range.diph.dwHeaderSize = c.headerSize;
        range.diph.dwHow = c.how;
        range.diph.dwObj = c.object;
        EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &range.diph), c.expected) << c.name;
    }
    range.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    const GUID otherProperty = {0x00000005, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(device->SetProperty(otherProperty, &range.diph), DIERR_UNSUPPORTED);

    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DIERR_ACQUIRED);
    EXPECT_EQ(device->Unacquire(), DI_OK);
    EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
    // Released while acquired, as the game's shutdown does.
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DirectInputTest, TheDeviceOutlivesItsDirectInputObject) {
    ASSERT_GE(platform_testing::AttachVirtualJoystick("pad"), 0);
    const Enumeration found = Enumerate(1);
    ASSERT_EQ(found.seen.size(), 1u);
    IDirectInputDevice8A* device = nullptr;
    ASSERT_EQ(directInput_->CreateDevice(found.seen[0].guidInstance, &device, nullptr), DI_OK);
    EXPECT_EQ(directInput_->Release(), 0u);
    directInput_ = nullptr;
    EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DI_OK);
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
