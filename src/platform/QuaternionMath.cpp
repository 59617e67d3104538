#include "platform/QuaternionMath.h"

#include <cmath>

#include "platform/VectorMath.h"

Quaternion Multiply(const Quaternion& first, const Quaternion& second)
{
    const Quaternion& a = second;
    const Quaternion& b = first;
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quaternion Conjugate(const Quaternion& q) { return {-q.x, -q.y, -q.z, q.w}; }

float Dot(const Quaternion& a, const Quaternion& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

float Length(const Quaternion& q) { return std::sqrt(Dot(q, q)); }

Quaternion Normalize(const Quaternion& q)
{
    const float length = Length(q);
    if (!(length > 0.0f))
        return {};
    const float s = 1.0f / length;
    return {q.x * s, q.y * s, q.z * s, q.w * s};
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t)
{
    float cosine = Dot(a, b);
    float sign = 1.0f;
    if (cosine < 0.0f) {
        // q and -q are the same rotation; going to -b takes the short way.
        cosine = -cosine;
        sign = -1.0f;
    }
    float k0 = 1.0f - t;
    float k1 = t;
    if (cosine < 0.9999f) {
        const float angle = std::acos(cosine);
        const float inverseSine = 1.0f / std::sin(angle);
        k0 = std::sin((1.0f - t) * angle) * inverseSine;
        k1 = std::sin(t * angle) * inverseSine;
    }
    k1 *= sign;
    return {k0 * a.x + k1 * b.x, k0 * a.y + k1 * b.y, k0 * a.z + k1 * b.z, k0 * a.w + k1 * b.w};
}

Quaternion QuaternionFromAxisAngle(const Vector3& axis, float angle)
{
    const Vector3 n = Normalize(axis);
    if (LengthSquared(n) == 0.0f)
        return {};
    const float s = std::sin(angle * 0.5f);
    return {n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionFromMatrix(const Matrix4& matrix)
{
    const auto& m = matrix.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0.0f) {
        const float s = 0.5f / std::sqrt(trace + 1.0f);
        return {(m[1][2] - m[2][1]) * s, (m[2][0] - m[0][2]) * s, (m[0][1] - m[1][0]) * s, 0.25f / s};
    }
    if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
        const float s = 2.0f * std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]);
        return {0.25f * s, (m[0][1] + m[1][0]) / s, (m[0][2] + m[2][0]) / s, (m[1][2] - m[2][1]) / s};
    }
    if (m[1][1] >= m[2][2]) {
        const float s = 2.0f * std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]);
        return {(m[0][1] + m[1][0]) / s, 0.25f * s, (m[1][2] + m[2][1]) / s, (m[2][0] - m[0][2]) / s};
    }
    const float s = 2.0f * std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]);
    return {(m[0][2] + m[2][0]) / s, (m[1][2] + m[2][1]) / s, 0.25f * s, (m[0][1] - m[1][0]) / s};
}

Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll)
{
    const float cy = std::cos(yaw * 0.5f), sy = std::sin(yaw * 0.5f);
    const float cp = std::cos(pitch * 0.5f), sp = std::sin(pitch * 0.5f);
    const float cr = std::cos(roll * 0.5f), sr = std::sin(roll * 0.5f);
    return {cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
            cy * cp * cr + sy * sp * sr};
}

Vector3 Rotate(const Vector3& v, const Quaternion& q)
{
    // v + 2w (u x v) + 2 u x (u x v), u the vector part.
    const Vector3 u{q.x, q.y, q.z};
    const Vector3 uv = Cross(u, v);
    const Vector3 uuv = Cross(u, uv);
    return v + (uv * q.w + uuv) * 2.0f;
}
