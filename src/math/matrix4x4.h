#pragma once
// 4 x 4 matrices with the layout of D3DMATRIX: row-major, row vectors
// (p' = p x M), translation in the fourth row, left-handed.

#include "math/vector3.h"

struct Matrix4x4 {
    float m[4][4];

    // Entries stay undefined: every operation writes all sixteen.
    Matrix4x4() = default;
};

// out = a x b; out may be a, b or both.
Matrix4x4* MultiplyMatrices(Matrix4x4* out, const Matrix4x4* a, const Matrix4x4* b);
Matrix4x4 operator*(const Matrix4x4& a, const Matrix4x4& b);

Matrix4x4* TranslationMatrix(Matrix4x4* out, float x, float y, float z);
// A positive angle turns +x toward +y.
Matrix4x4* RotationZMatrix(Matrix4x4* out, float angle);
Matrix4x4* LookAtLeftHanded(Matrix4x4* out, const Vector3* eye, const Vector3* target, const Vector3* up);
Matrix4x4* PerspectiveFovLeftHanded(Matrix4x4* out, float fovY, float aspect, float zNear, float zFar);
