#pragma once

#include "platform/MathTypes.h"

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
    // faces follow from the same placement.
    void Transform();

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

    bool IsInside(const Vector3& point) const;
    bool FaceContains(int face, const Vector3& point) const;
};
