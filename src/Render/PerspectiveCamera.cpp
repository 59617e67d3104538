#include "Render/PerspectiveCamera.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Render/RenderSettings.h"
#include "platform/Math.h"

namespace {

// Corner i of the clip volume: bit 0 picks x = 1, bit 1 y = 1, bit 2 the
// far plane (z = 1).
Vector3 ClipCorner(int i) { return {(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : 0.0f}; }

// The planes in the order the box test takes them: the sides first, which
// turn away most of what lies out of view.
constexpr int kRowOrder[CPPerspectiveCamera::kPlaneCount] = {
    CPPerspectiveCamera::kLeft, CPPerspectiveCamera::kRight, CPPerspectiveCamera::kBottom,
    CPPerspectiveCamera::kTop,  CPPerspectiveCamera::kNear,  CPPerspectiveCamera::kFar};

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
        OrientationChanged();
    }
    if (projectionChanged) {
        const float aspect = static_cast<float>(GetScreenWidth()) / static_cast<float>(GetScreenHeight());
        // A lens that settled is flagged every frame with the same values:
        // the matrices of the same four numbers are the same.
        const float lens[4] = {m_fieldOfView, aspect, m_near, m_far};
        if (!m_projectionMade || std::memcmp(lens, m_projectionLens, sizeof lens) != 0) {
            m_projection = PerspectiveMatrixLH(m_fieldOfView, aspect, m_near, m_far);
            m_farProjection = PerspectiveMatrixLH(m_fieldOfView, aspect, m_near, 1000.0f);
            std::memcpy(m_projectionLens, lens, sizeof lens);
            m_projectionMade = true;
        }
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
        const Plane& plane = m_planes[kRowOrder[p]];
        const float components[3] = {plane.a, plane.b, plane.c};
        m_planeRows[0][p] = plane.a;
        m_planeRows[1][p] = plane.b;
        m_planeRows[2][p] = plane.c;
        m_planeRows[3][p] = plane.d;
        for (int axis = 0; axis < 3; ++axis) {
            const std::uint32_t mask = components[axis] < 0.0f ? 0xFFFFFFFFu : 0u;
            std::memcpy(&m_planeRows[4 + axis][p], &mask, sizeof mask);
        }
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

// The sides of the furthest corners for four planes of the rows from
// `first`: where a normal's component is negative the box's low end, else
// its high end, as Furthest picks for a box whose low ends are not above
// its high ones. Summed in DotCoord's order, so each lane rounds as it does.
// Bits of the planes whose side is not above zero and a number. Inlined:
// every culled box takes it twice, and a call costs as much as the test.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int
OutsideLanes(const float (&rows)[7][8], int first, __m128 lowX, __m128 lowY, __m128 lowZ, __m128 highX,
             __m128 highY, __m128 highZ, int& inside)
{
    const auto pick = [&rows, first](int row, __m128 low, __m128 high) {
        const __m128 negative = _mm_loadu_ps(rows[row] + first);
        return _mm_or_ps(_mm_and_ps(negative, low), _mm_andnot_ps(negative, high));
    };
    const __m128 x = pick(4, lowX, highX);
    const __m128 y = pick(5, lowY, highY);
    const __m128 z = pick(6, lowZ, highZ);
    const __m128 a = _mm_loadu_ps(rows[0] + first);
    const __m128 b = _mm_loadu_ps(rows[1] + first);
    const __m128 c = _mm_loadu_ps(rows[2] + first);
    const __m128 d = _mm_loadu_ps(rows[3] + first);
    const __m128 side =
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(a, x), _mm_mul_ps(b, y)), _mm_mul_ps(c, z)), d);
    inside = _mm_movemask_ps(_mm_cmpgt_ps(side, _mm_setzero_ps()));
    return _mm_movemask_ps(_mm_cmple_ps(side, _mm_setzero_ps()));
}

#endif

} // namespace

bool CPPerspectiveCamera::IsBoxVisible(const Vector3& minimum, const Vector3& maximum) const
{
#if defined(__SSE2__)
    // Four planes, then the other two; only a box with an end above the
    // other or not a number, or a side that is not a number, goes to the
    // plane by plane test below.
    if (minimum.x <= maximum.x && minimum.y <= maximum.y && minimum.z <= maximum.z) {
        const __m128 lowX = _mm_set1_ps(minimum.x), lowY = _mm_set1_ps(minimum.y),
                     lowZ = _mm_set1_ps(minimum.z);
        const __m128 highX = _mm_set1_ps(maximum.x), highY = _mm_set1_ps(maximum.y),
                     highZ = _mm_set1_ps(maximum.z);
        int inside = 0, insideRest = 0;
        if (OutsideLanes(m_planeRows, 0, lowX, lowY, lowZ, highX, highY, highZ, inside) != 0)
            return false;
        if ((OutsideLanes(m_planeRows, 4, lowX, lowY, lowZ, highX, highY, highZ, insideRest) & 3) != 0)
            return false;
        if (inside == 15 && (insideRest & 3) == 3)
            return true;
    }
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
