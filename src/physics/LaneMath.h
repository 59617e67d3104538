#pragma once

#include <emmintrin.h>
#include <xmmintrin.h>

#include "platform/MathTypes.h"

// Vector arithmetic on SSE lanes x, y, z for the hot per-wheel and
// per-sensor sums: each lane takes the same single-precision operation, and
// the dot product adds its three products in the same order, as the
// Vector3 operators and btVector3 do, so the results are the same to the
// bit with fewer moves between them. What the fourth lane holds is never
// read into x, y or z.
namespace lanes {

using Lanes = __m128;

inline Lanes Load(const Vector3& v) { return _mm_setr_ps(v.x, v.y, v.z, 0.0f); }
inline Lanes Load(const Vector4& v) { return _mm_setr_ps(v.x, v.y, v.z, 0.0f); }
// All four floats, from anywhere in memory.
inline Lanes Load4(const float* f) { return _mm_loadu_ps(f); }

// a with its w lane +0.
inline Lanes DropW(Lanes a) { return _mm_and_ps(a, _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0))); }

inline Vector3 Store(Lanes a)
{
    alignas(16) float f[4];
    _mm_store_ps(f, a);
    return Vector3{f[0], f[1], f[2]};
}

inline Lanes Scale(Lanes a, float s) { return _mm_mul_ps(a, _mm_set1_ps(s)); }
inline Lanes Negate(Lanes a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }

// (x * x' + y * y') + z * z'.
inline float Dot(Lanes a, Lanes b)
{
    const Lanes p = _mm_mul_ps(a, b);
    return (_mm_cvtss_f32(p) + _mm_cvtss_f32(_mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 1, 1, 1)))) +
           _mm_cvtss_f32(_mm_movehl_ps(p, p));
}

// (a.y b.z - a.z b.y, a.z b.x - a.x b.z, a.x b.y - a.y b.x).
inline Lanes Cross(Lanes a, Lanes b)
{
    const Lanes ayzx = _mm_shuffle_ps(a, a, _MM_SHUFFLE(3, 0, 2, 1));
    const Lanes azxy = _mm_shuffle_ps(a, a, _MM_SHUFFLE(3, 1, 0, 2));
    const Lanes byzx = _mm_shuffle_ps(b, b, _MM_SHUFFLE(3, 0, 2, 1));
    const Lanes bzxy = _mm_shuffle_ps(b, b, _MM_SHUFFLE(3, 1, 0, 2));
    return _mm_sub_ps(_mm_mul_ps(ayzx, bzxy), _mm_mul_ps(azxy, byzx));
}

// The direction of v, or zero when v is shorter than 1e-6; length receives
// v's length.
inline Lanes DirectionOf(Lanes v, float& length)
{
    length = _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(Dot(v, v))));
    if (!(length >= 1e-6f))
        return _mm_setzero_ps();
    return Scale(v, 1.0f / length);
}

} // namespace lanes
