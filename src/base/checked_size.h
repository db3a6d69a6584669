#pragma once
// Size arithmetic on values taken from files: 64 bits, overflow reported.

#include <cstdint>

namespace tovtex {

// out = a * b; false when the product does not fit in 64 bits.
inline bool CheckedMul(uint64_t a, uint64_t b, uint64_t* out) {
    return !__builtin_mul_overflow(a, b, out);
}

// out = a + b; false when the sum does not fit in 64 bits.
inline bool CheckedAdd(uint64_t a, uint64_t b, uint64_t* out) {
    return !__builtin_add_overflow(a, b, out);
}

// out = a * b * c; false on overflow.
inline bool CheckedMul3(uint64_t a, uint64_t b, uint64_t c, uint64_t* out) {
    uint64_t ab = 0;
    return CheckedMul(a, b, &ab) && CheckedMul(ab, c, out);
}

}  // namespace tovtex
