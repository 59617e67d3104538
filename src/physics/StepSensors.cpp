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

// Lane i of a in all four lanes.
template <int i> inline lanes::Lanes Splat(lanes::Lanes a)
{
    return _mm_castsi128_ps(_mm_shuffle_epi32(_mm_castps_si128(a), _MM_SHUFFLE(i, i, i, i)));
}

// a where the mask is set, b elsewhere.
inline lanes::Lanes Select(__m128 mask, lanes::Lanes a, lanes::Lanes b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

inline __m128i Select(__m128 mask, __m128i a, __m128i b)
{
    const __m128i m = _mm_castps_si128(mask);
    return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
}

// The x, y and z of four vectors, each in one register.
struct Columns {
    lanes::Lanes x, y, z;
};

inline Columns Transpose(lanes::Lanes a, lanes::Lanes b, lanes::Lanes c, lanes::Lanes d)
{
    const lanes::Lanes ab = _mm_unpacklo_ps(a, b), cd = _mm_unpacklo_ps(c, d);
    const lanes::Lanes abHigh = _mm_unpackhi_ps(a, b), cdHigh = _mm_unpackhi_ps(c, d);
    return Columns{_mm_movelh_ps(ab, cd), _mm_movehl_ps(cd, ab), _mm_movelh_ps(abHigh, cdHigh)};
}

} // namespace

void PhStepWorld::CastSensors()
{
    for (const Motion& motion : m_motions) {
        const PhRigidBody& body = *motion.body;
        if (!body.sensors.head)
            continue;
        bool alike = false;
        std::size_t live = 0;
        const std::size_t rays = PlaceSensors(body, alike, live);
        if (alike) {
            SenseGroundAlike(motion, rays);
        } else {
            NearSensors(motion);
            for (std::size_t i = 0; i < rays; ++i)
                if (m_sensorRays[i].live)
                    SenseGround(m_sensorRays[i]);
        }
        // The paired bodies' geometries are placed only when a segment
        // may meet them.
        if (live > 0)
            SenseGeometries(body);
        SensorRay* ray = m_sensorRays.data();
        for (PhSensor* sensor = body.sensors.head; sensor; sensor = sensor->next)
            CastSensor(*ray++, *sensor);
    }
}

std::size_t PhStepWorld::PlaceSensors(const PhRigidBody& body, bool& alike, std::size_t& live)
{
    // The lanes take btVector3's operations, and Bullet's setMin and
    // setMax as the selects _mm_min_ps and _mm_max_ps make.
    using namespace lanes;
    const Lanes rows[3] = {Load4(&body.transform.m[0][0]), Load4(&body.transform.m[1][0]),
                           Load4(&body.transform.m[2][0])};
    const Lanes origin = Load4(&body.transform.m[3][0]);
    Lanes low = _mm_set1_ps(BT_LARGE_FLOAT), high = _mm_set1_ps(-BT_LARGE_FLOAT);
    std::size_t rays = 0;
    if (m_sensorRays.size() < static_cast<std::size_t>(std::max(body.sensors.count, 0)))
        m_sensorRays.resize(static_cast<std::size_t>(body.sensors.count));
    std::size_t held = m_sensorRays.size();
    alike = true;
    live = 0;
    const Vector4* lastUnit = nullptr;
    Lanes direction = _mm_setzero_ps();
    for (const PhSensor* sensor = body.sensors.head; sensor; sensor = sensor->next) {
        if (rays == held) {
            m_sensorRays.resize(rays + 1);
            held = rays + 1;
        }
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
        live += ray.live;
        // The end is NaN wherever the start is: the segment's box bounds
        // the union as its two ends would.
        low = _mm_min_ps(rayLow, low);
        high = _mm_max_ps(rayHigh, high);
    }
    _mm_storeu_ps(&m_sensorsLow[0], low);
    _mm_storeu_ps(&m_sensorsHigh[0], high);
    return rays;
}

void PhStepWorld::NearSensors(const Motion& motion)
{
    // The terrain's triangles whose boxes meet the box of all the body's
    // segments: each segment then looks at these few.
    using namespace lanes;
    const std::size_t count = static_cast<std::size_t>(std::max(motion.triangleCount, 0));
    if (m_nearSensors.size() < count)
        m_nearSensors.resize(count);
    const Lanes low = Load4(&m_sensorsLow[0]), high = Load4(&m_sensorsHigh[0]);
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

void PhStepWorld::SenseGroundAlike(const Motion& motion, std::size_t rays)
{
    // Four segments at a time, one to a lane, meet the triangles in the
    // order SenseGround takes them: each lane makes MeetTriangle's
    // operations in its order and keeps the first of equally near hits, so
    // each segment detects what it would alone. The triangle's facing is
    // the same for all of them. A lane remembers the triangle it hit; the
    // normal is made from it at the end.
    using namespace lanes;
    const std::size_t count = static_cast<std::size_t>(std::max(motion.triangleCount, 0));
    const std::int32_t* listed = TrianglesOf(motion);
    const Triangle* terrain = m_terrain.get();
    const Lanes allLow = Load4(&m_sensorsLow[0]), allHigh = Load4(&m_sensorsHigh[0]);
    const btVector3& direction = m_sensorRays[0].direction;
    const Lanes d = Load4(&direction[0]);
    const Lanes dx = Splat<0>(d), dy = Splat<1>(d), dz = Splat<2>(d);
    const Lanes zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
    for (std::size_t first = 0; first < rays; first += 4) {
        SensorRay* group = m_sensorRays.data() + first;
        const std::size_t width = std::min<std::size_t>(4, rays - first);
        // Lanes past the last segment repeat it, and are never live.
        const SensorRay& r0 = group[0];
        const SensorRay& r1 = group[width > 1 ? 1 : 0];
        const SensorRay& r2 = group[width > 2 ? 2 : 0];
        const SensorRay& r3 = group[width > 3 ? 3 : 0];
        const Columns s =
            Transpose(Load4(&r0.start[0]), Load4(&r1.start[0]), Load4(&r2.start[0]), Load4(&r3.start[0]));
        const Columns low =
            Transpose(Load4(&r0.low[0]), Load4(&r1.low[0]), Load4(&r2.low[0]), Load4(&r3.low[0]));
        const Columns high =
            Transpose(Load4(&r0.high[0]), Load4(&r1.high[0]), Load4(&r2.high[0]), Load4(&r3.high[0]));
        Lanes nearest = _mm_setr_ps(r0.t, r1.t, r2.t, r3.t);
        // A segment is live when it has a length, which its t starts as.
        const __m128i lane = _mm_setr_epi32(0, 1, 2, 3);
        const Lanes live =
            _mm_and_ps(_mm_cmpgt_ps(nearest, zero),
                       _mm_castsi128_ps(_mm_cmplt_epi32(lane, _mm_set1_epi32(static_cast<int>(width)))));
        __m128i hit = _mm_set1_epi32(-1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::int32_t index = listed[i];
            const Triangle& triangle = terrain[static_cast<std::size_t>(index)];
            const Lanes triangleLow = Load4(&triangle.low[0]), triangleHigh = Load4(&triangle.high[0]);
            if (Apart(triangleLow, triangleHigh, allLow, allHigh))
                continue;
            // Triangles beside a segment are passed over on their boxes.
            const Lanes beside = _mm_or_ps(_mm_or_ps(_mm_or_ps(_mm_cmplt_ps(Splat<0>(triangleHigh), low.x),
                                                               _mm_cmplt_ps(Splat<1>(triangleHigh), low.y)),
                                                     _mm_cmplt_ps(Splat<2>(triangleHigh), low.z)),
                                           _mm_or_ps(_mm_or_ps(_mm_cmpgt_ps(Splat<0>(triangleLow), high.x),
                                                               _mm_cmpgt_ps(Splat<1>(triangleLow), high.y)),
                                                     _mm_cmpgt_ps(Splat<2>(triangleLow), high.z)));
            const Lanes near = _mm_andnot_ps(beside, live);
            if (_mm_movemask_ps(near) == 0)
                continue;
            Facing facing;
            if (!FaceTriangle(d, triangle.v[0], triangle.v[1], triangle.v[2], facing))
                continue;
            const Lanes corner = Load4(&triangle.v[0][0]);
            const Lanes qx = _mm_sub_ps(s.x, Splat<0>(corner));
            const Lanes qy = _mm_sub_ps(s.y, Splat<1>(corner));
            const Lanes qz = _mm_sub_ps(s.z, Splat<2>(corner));
            const Lanes inv = _mm_set1_ps(facing.inv);
            const Lanes u = _mm_mul_ps(
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(qx, Splat<0>(facing.p)), _mm_mul_ps(qy, Splat<1>(facing.p))),
                           _mm_mul_ps(qz, Splat<2>(facing.p))),
                inv);
            const Lanes e1x = Splat<0>(facing.e1), e1y = Splat<1>(facing.e1), e1z = Splat<2>(facing.e1);
            const Lanes rx = _mm_sub_ps(_mm_mul_ps(qy, e1z), _mm_mul_ps(qz, e1y));
            const Lanes ry = _mm_sub_ps(_mm_mul_ps(qz, e1x), _mm_mul_ps(qx, e1z));
            const Lanes rz = _mm_sub_ps(_mm_mul_ps(qx, e1y), _mm_mul_ps(qy, e1x));
            const Lanes v = _mm_mul_ps(
                _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, rx), _mm_mul_ps(dy, ry)), _mm_mul_ps(dz, rz)), inv);
            const Lanes t = _mm_mul_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(Splat<0>(facing.e2), rx),
                                                             _mm_mul_ps(Splat<1>(facing.e2), ry)),
                                                  _mm_mul_ps(Splat<2>(facing.e2), rz)),
                                       inv);
            // MeetTriangle's tests; a NaN fails none of them there either.
            const Lanes miss =
                _mm_or_ps(_mm_or_ps(_mm_or_ps(_mm_cmplt_ps(u, zero), _mm_cmpgt_ps(u, one)),
                                    _mm_or_ps(_mm_cmplt_ps(v, zero), _mm_cmpgt_ps(_mm_add_ps(u, v), one))),
                          _mm_or_ps(_mm_cmplt_ps(t, zero), _mm_cmpge_ps(t, nearest)));
            const Lanes met = _mm_andnot_ps(miss, near);
            nearest = Select(met, t, nearest);
            hit = Select(met, _mm_set1_epi32(index), hit);
        }
        alignas(16) float t[4];
        alignas(16) std::int32_t met[4];
        _mm_store_ps(t, nearest);
        _mm_store_si128(reinterpret_cast<__m128i*>(met), hit);
        for (std::size_t k = 0; k < width; ++k) {
            if (met[k] < 0)
                continue;
            SensorRay& ray = group[k];
            const btVector3& normal = terrain[static_cast<std::size_t>(met[k])].face.normal;
            ray.t = t[k];
            ray.normal = normal.dot(direction) > 0.0f ? -normal : normal;
            ray.any = true;
        }
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

bool PhStepWorld::MeetGeometries(const SensorRay& ray, float length, btVector3& normal, float& t) const
{
    Hit hit{t, normal};
    bool any = false;
    for (const SensedGeometry& sensedGeometry : m_sensed) {
        const PhGeometry& g = *sensedGeometry.geometry;
        if (g.kind == kPhGeometryBox)
            any |= RayBox(ray.start, ray.direction, sensedGeometry.transform,
                          btVector3(g.shape[0], g.shape[1], g.shape[2]), hit);
        else
            any |= RayShape(ray.start, ray.direction, length, sensedGeometry.slot->object,
                            *sensedGeometry.slot->shape, sensedGeometry.transform, hit);
    }
    t = hit.t;
    normal = hit.normal;
    return any;
}

void PhStepWorld::CastSensor(SensorRay& ray, PhSensor& sensor) const
{
    const float length = sensor.length;
    if (ray.live && !m_sensed.empty())
        ray.any |= MeetGeometries(ray, length, ray.normal, ray.t);
    if (!ray.live || !ray.any) {
        sensor.detectDepth = 0.0f;
        sensor.detectNormal = Vector4{};
        sensor.detectContactPoint = Vector4{};
        return;
    }
    const btVector3 point = ray.start + ray.direction * ray.t;
    // Depth 0 means nothing met: a hit right at the end still counts.
    sensor.detectDepth = std::max(length - ray.t, 1e-6f);
    sensor.detectNormal = Vector4{ray.normal.x(), ray.normal.y(), ray.normal.z(), 0.0f};
    sensor.detectContactPoint = Vector4{point.x(), point.y(), point.z(), 1.0f};
}
