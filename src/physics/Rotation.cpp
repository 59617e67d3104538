#include "physics/Rotation.h"

#include <cmath>

void PhQuaternionToRows(const Quaternion& q, Vector4 rows[3])
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    rows[0].x = 1.0f - 2.0f * (y * y + z * z);
    rows[0].y = 2.0f * (x * y + z * w);
    rows[0].z = 2.0f * (x * z - y * w);
    rows[1].x = 2.0f * (x * y - z * w);
    rows[1].y = 1.0f - 2.0f * (x * x + z * z);
    rows[1].z = 2.0f * (y * z + x * w);
    rows[2].x = 2.0f * (x * z + y * w);
    rows[2].y = 2.0f * (y * z - x * w);
    rows[2].z = 1.0f - 2.0f * (x * x + y * y);
}

Quaternion PhRowsToQuaternion(const Vector4 rows[3])
{
    const float m00 = rows[0].x, m01 = rows[0].y, m02 = rows[0].z;
    const float m10 = rows[1].x, m11 = rows[1].y, m12 = rows[1].z;
    const float m20 = rows[2].x, m21 = rows[2].y, m22 = rows[2].z;
    const float trace = m00 + m11 + m22;
    Quaternion q;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        q.w = 0.25f * s;
        q.x = (m12 - m21) / s;
        q.y = (m20 - m02) / s;
        q.z = (m01 - m10) / s;
    } else if (m00 > m11 && m00 > m22) {
        const float s = std::sqrt(1.0f + m00 - m11 - m22) * 2.0f;
        q.w = (m12 - m21) / s;
        q.x = 0.25f * s;
        q.y = (m01 + m10) / s;
        q.z = (m20 + m02) / s;
    } else if (m11 > m22) {
        const float s = std::sqrt(1.0f + m11 - m00 - m22) * 2.0f;
        q.w = (m20 - m02) / s;
        q.x = (m01 + m10) / s;
        q.y = 0.25f * s;
        q.z = (m12 + m21) / s;
    } else {
        const float s = std::sqrt(1.0f + m22 - m00 - m11) * 2.0f;
        q.w = (m01 - m10) / s;
        q.x = (m20 + m02) / s;
        q.y = (m12 + m21) / s;
        q.z = 0.25f * s;
    }
    return q;
}

Quaternion ComposeRotation(float a, float b)
{
    const float ca = std::cos(a), sa = std::sin(a);
    // Rotation about x in the row-vector convention.
    Vector4 rows[3] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, ca, sa, 0.0f}, {0.0f, -sa, ca, 0.0f}};
    if (b != 0.0f) {
        const float cb = std::cos(b), sb = std::sin(b);
        // Each row times RotationZ(b) = [[cb, sb, 0], [-sb, cb, 0], [0, 0, 1]].
        for (Vector4& row : rows) {
            const float x = row.x * cb - row.y * sb;
            const float y = row.x * sb + row.y * cb;
            row.x = x;
            row.y = y;
        }
    }
    return PhRowsToQuaternion(rows);
}
