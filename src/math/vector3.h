#pragma once
// Three-component vectors with the layout of D3DVECTOR.

#include <bit>
#include <cstdint>

struct Vector3 {
    float x;
    float y;
    float z;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

// Squared lengths within this of 1 count as unit length.
inline constexpr float UNIT_TOLERANCE = std::bit_cast<float>(uint32_t{0x3727C5AC});  // 1e-5
// Squared lengths at or below this (and NaN) normalise to the zero vector.
inline constexpr float ZERO_LENGTH_LIMIT = std::bit_cast<float>(uint32_t{0x2EDBE6FE});  // 9.9999994e-11

// out = a x b; out may be a or b.
Vector3* CrossProduct(Vector3* out, const Vector3* a, const Vector3* b);
// out = v / |v|, v unchanged when already unit length, zero when too short;
// out may be v.
Vector3* NormalizeVector(Vector3* out, const Vector3* v);
