#pragma once

#include "platform/MathTypes.h"

// An oriented box: a centre and half extents in the box's own space,
// carried into the world by its world matrix. Transform computes the eight
// world corners, the six face planes (normals pointing out of the box for a
// matrix without mirroring) and the world-aligned extremes; IntersectRay
// tests a ray against those faces.
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
    // thickness), then recomputes corners, faces, minimum and maximum.
    void Transform();

    // Tests the ray origin + t * direction against the faces. An origin
    // inside the box is a hit at t = 0. Otherwise the nearest face the ray
    // enters at 0 <= t < nearest is a hit: nearest is lowered to t and the
    // face's plane is stored in hitFace. Faces the ray leaves through or runs
    // along are skipped. Returns whether anything was hit.
    bool IntersectRay(const Vector3& origin, const Vector3& direction, float& nearest, Plane& hitFace) const;

    Vector3 centre;
    Vector3 halfExtents;
    Matrix4 orientation; // kept and copied; Transform does not read it
    Vector3 corners[8];
    Plane faces[6];
    Vector3 minimum;
    Vector3 maximum;
    Matrix4 worldMatrix;
    // Placement within the owning object; owners set worldMatrix =
    // localMatrix * the object's world matrix before Transform.
    Matrix4 localMatrix;

  private:
    bool IsInside(const Vector3& point) const;
    bool FaceContains(int face, const Vector3& point) const;
};
