#include "core/BoundingBox.h"

#include <algorithm>
#include <cmath>

#include "core/StringUtils.h"
#include "platform/MatrixMath.h"
#include "platform/RowExtremes.h"
#include "platform/VectorMath.h"

namespace {

// Corners of each face in order round it; the first three give its plane.
constexpr int kFaceCorners[6][4] = {
    {0, 1, 2, 3}, {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}, {0, 4, 5, 1}, {5, 4, 7, 6},
};

// Sign of each half extent per corner.
constexpr float kCornerSigns[8][3] = {
    {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1},
};

// The terms of one corner's transform: each local coordinate, low (0) or
// high (1), times one matrix row.
struct CornerTerms {
    float term[3][2][4]; // [row][low/high][output column]
};

void TransformCorners(const Vector3& centre, const Vector3& halfExtents, const Matrix4& worldMatrix,
                      Vector3 (&corners)[8])
{
    // Each corner is [local 1] times the world matrix, as TransformPoint
    // does it, summed in the same order; the corners share their products,
    // so each is taken once. A matrix that keeps w at 1 (every placement)
    // needs no division.
    const float low[3] = {centre.x - halfExtents.x, centre.y - halfExtents.y, centre.z - halfExtents.z};
    const float high[3] = {centre.x + halfExtents.x, centre.y + halfExtents.y, centre.z + halfExtents.z};
    CornerTerms t;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) {
            t.term[row][0][column] = low[row] * worldMatrix.m[row][column];
            t.term[row][1][column] = high[row] * worldMatrix.m[row][column];
        }
    }
    for (int i = 0; i < 8; ++i) {
        const int sx = kCornerSigns[i][0] > 0 ? 1 : 0;
        const int sy = kCornerSigns[i][1] > 0 ? 1 : 0;
        const int sz = kCornerSigns[i][2] > 0 ? 1 : 0;
        float h[4];
        for (int column = 0; column < 4; ++column)
            h[column] = t.term[0][sx][column] + t.term[1][sy][column] + t.term[2][sz][column] +
                        worldMatrix.m[3][column];
        if (h[3] == 1.0f || h[3] == 0.0f) {
            corners[i] = {h[0], h[1], h[2]};
            continue;
        }
        const float inv = 1.0f / h[3];
        corners[i] = {h[0] * inv, h[1] * inv, h[2] * inv};
    }
}

} // namespace

CPBoundingBox::CPBoundingBox(const Vector3& centre, const Vector3& halfExtents)
    : centre(centre), halfExtents(halfExtents), orientation(IdentityMatrix()), minimum(centre - halfExtents),
      maximum(centre + halfExtents), worldMatrix(IdentityMatrix()), localMatrix(IdentityMatrix())
{
}

void CPBoundingBox::TakeCornerExtremes()
{
    const Vector3* corners = Corners();
    minimum = maximum = corners[0];
    for (int i = 1; i < 8; ++i) {
        minimum = ComponentMin(minimum, corners[i]);
        maximum = ComponentMax(maximum, corners[i]);
    }
}

const Vector3* CPBoundingBox::Corners() const
{
    if (!m_cornersMade) {
        TransformCorners(m_placedCentre, m_placedHalfExtents, m_placedMatrix, m_corners);
        m_cornersMade = true;
    }
    return m_corners;
}

const Plane* CPBoundingBox::Faces() const
{
    if (m_facesMade)
        return m_faces;
    const Vector3* corners = Corners();
    for (int f = 0; f < 6; ++f) {
        const Vector3& a = corners[kFaceCorners[f][0]];
        const Vector3& b = corners[kFaceCorners[f][1]];
        const Vector3& c = corners[kFaceCorners[f][2]];
        const Vector3 n = Cross(c - a, b - a);
        m_faces[f] = {n.x, n.y, n.z, -Dot(n, a)};
    }
    m_facesMade = true;
    return m_faces;
}

bool CPBoundingBox::IsInside(const Vector3& point) const
{
    const Plane* faces = Faces();
    for (int f = 0; f < 6; ++f)
        if (!(DotCoord(faces[f], point) < 0.0f))
            return false;
    return true;
}

bool CPBoundingBox::FaceContains(int face, const Vector3& point) const
{
    const Vector3* corners = Corners();
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
    const Plane* faces = Faces();
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
