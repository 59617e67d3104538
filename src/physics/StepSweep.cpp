// Fast bodies: a body that would move further in a step than its
// geometries are thick sweeps a sphere inside each geometry along the
// step's motion against the terrain near it and the geometries of its
// pairs. When a sphere would meet something, the body only moves up to
// there this step; the contacts of the next step take it from there. The
// sphere sits inside the shape, so bodies resting or sliding on a surface
// never trigger it.

#include <algorithm>
#include <cmath>

#include <BulletCollision/NarrowPhaseCollision/btGjkConvexCast.h>
#include <BulletCollision/NarrowPhaseCollision/btVoronoiSimplexSolver.h>

#include "physics/Simulator.h"
#include "physics/StepWorld.h"

namespace {

// Metres beyond a sphere's radius that count as clear of a plane, well
// beyond what rounding moves a point.
constexpr float kPlaneSpare = 0.01f;

// The radius of a sphere well inside the geometry, around its centre.
float InnerRadius(const PhGeometry& geometry)
{
    constexpr float kInside = 0.9f;
    if (geometry.kind == kPhGeometryBox)
        return kInside * std::min({geometry.shape[0], geometry.shape[1], geometry.shape[2]});
    if (geometry.kind == kPhGeometryCylinder)
        return kInside * std::min(geometry.shape[0], geometry.shape[2]);
    if (geometry.kind == kPhGeometrySphere)
        return kInside * geometry.shape[0];
    return 0.0f;
}

// The fraction of the way from `from` to `to` at which the sphere meets the
// shape while moving into it; 1 when it does not.
float Sweep(const btSphereShape& sphere, const btVector3& from, const btVector3& to,
            const btConvexShape& shape, const btTransform& placed)
{
    btVoronoiSimplexSolver simplex;
    btGjkConvexCast cast(&sphere, &shape, &simplex);
    btConvexCast::CastResult result;
    result.m_fraction = 1.0f;
    const btTransform start(btMatrix3x3::getIdentity(), from);
    const btTransform end(btMatrix3x3::getIdentity(), to);
    if (!cast.calcTimeOfImpact(start, end, placed, placed, result))
        return 1.0f;
    if (!(result.m_fraction >= 0.0f && result.m_fraction < 1.0f))
        return 1.0f;
    // Only a surface the motion goes into stops it.
    if (result.m_normal.dot(to - from) >= 0.0f)
        return 1.0f;
    return result.m_fraction;
}

} // namespace

void PhStepWorld::SweepFastBodies(float h)
{
    for (Motion& motion : m_motions) {
        motion.sweep = 1.0f;
        const btVector3 travel = (motion.v + motion.vp) * h;
        const float distance = travel.length();
        if (!(distance > 0.0f))
            continue;
        PhRigidBody& body = *motion.body;
        for (const PhGeometry* g = body.geometries.head; g; g = g->next) {
            const float radius = InnerRadius(*g);
            // Slow enough that the sphere cannot pass a surface unseen.
            if (!(radius > 0.0f) || distance < radius)
                continue;
            const btSphereShape sphere(radius);
            const btVector3 from = PlacedTransform(body, *g).getOrigin();
            const btVector3 to = from + travel;
            btVector3 low = from, high = from;
            low.setMin(to);
            high.setMax(to);
            low -= btVector3(radius, radius, radius);
            high += btVector3(radius, radius, radius);
            for (int i = 0; i < motion.triangleCount; ++i) {
                const Triangle& triangle = m_terrain[static_cast<std::size_t>(TrianglesOf(motion)[i])];
                if (triangle.high.x() < low.x() || triangle.low.x() > high.x() ||
                    triangle.high.y() < low.y() || triangle.low.y() > high.y() ||
                    triangle.high.z() < low.z() || triangle.low.z() > high.z())
                    continue;
                // A sphere that stays clear of the triangle's plane all the
                // way, on one side of it, meets nothing in it.
                const float clear = radius + kPlaneSpare;
                const float d0 = (from - triangle.face.origin).dot(triangle.face.normal);
                const float d1 = (to - triangle.face.origin).dot(triangle.face.normal);
                if ((d0 > clear && d1 > clear) || (d0 < -clear && d1 < -clear))
                    continue;
                btTriangleShape shape(triangle.v[0], triangle.v[1], triangle.v[2]);
                shape.setMargin(0.0f);
                motion.sweep =
                    std::min(motion.sweep, Sweep(sphere, from, to, shape, btTransform::getIdentity()));
            }
            for (const Pair& pair : m_pairs) {
                const PhBody* other = pair.a == &body ? pair.b : (pair.b == &body ? pair.a : nullptr);
                if (!other)
                    continue;
                for (const PhGeometry* og = other->geometries.head; og; og = og->next) {
                    ShapeSlot* slot = Slot(*og);
                    if (!slot)
                        continue;
                    const btTransform placed = PlacedTransform(*other, *og);
                    btVector3 olow, ohigh;
                    slot->shape->getAabb(placed, olow, ohigh);
                    if (ohigh.x() < low.x() || olow.x() > high.x() || ohigh.y() < low.y() ||
                        olow.y() > high.y() || ohigh.z() < low.z() || olow.z() > high.z())
                        continue;
                    motion.sweep = std::min(
                        motion.sweep,
                        Sweep(sphere, from, to, static_cast<const btConvexShape&>(*slot->shape), placed));
                }
            }
        }
    }
}
