#pragma once

#include <cmath>

#include "platform/MathTypes.h"

// The few vector and quaternion operations the physics library needs on its
// four-float vectors. The fourth component is carried through unchanged by
// the operations that keep a vector's identity and set to 0 by those that
// make a new direction (cross products, differences).
namespace phmath {

inline Vector4 Vec(float x, float y, float z, float w = 0.0f) { return Vector4{x, y, z, w}; }

inline Vector4 Add(const Vector4& a, const Vector4& b)
{
    return Vector4{a.x + b.x, a.y + b.y, a.z + b.z, a.w};
}

inline Vector4 Sub(const Vector4& a, const Vector4& b)
{
    return Vector4{a.x - b.x, a.y - b.y, a.z - b.z, 0.0f};
}

inline Vector4 Scale(const Vector4& a, float s) { return Vector4{a.x * s, a.y * s, a.z * s, a.w}; }

inline float Dot(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector4 Cross(const Vector4& a, const Vector4& b)
{
    return Vector4{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

inline float LengthSquared(const Vector4& a) { return Dot(a, a); }

inline float Length(const Vector4& a) { return std::sqrt(LengthSquared(a)); }

inline float Component(const Vector4& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

inline void SetComponent(Vector4& v, int axis, float value)
{
    if (axis == 0)
        v.x = value;
    else if (axis == 1)
        v.y = value;
    else
        v.z = value;
}

inline Vector4 Row(const Matrix4& m, int row)
{
    return Vector4{m.m[row][0], m.m[row][1], m.m[row][2], m.m[row][3]};
}

inline void SetRow(Matrix4& m, int row, const Vector4& v)
{
    m.m[row][0] = v.x;
    m.m[row][1] = v.y;
    m.m[row][2] = v.z;
    m.m[row][3] = v.w;
}

// Row vector times the upper 3x3 block given as three rows: v' = v * M.
inline Vector4 MulRows(const Vector4& v, const Vector4 rows[3])
{
    return Vector4{v.x * rows[0].x + v.y * rows[1].x + v.z * rows[2].x,
                   v.x * rows[0].y + v.y * rows[1].y + v.z * rows[2].y,
                   v.x * rows[0].z + v.y * rows[1].z + v.z * rows[2].z, 0.0f};
}

// Hamilton product a * b.
inline Quaternion QuatMul(const Quaternion& a, const Quaternion& b)
{
    return Quaternion{
        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

} // namespace phmath

namespace phmath {

inline Matrix4 Identity()
{
    Matrix4 m;
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
    return m;
}

} // namespace phmath
