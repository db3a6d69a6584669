#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/matrix4x4.h"
#include "math/vector3.h"

namespace {

Matrix4x4 FromRows(std::initializer_list<float> values) {
    Matrix4x4 m;
    int i = 0;
    for (float v : values) {
        m.m[i / 4][i % 4] = v;
        ++i;
    }
    return m;
}

void ExpectMatrixNear(const Matrix4x4& actual, const Matrix4x4& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance) << "row " << i << " column " << j;
        }
    }
}

void ExpectSameBits(const Matrix4x4& actual, const Matrix4x4& expected) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(actual.m[i][j], expected.m[i][j]) << "row " << i << " column " << j;
        }
    }
}

TEST(LookAt, GameCameraIsATranslationByMinusX) {
    for (float x : {30.0f, 84.5f, 141.0f}) {
        const Vector3 eye(x, 0, 0);
        const Vector3 target(x, 0, 1);
        const Vector3 up(-0.0f, 1, 0);
        Matrix4x4 view;
        LookAtLeftHanded(&view, &eye, &target, &up);
        ExpectMatrixNear(view, FromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -x, 0, 0, 1}), 0.0f);
    }
}

TEST(Perspective, GameProjection) {
    Matrix4x4 p;
    PerspectiveFovLeftHanded(&p, 1.0471973f, 1.33f, 1, 100);
    EXPECT_NEAR(p.m[1][1], 1.7320512f, 2e-6f);
    EXPECT_NEAR(p.m[0][0], 1.302294f, 2e-6f);
    EXPECT_NEAR(p.m[2][2], 100.0f / 99.0f, 1e-6f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_NEAR(p.m[3][2], -100.0f / 99.0f, 1e-6f);
    EXPECT_EQ(p.m[3][3], 0.0f);
}

TEST(Normalize, UnitZeroAndScaledCases) {
    struct Case {
        Vector3 in;
        Vector3 out;
    };
    const Case cases[] = {
        // clang-format off
        {{0, 0, 1.000004f}, {0, 0, 1.000004f}},  // close enough to unit: untouched
        {{0, 0, 2}, {0, 0, 1}},
        {{3, 0, 4}, {0.6f, 0, 0.8f}},
        {{1e-6f, 0, 0}, {0, 0, 0}},  // too short
        {{0, 0, 0}, {0, 0, 0}},
        {{NAN, 0, 0}, {0, 0, 0}},
        // clang-format on
    };
    for (const Case& c : cases) {
        Vector3 separate;
        NormalizeVector(&separate, &c.in);
        Vector3 inPlace = c.in;
        NormalizeVector(&inPlace, &inPlace);
        for (const Vector3& v : {separate, inPlace}) {
            EXPECT_FLOAT_EQ(v.x, c.out.x) << c.in.x << " " << c.in.y << " " << c.in.z;
            EXPECT_FLOAT_EQ(v.y, c.out.y);
            EXPECT_FLOAT_EQ(v.z, c.out.z);
        }
    }
}

TEST(Cross, OutMayAliasAnInput) {
    const Vector3 a(1, 2, 3);
    const Vector3 b(-4, 5, 0.5f);
    Vector3 expected;
    CrossProduct(&expected, &a, &b);
    EXPECT_FLOAT_EQ(expected.x, 2 * 0.5f - 3 * 5);
    EXPECT_FLOAT_EQ(expected.y, 3 * -4 - 1 * 0.5f);
    EXPECT_FLOAT_EQ(expected.z, 1 * 5 - 2 * -4);

    Vector3 intoA = a;
    CrossProduct(&intoA, &intoA, &b);
    Vector3 intoB = b;
    CrossProduct(&intoB, &a, &intoB);
    for (const Vector3& v : {intoA, intoB}) {
        EXPECT_EQ(v.x, expected.x);
        EXPECT_EQ(v.y, expected.y);
        EXPECT_EQ(v.z, expected.z);
    }
}

TEST(Multiply, AliasedOutputsMatchSeparateOutput) {
    const Matrix4x4 a = FromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16.5f});
    const Matrix4x4 b = FromRows({0.5f, -1, 2, 0, 3, 0.25f, -2, 1, 1, 1, 1, 1, -3, 2, 0, 4});

    Matrix4x4 expected;
    MultiplyMatrices(&expected, &a, &b);
    // Row 0, column 0 by hand: 1*0.5 + 2*3 + 3*1 + 4*-3.
    EXPECT_FLOAT_EQ(expected.m[0][0], -2.5f);

    Matrix4x4 outIsA = a;
    MultiplyMatrices(&outIsA, &outIsA, &b);
    ExpectSameBits(outIsA, expected);

    Matrix4x4 outIsB = b;
    MultiplyMatrices(&outIsB, &a, &outIsB);
    ExpectSameBits(outIsB, expected);

    Matrix4x4 square;
    MultiplyMatrices(&square, &a, &a);
    Matrix4x4 allSame = a;
    MultiplyMatrices(&allSame, &allSame, &allSame);
    ExpectSameBits(allSame, square);

    ExpectSameBits(a * b, expected);
}

TEST(Rotation, QuarterTurnMapsXToY) {
    Matrix4x4 r;
    RotationZMatrix(&r, std::numbers::pi_v<float> / 2);
    // Row vector (1, 0, 0, 1) times r is r's first row plus its fourth.
    EXPECT_NEAR(r.m[0][0] + r.m[3][0], 0.0f, 1e-7f);
    EXPECT_NEAR(r.m[0][1] + r.m[3][1], 1.0f, 1e-7f);
    EXPECT_NEAR(r.m[0][2] + r.m[3][2], 0.0f, 1e-7f);
}

}  // namespace
