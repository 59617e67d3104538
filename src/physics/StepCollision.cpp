// Collision detection of the step: world bounds, the sweep over the sorted
// end points, and contact generation by Bullet's shapes and algorithms
// between geometries and against the terrain's triangles.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "physics/BoxesApart.h"
#include "physics/PhysicsMath.h"
#include "physics/Simulator.h"
#include "physics/StepWorld.h"

using namespace phstep;

namespace {

constexpr std::uint64_t kTerrainBit = 0x80000000u;
constexpr float kQueryPad = 0.25f; // metres, well above kContactMargin + kMostAhead
// Marks a lone body's terrain point left out of its solving; Bullet's own
// flags stay below it, and a point found anew comes without it.
constexpr int kLeftOut = 1 << 30;

btVector3 Bt(const Vector4& v) { return btVector3(v.x, v.y, v.z); }

// Rotation rows and position of a body as the stepping sees it.
void BodyFrame(const PhBody& body, Vector4 rows[3], Vector4& position)
{
    if (body.dynamic) {
        const auto& rigid = static_cast<const PhRigidBody&>(body);
        for (int i = 0; i < 3; ++i)
            rows[i] = phmath::Row(rigid.transform, i);
        position = phmath::Row(rigid.transform, 3);
    } else {
        const auto& kinematic = static_cast<const PhKinematicBody&>(body);
        for (int i = 0; i < 3; ++i)
            rows[i] = kinematic.rotationRows[i];
        position = kinematic.position;
    }
}

Vector4 BodyPosition(const PhBody& body)
{
    if (body.dynamic)
        return phmath::Row(static_cast<const PhRigidBody&>(body).transform, 3);
    return static_cast<const PhKinematicBody&>(body).position;
}

// Whether the boxes [lowA, highA] and [lowB, highB] overlap (touching
// counts; not when a bound is not a number), the axes in one go.
bool Overlap(const btVector3& lowA, const btVector3& highA, const btVector3& lowB, const btVector3& highB)
{
#if defined(__SSE2__)
    const __m128 a0 = _mm_loadu_ps(&lowA.x()), a1 = _mm_loadu_ps(&highA.x());
    const __m128 b0 = _mm_loadu_ps(&lowB.x()), b1 = _mm_loadu_ps(&highB.x());
    const __m128 both = _mm_and_ps(_mm_cmple_ps(a0, b1), _mm_cmpge_ps(a1, b0));
    return (_mm_movemask_ps(both) & 7) == 7;
#else
    return lowA.x() <= highB.x() && highA.x() >= lowB.x() && lowA.y() <= highB.y() && highA.y() >= lowB.y() &&
           lowA.z() <= highB.z() && highA.z() >= lowB.z();
#endif
}

// A box held in registers for testing many boxes against it, as Overlap
// tests them.
struct BoxLanes {
#if defined(__SSE2__)
    __m128 low, high;
    BoxLanes(const btVector3& l, const btVector3& h) : low(_mm_loadu_ps(&l.x())), high(_mm_loadu_ps(&h.x()))
    {
    }
    bool Overlaps(const btVector3& lowB, const btVector3& highB) const
    {
        const __m128 both = _mm_and_ps(_mm_cmple_ps(low, _mm_loadu_ps(&highB.x())),
                                       _mm_cmpge_ps(high, _mm_loadu_ps(&lowB.x())));
        return (_mm_movemask_ps(both) & 7) == 7;
    }
#else
    btVector3 low, high;
    BoxLanes(const btVector3& l, const btVector3& h) : low(l), high(h) {}
    bool Overlaps(const btVector3& lowB, const btVector3& highB) const
    {
        return Overlap(low, high, lowB, highB);
    }
#endif
};

// The box of boxes taken one by one, from none, as btVector3's setMin and
// setMax grow it (all four components; a tie keeps what was there).
class BoxGrowth {
  public:
#if defined(__SSE2__)
    void Take(const btVector3& low, const btVector3& high)
    {
        m_low = _mm_min_ps(_mm_loadu_ps(&low.x()), m_low);
        m_high = _mm_max_ps(_mm_loadu_ps(&high.x()), m_high);
    }
    btVector3 Low() const { return Vector(m_low); }
    btVector3 High() const { return Vector(m_high); }

  private:
    static btVector3 Vector(__m128 lanes)
    {
        alignas(16) float v[4];
        _mm_store_ps(v, lanes);
        btVector3 vector;
        vector.setValue(v[0], v[1], v[2]);
        vector.setW(v[3]);
        return vector;
    }
    __m128 m_low = _mm_setr_ps(SIMD_INFINITY, SIMD_INFINITY, SIMD_INFINITY, 0.0f);
    __m128 m_high = _mm_setr_ps(-SIMD_INFINITY, -SIMD_INFINITY, -SIMD_INFINITY, 0.0f);
#else
    void Take(const btVector3& low, const btVector3& high)
    {
        m_low.setMin(low);
        m_high.setMax(high);
    }
    const btVector3& Low() const { return m_low; }
    const btVector3& High() const { return m_high; }

  private:
    btVector3 m_low = btVector3(SIMD_INFINITY, SIMD_INFINITY, SIMD_INFINITY);
    btVector3 m_high = btVector3(-SIMD_INFINITY, -SIMD_INFINITY, -SIMD_INFINITY);
#endif
};

// The margin contacts are looked for within, for sides that may close on
// each other by reach in the step: fast bodies rely on the sweep beyond.
float AheadMargin(float reach) { return kContactMargin + std::min(reach, kMostAhead); }

// How far a moving body may close on anything in the step, from its speed
// and the speed its spin gives its rim.
float Reach(const btVector3& velocity, float rimSpeed, float h) { return (velocity.length() + rimSpeed) * h; }

bool OverlapYZ(const PhBody& a, const PhBody& b)
{
    return a.worldMin.y <= b.worldMax.y && a.worldMax.y >= b.worldMin.y && a.worldMin.z <= b.worldMax.z &&
           a.worldMax.z >= b.worldMin.z;
}

float Friction(const PhMaterial& a, const PhMaterial& b)
{
    const float product = std::max(a.value[0], 0.0f) * std::max(b.value[0], 0.0f);
    return std::sqrt(product);
}

float Restitution(const PhMaterial& a, const PhMaterial& b)
{
    return std::min(std::max(std::max(a.value[1], b.value[1]), 0.0f), 1.0f);
}

// The plane of a terrain triangle; false for a triangle without area.
bool FaceOf(const btVector3& v0, const btVector3& v1, const btVector3& v2, Face& face)
{
    const btVector3 n = (v1 - v0).cross(v2 - v0);
    const float length = n.length();
    if (!(length > 1e-12f))
        return false;
    face.normal = n / length;
    face.origin = v0;
    return true;
}

// A contact with a terrain triangle that comes near the triangle's own
// normal takes that normal, with its point on the plane: bodies resting or
// sliding on the ground are pushed straight out of it, not off the edges
// between its triangles, and flat ground reports a normal that is exactly
// upright.
void OntoFace(btManifoldPoint& point, const Face& face)
{
    constexpr float kSnap = 0.9f; // about 25 degrees
    btVector3 n = face.normal;
    if (point.m_normalWorldOnB.dot(n) < 0.0f)
        n = -n;
    if (point.m_normalWorldOnB.dot(n) < kSnap)
        return;
    const btVector3 onA = point.getPositionWorldOnA();
    const float distance = (onA - face.origin).dot(n);
    point.m_normalWorldOnB = n;
    point.m_distance1 = distance;
    point.m_positionWorldOnB = onA - n * distance;
    point.m_localPointB = point.m_positionWorldOnB;
}

// True when the shape lies wholly more than margin above the triangle's
// plane, on the side its normal points to: nothing to collide.
bool AbovePlane(const btCollisionShape& shape, const btTransform& transform, const Face& face, float margin)
{
    // The normal turned to the shape's side, then the shape's point
    // furthest down it.
    btVector3 n = face.normal;
    if ((transform.getOrigin() - face.origin).dot(n) < 0.0f)
        n = -n;
    const auto& convex = static_cast<const btConvexShape&>(shape);
    const btVector3 lowest =
        transform(convex.localGetSupportingVertex(transform.getBasis().transpose() * -n));
    return (lowest - face.origin).dot(n) > margin;
}

// True when the shape lies wholly more than gap outside one of the
// triangle's edges, in the triangle's plane: no closer to the triangle
// than that. Bodies on the ground overlap the boxes of the neighbouring
// triangles, whose planes they also touch; this keeps them from a contact
// search that could only come back empty.
bool BesideTriangle(const btCollisionShape& shape, const btTransform& transform, const btVector3 v[3],
                    const btVector3& normal, float gap)
{
    const auto& convex = static_cast<const btConvexShape&>(shape);
    for (int i = 0; i < 3; ++i) {
        const btVector3& a = v[i];
        btVector3 out = (v[(i + 1) % 3] - a).cross(normal);
        if (out.dot(v[(i + 2) % 3] - a) > 0.0f)
            out = -out;
        const float length = out.length();
        if (!(length > 1e-12f))
            continue;
        out /= length;
        const btVector3 nearest =
            transform(convex.localGetSupportingVertex(transform.getBasis().transpose() * -out));
        if ((nearest - a).dot(out) > gap)
            return true;
    }
    return false;
}

// Whether the first three entries of two rows differ by less than limit
// each (not when one is not a number).
bool RowStill(const float (&row)[4], const float (&was)[4], float limit)
{
#if defined(__SSE2__)
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 change = _mm_and_ps(_mm_sub_ps(_mm_loadu_ps(row), _mm_loadu_ps(was)), magnitude);
    return (_mm_movemask_ps(_mm_cmplt_ps(change, _mm_set1_ps(limit))) & 7) == 7;
#else
    for (int c = 0; c < 3; ++c) {
        if (!(std::fabs(row[c] - was[c]) < limit))
            return false;
    }
    return true;
#endif
}

} // namespace

void PhStepWorld::UpdateBounds(float h)
{
    PhBroadPhase& broadPhase = m_simulator.GetBroadPhase();
    for (const Motion& motion : m_motions) {
        PhRigidBody& body = *motion.body;
        NoteSettling(body);
        if (body.geometries.count == 0 && !body.sensors.head)
            continue;
        Vector4 rows[3], position;
        BodyFrame(body, rows, position);
        const Vector4 centre = phmath::Add(phmath::MulRows(body.localCentre, rows), position);
        // Room for the motion of the step, so what the body may reach is
        // paired with it before it gets there.
        const float turn = motion.w.length() * body.boundingRadius * h + kContactMargin;
        for (int i = 0; i < 3; ++i) {
            float extent = 0.0f;
            for (const Vector4& axis : body.localAxes)
                extent += std::fabs(phmath::Component(phmath::MulRows(axis, rows), i));
            const float travel = motion.v[i] * h;
            phmath::SetComponent(body.worldMin, i,
                                 phmath::Component(centre, i) - extent - turn + std::min(travel, 0.0f));
            phmath::SetComponent(body.worldMax, i,
                                 phmath::Component(centre, i) + extent + turn + std::max(travel, 0.0f));
        }
        body.worldMin.w = body.worldMax.w = 0.0f;
        // A body with sensors alone is paired too: its sensors see the
        // geometries of others.
        if (body.inBroadPhase)
            broadPhase.Move(body);
        else
            broadPhase.Enter(body, 0);
    }
}

void PhStepWorld::FindPairs(float h)
{
    m_pairs.clear();
    m_open.clear();
    for (const PhEndPoint* point = m_simulator.GetBroadPhase().GetFirst(0); point; point = point->next) {
        PhBody* body = point->body;
        if (point->isMaximum) {
            auto found = std::find(m_open.begin(), m_open.end(), body);
            if (found != m_open.end())
                m_open.erase(found);
            continue;
        }
        for (std::size_t i = 0; i < m_open.size(); ++i) {
            PhBody* other = m_open[i];
            if (!OverlapYZ(*body, *other))
                continue;
            PhBody* a = body;
            PhBody* b = other;
            if (a->dynamic == 0 && b->dynamic == 0)
                continue;
            // The dynamic body, or the one numbered first, is A.
            if (a->dynamic == 0 || (b->dynamic != 0 && b->bodyIndex < a->bodyIndex))
                std::swap(a, b);
            const int ma = MotionOf(a), mb = MotionOf(b);
            auto* rigidA = static_cast<PhRigidBody*>(a);
            if (ma < 0 && mb < 0) {
                // Both at rest (or one static): a moved static side wakes.
                const bool movedSide = b->dynamic == 0 && static_cast<PhKinematicBody*>(b)->moved;
                if (!movedSide)
                    continue;
                WakeIntoStep(*rigidA, h);
            } else if (b->dynamic != 0 && (ma < 0 || mb < 0)) {
                // A moving body wakes a sleeping one it runs into. Moving:
                // as the last step left it, before this step's gravity.
                const PhRigidBody& moving = *static_cast<PhRigidBody*>(ma >= 0 ? a : b);
                const bool lively = moving.speed > kSleepSpeed ||
                                    phmath::LengthSquared(moving.angularVelocity) > kSleepSpin * kSleepSpin;
                if (lively)
                    WakeIntoStep(*static_cast<PhRigidBody*>(ma < 0 ? a : b), h);
            }
            m_pairs.push_back(Pair{a, b});
        }
        m_open.push_back(body);
    }
}

PhStepWorld::ShapeSlot* PhStepWorld::Slot(const PhGeometry& geometry)
{
    const int index = m_simulator.GetGeometryPool().IndexOf(&geometry);
    if (index < 0 || index >= m_slotCount)
        return nullptr;
    std::unique_ptr<ShapeSlot>& held = m_slots[static_cast<std::size_t>(index)];
    if (!held)
        held = std::make_unique<ShapeSlot>();
    ShapeSlot& slot = *held;
    const bool same = slot.kind == geometry.kind && slot.size[0] == geometry.shape[0] &&
                      slot.size[1] == geometry.shape[1] && slot.size[2] == geometry.shape[2];
    if (same)
        return slot.shape ? &slot : nullptr;
    slot.kind = geometry.kind;
    std::copy(geometry.shape, geometry.shape + 3, slot.size);
    slot.shape = SharedShapeOf(geometry);
    slot.object.setCollisionShape(slot.shape);
    return slot.shape ? &slot : nullptr;
}

btCollisionShape* PhStepWorld::SharedShapeOf(const PhGeometry& geometry)
{
    for (const SharedShape& shared : m_shapes) {
        if (shared.kind == geometry.kind && shared.size[0] == geometry.shape[0] &&
            shared.size[1] == geometry.shape[1] && shared.size[2] == geometry.shape[2])
            return shared.shape.get();
    }
    SharedShape shared;
    shared.kind = geometry.kind;
    std::copy(geometry.shape, geometry.shape + 3, shared.size);
    const float tiny = 1e-3f;
    if (geometry.kind == kPhGeometryBox) {
        const btVector3 half(std::max(geometry.shape[0], tiny), std::max(geometry.shape[1], tiny),
                             std::max(geometry.shape[2], tiny));
        auto box = std::make_unique<btBoxShape>(half);
        // The margin rounds the edges inside the box; the faces stay put.
        box->setMargin(std::min(0.02f, 0.5f * half[half.minAxis()]));
        box->initializePolyhedralFeatures();
        shared.shape = std::move(box);
    } else if (geometry.kind == kPhGeometryCylinder) {
        const float radius = std::max(geometry.shape[0], tiny), half = std::max(geometry.shape[2], tiny);
        auto cylinder = std::make_unique<btCylinderShape>(btVector3(radius, half, radius));
        cylinder->setMargin(std::min(0.02f, 0.5f * std::min(radius, half)));
        shared.shape = std::move(cylinder);
    } else if (geometry.kind == kPhGeometrySphere) {
        shared.shape = std::make_unique<btSphereShape>(std::max(geometry.shape[0], tiny));
    }
    // Kinds without a shape are remembered too, so they are not asked again.
    m_shapes.push_back(std::move(shared));
    return m_shapes.back().shape.get();
}

btTransform PhStepWorld::GeometryTransform(const PhBody& body, const PhGeometry& geometry) const
{
    Vector4 rows[3], position;
    BodyFrame(body, rows, position);
    Vector4 axes[3];
    Vector4 origin;
#if defined(__SSE2__)
    // MulRows four lanes at a time: each lane sums the same products in
    // the same order.
    const __m128 r0 = _mm_loadu_ps(&rows[0].x), r1 = _mm_loadu_ps(&rows[1].x), r2 = _mm_loadu_ps(&rows[2].x);
    const auto turn = [&](const float(&v)[4]) {
        __m128 sum = _mm_mul_ps(_mm_set1_ps(v[0]), r0);
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(v[1]), r1));
        return _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(v[2]), r2));
    };
    for (int i = 0; i < 3; ++i)
        _mm_storeu_ps(&axes[i].x, turn(geometry.localTransform.m[i]));
    _mm_storeu_ps(&origin.x, _mm_add_ps(turn(geometry.localTransform.m[3]), _mm_loadu_ps(&position.x)));
#else
    for (int i = 0; i < 3; ++i)
        axes[i] = phmath::MulRows(phmath::Row(geometry.localTransform, i), rows);
    origin = phmath::Add(phmath::MulRows(phmath::Row(geometry.localTransform, 3), rows), position);
#endif
    // Bullet's basis takes the turned axes as its columns.
    btMatrix3x3 basis(axes[0].x, axes[1].x, axes[2].x, axes[0].y, axes[1].y, axes[2].y, axes[0].z, axes[1].z,
                      axes[2].z);
    btTransform transform(basis, btVector3(origin.x, origin.y, origin.z));
    return transform;
}

const btTransform& PhStepWorld::PlacedTransform(const PhBody& body, const PhGeometry& geometry)
{
    const int index = m_simulator.GetGeometryPool().IndexOf(&geometry);
    if (index < 0 || index >= m_slotCount) {
        m_unplaced = GeometryTransform(body, geometry);
        return m_unplaced;
    }
    Placed& placed = m_placed[static_cast<std::size_t>(index)];
    if (placed.stamp != m_stamp) {
        placed.transform = GeometryTransform(body, geometry);
        placed.stamp = m_stamp;
    }
    return placed.transform;
}

PhStepWorld::ManifoldSlot& PhStepWorld::Manifold(std::uint64_t key, bool& kept, const btCollisionObject* a,
                                                 const btCollisionObject* b)
{
    auto found = std::lower_bound(m_cache.begin(), m_cache.end(), key,
                                  [](const CacheEntry& entry, std::uint64_t k) { return entry.key < k; });
    int index;
    kept = found != m_cache.end() && found->key == key;
    if (kept) {
        found->stamp = m_stamp;
        index = found->manifold;
    } else {
        // A pair takes a manifold that has served pairs, with its
        // algorithm, first.
        std::vector<int>* spare = &m_freeManifolds;
        if ((key & kTerrainBit) == 0 && !m_freePairManifolds.empty())
            spare = &m_freePairManifolds;
        if (!spare->empty()) {
            index = spare->back();
            spare->pop_back();
        } else {
            index = static_cast<int>(m_manifolds.size());
            m_manifolds.emplace_back();
        }
        m_manifolds[static_cast<std::size_t>(index)].manifold.clearManifold();
        m_newEntries.push_back(CacheEntry{key, index, m_stamp});
    }
    ManifoldSlot& slot = m_manifolds[static_cast<std::size_t>(index)];
    slot.manifold.setBodies(a, b);
    return slot;
}

btCollisionAlgorithm* PhStepWorld::AlgorithmFor(ManifoldSlot& slot, const btCollisionObjectWrapper& wa,
                                                const btCollisionObjectWrapper& wb)
{
    const int shapeA = wa.getCollisionShape()->getShapeType();
    const int shapeB = wb.getCollisionShape()->getShapeType();
    if (slot.algorithm && slot.shapeA == shapeA && slot.shapeB == shapeB)
        return slot.algorithm;
    FreeAlgorithm(slot);
    slot.algorithm = m_dispatcher.findAlgorithm(&wa, &wb, &slot.manifold, BT_CONTACT_POINT_ALGORITHMS);
    slot.shapeA = shapeA;
    slot.shapeB = shapeB;
    return slot.algorithm;
}

void PhStepWorld::FreeAlgorithm(ManifoldSlot& slot)
{
    if (!slot.algorithm)
        return;
    slot.algorithm->~btCollisionAlgorithm();
    m_dispatcher.freeCollisionAlgorithm(slot.algorithm);
    slot.algorithm = nullptr;
    slot.shapeA = slot.shapeB = -1;
}

void PhStepWorld::FreeManifold(const CacheEntry& entry)
{
    m_manifolds[static_cast<std::size_t>(entry.manifold)].manifold.clearManifold();
    (entry.key & kTerrainBit ? m_freeManifolds : m_freePairManifolds).push_back(entry.manifold);
}

void PhStepWorld::PrepareGeometries(const PhBody& body)
{
    bool box = false;
    for (const PhGeometry* g = body.geometries.head; g; g = g->next) {
        if (Slot(*g) && g->kind == kPhGeometryBox)
            box = true;
    }
    // One pair's manifold for each moving box, up to a bound: a race meets
    // far fewer pairs at once than it has bodies. Once for each body slot,
    // as the terrain's room: a body prepared again finds its own made.
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (box && body.dynamic && at < m_pairSlotMade.size() && !m_pairSlotMade[at] &&
        m_pairSlots < kMostPairSlots) {
        AddPairSlot();
        m_pairSlotMade[at] = 1;
    }
    if (body.dynamic && body.geometries.count > 0)
        PrepareTerrainRoom(body);
}

void PhStepWorld::PrepareTerrainRoom(const PhBody& body)
{
    // Once for each body slot: a body prepared again (its geometries
    // changed) finds its room made.
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (at >= m_terrainCaches.size() || m_terrainCaches[at].triangles.capacity() >= kTerrainAnswerRoom)
        return;
    // Room for the triangles a query around the body lists.
    m_terrainCaches[at].triangles.reserve(kTerrainAnswerRoom);
    m_terrainCaches[at].listed.reserve(kTerrainAnswerRoom);
    m_terrainCaches[at].distinct.reserve(kTerrainAnswerRoom);
    // A moving body rests on a few terrain triangles at a time, each with
    // its manifold. The manifolds made here wait under the ones given back,
    // so they are taken only where a new one would have been made.
    for (int k = 0; k < kTerrainSlotsPerBody && m_terrainSlots < kMostTerrainSlots; ++k, ++m_terrainSlots) {
        m_freeManifolds.insert(m_freeManifolds.begin(), static_cast<int>(m_manifolds.size()));
        m_manifolds.emplace_back();
    }
}

void PhStepWorld::AddPairSlot()
{
    // Bullet's convex algorithm grows its clipping arrays the first time
    // it clips two faces: two boxes, one turned an eighth of a turn on the
    // other's face, clip to an octagon, as much as boxes ever take.
    if (!m_warmBox) {
        m_warmBox = std::make_unique<btBoxShape>(btVector3(0.5f, 0.5f, 0.5f));
        m_warmBox->setMargin(0.02f);
        m_warmBox->initializePolyhedralFeatures();
    }
    btCollisionObject objectA, objectB;
    objectA.setCollisionShape(m_warmBox.get());
    objectB.setCollisionShape(m_warmBox.get());
    const btTransform ta = btTransform::getIdentity();
    const btTransform tb(btQuaternion(btVector3(0, 0, 1), 0.25f * SIMD_PI), btVector3(0, 0, 0.98f));
    objectA.setWorldTransform(ta);
    objectB.setWorldTransform(tb);
    const btCollisionObjectWrapper wa(nullptr, m_warmBox.get(), &objectA, ta, -1, -1);
    const btCollisionObjectWrapper wb(nullptr, m_warmBox.get(), &objectB, tb, -1, -1);
    const int index = static_cast<int>(m_manifolds.size());
    ManifoldSlot& slot = m_manifolds.emplace_back();
    slot.manifold.setBodies(&objectA, &objectB);
    slot.manifold.setContactBreakingThreshold(kContactMargin);
    if (btCollisionAlgorithm* algorithm = AlgorithmFor(slot, wa, wb)) {
        btManifoldResult result(&wa, &wb);
        result.setPersistentManifold(&slot.manifold);
        algorithm->processCollision(&wa, &wb, m_dispatchInfo, &result);
    }
    slot.manifold.clearManifold();
    slot.manifold.setBodies(nullptr, nullptr);
    m_freePairManifolds.push_back(index);
    ++m_pairSlots;
}

void PhStepWorld::PruneCache()
{
    std::size_t kept = 0;
    for (const CacheEntry& entry : m_cache) {
        if (entry.stamp == m_stamp) {
            m_cache[kept++] = entry;
            continue;
        }
        FreeManifold(entry);
    }
    m_cache.resize(kept);
    if (m_newEntries.empty())
        return;
    m_cache.insert(m_cache.end(), m_newEntries.begin(), m_newEntries.end());
    m_newEntries.clear();
    std::sort(m_cache.begin(), m_cache.end(),
              [](const CacheEntry& x, const CacheEntry& y) { return x.key < y.key; });
}

void PhStepWorld::Forget(const PhBody& body)
{
    for (const PhGeometry* g = body.geometries.head; g; g = g->next) {
        const int index = m_simulator.GetGeometryPool().IndexOf(g);
        if (index < 0 || index >= m_slotCount)
            continue;
        const std::uint64_t slot = static_cast<std::uint64_t>(index);
        auto uses = [slot](const CacheEntry& e) {
            return (e.key >> 32) == slot || ((e.key & kTerrainBit) == 0 && (e.key & 0xffffffffu) == slot);
        };
        std::size_t kept = 0;
        for (const CacheEntry& entry : m_cache) {
            if (uses(entry)) {
                FreeManifold(entry);
            } else {
                m_cache[kept++] = entry;
            }
        }
        m_cache.resize(kept);
        if (ShapeSlot* slot = m_slots[static_cast<std::size_t>(index)].get())
            slot->kind = -1;
    }
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (at < m_placements.size()) {
        m_placements[at] = Placement();
        m_imposed[at] = 0;
        m_terrainCaches[at].valid = false;
    }
    for (int& motion : m_motionOfBody)
        motion = motion >= 0 && m_motions[static_cast<std::size_t>(motion)].body == &body ? -1 : motion;
}

float PhStepWorld::SpeculativeMargin(const PhBody& a, const PhBody* b, float h) const
{
    float reach = 0.0f;
    for (const PhBody* body : {&a, b}) {
        const int m = MotionOf(body);
        if (m < 0)
            continue;
        const Motion& motion = m_motions[static_cast<std::size_t>(m)];
        reach += Reach(motion.v, motion.w.length() * body->boundingRadius, h);
    }
    return AheadMargin(reach);
}

void PhStepWorld::CollidePairs(float h)
{
    const PhResponseTable& responses = m_simulator.GetResponseTable();
    for (const Pair& pair : m_pairs) {
        const float margin = SpeculativeMargin(*pair.a, pair.b, h);
        const bool settled = IsSettled(*pair.a) && IsSettled(*pair.b);
        const btVector3 room(margin, margin, margin);
        for (const PhGeometry* ga = pair.a->geometries.head; ga; ga = ga->next) {
            ShapeSlot* slotA = Slot(*ga);
            if (!slotA)
                continue;
            const btTransform ta = PlacedTransform(*pair.a, *ga);
            slotA->object.setWorldTransform(ta);
            btVector3 minA, maxA;
            slotA->shape->getAabb(ta, minA, maxA);
            minA -= room;
            maxA += room;
            for (const PhGeometry* gb = pair.b->geometries.head; gb; gb = gb->next) {
                const std::int32_t response = responses.Get(ga->collisionClass, gb->collisionClass);
                if ((response & (kRespond | kReport)) == 0)
                    continue;
                ShapeSlot* slotB = Slot(*gb);
                if (!slotB)
                    continue;
                const btTransform tb = PlacedTransform(*pair.b, *gb);
                btVector3 minB, maxB;
                slotB->shape->getAabb(tb, minB, maxB);
                if (!Overlap(minA, maxA, minB, maxB))
                    continue;
                slotB->object.setWorldTransform(tb);
                const btCollisionObjectWrapper wa(nullptr, slotA->shape, &slotA->object, ta, -1, -1);
                const btCollisionObjectWrapper wb(nullptr, slotB->shape, &slotB->object, tb, -1, -1);
                const std::uint64_t key =
                    (static_cast<std::uint64_t>(m_simulator.GetGeometryPool().IndexOf(ga)) << 32) |
                    static_cast<std::uint64_t>(m_simulator.GetGeometryPool().IndexOf(gb));
                const PhMaterial& materialA = m_simulator.GetMaterial(ga->materialIndex);
                const PhMaterial& materialB = m_simulator.GetMaterial(gb->materialIndex);
                // The convex search reports points up to both shapes'
                // margins and the pair's beyond each other; boxes a face
                // axis parts by more (and a little to spare for rounding)
                // would only find nothing.
                constexpr float kSpare = 0.005f;
                const bool apart =
                    slotA->shape->getShapeType() == BOX_SHAPE_PROXYTYPE &&
                    slotB->shape->getShapeType() == BOX_SHAPE_PROXYTYPE &&
                    PhBoxesApart(static_cast<const btBoxShape&>(*slotA->shape), ta,
                                 static_cast<const btBoxShape&>(*slotB->shape), tb,
                                 slotA->shape->getMargin() + slotB->shape->getMargin() + margin + kSpare);
                Collide(wa, wb, *pair.a, pair.b, key, margin, Friction(materialA, materialB),
                        Restitution(materialA, materialB), response, h, nullptr, settled, apart);
            }
        }
    }
}

const PhStepWorld::TerrainCache* PhStepWorld::QueryTerrain(Motion& motion)
{
    motion.triangleFirst = static_cast<int>(m_triangles.size());
    motion.triangleCount = 0;
    motion.terrainList = nullptr;
    PhRigidBody& body = *motion.body;
    // The query answers for the game object a body stands for; a body
    // without one has nothing to ask about.
    if (!m_simulator.GetTerrainQueryCallback() || !body.userData ||
        (body.geometries.count == 0 && !body.sensors.head))
        return nullptr;
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    TerrainCache& cache = at < m_terrainCaches.size() ? m_terrainCaches[at] : m_scratchCache;
    const btVector3 low = Bt(body.worldMin), high = Bt(body.worldMax);
    const bool inside = cache.valid && low.x() >= cache.low.x() && low.y() >= cache.low.y() &&
                        low.z() >= cache.low.z() && high.x() <= cache.high.x() &&
                        high.y() <= cache.high.y() && high.z() <= cache.high.z();
    if (!inside && !AskTerrain(body, low, high, cache))
        return nullptr;
    motion.triangleCount = static_cast<int>(cache.count);
    if (&cache != &m_scratchCache) {
        // Left alone until the body's next question, a step later at the
        // soonest: read where it is.
        motion.terrainList = &cache.triangles;
        return &cache;
    }
    // The scratch answer is the next such body's: copied out.
    m_triangles.insert(m_triangles.end(), cache.triangles.begin(),
                       cache.triangles.begin() + static_cast<std::ptrdiff_t>(cache.count));
    return &cache;
}

void PhStepWorld::PrepareTerrain(const Vector4* vertices, std::int32_t triangleCount)
{
    if (!vertices || triangleCount <= 0)
        return;
    if (m_terrainSource == vertices && m_terrainCount == static_cast<std::size_t>(triangleCount))
        return;
    // Another mesh: what was made of the last one goes.
    m_terrainSource = vertices;
    m_terrainCount = static_cast<std::size_t>(triangleCount);
    m_terrain.reset(new Triangle[m_terrainCount]);
    m_terrainReady.assign(m_terrainCount, 0);
    m_triangleStamps.assign(m_terrainCount, 0);
    for (TerrainCache& other : m_terrainCaches) {
        other.valid = false;
        other.listedCount = 0;
    }
    m_scratchCache.listedCount = 0;
}

bool PhStepWorld::AskTerrain(PhBody& body, const btVector3& low, const btVector3& high, TerrainCache& cache)
{
    // A box a little larger than the body's, so the answer serves the
    // steps while the body stays within it.
    const btVector3 slack(kQuerySlack, kQuerySlack, kQuerySlack);
    cache.low = low - slack;
    cache.high = high + slack;
    cache.valid = false;
    cache.count = 0;
    const Vector4 cornerA{cache.low.x(), cache.low.y(), cache.low.z(), 0.0f};
    const Vector4 cornerB{cache.high.x(), cache.high.y(), cache.high.z(), 0.0f};
    const std::int32_t* indices = nullptr;
    const PhTerrainTriangle* triangles = nullptr;
    const Vector4* vertices = nullptr;
    std::int32_t indexCount = 0, triangleCount = 0;
    m_simulator.GetTerrainQueryCallback()(cornerA, cornerB, &indices, &triangles, &vertices, &indexCount,
                                          &triangleCount, &body);
    if (!indices || !triangles || !vertices || indexCount <= 0 || triangleCount <= 0)
        return false;
    PrepareTerrain(vertices, triangleCount);
    // Room for what a step may add around the body's box: its contact
    // margin and look-ahead.
    const btVector3 pad(kQueryPad, kQueryPad, kQueryPad);
    const btVector3 nearLow = cache.low - pad, nearHigh = cache.high + pad;
    // Written straight into the kept list, sized for the longest answer
    // yet: the answer holds no more triangles than the query listed.
    const std::size_t listed = static_cast<std::size_t>(indexCount);
    if (cache.triangles.size() < listed)
        cache.triangles.resize(listed);
    std::int32_t* out = cache.triangles.data();
    std::size_t count = 0;
    Triangle* terrain = m_terrain.get();
    BoxGrowth trianglesBox;
    // The query answers by cells of the mesh, much larger than a box:
    // triangles clear of the box asked about are never reached while the
    // answer is kept.
    auto take = [&](std::int32_t t) {
        const Triangle& triangle = terrain[static_cast<std::size_t>(t)];
        if (!Overlap(nearLow, nearHigh, triangle.low, triangle.high))
            return;
        trianglesBox.Take(triangle.low, triangle.high);
        out[count++] = t;
    };
    // A body that moved on within the same cells is given the same list
    // again: its triangles, found once each, are those found before.
    if (cache.listedCount == listed &&
        std::memcmp(cache.listed.data(), indices, listed * sizeof(std::int32_t)) == 0) {
        for (std::size_t i = 0; i < cache.distinctCount; ++i)
            take(cache.distinct[i]);
    } else {
        if (cache.listed.size() < listed)
            cache.listed.resize(listed);
        if (cache.distinct.size() < listed)
            cache.distinct.resize(listed);
        std::memcpy(cache.listed.data(), indices, listed * sizeof(std::int32_t));
        cache.listedCount = listed;
        // Cells list a triangle once each: it is collided once, in the
        // order the query first gave it.
        if (++m_queryStamp == 0) {
            std::fill(m_triangleStamps.begin(), m_triangleStamps.end(), 0u);
            m_queryStamp = 1;
        }
        std::int32_t* distinct = cache.distinct.data();
        std::size_t distinctCount = 0;
        std::uint32_t* stamps = m_triangleStamps.data();
        std::uint8_t* ready = m_terrainReady.data();
        const std::uint32_t stamp = m_queryStamp;
        for (std::size_t i = 0; i < listed; ++i) {
            const std::int32_t t = indices[i];
            // Below 0 or past the last, in one comparison.
            if (static_cast<std::uint32_t>(t) >= static_cast<std::uint32_t>(triangleCount))
                continue;
            const std::size_t at = static_cast<std::size_t>(t);
            if (stamps[at] == stamp)
                continue;
            stamps[at] = stamp;
            if (ready[at] == 0)
                ready[at] = MakeTriangle(triangles[t], vertices, terrain[at]) ? 1 : 2;
            if (ready[at] != 1)
                continue;
            distinct[distinctCount++] = t;
            take(t);
        }
        cache.distinctCount = distinctCount;
    }
    cache.count = count;
    if (count > 0) {
        cache.trianglesLow = trianglesBox.Low();
        cache.trianglesHigh = trianglesBox.High();
    }
    cache.valid = true;
    return true;
}

void PhStepWorld::NoteSettling(const PhRigidBody& body)
{
    constexpr float kStill = 0.01f; // metres, and the like in the rotation rows
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (at >= m_placements.size())
        return;
    Placement& placement = m_placements[at];
    bool still = placement.made;
    // The position row first: a moving body is told by it at once.
    for (int r = 3; r >= 0 && still; --r)
        still = RowStill(body.transform.m[r], placement.transform.m[r], kStill);
    placement.settled = still;
    if (!still) {
        placement.transform = body.transform;
        placement.made = true;
    }
}

void PhStepWorld::ForgetPlacement(const PhRigidBody& body)
{
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (at < m_placements.size())
        m_placements[at].made = false;
}

bool PhStepWorld::IsSettled(const PhBody& body) const
{
    if (body.dynamic == 0)
        return static_cast<const PhKinematicBody&>(body).moved == 0;
    const std::size_t at = static_cast<std::size_t>(body.bodyIndex);
    if (MotionOf(&body) < 0)
        return true; // asleep
    return at < m_placements.size() && m_placements[at].settled;
}

bool PhStepWorld::MakeTriangle(const PhTerrainTriangle& source, const Vector4* vertices, Triangle& triangle)
{
    if (source.vertex[0] < 0 || source.vertex[1] < 0 || source.vertex[2] < 0)
        return false;
    for (int k = 0; k < 3; ++k)
        triangle.v[k] = Bt(vertices[source.vertex[k]]);
    if (!FaceOf(triangle.v[0], triangle.v[1], triangle.v[2], triangle.face))
        return false;
    triangle.low = triangle.high = triangle.v[0];
    for (int k = 1; k < 3; ++k) {
        triangle.low.setMin(triangle.v[k]);
        triangle.high.setMax(triangle.v[k]);
    }
    return true;
}

void PhStepWorld::CollideTerrain(float h)
{
    m_triangles.clear();
    // Only pairs' contacts are in yet: a body that meets no other moving
    // one is lone already, as the solver will find it.
    MarkLoneBodies();
    const PhResponseTable& responses = m_simulator.GetResponseTable();
    const PhMaterial& ground = m_simulator.GetMaterial(0);
    for (std::size_t m = 0; m < m_motions.size(); ++m) {
        const TerrainCache* near = QueryTerrain(m_motions[m]);
        const Motion& motion = m_motions[m];
        if (motion.triangleCount == 0 || !near)
            continue;
        PhRigidBody& body = *motion.body;
        // Its geometries' boxes, with the room below, lie within its own
        // box and a little more: a body clear of all its triangles by that
        // (one falling onto them) has nothing to collide.
        const btVector3 pad(kQueryPad, kQueryPad, kQueryPad);
        if (!Overlap(Bt(body.worldMin) - pad, Bt(body.worldMax) + pad, near->trianglesLow,
                     near->trianglesHigh))
            continue;
        const float spin = motion.w.length() * body.boundingRadius;
        // The body's own margin, as SpeculativeMargin makes it, from the
        // spin just found.
        const float margin =
            AheadMargin(MotionOf(&body) == static_cast<int>(m) ? Reach(motion.v, spin, h) : 0.0f);
        // Asked only of a body that reaches a triangle: most never do.
        int settled = -1;
        const btVector3 room(margin, margin, margin);
        const std::size_t first = m_contacts.size();
        m_lonePoints = motion.lone;
        m_leftOutSkipped = 0;
        for (const PhGeometry* g = body.geometries.head; g; g = g->next) {
            const std::int32_t response = responses.Get(g->collisionClass, -1);
            if ((response & (kRespond | kReport)) == 0)
                continue;
            ShapeSlot* slot = Slot(*g);
            if (!slot)
                continue;
            const btTransform transform = PlacedTransform(body, *g);
            slot->object.setWorldTransform(transform);
            btVector3 low, high;
            slot->shape->getAabb(transform, low, high);
            low -= room;
            high += room;
            const btCollisionObjectWrapper wa(nullptr, slot->shape, &slot->object, transform, -1, -1);
            const PhMaterial& material = m_simulator.GetMaterial(g->materialIndex);
            const std::uint64_t keyA = static_cast<std::uint64_t>(m_simulator.GetGeometryPool().IndexOf(g))
                                       << 32;
            // Most triangles fail the box test alone: the box and the list
            // are read once, not again after every store the loop may make.
            const BoxLanes reach(low, high);
            const std::int32_t* listed = TrianglesOf(motion);
            const Triangle* terrain = m_terrain.get();
            const int listedCount = motion.triangleCount;
            for (int i = 0; i < listedCount; ++i) {
                const std::int32_t t = listed[i];
                const Triangle& triangle = terrain[static_cast<std::size_t>(t)];
                if (!reach.Overlaps(triangle.low, triangle.high))
                    continue;
                // Clear of the plane by more than the body can close on it
                // in the step: nothing to collide.
                btVector3 n = triangle.face.normal;
                if ((transform.getOrigin() - triangle.face.origin).dot(n) < 0.0f)
                    n = -n;
                const float closing = AheadMargin((std::max(0.0f, -motion.v.dot(n)) + spin) * h);
                if (AbovePlane(*slot->shape, transform, triangle.face, closing))
                    continue;
                // Twice the margin: contacts that far apart would all be
                // dropped again, whatever the triangle's manifold held.
                if (BesideTriangle(*slot->shape, transform, triangle.v, triangle.face.normal, 2.0f * margin))
                    continue;
                if (settled < 0)
                    settled = IsSettled(body) ? 1 : 0;
                btTriangleShape shape(triangle.v[0], triangle.v[1], triangle.v[2]);
                shape.setMargin(0.0f);
                const btCollisionObjectWrapper wb(nullptr, &shape, &m_terrainObject,
                                                  btTransform::getIdentity(), -1, t);
                Collide(wa, wb, body, nullptr, keyA | kTerrainBit | static_cast<std::uint64_t>(t), margin,
                        Friction(material, ground), Restitution(material, ground), response, h,
                        &triangle.face, settled == 1, false);
            }
        }
        m_lonePoints = false;
        if (motion.lone)
            KeepSpreadContacts(first);
        // Too few of the points it kept are left to stand on: the next step
        // finds its contacts anew and chooses again.
        if (m_leftOutSkipped > 0 && m_contacts.size() - first < 3)
            ForgetPlacement(body);
    }
}

void PhStepWorld::KeepSpreadContacts(std::size_t first)
{
    // A box standing across two triangles gets a face's worth of points
    // from each; four spread ones hold it as well. The touch's deepest
    // point stays, then the one furthest from it, then those adding the
    // most area: the body's rest and its reported touch stay as they were.
    constexpr std::size_t kKept = 4;
    const std::size_t count = m_contacts.size() - first;
    if (count <= kKept)
        return;
    const int touchIndex = m_contacts[first].touch;
    Touch& touch = m_touches[static_cast<std::size_t>(touchIndex)];
    if (touch.deepest < static_cast<int>(first))
        return;
    auto at = [&](std::size_t i) { return m_contacts[first + i].point->getPositionWorldOnA(); };
    std::size_t chosen[kKept];
    chosen[0] = static_cast<std::size_t>(touch.deepest) - first;
    auto best = [&](auto score) {
        std::size_t pick = chosen[0];
        float most = -1.0f;
        for (std::size_t i = 0; i < count; ++i) {
            const float value = score(at(i));
            if (value > most) {
                most = value;
                pick = i;
            }
        }
        return pick;
    };
    const btVector3 p0 = at(chosen[0]);
    chosen[1] = best([&](const btVector3& p) { return (p - p0).length2(); });
    const btVector3 p1 = at(chosen[1]);
    chosen[2] = best([&](const btVector3& p) { return (p1 - p0).cross(p - p0).length2(); });
    const btVector3 p2 = at(chosen[2]);
    const btVector3 corners[3] = {p0, p1, p2};
    const btVector3 up = (p1 - p0).cross(p2 - p0);
    // The fourth: the largest triangle it makes with an edge it lies
    // beyond; points within the first three add nothing.
    chosen[3] = best([&](const btVector3& p) {
        float most = 0.0f;
        for (int e = 0; e < 3; ++e) {
            const btVector3& a = corners[e];
            const btVector3& b = corners[(e + 1) % 3];
            const float outside = -(b - a).cross(p - a).dot(up);
            most = std::max(most, outside);
        }
        return most;
    });
    std::size_t kept = first;
    for (std::size_t i = 0; i < count; ++i) {
        Contact& c = m_contacts[first + i];
        if (std::find(chosen, chosen + kKept, i) == chosen + kKept) {
            // Dropped points start afresh if they are kept again later.
            c.point->m_appliedImpulse = 0.0f;
            c.point->m_appliedImpulseLateral1 = 0.0f;
            c.point->m_appliedImpulseLateral2 = 0.0f;
            c.point->m_contactPointFlags |= kLeftOut;
            continue;
        }
        c.point->m_contactPointFlags &= ~kLeftOut;
        if (static_cast<int>(first + i) == touch.deepest)
            touch.deepest = static_cast<int>(kept);
        m_contacts[kept++] = c;
    }
    m_contacts.resize(kept);
}

void PhStepWorld::Collide(const btCollisionObjectWrapper& wa, const btCollisionObjectWrapper& wb, PhBody& a,
                          PhBody* b, std::uint64_t key, float margin, float friction, float restitution,
                          std::int32_t response, float h, const Face* face, bool settled, bool apart)
{
    bool kept = false;
    ManifoldSlot& slot = Manifold(key, kept, wa.getCollisionObject(), wb.getCollisionObject());
    btPersistentManifold* manifold = &slot.manifold;
    manifold->setContactBreakingThreshold(margin);
    btManifoldResult result(&wa, &wb);
    result.setPersistentManifold(manifold);
    // Sides that have barely moved since their contacts were made keep
    // them: the points are only brought up to date. So are those of sides
    // too far apart for a search to find any.
    const bool found = !(kept && settled);
    if (found && !apart && !FindContacts(slot, wa, wb, result))
        return;
    result.refreshContactPoints();
    // Points a lone body's solving left out stay out while they are only
    // brought up to date: the choice would come out the same.
    const bool skipLeftOut = m_lonePoints && !found;
    for (int i = 0; i < manifold->getNumContacts(); ++i) {
        btManifoldPoint& point = manifold->getContactPoint(i);
        if (skipLeftOut && (point.m_contactPointFlags & kLeftOut)) {
            ++m_leftOutSkipped;
            continue;
        }
        if (face)
            OntoFace(point, *face);
        AddContact(point, a, b, friction, restitution, response, h);
    }
}

bool PhStepWorld::FindContacts(ManifoldSlot& slot, const btCollisionObjectWrapper& wa,
                               const btCollisionObjectWrapper& wb, btManifoldResult& result)
{
    const btCollisionShape& a = *wa.getCollisionShape();
    const btCollisionShape& b = *wb.getCollisionShape();
    if (a.getShapeType() == BOX_SHAPE_PROXYTYPE && b.getShapeType() == TRIANGLE_SHAPE_PROXYTYPE) {
        const auto& triangle = static_cast<const btTriangleShape&>(b);
        btVector3 corners[3];
        for (int k = 0; k < 3; ++k)
            corners[k] = wb.getWorldTransform()(triangle.m_vertices1[k]);
        PhCollideBoxTriangle(static_cast<const btBoxShape&>(a), wa.getWorldTransform(), corners,
                             slot.manifold.getContactBreakingThreshold(), result);
        return true;
    }
    btCollisionAlgorithm* algorithm = AlgorithmFor(slot, wa, wb);
    if (!algorithm)
        return false;
    algorithm->processCollision(&wa, &wb, m_dispatchInfo, &result);
    return true;
}

int PhStepWorld::TouchOf(PhBody& a, PhBody* b, bool report)
{
    if (!m_touches.empty() && m_touches.back().a == &a && m_touches.back().b == b)
        return static_cast<int>(m_touches.size()) - 1;
    Touch touch;
    touch.a = &a;
    touch.b = b;
    touch.report = report;
    touch.depth = FLT_MAX;
    m_touches.push_back(touch);
    return static_cast<int>(m_touches.size()) - 1;
}

void PhStepWorld::AddContact(btManifoldPoint& point, PhBody& a, PhBody* b, float friction, float restitution,
                             std::int32_t response, float h)
{
    Contact c;
    const bool respond = (response & kRespond) != 0;
    const int ma = MotionOf(&a);
    const int mb = b ? MotionOf(b) : -1;
    c.a = respond ? ma : -1;
    c.b = respond ? mb : -1;
    c.point = &point;
    c.n = point.m_normalWorldOnB;
    c.rA = point.getPositionWorldOnA() - Bt(BodyPosition(a));
    btVector3 velocity = btVector3(0, 0, 0);
    if (ma >= 0) {
        const Motion& motion = m_motions[static_cast<std::size_t>(ma)];
        velocity = motion.v + motion.w.cross(c.rA);
    }
    c.rB = btVector3(0, 0, 0);
    if (b) {
        c.rB = point.getPositionWorldOnB() - Bt(BodyPosition(*b));
        if (mb >= 0) {
            const Motion& motion = m_motions[static_cast<std::size_t>(mb)];
            velocity -= motion.v + motion.w.cross(c.rB);
        }
    }
    const float d = point.getDistance();
    const float vn = velocity.dot(c.n);
    const float bounce = vn < -kBounceThreshold ? -restitution * vn : 0.0f;
    if (d > 0.0f)
        c.target = (bounce > 0.0f && -vn * h > d) ? bounce : -d / h;
    else
        c.target = bounce;
    c.pseudoTarget = d < -kPenetrationSlop ? kPenetrationRecovery / h * (-d - kPenetrationSlop) : 0.0f;
    c.friction = friction;
    c.touch = TouchOf(a, b, (response & kReport) != 0);
    const int index = static_cast<int>(m_contacts.size());
    m_contacts.push_back(c);
    // A pair that closes within the step counts as touching now, so the
    // callback hears the speed it meets with, before the response takes it.
    const float reach = std::min(d, d + vn * h);
    Touch& touch = m_touches[static_cast<std::size_t>(c.touch)];
    if (reach < touch.depth) {
        touch.depth = reach;
        touch.deepest = index;
        touch.relativeVelocity = velocity;
    }
}
