#pragma once

#include "platform/MathTypes.h"

// Rotation quaternions (x, y, z, w) in the same row-vector convention as
// the matrices: MatrixFromQuaternion(Multiply(a, b)) equals
// MatrixFromQuaternion(a) * MatrixFromQuaternion(b), both meaning "turn by
// a, then by b".

// The rotation `first` followed by `second` (the quaternion product
// second * first in the usual written order).
Quaternion Multiply(const Quaternion& first, const Quaternion& second);

Quaternion Conjugate(const Quaternion& q);
float Dot(const Quaternion& a, const Quaternion& b);
float Length(const Quaternion& q);
// Unit length; the zero quaternion, which is no rotation at all, gives the
// identity.
Quaternion Normalize(const Quaternion& q);

// Spherical interpolation along the shorter arc: t = 0 gives a, t = 1 the
// rotation of b. Nearly equal rotations fall back to a straight blend.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

// A turn by `angle` radians about `axis` (need not be unit length); the
// zero axis gives the identity.
Quaternion QuaternionFromAxisAngle(const Vector3& axis, float angle);
// The rotation held in the upper 3x3 of a rotation matrix.
Quaternion QuaternionFromMatrix(const Matrix4& m);
// The rotation of RotationMatrixYawPitchRoll: roll about z, then pitch
// about x, then yaw about y.
Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll);

// v turned by the unit quaternion q; the same as TransformNormal(v,
// MatrixFromQuaternion(q)).
Vector3 Rotate(const Vector3& v, const Quaternion& q);
