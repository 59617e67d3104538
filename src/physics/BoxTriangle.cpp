#include "physics/BoxTriangle.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// An edge axis must beat the best face axis by this much (metres) to be
// taken: near a tie, a face normal gives steadier contacts.
constexpr float kEdgeBias = 1e-3f;

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

} // namespace

bool PhCollideBoxTriangle(const btBoxShape& box, const btTransform& boxTransform, const btVector3 corners[3],
                          float threshold, PhClipScratch& scratch,
                          btDiscreteCollisionDetectorInterface::Result& result)
{
    const btConvexPolyhedron* hull = box.getConvexPolyhedron();
    if (!hull)
        return false;
    const btVector3 e = box.getHalfExtentsWithMargin();
    btVector3 q[3];
    for (int k = 0; k < 3; ++k)
        q[k] = boxTransform.invXform(corners[k]);
    const btVector3 edges[3] = {q[1] - q[0], q[2] - q[1], q[0] - q[2]};
    const btVector3 face = edges[0].cross(edges[1]);
    if (!(face.length2() > 1e-24f))
        return false;

    // The triangle's plane first, so that it wins ties with the box's faces.
    Axis best = Along(face.normalized(), e, q);
    if (best.separation > threshold)
        return false;
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

    const btVector3 normal = boxTransform.getBasis() * best.normal;
    scratch.in.resize(0);
    scratch.out.resize(0);
    for (int k = 0; k < 3; ++k)
        scratch.in.push_back(corners[k]);
    btPolyhedralContactClipping::clipFaceAgainstHull(normal, *hull, boxTransform, scratch.in, scratch.out,
                                                     -BT_LARGE_FLOAT, threshold, result);
    return true;
}
