#pragma once
// Exact comparison of colours: bit for bit, so that 0.0 and -0.0 differ and
// a NaN equals only its own pattern.

#include <bit>
#include <cstdint>

#include "codec/color_f.h"

namespace test_support {

inline std::uint32_t Bits(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

inline bool SameBits(const ColorF& x, const ColorF& y) {
    return Bits(x.r) == Bits(y.r) && Bits(x.g) == Bits(y.g) && Bits(x.b) == Bits(y.b) && Bits(x.a) == Bits(y.a);
}

}  // namespace test_support
