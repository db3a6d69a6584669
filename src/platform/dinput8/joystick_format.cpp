// c_dfDIJoystick: the standard joystick data format, one DIJOYSTATE.

#include <dinput.h>

#include <cstddef>

static_assert(sizeof(DIJOYSTATE) == 80, "DIJOYSTATE is 80 bytes");

namespace {

constexpr DWORD kAxis = DIDFT_OPTIONAL | DIDFT_AXIS | DIDFT_ANYINSTANCE;
constexpr DWORD kPov = DIDFT_OPTIONAL | DIDFT_POV | DIDFT_ANYINSTANCE;
constexpr DWORD kButton = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_ANYINSTANCE;

constexpr DWORD Button(int i) { return static_cast<DWORD>(offsetof(DIJOYSTATE, rgbButtons) + i); }

// Object, offset in DIJOYSTATE, type, flags.
DIOBJECTDATAFORMAT joystickObjects[] = {
    {&GUID_XAxis, offsetof(DIJOYSTATE, lX), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_YAxis, offsetof(DIJOYSTATE, lY), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_ZAxis, offsetof(DIJOYSTATE, lZ), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RxAxis, offsetof(DIJOYSTATE, lRx), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RyAxis, offsetof(DIJOYSTATE, lRy), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_RzAxis, offsetof(DIJOYSTATE, lRz), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, offsetof(DIJOYSTATE, rglSlider[0]), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_Slider, offsetof(DIJOYSTATE, rglSlider[1]), kAxis, DIDOI_ASPECTPOSITION},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[0]), kPov, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[1]), kPov, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[2]), kPov, 0},
    {&GUID_POV, offsetof(DIJOYSTATE, rgdwPOV[3]), kPov, 0},
    {nullptr, Button(0), kButton, 0},  {nullptr, Button(1), kButton, 0},  {nullptr, Button(2), kButton, 0},
    {nullptr, Button(3), kButton, 0},  {nullptr, Button(4), kButton, 0},  {nullptr, Button(5), kButton, 0},
    {nullptr, Button(6), kButton, 0},  {nullptr, Button(7), kButton, 0},  {nullptr, Button(8), kButton, 0},
    {nullptr, Button(9), kButton, 0},  {nullptr, Button(10), kButton, 0}, {nullptr, Button(11), kButton, 0},
    {nullptr, Button(12), kButton, 0}, {nullptr, Button(13), kButton, 0}, {nullptr, Button(14), kButton, 0},
    {nullptr, Button(15), kButton, 0}, {nullptr, Button(16), kButton, 0}, {nullptr, Button(17), kButton, 0},
    {nullptr, Button(18), kButton, 0}, {nullptr, Button(19), kButton, 0}, {nullptr, Button(20), kButton, 0},
    {nullptr, Button(21), kButton, 0}, {nullptr, Button(22), kButton, 0}, {nullptr, Button(23), kButton, 0},
    {nullptr, Button(24), kButton, 0}, {nullptr, Button(25), kButton, 0}, {nullptr, Button(26), kButton, 0},
    {nullptr, Button(27), kButton, 0}, {nullptr, Button(28), kButton, 0}, {nullptr, Button(29), kButton, 0},
    {nullptr, Button(30), kButton, 0}, {nullptr, Button(31), kButton, 0},
};

constexpr DWORD kJoystickObjectCount = sizeof(joystickObjects) / sizeof(joystickObjects[0]);
static_assert(kJoystickObjectCount == 8 + 4 + 32, "six axes, two sliders, four POVs, 32 buttons");

}  // namespace

const DIDATAFORMAT c_dfDIJoystick = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE), kJoystickObjectCount,
    joystickObjects,
};
