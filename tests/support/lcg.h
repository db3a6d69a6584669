#pragma once
// The tests' one source of pseudo-random data: a 32-bit linear congruential
// generator (the Numerical Recipes constants). Seeded by hand, so a failing
// case replays from its seed; tests with fixed expectations rely on its
// sequence, which must never change.

#include <cstdint>

namespace test_support {

struct Lcg {
    std::uint32_t state;

    // The next state, all 32 bits. Its low bits repeat early (bit k with a
    // period of 2^(k+1)); take the high ones.
    std::uint32_t Step() {
        state = state * 1664525u + 1013904223u;
        return state;
    }

    // The next state turned right by eight bits.
    std::uint32_t Next() {
        const std::uint32_t s = Step();
        return s >> 8 ^ s << 24;
    }

    // The top 24 bits of Next() as a fraction in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
};

}  // namespace test_support
