#include "math/matrix4x4.h"

#include <cmath>

namespace {

void SetRows(Matrix4x4* out, const float (&rows)[16]) {
    for (int i = 0; i < 16; ++i) {
        out->m[i / 4][i % 4] = rows[i];
    }
}

// The sum pairs terms 0+2 and 1+3, as the callers' numbers expect.
float Dot4(const float (&row)[4], const float (&column)[4]) {
    return (row[0] * column[0] + row[2] * column[2]) + (row[1] * column[1] + row[3] * column[3]);
}

}  // namespace

Matrix4x4* MultiplyMatrices(Matrix4x4* out, const Matrix4x4* a, const Matrix4x4* b) {
    Matrix4x4 copyOfB;
    if (out == a && out == b) {
        copyOfB = *b;
        b = &copyOfB;
    }
    if (out == b) {
        // Each column of b is read whole before that column of out is written.
        for (int j = 0; j < 4; ++j) {
            const float column[4] = {b->m[0][j], b->m[1][j], b->m[2][j], b->m[3][j]};
            for (int i = 0; i < 4; ++i) {
                const float row[4] = {a->m[i][0], a->m[i][1], a->m[i][2], a->m[i][3]};
                out->m[i][j] = Dot4(row, column);
            }
        }
        return out;
    }
    // Each row of a is read whole before that row of out is written.
    for (int i = 0; i < 4; ++i) {
        const float row[4] = {a->m[i][0], a->m[i][1], a->m[i][2], a->m[i][3]};
        for (int j = 0; j < 4; ++j) {
            const float column[4] = {b->m[0][j], b->m[1][j], b->m[2][j], b->m[3][j]};
            out->m[i][j] = Dot4(row, column);
        }
    }
    return out;
}

Matrix4x4 operator*(const Matrix4x4& a, const Matrix4x4& b) {
    Matrix4x4 product;
    MultiplyMatrices(&product, &a, &b);
    return product;
}

Matrix4x4* TranslationMatrix(Matrix4x4* out, float x, float y, float z) {
    SetRows(out, {1, 0, 0, 0,  //
                  0, 1, 0, 0,  //
                  0, 0, 1, 0,  //
                  x, y, z, 1});
    return out;
}

Matrix4x4* RotationZMatrix(Matrix4x4* out, float angle) {
    const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    SetRows(out, {c, s, 0, 0,   //
                  -s, c, 0, 0,  //
                  0, 0, 1, 0,   //
                  0, 0, 0, 1});
    return out;
}

Matrix4x4* LookAtLeftHanded(Matrix4x4* out, const Vector3* eye, const Vector3* target, const Vector3* up) {
    Vector3 zAxis(target->x - eye->x, target->y - eye->y, target->z - eye->z);
    NormalizeVector(&zAxis, &zAxis);
    Vector3 xAxis;
    CrossProduct(&xAxis, up, &zAxis);
    NormalizeVector(&xAxis, &xAxis);
    Vector3 yAxis;
    CrossProduct(&yAxis, &zAxis, &xAxis);

    const auto offset = [eye](const Vector3& axis) { return (axis.y * eye->y + axis.x * eye->x) + axis.z * eye->z; };
    SetRows(out, {xAxis.x, yAxis.x, zAxis.x, 0,  //
                  xAxis.y, yAxis.y, zAxis.y, 0,  //
                  xAxis.z, yAxis.z, zAxis.z, 0,  //
                  -offset(xAxis), -offset(yAxis), -offset(zAxis), 1});
    return out;
}

Matrix4x4* PerspectiveFovLeftHanded(Matrix4x4* out, float fovY, float aspect, float zNear, float zFar) {
    const float half = fovY * 0.5f;
    const float s = static_cast<float>(std::sin(static_cast<double>(half)));
    const float c = static_cast<float>(std::cos(static_cast<double>(half)));
    const float yScale = c / s;
    const float xScale = yScale / aspect;
    const float q = zFar / (zFar - zNear);
    SetRows(out, {xScale, 0, 0, 0,  //
                  0, yScale, 0, 0,  //
                  0, 0, q, 1,       //
                  0, 0, -q * zNear, 0});
    return out;
}
