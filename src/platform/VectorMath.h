#pragma once

#include <cmath>

#include "platform/FloatMinMax.h"
#include "platform/MathTypes.h"

// Vector and plane operations. Everything works in 32-bit floats, as the
// game's formulas expect. Normalising a zero vector gives the zero vector
// (never NaN), so callers that may meet degenerate input stay finite.

// --- 2D ---------------------------------------------------------------------

inline Vector2 operator+(const Vector2& a, const Vector2& b) { return {a.x + b.x, a.y + b.y}; }
inline Vector2 operator-(const Vector2& a, const Vector2& b) { return {a.x - b.x, a.y - b.y}; }
inline Vector2 operator*(const Vector2& v, float s) { return {v.x * s, v.y * s}; }
inline Vector2 operator*(float s, const Vector2& v) { return v * s; }

inline float Dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }
inline float LengthSquared(const Vector2& v) { return Dot(v, v); }
inline float Length(const Vector2& v) { return std::sqrt(LengthSquared(v)); }
Vector2 Normalize(const Vector2& v);
inline Vector2 Lerp(const Vector2& a, const Vector2& b, float t) { return a + (b - a) * t; }

// --- 3D ---------------------------------------------------------------------

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator-(const Vector3& v) { return {-v.x, -v.y, -v.z}; }
inline Vector3 operator*(const Vector3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }
inline Vector3 operator*(float s, const Vector3& v) { return v * s; }
inline Vector3& operator+=(Vector3& a, const Vector3& b) { return a = a + b; }
inline Vector3& operator-=(Vector3& a, const Vector3& b) { return a = a - b; }
inline Vector3& operator*=(Vector3& v, float s) { return v = v * s; }

inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float LengthSquared(const Vector3& v) { return Dot(v, v); }
inline float Length(const Vector3& v) { return std::sqrt(LengthSquared(v)); }
Vector3 Normalize(const Vector3& v);
inline Vector3 Lerp(const Vector3& a, const Vector3& b, float t) { return a + (b - a) * t; }

// Per-component smaller and larger values (box extremes).
inline Vector3 ComponentMin(const Vector3& a, const Vector3& b)
{
    return {FloatMin(a.x, b.x), FloatMin(a.y, b.y), FloatMin(a.z, b.z)};
}
inline Vector3 ComponentMax(const Vector3& a, const Vector3& b)
{
    return {FloatMax(a.x, b.x), FloatMax(a.y, b.y), FloatMax(a.z, b.z)};
}

inline bool IsFinite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// --- 4D ---------------------------------------------------------------------

inline Vector4 operator+(const Vector4& a, const Vector4& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
inline Vector4 operator-(const Vector4& a, const Vector4& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}
inline Vector4 operator*(const Vector4& v, float s) { return {v.x * s, v.y * s, v.z * s, v.w * s}; }
inline Vector4 operator*(float s, const Vector4& v) { return v * s; }

inline float Dot(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float LengthSquared(const Vector4& v) { return Dot(v, v); }
inline float Length(const Vector4& v) { return std::sqrt(LengthSquared(v)); }
Vector4 Normalize(const Vector4& v);
inline Vector4 Lerp(const Vector4& a, const Vector4& b, float t) { return a + (b - a) * t; }

// --- Planes -----------------------------------------------------------------

// a*x + b*y + c*z + d for the point (x, y, z): the point's signed distance
// times the length of the plane's normal.
inline float DotCoord(const Plane& p, const Vector3& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }
// a*x + b*y + c*z: the normal part only.
inline float DotNormal(const Plane& p, const Vector3& v) { return p.a * v.x + p.b * v.y + p.c * v.z; }
inline float Dot(const Plane& p, const Vector4& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d * v.w; }

// Scales the plane so that its normal (a, b, c) has length 1. A plane with
// a zero normal has no orientation and comes back all zero.
Plane Normalize(const Plane& p);
