#include "Render/PerspectiveCamera.h"

#include <cmath>

#include "Render/RenderSettings.h"
#include "platform/Math.h"

namespace {

// Corner i of the clip volume: bit 0 picks x = 1, bit 1 y = 1, bit 2 the
// far plane (z = 1).
Vector3 ClipCorner(int i) { return {(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : 0.0f}; }

// Three corners of each face, in the order of PlaneIndex.
constexpr int kFaceCorners[CPPerspectiveCamera::kPlaneCount][3] = {
    {0, 1, 2}, // near
    {4, 6, 5}, // far
    {0, 2, 4}, // left
    {1, 5, 3}, // right
    {0, 4, 1}, // bottom
    {2, 3, 6}, // top
};

} // namespace

Plane PlaneFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3)
{
    const Vector3 n = Cross(p2 - p1, p3 - p1);
    return {n.x, n.y, n.z, -Dot(n, p1)};
}

void CPPerspectiveCamera::Update()
{
    const bool viewChanged = m_viewChanged != 0;
    const bool projectionChanged = m_projectionChanged != 0;
    if (viewChanged) {
        m_view = LookAtMatrixLH(m_eye, m_target, m_up);
        m_viewChanged = 0;
        Invert(m_view, m_inverseView);
        const Vector3 direction = Normalize(m_target - m_eye);
        m_orientationView = LookAtMatrixLH(Vector3{}, direction, m_up);
        Invert(m_orientationView, m_inverseOrientationView);
    }
    if (projectionChanged) {
        const float aspect = static_cast<float>(GetScreenWidth()) / static_cast<float>(GetScreenHeight());
        m_projection = PerspectiveMatrixLH(m_fieldOfView, aspect, m_near, m_far);
        m_farProjection = PerspectiveMatrixLH(m_fieldOfView, aspect, m_near, 1000.0f);
        m_projectionChanged = 0;
    }
    if (!viewChanged && !projectionChanged)
        return;
    m_viewProjection = m_view * m_projection;
    m_skyViewProjection = m_orientationView * m_farProjection;
    Invert(m_viewProjection, m_inverseViewProjection);
    UpdatePlanes();
}

void CPPerspectiveCamera::UpdatePlanes()
{
    Vector3 corners[8];
    Vector3 centre;
    for (int i = 0; i < 8; ++i) {
        corners[i] = TransformPoint(ClipCorner(i), m_inverseViewProjection);
        centre += corners[i] * 0.125f;
    }
    for (int p = 0; p < kPlaneCount; ++p) {
        const int* c = kFaceCorners[p];
        Plane plane = PlaneFromPoints(corners[c[0]], corners[c[1]], corners[c[2]]);
        // The corner order gives inward normals for a proper view and
        // projection; a mirrored one turns them, so the centre decides.
        if (DotCoord(plane, centre) < 0.0f)
            plane = {-plane.a, -plane.b, -plane.c, -plane.d};
        m_planes[p] = plane;
    }
}

namespace {

// Whether a corner of the box lies on the plane's inner side, corner by
// corner.
bool AnyCornerInside(const Plane& plane, const Vector3& minimum, const Vector3& maximum)
{
    for (int i = 0; i < 8; ++i) {
        const Vector3 corner{(i & 1) ? maximum.x : minimum.x, (i & 2) ? maximum.y : minimum.y,
                             (i & 4) ? maximum.z : minimum.z};
        if (DotCoord(plane, corner) > 0.0f)
            return true;
    }
    return false;
}

// Of two coordinates, the one whose product with the normal's component is
// the larger: the smaller one for a negative component. Either order of the
// box's two ends will do.
float Furthest(float component, float first, float second)
{
    return (component < 0.0f) == (first < second) ? first : second;
}

} // namespace

bool CPPerspectiveCamera::IsBoxVisible(const Vector3& minimum, const Vector3& maximum) const
{
    for (const Plane& plane : m_planes) {
        // The corner that lies furthest along the plane's normal: rounded
        // products and sums never decrease when a term grows, so no corner
        // gives more. Above zero, it is a corner inside; not above, none
        // is. A NaN says nothing, and the corners are asked one by one.
        const Vector3 furthest{Furthest(plane.a, minimum.x, maximum.x),
                               Furthest(plane.b, minimum.y, maximum.y),
                               Furthest(plane.c, minimum.z, maximum.z)};
        const float side = DotCoord(plane, furthest);
        if (side > 0.0f)
            continue;
        if (!std::isnan(side) || !AnyCornerInside(plane, minimum, maximum))
            return false;
    }
    return true;
}
