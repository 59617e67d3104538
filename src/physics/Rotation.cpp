#include "physics/Rotation.h"

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
