#pragma once
// The library's working colour: four single-precision channels.

#include <bit>
#include <cstdint>

#include <windows.h>

struct ColorF {
    float r;
    float g;
    float b;
    float a;
};

// The nearest single-precision value to 1/255; 255 times it is exactly 1.
inline constexpr float UNIT_SCALE_8 = std::bit_cast<float>(0x3B808081u);

// ARGB (alpha in the top byte) to ColorF; each channel is n times 1/255.
constexpr ColorF ColorFromArgb(DWORD c) {
    return ColorF{static_cast<float>((c >> 16) & 255) * UNIT_SCALE_8, static_cast<float>((c >> 8) & 255) * UNIT_SCALE_8,
                  static_cast<float>(c & 255) * UNIT_SCALE_8, static_cast<float>(c >> 24) * UNIT_SCALE_8};
}
