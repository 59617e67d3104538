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

Quaternion ComposeRotation(float a, float b)
{
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
