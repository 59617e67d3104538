#pragma once

#include <cstddef>
#include <vector>

#include "core/ShadowMatrix.h"
#include "platform/MathTypes.h"
#include "platform/RowExtremes.h"

class CPBoundingBox;

// A world-aligned box, built from oriented boxes and merged up an object
// tree. The empty box has minimum 1e6 and maximum -1e6 on every axis, so
// merging it into another box changes nothing.
struct AxisBox {
    static constexpr float kEmptyExtreme = 1e6f;

    // Minimum and maximum over the boxes' world extremes, then centre and
    // half size. No boxes give the empty box, leaving centre and half size
    // as they were.
    void SetFromBoxes(const std::vector<CPBoundingBox>& boxes);
    void SetFromBox(const CPBoundingBox& box);
    // The smaller minimum and larger maximum per axis, then Recompute.
    void Merge(const AxisBox& other);
    // Merge without Recompute, for a run of merges that recomputes once at
    // its end.
    void Extend(const AxisBox& other);
    // Centre and half size from minimum and maximum.
    void Recompute();
    // Widens the box by the images of its eight corners under the
    // program-wide shadow matrix; centre and half size are left to the
    // caller. Images at infinity (w = 0, as with the all-zero matrix before
    // a level is loaded or a light running along the ground) and non-finite
    // images are skipped; an empty box casts no shadow. True when the images
    // came from the per-axis extremes under a light at infinity, every
    // product and image finite.
    bool AddShadow();

    // Whether the segment from origin along the unit direction for length
    // overlaps the box (separating axes on centre and half size; touching
    // counts).
    bool IntersectSegment(const Vector3& origin, const Vector3& direction, float length) const;
    // Strictly inside on all three axes: a point on a face is outside.
    bool Contains(const Vector3& point) const;
    // Whether a sphere reaches the box: the squared distance from its centre
    // to the box (0 inside) is at most radius squared.
    bool IntersectsSphere(const Vector3& point, float radius) const;

    // The names the game code uses for the segment and sphere tests.
    bool Transform(const Vector3& origin, const Vector3& direction, float length) const
    {
        return IntersectSegment(origin, direction, length);
    }
    bool DistanceSquared(const Vector3& point, float radius) const { return IntersectsSphere(point, radius); }

    bool IsEmpty() const;

    Vector3 minimum{kEmptyExtreme, kEmptyExtreme, kEmptyExtreme};
    Vector3 maximum{-kEmptyExtreme, -kEmptyExtreme, -kEmptyExtreme};
    Vector3 halfSize;
    Vector3 centre;

  private:
    // SetFromBoxes over a list that is not empty.
    void SetFromBoxList(const std::vector<CPBoundingBox>& boxes);
    // AddShadow where the extremes cannot stand in for the corners.
    bool AddShadowByCorners();
};

// Extend, Recompute and AddShadow run for every part of every moved object
// each frame, so they are inlined on SSE lanes where the processor has them
// (and are out of line otherwise); AddShadow leaves only the corner by
// corner fallback out of line.

#if defined(__SSE2__)

static_assert(offsetof(AxisBox, maximum) == offsetof(AxisBox, minimum) + sizeof(Vector3) &&
                  offsetof(AxisBox, halfSize) == offsetof(AxisBox, maximum) + sizeof(Vector3),
              "the box's triples are read four floats at a time");

namespace axisbox {

// FloatMin and FloatMax lane by lane: a where it wins or b is a NaN, else b.
inline __m128 Pick(__m128 a, __m128 b, __m128 aWins)
{
    const __m128 keepA = _mm_or_ps(aWins, _mm_cmpunord_ps(b, b));
    return _mm_or_ps(_mm_and_ps(keepA, a), _mm_andnot_ps(keepA, b));
}

} // namespace axisbox

inline void AxisBox::Extend(const AxisBox& other)
{
    using rowextremes::LoadTriple;
    using rowextremes::StoreTriple;
    const __m128 lo = LoadTriple(minimum), otherLo = LoadTriple(other.minimum);
    const __m128 hi = LoadTriple(maximum), otherHi = LoadTriple(other.maximum);
    StoreTriple(axisbox::Pick(lo, otherLo, _mm_cmplt_ps(lo, otherLo)), minimum);
    StoreTriple(axisbox::Pick(hi, otherHi, _mm_cmpgt_ps(hi, otherHi)), maximum);
}

inline void AxisBox::Recompute()
{
    // Lane by lane the same sums and halvings as on the triples.
    using rowextremes::LoadTriple;
    using rowextremes::StoreTriple;
    const __m128 lo = LoadTriple(minimum), hi = LoadTriple(maximum);
    const __m128 half = _mm_set1_ps(0.5f);
    StoreTriple(_mm_mul_ps(_mm_add_ps(lo, hi), half), centre);
    StoreTriple(_mm_mul_ps(_mm_sub_ps(hi, lo), half), halfSize);
}

#endif

inline void AxisBox::SetFromBoxes(const std::vector<CPBoundingBox>& boxes)
{
    // Most parts of a moved object have no boxes of their own.
    if (!boxes.empty()) {
        SetFromBoxList(boxes);
        return;
    }
    minimum = {kEmptyExtreme, kEmptyExtreme, kEmptyExtreme};
    maximum = {-kEmptyExtreme, -kEmptyExtreme, -kEmptyExtreme};
}

inline void AxisBox::Merge(const AxisBox& other)
{
    Extend(other);
    Recompute();
}

inline bool AxisBox::IsEmpty() const
{
    return minimum.x > maximum.x || minimum.y > maximum.y || minimum.z > maximum.z;
}

inline bool AxisBox::AddShadow()
{
#if defined(__SSE2__)
    // The images of the box's corners under a matrix that keeps w the same
    // at every point (a light at infinity), from the per-axis extremes
    // (FiniteShadowLaneExtremes): a division by the shared w keeps their
    // order, so the result is the one corner by corner gives to the bit.
    using rowextremes::LoadTriple;
    using rowextremes::StoreTriple;
    const __m128 lo = LoadTriple(minimum), hi = LoadTriple(maximum);
    if (_mm_movemask_ps(_mm_cmpgt_ps(lo, hi)) & 7)
        return false; // empty
    const ShadowState& state = GetShadowState();
    __m128 smallest, largest;
    if (state.sharedW && FiniteShadowLaneExtremes(lo, hi, state.matrix, smallest, largest)) {
        // Neither side is a NaN here, where FloatMin and FloatMax are the
        // processor's minimum and maximum with the box's own extreme first.
        StoreTriple(_mm_min_ps(lo, smallest), minimum);
        StoreTriple(_mm_max_ps(hi, largest), maximum);
        return true;
    }
#endif
    return AddShadowByCorners();
}
