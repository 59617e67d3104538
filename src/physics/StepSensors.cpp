// Line sensors: each awake body's segments are cast, at the body's new
// place, against the terrain triangles near it and the geometries of the
// bodies it was paired with. The first surface met gives the depth (how much
// of the segment lies beyond it), its normal (facing the segment's start)
// and the point; a segment that meets nothing reports depth 0.

#include <algorithm>
#include <cmath>
#include <cstring>

#include <xmmintrin.h>

#include "physics/LaneMath.h"
#include "physics/PhysicsMath.h"
#include "physics/Simulator.h"
#include "physics/StepWorld.h"

namespace {

struct Hit {
    float t;
    btVector3 normal;
};

// The part of a segment's test against a triangle that depends on the
// segment's direction alone: a car's segments all run the same way, so it
// serves all of them. False when the direction runs along the triangle.
// The vectors' arithmetic is btVector3's, on lanes.
struct Facing {
    lanes::Lanes e1, e2, p;
    float inv;
};

// Both run for every triangle a segment reaches: kept inline, in registers.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool
FaceTriangle(lanes::Lanes d, const btVector3& v0, const btVector3& v1, const btVector3& v2, Facing& facing)
{
    using namespace lanes;
    const Lanes corner = Load4(&v0[0]);
    facing.e1 = _mm_sub_ps(Load4(&v1[0]), corner);
    facing.e2 = _mm_sub_ps(Load4(&v2[0]), corner);
    facing.p = Cross(d, facing.e2);
    const float det = Dot(facing.e1, facing.p);
    if (std::fabs(det) < 1e-12f)
        return false;
    facing.inv = 1.0f / det;
    return true;
}

// Both faces of the triangle count. True with a nearer hit in hitT and
// hitNormal. The triangle's own unit normal is the one the hit reports: the
// cross product of its edges, made once when the triangle was.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool
MeetTriangle(const btVector3& s, lanes::Lanes d, const btVector3& v0, const Facing& facing,
             const btVector3& normal, const btVector3& direction, float& hitT, btVector3& hitNormal)
{
    using namespace lanes;
    const Lanes q = _mm_sub_ps(Load4(&s[0]), Load4(&v0[0]));
    const float u = Dot(q, facing.p) * facing.inv;
    if (u < 0.0f || u > 1.0f)
        return false;
    const Lanes r = Cross(q, facing.e1);
    const float v = Dot(d, r) * facing.inv;
    if (v < 0.0f || u + v > 1.0f)
        return false;
    const float t = Dot(facing.e2, r) * facing.inv;
    if (t < 0.0f || t >= hitT)
        return false;
    hitT = t;
    hitNormal = normal.dot(direction) > 0.0f ? -normal : normal;
    return true;
}

// Whether two boxes are apart along some axis (a NaN bound keeps them
// together): the six comparisons of x, y and z on SSE lanes at once.
inline bool Apart(lanes::Lanes lowA, lanes::Lanes highA, lanes::Lanes lowB, lanes::Lanes highB)
{
    const __m128 below = _mm_cmplt_ps(highA, lowB);
    const __m128 above = _mm_cmpgt_ps(lowA, highB);
    return (_mm_movemask_ps(_mm_or_ps(below, above)) & 7) != 0;
}

inline bool Apart(const btVector3& lowA, const btVector3& highA, const btVector3& lowB,
                  const btVector3& highB)
{
    using lanes::Load4;
    return Apart(Load4(&lowA[0]), Load4(&highA[0]), Load4(&lowB[0]), Load4(&highB[0]));
}

// v turned by the rows as phmath::MulRows turns it, on lanes.
inline lanes::Lanes MulRows(const Vector4& v, const lanes::Lanes rows[3])
{
    return _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(_mm_set1_ps(v.x), rows[0]), _mm_mul_ps(_mm_set1_ps(v.y), rows[1])),
        _mm_mul_ps(_mm_set1_ps(v.z), rows[2]));
}

// Slab test in the box's own frame.
bool RayBox(const btVector3& s, const btVector3& d, const btTransform& box, const btVector3& half, Hit& hit)
{
    const btVector3 o = box.invXform(s);
    const btVector3 dir = box.getBasis().transpose() * d;
    float enter = 0.0f, leave = hit.t;
    int axis = -1;
    float sign = 0.0f;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(dir[i]) < 1e-12f) {
            if (o[i] < -half[i] || o[i] > half[i])
                return false;
            continue;
        }
        const float inv = 1.0f / dir[i];
        float t0 = (-half[i] - o[i]) * inv, t1 = (half[i] - o[i]) * inv;
        float faceSign = -1.0f;
        if (t0 > t1) {
            std::swap(t0, t1);
            faceSign = 1.0f;
        }
        if (t0 > enter) {
            enter = t0;
            axis = i;
            sign = faceSign;
        }
        leave = std::min(leave, t1);
        if (enter > leave)
            return false;
    }
    if (axis < 0 || enter >= hit.t)
        return false; // starts inside: the box is not crossed from outside
    btVector3 local(0, 0, 0);
    local[axis] = sign;
    hit.t = enter;
    hit.normal = box.getBasis() * local;
    return true;
}

// Cylinders and spheres through Bullet's single-shape ray test.
bool RayShape(const btVector3& s, const btVector3& d, float length, btCollisionObject& object,
              const btCollisionShape& shape, const btTransform& transform, Hit& hit)
{
    const btVector3 end = s + d * length;
    btCollisionWorld::ClosestRayResultCallback result(s, end);
    btCollisionWorld::rayTestSingle(btTransform(btMatrix3x3::getIdentity(), s),
                                    btTransform(btMatrix3x3::getIdentity(), end), &object, &shape, transform,
                                    result);
    if (!result.hasHit())
        return false;
    const float t = result.m_closestHitFraction * length;
    if (t >= hit.t)
        return false;
    hit.t = t;
    hit.normal = result.m_hitNormalWorld.normalized();
    return true;
}

} // namespace

void PhStepWorld::CastSensors()
{
    for (const Motion& motion : m_motions) {
        if (!motion.body->sensors.head)
            continue;
        bool alike = false;
        const std::size_t rays = NearSensors(motion, alike);
        if (alike) {
            SenseGroundAlike(rays);
        } else {
            for (std::size_t i = 0; i < rays; ++i)
                if (m_sensorRays[i].live)
                    SenseGround(m_sensorRays[i]);
        }
        // The paired bodies' geometries are placed when a first sensor
        // looks at them.
        bool sensed = false;
        SensorRay* ray = m_sensorRays.data();
        for (PhSensor* sensor = motion.body->sensors.head; sensor; sensor = sensor->next)
            CastSensor(*ray++, *sensor, *motion.body, sensed);
    }
}

std::size_t PhStepWorld::NearSensors(const Motion& motion, bool& alike)
{
    // The terrain's triangles whose boxes meet the box of all the body's
    // segments: each segment then looks at these few.
    // The lanes take btVector3's operations, and Bullet's setMin and
    // setMax as the selects _mm_min_ps and _mm_max_ps make.
    using namespace lanes;
    const PhRigidBody& body = *motion.body;
    const Lanes rows[3] = {Load4(&body.transform.m[0][0]), Load4(&body.transform.m[1][0]),
                           Load4(&body.transform.m[2][0])};
    const Lanes origin = Load4(&body.transform.m[3][0]);
    Lanes low = _mm_set1_ps(BT_LARGE_FLOAT), high = _mm_set1_ps(-BT_LARGE_FLOAT);
    std::size_t rays = 0;
    alike = true;
    const Vector4* lastUnit = nullptr;
    Lanes direction = _mm_setzero_ps();
    for (const PhSensor* sensor = body.sensors.head; sensor; sensor = sensor->next) {
        if (m_sensorRays.size() <= rays)
            m_sensorRays.resize(rays + 1);
        SensorRay& ray = m_sensorRays[rays++];
        const Lanes start = _mm_add_ps(MulRows(sensor->start, rows), origin);
        // Segments fixed the same way to the body run the same way in the
        // world: the direction is turned once for them.
        const Vector4& unit = sensor->unitDirection;
        if (!lastUnit || std::memcmp(&unit, lastUnit, 3 * sizeof(float)) != 0) {
            direction = MulRows(unit, rows);
            if (lastUnit)
                alike = false;
        }
        lastUnit = &unit;
        const Lanes end = _mm_add_ps(start, Scale(direction, sensor->length));
        const Lanes rayLow = _mm_min_ps(end, start), rayHigh = _mm_max_ps(end, start);
        _mm_storeu_ps(&ray.start[0], start);
        _mm_storeu_ps(&ray.direction[0], direction);
        _mm_storeu_ps(&ray.low[0], rayLow);
        _mm_storeu_ps(&ray.high[0], rayHigh);
        ray.t = sensor->length;
        ray.normal.setValue(0, 0, 0);
        ray.any = false;
        ray.live = sensor->length > 0.0f;
        // The end is NaN wherever the start is: the segment's box bounds
        // the union as its two ends would.
        low = _mm_min_ps(rayLow, low);
        high = _mm_max_ps(rayHigh, high);
    }
    const std::size_t count = static_cast<std::size_t>(std::max(motion.triangleCount, 0));
    if (m_nearSensors.size() < count)
        m_nearSensors.resize(count);
    const std::int32_t* listed = TrianglesOf(motion);
    const Triangle* terrain = m_terrain.get();
    std::int32_t* near = m_nearSensors.data();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t t = listed[i];
        const Triangle& triangle = terrain[static_cast<std::size_t>(t)];
        near[kept] = t;
        kept += !Apart(Load4(&triangle.low[0]), Load4(&triangle.high[0]), low, high);
    }
    m_nearCount = kept;
    return rays;
}

void PhStepWorld::SenseGround(SensorRay& ray) const
{
    const Triangle* terrain = m_terrain.get();
    const std::int32_t* near = m_nearSensors.data();
    for (std::size_t i = 0; i < m_nearCount; ++i) {
        const Triangle& triangle = terrain[static_cast<std::size_t>(near[i])];
        // Triangles beside the segment are passed over on their boxes.
        if (Apart(triangle.low, triangle.high, ray.low, ray.high))
            continue;
        Facing facing;
        const lanes::Lanes d = lanes::Load4(&ray.direction[0]);
        if (FaceTriangle(d, triangle.v[0], triangle.v[1], triangle.v[2], facing))
            ray.any |= MeetTriangle(ray.start, d, triangle.v[0], facing, triangle.face.normal, ray.direction,
                                    ray.t, ray.normal);
    }
}

void PhStepWorld::SenseGroundAlike(std::size_t rays)
{
    // Each segment meets the triangles in the order SenseGround takes
    // them, with the triangle's facing shared among the segments that
    // reach it.
    const Triangle* terrain = m_terrain.get();
    const std::int32_t* near = m_nearSensors.data();
    SensorRay* first = m_sensorRays.data();
    SensorRay* end = first + rays;
    const btVector3& direction = first->direction;
    const lanes::Lanes d = lanes::Load4(&direction[0]);
    const auto beside = [](const Triangle& triangle, const SensorRay& ray) {
        return !ray.live || Apart(triangle.low, triangle.high, ray.low, ray.high);
    };
    for (std::size_t i = 0; i < m_nearCount; ++i) {
        const Triangle& triangle = terrain[static_cast<std::size_t>(near[i])];
        SensorRay* ray = first;
        while (ray != end && beside(triangle, *ray))
            ++ray;
        Facing facing;
        if (ray == end || !FaceTriangle(d, triangle.v[0], triangle.v[1], triangle.v[2], facing))
            continue;
        do {
            ray->any |= MeetTriangle(ray->start, d, triangle.v[0], facing, triangle.face.normal, direction,
                                     ray->t, ray->normal);
            do
                ++ray;
            while (ray != end && beside(triangle, *ray));
        } while (ray != end);
    }
}

void PhStepWorld::SenseGeometries(const PhBody& body)
{
    m_sensed.clear();
    for (const Pair& pair : m_pairs) {
        const PhBody* other = pair.a == &body ? pair.b : (pair.b == &body ? pair.a : nullptr);
        if (!other)
            continue;
        for (const PhGeometry* g = other->geometries.head; g; g = g->next) {
            ShapeSlot* slot = Slot(*g);
            if (!slot)
                continue;
            m_sensed.push_back(SensedGeometry{GeometryTransform(*other, *g), g, slot});
        }
    }
}

void PhStepWorld::CastSensor(SensorRay& ray, PhSensor& sensor, const PhBody& body, bool& sensed)
{
    const btVector3& s = ray.start;
    const btVector3& d = ray.direction;
    const float length = sensor.length;
    sensor.detectDepth = 0.0f;
    sensor.detectNormal = Vector4{};
    sensor.detectContactPoint = Vector4{};
    if (!ray.live)
        return;

    Hit hit{ray.t, ray.normal};
    bool any = ray.any;
    if (!sensed) {
        SenseGeometries(body);
        sensed = true;
    }
    for (const SensedGeometry& sensedGeometry : m_sensed) {
        const PhGeometry& g = *sensedGeometry.geometry;
        if (g.kind == kPhGeometryBox)
            any |= RayBox(s, d, sensedGeometry.transform, btVector3(g.shape[0], g.shape[1], g.shape[2]), hit);
        else
            any |= RayShape(s, d, length, sensedGeometry.slot->object, *sensedGeometry.slot->shape,
                            sensedGeometry.transform, hit);
    }
    if (!any)
        return;
    const btVector3 point = s + d * hit.t;
    // Depth 0 means nothing met: a hit right at the end still counts.
    sensor.detectDepth = std::max(length - hit.t, 1e-6f);
    sensor.detectNormal = Vector4{hit.normal.x(), hit.normal.y(), hit.normal.z(), 0.0f};
    sensor.detectContactPoint = Vector4{point.x(), point.y(), point.z(), 1.0f};
}
