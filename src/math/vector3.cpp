#include "math/vector3.h"

#include <cmath>

Vector3* CrossProduct(Vector3* out, const Vector3* a, const Vector3* b) {
    const float x = a->y * b->z - a->z * b->y;
    const float y = a->z * b->x - a->x * b->z;
    const float z = a->x * b->y - a->y * b->x;
    out->x = x;
    out->y = y;
    out->z = z;
    return out;
}

Vector3* NormalizeVector(Vector3* out, const Vector3* v) {
    const float len2 = (v->x * v->x + v->y * v->y) + v->z * v->z;
    const float offUnit = len2 - 1.0f;
    if (offUnit >= -UNIT_TOLERANCE && offUnit <= UNIT_TOLERANCE) {
        if (out != v) {
            *out = *v;
        }
        return out;
    }
    if (!(len2 > ZERO_LENGTH_LIMIT)) {
        out->x = 0.0f;
        out->y = 0.0f;
        out->z = 0.0f;
        return out;
    }
    const float scale = 1.0f / std::sqrt(len2);
    const float x = v->x * scale;
    const float y = v->y * scale;
    const float z = v->z * scale;
    out->x = x;
    out->y = y;
    out->z = z;
    return out;
}
