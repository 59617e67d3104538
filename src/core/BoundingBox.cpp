#include "core/BoundingBox.h"

#include "core/StringUtils.h"
#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"

namespace {

constexpr float kMinHalfExtent = 0.001f;

// Corners of each face in order round it; the first three give its plane.
constexpr int kFaceCorners[6][4] = {
    {0, 1, 2, 3}, {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}, {0, 4, 5, 1}, {5, 4, 7, 6},
};

// Sign of each half extent per corner.
constexpr float kCornerSigns[8][3] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1},
};

} // namespace

CPBoundingBox::CPBoundingBox(const Vector3& centre, const Vector3& halfExtents)
    : centre(centre), halfExtents(halfExtents), orientation(IdentityMatrix()), minimum(centre - halfExtents),
      maximum(centre + halfExtents), worldMatrix(IdentityMatrix()), localMatrix(IdentityMatrix())
{
}

void CPBoundingBox::Transform()
{
    if (halfExtents.x < kMinHalfExtent)
        halfExtents.x = kMinHalfExtent;
    if (halfExtents.y < kMinHalfExtent)
        halfExtents.y = kMinHalfExtent;
    if (halfExtents.z < kMinHalfExtent)
        halfExtents.z = kMinHalfExtent;

    for (int i = 0; i < 8; ++i) {
        const Vector3 local{centre.x + kCornerSigns[i][0] * halfExtents.x,
                            centre.y + kCornerSigns[i][1] * halfExtents.y,
                            centre.z + kCornerSigns[i][2] * halfExtents.z};
        corners[i] = TransformPoint(local, worldMatrix);
    }

    for (int f = 0; f < 6; ++f) {
        const Vector3& a = corners[kFaceCorners[f][0]];
        const Vector3& b = corners[kFaceCorners[f][1]];
        const Vector3& c = corners[kFaceCorners[f][2]];
        const Vector3 n = Cross(c - a, b - a);
        faces[f] = {n.x, n.y, n.z, -Dot(n, a)};
    }

    minimum = maximum = corners[0];
    for (int i = 1; i < 8; ++i) {
        minimum = ComponentMin(minimum, corners[i]);
        maximum = ComponentMax(maximum, corners[i]);
    }
}

bool CPBoundingBox::IsInside(const Vector3& point) const
{
    for (const Plane& face : faces)
        if (!(DotCoord(face, point) < 0.0f))
            return false;
    return true;
}

bool CPBoundingBox::FaceContains(int face, const Vector3& point) const
{
    const Vector3& a = corners[kFaceCorners[face][0]];
    const Vector3& b = corners[kFaceCorners[face][1]];
    const Vector3& c = corners[kFaceCorners[face][2]];
    const Vector3& d = corners[kFaceCorners[face][3]];
    return IsPointInTriangle(point, a, b, c) || IsPointInTriangle(point, a, c, d);
}

bool CPBoundingBox::IntersectRay(const Vector3& origin, const Vector3& direction, float& nearest,
                                 Plane& hitFace) const
{
    if (IsInside(origin)) {
        nearest = 0.0f;
        return true;
    }
    bool hit = false;
    for (int f = 0; f < 6; ++f) {
        const Plane& face = faces[f];
        const float approach = DotNormal(face, direction);
        if (!(approach < 0.0f))
            continue; // leaving through this face, or running along it
        const float t = -DotCoord(face, origin) / approach;
        if (!(t < nearest) || t < 0.0f)
            continue;
        if (!FaceContains(f, origin + direction * t))
            continue;
        hitFace = face;
        nearest = t;
        hit = true;
    }
    return hit;
}
