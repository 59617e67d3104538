#pragma once

#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "platform/MathTypes.h"

// 4x4 matrix operations in the row-vector convention: a point p becomes
// [p 1] * M, so a product A * B applies A first, then B, and a translation
// sits in the fourth row. View and projection matrices are left-handed:
// the camera looks along +z of view space, and depth runs 0 (near) to 1
// (far) after the divide by w.

inline Matrix4 IdentityMatrix()
{
    Matrix4 m;
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
    return m;
}
bool IsIdentity(const Matrix4& m);

// out = A * B: first A, then B. Inlined: every moved object's matrices
// pass through here several times each frame. B is read whole before the
// first row is written and each row of A just before its row of the
// result, so out may be A or B.
inline void MultiplyInto(const Matrix4& a, const Matrix4& b, Matrix4& out)
{
#if defined(__SSE__)
    // Four columns at once: each lane multiplies and adds in the same order
    // as the single-lane sum below, with the same single-precision rounding,
    // so the result is the same to the bit. The rows are written out so
    // that each goes straight into its place.
    const __m128 b0 = _mm_loadu_ps(b.m[0]), b1 = _mm_loadu_ps(b.m[1]);
    const __m128 b2 = _mm_loadu_ps(b.m[2]), b3 = _mm_loadu_ps(b.m[3]);
    auto row = [&](int r) {
        __m128 sum = _mm_mul_ps(_mm_load1_ps(&a.m[r][0]), b0);
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load1_ps(&a.m[r][1]), b1));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load1_ps(&a.m[r][2]), b2));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load1_ps(&a.m[r][3]), b3));
        _mm_storeu_ps(out.m[r], sum);
    };
    row(0);
    row(1);
    row(2);
    row(3);
#else
    const Matrix4 left = a, right = b;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = left.m[r][0] * right.m[0][c] + left.m[r][1] * right.m[1][c] +
                          left.m[r][2] * right.m[2][c] + left.m[r][3] * right.m[3][c];
#endif
}

// A * B: first A, then B.
inline Matrix4 Multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 out;
    MultiplyInto(a, b, out);
    return out;
}
inline Matrix4 operator*(const Matrix4& a, const Matrix4& b) { return Multiply(a, b); }

// Whether a and b hold the same bits.
inline bool BitwiseEqual(const Matrix4& a, const Matrix4& b)
{
#if defined(__SSE2__)
    __m128i same = _mm_set1_epi32(-1);
    for (int r = 0; r < 4; ++r)
        same =
            _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.m[r])),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.m[r]))));
    return _mm_movemask_epi8(same) == 0xffff;
#else
    return std::memcmp(&a, &b, sizeof a) == 0;
#endif
}

// Whether a is the identity to the bit.
inline bool IsExactIdentity(const Matrix4& a)
{
#if defined(__SSE2__)
    const __m128i one = _mm_castps_si128(_mm_set_ss(1.0f));
    __m128i same = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.m[0])), one);
    same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.m[1])),
                                               _mm_slli_si128(one, 4)));
    same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.m[2])),
                                               _mm_slli_si128(one, 8)));
    same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a.m[3])),
                                               _mm_slli_si128(one, 12)));
    return _mm_movemask_epi8(same) == 0xffff;
#else
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float wanted = r == c ? 1.0f : 0.0f;
            if (a.m[r][c] != wanted || std::signbit(a.m[r][c]))
                return false;
        }
    }
    return true;
#endif
}

// Whether the identity times b (or b times the identity) is b to the bit:
// it is unless b holds a -0 or anything infinite or NaN, which the
// identity's zero terms would turn into +0 or NaN.
inline bool IdentityKeeps(const Matrix4& b)
{
#if defined(__SSE2__)
    const __m128i negativeZero = _mm_set1_epi32(static_cast<int>(0x80000000u));
    const __m128i exponent = _mm_set1_epi32(0x7f800000);
    __m128i unsafe = _mm_setzero_si128();
    for (int r = 0; r < 4; ++r) {
        const __m128i row = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b.m[r]));
        unsafe = _mm_or_si128(unsafe, _mm_cmpeq_epi32(row, negativeZero));
        unsafe = _mm_or_si128(unsafe, _mm_cmpeq_epi32(_mm_and_si128(row, exponent), exponent));
    }
    return _mm_movemask_epi8(unsafe) == 0;
#else
    for (const auto& row : b.m) {
        for (float v : row) {
            if (!std::isfinite(v) || (v == 0.0f && std::signbit(v)))
                return false;
        }
    }
    return true;
#endif
}

// Whether a is the identity to the bit and a * b (or b * a) is then b to
// the bit. Most boxes sit at their object's origin, so placing them can
// skip the product for every moved object each frame.
inline bool IdentityProductIsExact(const Matrix4& a, const Matrix4& b)
{
    return IsExactIdentity(a) && IdentityKeeps(b);
}

Matrix4 Transpose(const Matrix4& m);
float Determinant(const Matrix4& m);

// Writes the inverse of m into out and returns true. A singular matrix
// (determinant 0, or too small against the size of its rows to give a
// meaningful inverse) returns false and leaves out untouched. The
// determinant is reported either way when asked for.
bool Invert(const Matrix4& m, Matrix4& out, float* determinant = nullptr);

// --- Builders ---------------------------------------------------------------

inline Matrix4 TranslationMatrix(float x, float y, float z)
{
    Matrix4 m = IdentityMatrix();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

Matrix4 ScalingMatrix(float x, float y, float z);

// Rotations by an angle in radians. A positive angle turns the next axis
// towards the one after it: about z, (1, 0, 0) goes to (0, 1, 0).
Matrix4 RotationMatrixX(float angle);
Matrix4 RotationMatrixY(float angle);
Matrix4 RotationMatrixZ(float angle);
// About an axis through the origin; the axis need not be unit length. A
// zero axis has no direction to turn about and gives the identity.
Matrix4 RotationMatrixAxis(const Vector3& axis, float angle);
// Roll about z first, then pitch about x, then yaw about y.
Matrix4 RotationMatrixYawPitchRoll(float yaw, float pitch, float roll);
// The rotation of a quaternion, taken as given (a non-unit quaternion also
// scales).
Matrix4 MatrixFromQuaternion(const Quaternion& q);

namespace matrixmath {

// The upper 3x3 of MatrixFromQuaternion, row by row.
inline void QuaternionRotation(const Quaternion& q, float (&r)[3][3])
{
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    r[0][0] = 1.0f - 2.0f * (yy + zz);
    r[0][1] = 2.0f * (xy + wz);
    r[0][2] = 2.0f * (xz - wy);
    r[1][0] = 2.0f * (xy - wz);
    r[1][1] = 1.0f - 2.0f * (xx + zz);
    r[1][2] = 2.0f * (yz + wx);
    r[2][0] = 2.0f * (xz + wy);
    r[2][1] = 2.0f * (yz - wx);
    r[2][2] = 1.0f - 2.0f * (xx + yy);
}

} // namespace matrixmath

// MultiplyInto(MatrixFromQuaternion(q), TranslationMatrix(p.x, p.y, p.z),
// out) to the bit, without either matrix in memory: every turned part's
// local matrix is made this way each frame.
inline void RotationTranslationInto(const Quaternion& q, const Vector3& p, Matrix4& out)
{
    float r[3][3];
    matrixmath::QuaternionRotation(q, r);
#if defined(__SSE__)
    // MultiplyInto's lanes with the translation's rows as they are: the
    // same products of the same entries, summed in the same order. Only
    // what is exact either way (a product by a constant of a constant) may
    // be folded away.
    const __m128 b0 = _mm_setr_ps(1.0f, 0.0f, 0.0f, 0.0f), b1 = _mm_setr_ps(0.0f, 1.0f, 0.0f, 0.0f);
    const __m128 b2 = _mm_setr_ps(0.0f, 0.0f, 1.0f, 0.0f), b3 = _mm_setr_ps(p.x, p.y, p.z, 1.0f);
    auto row = [&](float a0, float a1, float a2, float a3, int index) {
        __m128 sum = _mm_mul_ps(_mm_set1_ps(a0), b0);
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(a1), b1));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(a2), b2));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(a3), b3));
        _mm_storeu_ps(out.m[index], sum);
    };
    row(r[0][0], r[0][1], r[0][2], 0.0f, 0);
    row(r[1][0], r[1][1], r[1][2], 0.0f, 1);
    row(r[2][0], r[2][1], r[2][2], 0.0f, 2);
    row(0.0f, 0.0f, 0.0f, 1.0f, 3);
#else
    Matrix4 rotation = IdentityMatrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            rotation.m[i][j] = r[i][j];
    MultiplyInto(rotation, TranslationMatrix(p.x, p.y, p.z), out);
#endif
}

// View matrix of an eye at `eye` looking at `at`, with `up` pointing up.
// When up is parallel to the view direction the side axis is zero and the
// matrix is degenerate but finite.
Matrix4 LookAtMatrixLH(const Vector3& eye, const Vector3& at, const Vector3& up);
// Perspective projection: field of view in y (radians), width / height,
// distances of the near and far planes.
Matrix4 PerspectiveMatrixLH(float fovY, float aspect, float zNear, float zFar);
// Orthographic projection of the view-space box [left, right] x [bottom,
// top] x [zNear, zFar] onto x and y in -1..1 and depth 0..1.
Matrix4 OrthoOffCenterMatrixLH(float left, float right, float bottom, float top, float zNear, float zFar);

// Flattens geometry onto a plane along a light: light w = 0 is a light
// direction, w = 1 a light position. The plane is normalised first. With
// P the normalised plane, L the light and d = P . L, the matrix is
// d * I - P^T L, so every transformed point lies on the plane.
Matrix4 ShadowMatrix(const Vector4& light, const Plane& plane);

// --- Transforming vectors ---------------------------------------------------

// [v 1] * M, the full homogeneous result.
inline Vector4 TransformHomogeneous(const Vector3& v, const Matrix4& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3]};
}
// v * M with v's own w.
inline Vector4 TransformHomogeneous(const Vector4& v, const Matrix4& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

// [v 1] * M divided by its w. A result with w = 0 is a point at infinity;
// it is returned undivided (x, y, z as computed), so nothing becomes NaN or
// infinite here. Callers that must tell such points apart use
// TransformHomogeneous.
inline Vector3 TransformPoint(const Vector3& v, const Matrix4& m)
{
    const Vector4 h = TransformHomogeneous(v, m);
    if (h.w == 0.0f)
        return {h.x, h.y, h.z};
    const float inv = 1.0f / h.w;
    return {h.x * inv, h.y * inv, h.z * inv};
}
// [x y 0 1] * M divided by w, keeping x and y; w = 0 as above.
inline Vector2 TransformPoint(const Vector2& v, const Matrix4& m)
{
    const Vector4 h = TransformHomogeneous(Vector3{v.x, v.y, 0.0f}, m);
    if (h.w == 0.0f)
        return {h.x, h.y};
    const float inv = 1.0f / h.w;
    return {h.x * inv, h.y * inv};
}

// [v 0] * M: a direction, unaffected by the translation row.
inline Vector3 TransformNormal(const Vector3& v, const Matrix4& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

// TransformPoint over `count` points read and written at the given byte
// strides (the position at the start of each element), so vertex arrays
// transform in place or into another array.
void TransformPoints(const void* in, std::size_t inStride, void* out, std::size_t outStride,
                     std::size_t count, const Matrix4& m);
