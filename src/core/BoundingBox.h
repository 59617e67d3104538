#pragma once

#include <cmath>

#include "platform/MathTypes.h"
#include "platform/RowExtremes.h"

// An oriented box: a centre and half extents in the box's own space,
// carried into the world by its world matrix. Transform computes the
// world-aligned extremes; the eight world corners and the six face planes
// (normals pointing out of the box for a matrix without mirroring) follow
// from the placement Transform saw when first asked for, since every moved
// object's boxes are transformed each frame and only a few of them are ever
// hit by a ray. IntersectRay tests a ray against those faces.
//
// Corners are numbered 0-3 round the low-z face (x-y-, x+y-, x+y+, x-y+)
// and 4-7 the same round the high-z face.
class CPBoundingBox {
  public:
    explicit CPBoundingBox(const Vector3& centre = {}, const Vector3& halfExtents = {});
    virtual ~CPBoundingBox() = default;
    CPBoundingBox(const CPBoundingBox&) = default;
    CPBoundingBox& operator=(const CPBoundingBox&) = default;

    // Raises half extents below 0.001 to 0.001 (so a flat part keeps some
    // thickness), then recomputes minimum and maximum; the corners and the
    // faces follow from the same placement. True when the extremes came
    // from the per-axis sums of an affine placement, every product finite.
    bool Transform();

    // Whether the inner box, in the same space, lies within this one on
    // every axis, both with their half extents raised as Transform raises
    // them and every extreme finite.
    bool Encloses(const CPBoundingBox& inner) const;

    // The eight world corners as of the last Transform.
    const Vector3* Corners() const;
    // The six face planes of the corners, in the order of the corner
    // numbering's faces: low z, +x, +y, -x, -y, high z.
    const Plane* Faces() const;

    // Tests the ray origin + t * direction against the faces. An origin
    // inside the box is a hit at t = 0. Otherwise the nearest face the ray
    // enters at 0 <= t < nearest is a hit: nearest is lowered to t and the
    // face's plane is stored in hitFace. Faces the ray leaves through or runs
    // along are skipped. Returns whether anything was hit.
    bool IntersectRay(const Vector3& origin, const Vector3& direction, float& nearest, Plane& hitFace) const;

    Vector3 centre;
    Vector3 halfExtents;
    Matrix4 orientation; // kept and copied; Transform does not read it
    Vector3 minimum;
    Vector3 maximum;
    Matrix4 worldMatrix;
    // Placement within the owning object; owners set worldMatrix =
    // localMatrix * the object's world matrix before Transform.
    Matrix4 localMatrix;

  private:
    // What the last Transform placed, for the corners made from it later.
    Vector3 m_placedCentre;
    Vector3 m_placedHalfExtents;
    Matrix4 m_placedMatrix;
    mutable Vector3 m_corners[8];
    mutable Plane m_faces[6];
    // An untransformed box has zero corners and faces.
    mutable bool m_cornersMade = true;
    mutable bool m_facesMade = true;

    // Minimum and maximum from the corners, where the per-axis extremes
    // could differ from them.
    void TakeCornerExtremes();
    bool IsInside(const Vector3& point) const;
    bool FaceContains(int face, const Vector3& point) const;
};

namespace boundingbox {

constexpr float kMinHalfExtent = 0.001f;

// The extremes of the corners of an affine placement (w stays 1 at every
// corner), found per axis without the corners (RowExtremes). False where
// that value could differ in its bits from the one corner by corner gives:
// a zero, whose sign depends on which corner ties, or anything not finite.
inline bool AffineExtremes(const Vector3& centre, const Vector3& halfExtents, const Matrix4& m, Vector3& low,
                           Vector3& high)
{
    if (m.m[0][3] != 0.0f || m.m[1][3] != 0.0f || m.m[2][3] != 0.0f || m.m[3][3] != 1.0f)
        return false;
#if defined(__SSE2__)
    // The centre and half extents go straight into lanes (each read runs
    // one float into the member after it, which no lane written back holds).
    const __m128 c = rowextremes::LoadTriple(centre), h = rowextremes::LoadTriple(halfExtents);
    __m128 sumLow, sumHigh;
    if (!AffineLaneExtremes(_mm_sub_ps(c, h), _mm_add_ps(c, h), m, sumLow, sumHigh))
        return false;
    rowextremes::StoreTriple(sumLow, low);
    rowextremes::StoreTriple(sumHigh, high);
    return true;
#else
    const float lo[3] = {centre.x - halfExtents.x, centre.y - halfExtents.y, centre.z - halfExtents.z};
    const float hi[3] = {centre.x + halfExtents.x, centre.y + halfExtents.y, centre.z + halfExtents.z};
    return AffineRowExtremes(lo, hi, m, low, high);
#endif
}

} // namespace boundingbox

// Inlined: every moved object's boxes are transformed each frame.
inline bool CPBoundingBox::Transform()
{
    using boundingbox::kMinHalfExtent;
    if (halfExtents.x < kMinHalfExtent)
        halfExtents.x = kMinHalfExtent;
    if (halfExtents.y < kMinHalfExtent)
        halfExtents.y = kMinHalfExtent;
    if (halfExtents.z < kMinHalfExtent)
        halfExtents.z = kMinHalfExtent;

    m_placedCentre = centre;
    m_placedHalfExtents = halfExtents;
    m_placedMatrix = worldMatrix;
    m_cornersMade = false;
    m_facesMade = false;
    if (boundingbox::AffineExtremes(centre, halfExtents, worldMatrix, minimum, maximum))
        return true;
    TakeCornerExtremes();
    return false;
}

inline bool CPBoundingBox::Encloses(const CPBoundingBox& inner) const
{
#if defined(__SSE2__)
    using rowextremes::LoadTriple;
    // The raised half extents as Transform makes them: the larger of the
    // floor and the extent, a NaN extent kept.
    const __m128 floor = _mm_set1_ps(boundingbox::kMinHalfExtent);
    const __m128 c = LoadTriple(centre), h = _mm_max_ps(floor, LoadTriple(halfExtents));
    const __m128 ic = LoadTriple(inner.centre), ih = _mm_max_ps(floor, LoadTriple(inner.halfExtents));
    const __m128 lo = _mm_sub_ps(c, h), hi = _mm_add_ps(c, h);
    const __m128 innerLo = _mm_sub_ps(ic, ih), innerHi = _mm_add_ps(ic, ih);
    __m128 ok = _mm_and_ps(_mm_cmple_ps(lo, innerLo), _mm_cmple_ps(innerHi, hi));
    ok = _mm_and_ps(ok, _mm_and_ps(rowextremes::IsFinite(lo), rowextremes::IsFinite(hi)));
    return (_mm_movemask_ps(ok) & 7) == 7;
#else
    auto raised = [](float v) { return v < boundingbox::kMinHalfExtent ? boundingbox::kMinHalfExtent : v; };
    const float c[3] = {centre.x, centre.y, centre.z}, h[3] = {halfExtents.x, halfExtents.y, halfExtents.z};
    const float ic[3] = {inner.centre.x, inner.centre.y, inner.centre.z};
    const float ih[3] = {inner.halfExtents.x, inner.halfExtents.y, inner.halfExtents.z};
    for (int a = 0; a < 3; ++a) {
        const float lo = c[a] - raised(h[a]), hi = c[a] + raised(h[a]);
        const float innerLo = ic[a] - raised(ih[a]), innerHi = ic[a] + raised(ih[a]);
        if (!(lo <= innerLo && innerHi <= hi) || !std::isfinite(lo) || !std::isfinite(hi))
            return false;
    }
    return true;
#endif
}
