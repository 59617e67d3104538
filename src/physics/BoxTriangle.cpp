#include "physics/BoxTriangle.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// An edge axis must beat the best face axis by this much (metres) to be
// taken: near a tie, a face normal gives steadier contacts.
constexpr float kEdgeBias = 1e-3f;
// The triangle's own normal is taken when the box reaches less than this
// (metres) into its plane, or when no other axis beats it by as much. The
// edges between the ground's triangles are not edges of the ground: a box
// sliding over them, a little beside the next triangle or a sliver past its
// edge, is held up out of the ground and not stopped or pushed sideways
// against the edge (it would trip over it). The cut then leaves no point
// of a triangle the box does not stand over yet.
constexpr float kPlaneBias = 0.02f;

struct Axis {
    btVector3 normal; // box-local, from the triangle towards the box
    float separation = -FLT_MAX;
};

// The separation of the box (centred at the origin, half sizes e) and the
// triangle q along the unit axis l, and the normal that goes with it.
Axis Along(const btVector3& l, const btVector3& e, const btVector3 q[3])
{
    const float r = e.x() * std::fabs(l.x()) + e.y() * std::fabs(l.y()) + e.z() * std::fabs(l.z());
    const float p0 = q[0].dot(l), p1 = q[1].dot(l), p2 = q[2].dot(l);
    const float low = std::min(p0, std::min(p1, p2)), high = std::max(p0, std::max(p1, p2));
    Axis axis;
    // The triangle past the box's far side along l: the normal points back.
    if (low - r > -r - high) {
        axis.separation = low - r;
        axis.normal = -l;
    } else {
        axis.separation = -r - high;
        axis.normal = l;
    }
    return axis;
}

// A polygon of the clipping: the triangle, with a corner more for each side
// of the box face it is cut by.
struct Polygon {
    btVector3 p[8];
    int count = 0;
};

// The part of polygon in on the side of the plane x[axis] = side * limit
// towards the box's centre.
void ClipBy(const Polygon& in, int axis, float side, float limit, Polygon& out)
{
    out.count = 0;
    for (int i = 0; i < in.count; ++i) {
        const btVector3& a = in.p[i];
        const btVector3& b = in.p[(i + 1) % in.count];
        const float da = side * a[axis] - limit, db = side * b[axis] - limit;
        if (da <= 0.0f && out.count < 8)
            out.p[out.count++] = a;
        if (((da < 0.0f && db > 0.0f) || (da > 0.0f && db < 0.0f)) && out.count < 8)
            out.p[out.count++] = a + (b - a) * (da / (da - db));
    }
}

// The triangle (box-local corners q) cut by the four sides of the box face
// that looks towards it, against the normal; each corner left becomes a
// point, as deep as it lies inside that face.
void Clip(const btBoxShape& box, const btTransform& boxTransform, const btVector3 q[3],
          const btVector3& normal, float threshold, btDiscreteCollisionDetectorInterface::Result& result)
{
    const btVector3 e = box.getHalfExtentsWithMargin();
    const int axis = normal.closestAxis();
    const float side = normal[axis] > 0.0f ? -1.0f : 1.0f;
    Polygon polygons[2];
    Polygon* in = &polygons[0];
    Polygon* out = &polygons[1];
    in->count = 3;
    for (int k = 0; k < 3; ++k)
        in->p[k] = q[k];
    for (int other = 1; other <= 2; ++other) {
        const int j = (axis + other) % 3;
        for (float s : {1.0f, -1.0f}) {
            ClipBy(*in, j, s, e[j], *out);
            std::swap(in, out);
        }
    }
    const btVector3 worldNormal = boxTransform.getBasis() * normal;
    for (int i = 0; i < in->count; ++i) {
        const float depth = side * in->p[i][axis] - e[axis];
        if (depth <= threshold)
            result.addContactPoint(worldNormal, boxTransform(in->p[i]), depth);
    }
}

} // namespace

bool PhCollideBoxTriangle(const btBoxShape& box, const btTransform& boxTransform, const btVector3 corners[3],
                          float threshold, btDiscreteCollisionDetectorInterface::Result& result)
{
    const btVector3 e = box.getHalfExtentsWithMargin();
    btVector3 q[3];
    for (int k = 0; k < 3; ++k)
        q[k] = boxTransform.invXform(corners[k]);
    const btVector3 edges[3] = {q[1] - q[0], q[2] - q[1], q[0] - q[2]};
    const btVector3 face = edges[0].cross(edges[1]);
    if (!(face.length2() > 1e-24f))
        return false;

    // The triangle's plane first, so that it wins ties with the box's faces.
    const Axis plane = Along(face.normalized(), e, q);
    if (plane.separation > threshold)
        return false;
    Axis best = plane;
    for (int i = 0; i < 3; ++i) {
        btVector3 l(0, 0, 0);
        l[i] = 1.0f;
        const Axis axis = Along(l, e, q);
        if (axis.separation > threshold)
            return false;
        if (axis.separation > best.separation)
            best = axis;
    }
    const float faceBest = best.separation;
    for (int i = 0; i < 3; ++i) {
        for (const btVector3& edge : edges) {
            // The unit axis times the edge: (0, -ez, ey), (ez, 0, -ex), (-ey, ex, 0).
            btVector3 l = i == 0   ? btVector3(0, -edge.z(), edge.y())
                          : i == 1 ? btVector3(edge.z(), 0, -edge.x())
                                   : btVector3(-edge.y(), edge.x(), 0);
            const float length2 = l.length2();
            if (!(length2 > 1e-12f * edge.length2()))
                continue; // the edge along the box's axis
            l /= std::sqrt(length2);
            const Axis axis = Along(l, e, q);
            if (axis.separation > threshold)
                return false;
            if (axis.separation > best.separation && axis.separation > faceBest + kEdgeBias)
                best = axis;
        }
    }

    if ((plane.separation >= -kPlaneBias || plane.separation >= best.separation - kPlaneBias))
        best = plane;
    Clip(box, boxTransform, q, best.normal, threshold, result);
    return true;
}
