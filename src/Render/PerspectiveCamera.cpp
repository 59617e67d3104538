#include "Render/PerspectiveCamera.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    for (int p = 0; p < kPlaneCount; ++p) {
        m_planeRows[0][p] = m_planes[p].a;
        m_planeRows[1][p] = m_planes[p].b;
        m_planeRows[2][p] = m_planes[p].c;
        m_planeRows[3][p] = m_planes[p].d;
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

#if defined(__SSE2__)

// Of the box's two ends on one axis, per plane, the one Furthest picks.
__m128 FurthestLanes(__m128 components, __m128 first, __m128 second, __m128 firstBelowSecond)
{
    const __m128 negative = _mm_cmplt_ps(components, _mm_setzero_ps());
    // Where the two tests agree the first end is taken.
    const __m128 takeSecond = _mm_xor_ps(negative, firstBelowSecond);
    return _mm_or_ps(_mm_and_ps(takeSecond, second), _mm_andnot_ps(takeSecond, first));
}

// Per plane of a row of four, bit set where the furthest corner's side is
// above zero (`inside`) or not above it and a number (`outside`); the
// sums are taken in DotCoord's order, so each lane rounds as it does.
void FurthestSides(const float (&rows)[4][8], int offset, const Vector3& minimum, const Vector3& maximum,
                   int& inside, int& outside)
{
    const auto below = [](float first, float second) {
        return _mm_castsi128_ps(_mm_set1_epi32(first < second ? -1 : 0));
    };
    const __m128 a = _mm_loadu_ps(rows[0] + offset);
    const __m128 b = _mm_loadu_ps(rows[1] + offset);
    const __m128 c = _mm_loadu_ps(rows[2] + offset);
    const __m128 d = _mm_loadu_ps(rows[3] + offset);
    const __m128 x =
        FurthestLanes(a, _mm_set1_ps(minimum.x), _mm_set1_ps(maximum.x), below(minimum.x, maximum.x));
    const __m128 y =
        FurthestLanes(b, _mm_set1_ps(minimum.y), _mm_set1_ps(maximum.y), below(minimum.y, maximum.y));
    const __m128 z =
        FurthestLanes(c, _mm_set1_ps(minimum.z), _mm_set1_ps(maximum.z), below(minimum.z, maximum.z));
    const __m128 side =
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(a, x), _mm_mul_ps(b, y)), _mm_mul_ps(c, z)), d);
    inside = _mm_movemask_ps(_mm_cmpgt_ps(side, _mm_setzero_ps()));
    outside = _mm_movemask_ps(_mm_cmple_ps(side, _mm_setzero_ps()));
}

#endif

} // namespace

bool CPPerspectiveCamera::IsBoxVisible(const Vector3& minimum, const Vector3& maximum) const
{
#if defined(__SSE2__)
    // The six planes four at a time; only a side that is not a number
    // sends the box to the test below.
    int inside = 0, outside = 0, insideHigh = 0, outsideHigh = 0;
    FurthestSides(m_planeRows, 0, minimum, maximum, inside, outside);
    FurthestSides(m_planeRows, 4, minimum, maximum, insideHigh, outsideHigh);
    inside |= (insideHigh & 3) << 4;
    outside |= (outsideHigh & 3) << 4;
    if (outside != 0)
        return false;
    if (inside == (1 << kPlaneCount) - 1)
        return true;
#endif
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
