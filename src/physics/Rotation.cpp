#include "physics/Rotation.h"

#include <cmath>

#include "platform/Math.h"

void PhQuaternionToRows(const Quaternion& q, Vector4 rows[3])
{
    const Matrix4 m = MatrixFromQuaternion(q);
    for (int r = 0; r < 3; ++r) {
        rows[r].x = m.m[r][0];
        rows[r].y = m.m[r][1];
        rows[r].z = m.m[r][2];
    }
}

namespace {

// QuaternionFromMatrix(RotationMatrixX(a)) for a finite angle, with the same
// operations on the matrix's entries: 1 on the axis, cos and sin of a, and
// zeros off the turned plane. Every wheel of every car turns through here
// at each step.
Quaternion SpinAboutX(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    const float trace = 1.0f + c + c;
    if (trace > 0.0f) {
        const float k = 0.5f / std::sqrt(trace + 1.0f);
        return {(s - -s) * k, (0.0f - 0.0f) * k, (0.0f - 0.0f) * k, 0.25f / k};
    }
    // The axis entry, 1, is the largest of the diagonal.
    const float k = 2.0f * std::sqrt(1.0f + 1.0f - c - c);
    return {0.25f * k, (0.0f + 0.0f) / k, (0.0f + 0.0f) / k, (s - -s) / k};
}

} // namespace

Quaternion ComposeRotation(float a, float b)
{
    if (b == 0.0f && std::isfinite(a))
        return SpinAboutX(a);
    const Matrix4 spin = RotationMatrixX(a);
    return QuaternionFromMatrix(b != 0.0f ? spin * RotationMatrixZ(b) : spin);
}

Quaternion PhUnitRotation(const Quaternion& q)
{
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w))
        return Quaternion{};
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!std::isfinite(length) || length < 1e-6f)
        return Quaternion{};
    return Quaternion{q.x / length, q.y / length, q.z / length, q.w / length};
}
