// c_dfDIJoystick: the standard joystick data format, one DIJOYSTATE.

#include <dinput.h>

#include <cstddef>

static_assert(sizeof(DIJOYSTATE) == 80, "DIJOYSTATE is 80 bytes");

namespace {

constexpr DWORD AXIS = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD POV = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
constexpr DWORD BUTTON = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;

constexpr DWORD Button(int i) {
    return static_cast<DWORD>(offsetof(DIJOYSTATE, rgbButtons) + i);
}

// Object, offset in DIJOYSTATE, type, flags.
DIOBJECTDATAFORMAT joystickObjects[] = {
    // clang-format off
    {&GUID_XAxis, offsetof(DIJOYSTATE, lX), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_YAxis, offsetof(DIJOYSTATE, lY), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_ZAxis, offsetof(DIJOYSTATE, lZ), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_RxAxis, offsetof(DIJOYSTATE, lRx), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_RyAxis, offsetof(DIJOYSTATE, lRy), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_RzAxis, offsetof(DIJOYSTATE, lRz), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, offsetof(DIJOYSTATE, rglSlider[0]), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, offsetof(DIJOYSTATE, rglSlider[1]), AXIS, DIDOI_ASPECTPOSITION},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[0]), POV, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[1]), POV, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[2]), POV, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[3]), POV, 0},
    {nullptr, Button(0), BUTTON, 0},  {nullptr, Button(1), BUTTON, 0},  {nullptr, Button(2), BUTTON, 0},
    {nullptr, Button(3), BUTTON, 0},  {nullptr, Button(4), BUTTON, 0},  {nullptr, Button(5), BUTTON, 0},
    {nullptr, Button(6), BUTTON, 0},  {nullptr, Button(7), BUTTON, 0},  {nullptr, Button(8), BUTTON, 0},
    {nullptr, Button(9), BUTTON, 0},  {nullptr, Button(10), BUTTON, 0}, {nullptr, Button(11), BUTTON, 0},
    {nullptr, Button(12), BUTTON, 0}, {nullptr, Button(13), BUTTON, 0}, {nullptr, Button(14), BUTTON, 0},
    {nullptr, Button(15), BUTTON, 0}, {nullptr, Button(16), BUTTON, 0}, {nullptr, Button(17), BUTTON, 0},
    {nullptr, Button(18), BUTTON, 0}, {nullptr, Button(19), BUTTON, 0}, {nullptr, Button(20), BUTTON, 0},
    {nullptr, Button(21), BUTTON, 0}, {nullptr, Button(22), BUTTON, 0}, {nullptr, Button(23), BUTTON, 0},
    {nullptr, Button(24), BUTTON, 0}, {nullptr, Button(25), BUTTON, 0}, {nullptr, Button(26), BUTTON, 0},
    {nullptr, Button(27), BUTTON, 0}, {nullptr, Button(28), BUTTON, 0}, {nullptr, Button(29), BUTTON, 0},
    {nullptr, Button(30), BUTTON, 0}, {nullptr, Button(31), BUTTON, 0},
    // clang-format on
};

constexpr DWORD JOYSTICK_OBJECT_COUNT = sizeof(joystickObjects) / sizeof(joystickObjects[0]);
static_assert(JOYSTICK_OBJECT_COUNT == 8 + 4 + 32, "six axes, two sliders, four POVs, 32 buttons");

}  // namespace

const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
    sizeof(DIJOYSTATE),   JOYSTICK_OBJECT_COUNT,      joystickObjects,
};
