#pragma once

#include <vector>

#include "platform/MathTypes.h"

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
    // images are skipped; an empty box casts no shadow.
    void AddShadow();

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
};
