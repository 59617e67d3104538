#pragma once

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/MathTypes.h"

// The extremes, per output column, of [p 1] * m over the box lo..hi with p
// in the box: the low one adds, row by row, the smaller of lo[r] * m[r][c]
// and hi[r] * m[r][c], then m[3][c]; the high one the larger. Rounded
// addition never decreases when a term grows, so these are the smallest
// and the largest of the eight corner sums taken in the same order, to the
// bit. Of two equal terms the first (the low side's) is taken, as std::min
// and std::max do. Every moved object's boxes and their shadows pass
// through here each frame, so the four columns go at once where the
// processor allows; each lane rounds as the single-lane sums do.

// Placements that keep w at 1: the extremes of columns 0 to 2 in low and
// high. False, with them unset, where a product or an extreme is not finite
// or an extreme is zero (whose sign depends on which corner ties).
inline bool AffineRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high);

// A matrix whose w is m[3][3] at every point (a light at infinity): the
// extremes divided by that w, their order kept. False, with them unset,
// where a product or a result is not finite.
inline bool ShadowRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high);

#if defined(__SSE2__)

namespace rowextremes {

// The three lanes of a float triple that another member follows: the
// fourth lane read is the next member's and is never written back.
inline __m128 LoadTriple(const Vector3& v) { return _mm_loadu_ps(&v.x); }

inline void StoreTriple(__m128 lanes, Vector3& v)
{
    _mm_storel_pi(reinterpret_cast<__m64*>(&v.x), lanes);
    _mm_store_ss(&v.z, _mm_movehl_ps(lanes, lanes));
}

inline __m128 IsFinite(__m128 v)
{
    const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    return _mm_cmplt_ps(_mm_and_ps(v, signless), _mm_set1_ps(INFINITY));
}

// One row's two products, the smaller and the larger of them, and the
// mask narrowed to the lanes where both were finite.
template <bool kCheckProducts>
inline void RowTerms(__m128 lo, __m128 hi, const float (&row)[4], __m128& smaller, __m128& larger,
                     __m128& finite)
{
    const __m128 m = _mm_loadu_ps(row);
    const __m128 a = _mm_mul_ps(lo, m), b = _mm_mul_ps(hi, m);
    if (kCheckProducts)
        finite = _mm_and_ps(finite, _mm_and_ps(IsFinite(a), IsFinite(b)));
    // b < a ? b : a, and b > a ? b : a: std::min(a, b) and std::max(a, b).
    smaller = _mm_min_ps(b, a);
    larger = _mm_max_ps(b, a);
}

// The sums of all four columns over the box whose corners' coordinates are
// lanes 0 to 2 of lo and hi; the mask has a lane's bits set where both of
// its products in every row were finite (left all set without the check).
// Written out row by row so that nothing goes through the stack.
template <bool kCheckProducts = true>
inline void Sums(__m128 lo, __m128 hi, const Matrix4& m, __m128& low, __m128& high, __m128& finite)
{
    finite = _mm_castsi128_ps(_mm_set1_epi32(-1));
    __m128 smaller[3], larger[3];
    RowTerms<kCheckProducts>(_mm_shuffle_ps(lo, lo, 0x00), _mm_shuffle_ps(hi, hi, 0x00), m.m[0], smaller[0],
                             larger[0], finite);
    RowTerms<kCheckProducts>(_mm_shuffle_ps(lo, lo, 0x55), _mm_shuffle_ps(hi, hi, 0x55), m.m[1], smaller[1],
                             larger[1], finite);
    RowTerms<kCheckProducts>(_mm_shuffle_ps(lo, lo, 0xaa), _mm_shuffle_ps(hi, hi, 0xaa), m.m[2], smaller[2],
                             larger[2], finite);
    const __m128 translation = _mm_loadu_ps(m.m[3]);
    low = _mm_add_ps(_mm_add_ps(_mm_add_ps(smaller[0], smaller[1]), smaller[2]), translation);
    high = _mm_add_ps(_mm_add_ps(_mm_add_ps(larger[0], larger[1]), larger[2]), translation);
}

inline __m128 Lanes(const float (&v)[3]) { return _mm_setr_ps(v[0], v[1], v[2], 0.0f); }

inline void Store(__m128 v, Vector3& out)
{
    float lanes[4];
    _mm_storeu_ps(lanes, v);
    out = {lanes[0], lanes[1], lanes[2]};
}

} // namespace rowextremes

// AffineRowExtremes and ShadowRowExtremes on lanes 0 to 2, for callers
// that hold the box in lanes already; lane 3 of the results is left over.
inline bool AffineLaneExtremes(__m128 lo, __m128 hi, const Matrix4& m, __m128& low, __m128& high)
{
    // With the box's extremes finite, a product goes wrong only through its
    // matrix entry or by overflowing, and then the low or the high sum of
    // its lane is not finite either: the smaller of a row's two terms keeps
    // a NaN or a -inf, the larger a +inf, and no sum takes one back. So the
    // check on the extremes and the sums stands in for one on each product.
    __m128 usable = _mm_and_ps(rowextremes::IsFinite(lo), rowextremes::IsFinite(hi));
    __m128 unchecked;
    rowextremes::Sums<false>(lo, hi, m, low, high, unchecked);
    const __m128 zero = _mm_setzero_ps();
    usable = _mm_and_ps(usable, _mm_and_ps(rowextremes::IsFinite(low), rowextremes::IsFinite(high)));
    usable = _mm_and_ps(usable, _mm_and_ps(_mm_cmpneq_ps(low, zero), _mm_cmpneq_ps(high, zero)));
    return (_mm_movemask_ps(usable) & 7) == 7;
}

namespace rowextremes {

// The sums divided by the shared w, their order kept; false where a lane
// of the result is not finite.
inline bool Divide(__m128 sumLow, __m128 sumHigh, float w, __m128 usable, __m128& low, __m128& high)
{
    if (w == 1.0f) {
        // A finite number divided by one is itself to the bit; anything
        // else fails the check below either way.
        low = sumLow;
        high = sumHigh;
    } else {
        const __m128 shared = _mm_set1_ps(w);
        low = _mm_div_ps(w > 0.0f ? sumLow : sumHigh, shared);
        high = _mm_div_ps(w > 0.0f ? sumHigh : sumLow, shared);
    }
    usable = _mm_and_ps(usable, _mm_and_ps(IsFinite(low), IsFinite(high)));
    return (_mm_movemask_ps(usable) & 7) == 7;
}

} // namespace rowextremes

inline bool ShadowLaneExtremes(__m128 lo, __m128 hi, const Matrix4& m, __m128& low, __m128& high)
{
    __m128 sumLow, sumHigh, usable;
    rowextremes::Sums(lo, hi, m, sumLow, sumHigh, usable);
    return rowextremes::Divide(sumLow, sumHigh, m.m[3][3], usable, low, high);
}

// ShadowLaneExtremes for a matrix whose every entry the caller knows to be
// finite: with the box's extremes checked finite instead, a product can
// only go wrong by overflowing, and an infinite product makes its sum
// infinite or NaN, so the check on the results stands in for the one on
// the products and the answer is the same.
inline bool FiniteShadowLaneExtremes(__m128 lo, __m128 hi, const Matrix4& m, __m128& low, __m128& high)
{
    const __m128 usable = _mm_and_ps(rowextremes::IsFinite(lo), rowextremes::IsFinite(hi));
    __m128 sumLow, sumHigh, unchecked;
    rowextremes::Sums<false>(lo, hi, m, sumLow, sumHigh, unchecked);
    return rowextremes::Divide(sumLow, sumHigh, m.m[3][3], usable, low, high);
}

inline bool AffineRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high)
{
    __m128 sumLow, sumHigh;
    if (!AffineLaneExtremes(rowextremes::Lanes(lo), rowextremes::Lanes(hi), m, sumLow, sumHigh))
        return false;
    rowextremes::Store(sumLow, low);
    rowextremes::Store(sumHigh, high);
    return true;
}

inline bool ShadowRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high)
{
    __m128 smallest, largest;
    if (!ShadowLaneExtremes(rowextremes::Lanes(lo), rowextremes::Lanes(hi), m, smallest, largest))
        return false;
    rowextremes::Store(smallest, low);
    rowextremes::Store(largest, high);
    return true;
}

#else

namespace rowextremes {

// The sums of columns 0 to 2; false where a product is not finite.
inline bool Sums(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, float (&low)[3],
                 float (&high)[3])
{
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) {
            const float a = lo[r] * m.m[r][c], b = hi[r] * m.m[r][c];
            if (!std::isfinite(a) || !std::isfinite(b))
                return false;
            const float smaller = b < a ? b : a, larger = a < b ? b : a;
            low[c] = r == 0 ? smaller : low[c] + smaller;
            high[c] = r == 0 ? larger : high[c] + larger;
        }
        low[c] += m.m[3][c];
        high[c] += m.m[3][c];
    }
    return true;
}

} // namespace rowextremes

inline bool AffineRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high)
{
    float sumLow[3], sumHigh[3];
    if (!rowextremes::Sums(lo, hi, m, sumLow, sumHigh))
        return false;
    for (int c = 0; c < 3; ++c) {
        if (!std::isfinite(sumLow[c]) || !std::isfinite(sumHigh[c]) || sumLow[c] == 0.0f ||
            sumHigh[c] == 0.0f)
            return false;
    }
    low = {sumLow[0], sumLow[1], sumLow[2]};
    high = {sumHigh[0], sumHigh[1], sumHigh[2]};
    return true;
}

inline bool ShadowRowExtremes(const float (&lo)[3], const float (&hi)[3], const Matrix4& m, Vector3& low,
                              Vector3& high)
{
    float sumLow[3], sumHigh[3];
    if (!rowextremes::Sums(lo, hi, m, sumLow, sumHigh))
        return false;
    const float w = m.m[3][3];
    float smallest[3], largest[3];
    for (int c = 0; c < 3; ++c) {
        smallest[c] = (w > 0.0f ? sumLow[c] : sumHigh[c]) / w;
        largest[c] = (w > 0.0f ? sumHigh[c] : sumLow[c]) / w;
        if (!std::isfinite(smallest[c]) || !std::isfinite(largest[c]))
            return false;
    }
    low = {smallest[0], smallest[1], smallest[2]};
    high = {largest[0], largest[1], largest[2]};
    return true;
}

#endif
