#include "physics/StepWorld.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "physics/PhysicsMath.h"
#include "physics/Rotation.h"
#include "physics/Simulator.h"

using namespace phstep;

namespace {

btVector3 Bt(const Vector4& v) { return btVector3(v.x, v.y, v.z); }
Vector4 Ph(const btVector3& v) { return Vector4{v.x(), v.y(), v.z(), 0.0f}; }

btMatrix3x3 BtRows(const Vector4 rows[3])
{
    return btMatrix3x3(rows[0].x, rows[0].y, rows[0].z, rows[1].x, rows[1].y, rows[1].z, rows[2].x, rows[2].y,
                       rows[2].z);
}

bool ControllerPushes(const PhRigidBody& body)
{
    for (const PhController* c = body.controllers.head; c; c = c->next) {
        if (!PhIsNegligible(c->force) || !PhIsNegligible(c->torque))
            return true;
    }
    return false;
}

// Not a value any caller writes into a vector's fourth component.
const float kUntouched = -7.7e-33f;

// What a quiet step adds to a body's rest count: more the stiller a body
// left to itself is.
int QuietStepWeight(const PhRigidBody& body, float v2)
{
    if (body.controllers.head)
        return 1;
    const float w2 = phmath::LengthSquared(body.angularVelocity);
    auto within = [&](float share) {
        return v2 < share * share * kSleepSpeed * kSleepSpeed && w2 < share * share * kSleepSpin * kSleepSpin;
    };
    return within(kStillerShare) ? 4 : within(kStillShare) ? 2 : 1;
}

int BodySlots(const PhSimulator& simulator)
{
    return simulator.GetRigidBodyPool().GetCapacity() + simulator.GetKinematicBodyPool().GetCapacity() +
           simulator.GetRigidParticlePool().GetCapacity();
}

// The dispatcher's pools: algorithms live with the stepping's own
// manifolds and are made once for each, so a few records do where
// Bullet's defaults would fill megabytes at every level load; the
// algorithms beyond them come from the heap as the manifolds grow.
btDefaultCollisionConstructionInfo SmallPools()
{
    btDefaultCollisionConstructionInfo info;
    info.m_defaultMaxPersistentManifoldPoolSize = 16;
    info.m_defaultMaxCollisionAlgorithmPoolSize = 16;
    return info;
}

} // namespace

bool PhIsAsleep(const PhRigidBody& body) { return body.restCounter1 >= kStepsToSleep; }

bool PhRigidBody::IsAsleep() const { return PhIsAsleep(*this); }

PhStepWorld::PhStepWorld(PhSimulator& simulator)
    : m_simulator(simulator), m_configuration(SmallPools()), m_dispatcher(&m_configuration)
{
    // Boxes meet through the general convex algorithm rather than the
    // box-box one: it also reports pairs a little apart, whose contacts
    // then keep an approaching body from overshooting into the other
    // (contacts ahead of time; the sweep deals with bodies faster still).
    m_configuration.setConvexConvexMultipointIterations(3, 3);
    m_dispatcher.registerCollisionCreateFunc(BOX_SHAPE_PROXYTYPE, BOX_SHAPE_PROXYTYPE,
                                             m_configuration.getCollisionAlgorithmCreateFunc(
                                                 CONVEX_HULL_SHAPE_PROXYTYPE, CONVEX_HULL_SHAPE_PROXYTYPE));
    m_terrainObject.setWorldTransform(btTransform::getIdentity());
    m_slotCount = simulator.GetGeometryPool().GetCapacity();
    m_slots.resize(static_cast<std::size_t>(std::max(m_slotCount, 0)));
    m_placed.resize(m_slots.size());
    m_motionOfBody.assign(static_cast<std::size_t>(BodySlots(simulator)), -1);
    m_imposed.assign(m_motionOfBody.size(), 0);
    m_placements.assign(m_motionOfBody.size(), Placement());
    m_terrainCaches.resize(m_motionOfBody.size());
    m_pairSlotMade.assign(m_motionOfBody.size(), 0);
    const std::size_t bodies = static_cast<std::size_t>(simulator.GetRigidBodyPool().GetCapacity() +
                                                        simulator.GetRigidParticlePool().GetCapacity());
    m_motions.reserve(bodies);
    m_pairs.reserve(256);
    m_open.reserve(256);
    m_contacts.reserve(1024);
    m_touches.reserve(256);
    m_triangles.reserve(4096);
    m_nearSensors.reserve(256);
    m_sensorRays.reserve(16);
    m_sensed.reserve(64);
    // Every manifold may be given back at once; the cache holds an entry
    // for each manifold in use, and a step's new ones besides.
    const std::size_t manifolds = static_cast<std::size_t>(kMostPairSlots + kMostTerrainSlots);
    m_freeManifolds.reserve(manifolds);
    m_freePairManifolds.reserve(manifolds);
    m_cache.reserve(2 * manifolds);
    m_newEntries.reserve(manifolds);
}

PhStepWorld::~PhStepWorld()
{
    for (ManifoldSlot& slot : m_manifolds)
        FreeAlgorithm(slot);
}

void PhStepWorld::Advance(float frameTime)
{
    if (!(frameTime > 0.0f) || !std::isfinite(frameTime))
        return;
    m_carried += frameTime;
    int steps = 0;
    while (m_carried >= kFixedStep && steps < kMaxStepsPerFrame) {
        const float rest = m_carried - kFixedStep;
        m_lastOfFrame = !(rest >= kFixedStep && steps + 1 < kMaxStepsPerFrame);
        StepOnce(kFixedStep);
        m_carried = rest;
        ++steps;
    }
    m_lastOfFrame = true;
    // Time beyond the bounded number of steps is dropped, not owed: a slow
    // frame must not make the next one slower still.
    if (m_carried >= kFixedStep)
        m_carried = 0.0f;
    if (steps > 0)
        ClearFrameForces();
}

void PhStepWorld::StepOnce(float h)
{
    ++m_stamp;
    RunControllers(h);
    ApplyBodyForces(h);
    BeginMotions(h);
    UpdateBounds(h);
    FindPairs(h);
    m_contacts.clear();
    m_touches.clear();
    CollidePairs(h);
    CollideTerrain(h);
    PruneCache();
    PrepareContacts();
    SolveVelocities();
    SolvePositions();
    StoreImpulses();
    SweepFastBodies(h);
    DampRocking(h);
    EndMotions(h);
    CastSensors();
    RestBodies();
    ReportTouches();
    for (PhKinematicBody* k = m_simulator.GetBodyLists().kinematicActive.head; k; k = k->next)
        k->moved = 0;
}

void PhStepWorld::RunControllers(float h)
{
    const PhSimulator::BodyLists& lists = m_simulator.GetBodyLists();
    for (PhRigidBody* first : {lists.rigidActive.head, lists.particleActive.head}) {
        for (PhRigidBody* body = first; body;) {
            PhRigidBody* nextBody = body->next;
            // The fourth components carry a mark through the listeners: one
            // that sets the motion, even to what it was, replaces the mark
            // and so imposes its velocity or momentum on the step.
            body->velocity.w = kUntouched;
            body->angularMomentum.w = kUntouched;
            for (PhController* controller = body->controllers.head; controller;) {
                PhController* nextController = controller->next;
                controller->lastOfFrame = m_lastOfFrame;
                controller->Tick(h);
                controller = nextController;
            }
            std::uint8_t imposed = 0;
            if (std::memcmp(&body->velocity.w, &kUntouched, sizeof kUntouched) != 0)
                imposed |= kImposedVelocity;
            if (std::memcmp(&body->angularMomentum.w, &kUntouched, sizeof kUntouched) != 0)
                imposed |= kImposedSpin;
            body->velocity.w = 0.0f;
            body->angularMomentum.w = 0.0f;
            SetImposed(*body, imposed);
            // A controller that starts pushing a sleeping body wakes it.
            if (PhIsAsleep(*body) && ControllerPushes(*body))
                body->Wake();
            body = nextBody;
        }
    }
}

void PhStepWorld::SetImposed(const PhRigidBody& body, std::uint8_t imposed)
{
    if (body.bodyIndex >= 0 && body.bodyIndex < static_cast<int>(m_imposed.size()))
        m_imposed[static_cast<std::size_t>(body.bodyIndex)] = imposed;
}

std::uint8_t PhStepWorld::ImposedOn(const PhRigidBody& body) const
{
    if (body.bodyIndex < 0 || body.bodyIndex >= static_cast<int>(m_imposed.size()))
        return 0;
    return m_imposed[static_cast<std::size_t>(body.bodyIndex)];
}

void PhStepWorld::BeginMotions(float h)
{
    for (const Motion& motion : m_motions) {
        if (motion.slot >= 0)
            m_motionOfBody[static_cast<std::size_t>(motion.slot)] = -1;
    }
    m_motions.clear();
    const PhSimulator::BodyLists& lists = m_simulator.GetBodyLists();
    for (PhRigidBody* first : {lists.rigidActive.head, lists.particleActive.head}) {
        for (PhRigidBody* body = first; body; body = body->next) {
            if (!PhIsAsleep(*body))
                AddMotion(*body, h, true);
        }
    }
}

int PhStepWorld::AddMotion(PhRigidBody& body, float h, bool integrate)
{
    Motion motion;
    motion.body = &body;
    motion.invMass = body.inverseMass;
    motion.invInertia = BtRows(body.worldInverseInertia);
    motion.v = Bt(body.velocity);
    motion.w = Bt(body.angularVelocity);
    motion.vp = motion.wp = motion.dL = btVector3(0, 0, 0);
    if (integrate)
        ApplyControllerForces(motion, h);
    const int index = static_cast<int>(m_motions.size());
    if (body.bodyIndex >= 0 && body.bodyIndex < static_cast<int>(m_motionOfBody.size())) {
        motion.slot = body.bodyIndex;
        m_motionOfBody[static_cast<std::size_t>(body.bodyIndex)] = index;
    }
    m_motions.push_back(motion);
    return index;
}

void PhStepWorld::WakeIntoStep(PhRigidBody& body, float h)
{
    body.Wake();
    if (MotionOf(&body) < 0)
        AddMotion(body, h, false);
}

void PhStepWorld::ApplyBodyForces(float h)
{
    // Through direction and length, which are zero for a gravity that is
    // not a number.
    const btVector3 gravity = Bt(m_simulator.GetGravityDirection()) * m_simulator.GetGravityLength();
    const PhSimulator::BodyLists& lists = m_simulator.GetBodyLists();
    for (PhRigidBody* first : {lists.rigidActive.head, lists.particleActive.head}) {
        for (PhRigidBody* body = first; body; body = body->next) {
            if (PhIsAsleep(*body) || body->inverseMass == 0.0f)
                continue;
            const std::uint8_t imposed = ImposedOn(*body);
            if ((imposed & kImposedSpin) == 0)
                body->angularMomentum = Ph(Bt(body->angularMomentum) + Bt(body->torque) * h);
            if (imposed & kImposedVelocity)
                continue;
            btVector3 v = Bt(body->velocity) + (Bt(body->force) * body->inverseMass + gravity) * h;
            // Air drag, felt only above a walking pace's worth of speed, so
            // slow and imposed motion stays exact: it gives driven bodies a
            // top speed. Implicit, so it never turns the motion round.
            const float speed = v.length();
            if (speed > kDragFreeSpeed) {
                const float excess = speed - kDragFreeSpeed;
                v *= 1.0f - (kAirDrag * excess * excess * h / speed) / (1.0f + 2.0f * kAirDrag * excess * h);
            }
            body->velocity = Ph(v);
        }
    }
}

void PhStepWorld::ApplyControllerForces(Motion& motion, float h) const
{
    PhRigidBody& body = *motion.body;
    if (motion.invMass == 0.0f)
        return;
    btVector3 force(0, 0, 0), torque(0, 0, 0);
    for (const PhController* c = body.controllers.head; c; c = c->next) {
        force += Bt(c->force);
        torque += Bt(c->torque);
    }
    const std::uint8_t imposed = ImposedOn(body);
    if ((imposed & kImposedVelocity) == 0)
        motion.v += force * (motion.invMass * h);
    if (imposed & kImposedSpin)
        return;
    const btVector3 momentum = Bt(body.angularMomentum) + torque * h;
    body.angularMomentum = Ph(momentum);
    motion.w = motion.invInertia * momentum;
}

void PhStepWorld::DampRocking(float h)
{
    const float speed2 = kRockSpeed * kRockSpeed;
    const float spin2 = kRockSpin * kRockSpin;
    const float kept = 1.0f / (1.0f + kRockDamping * h);
    for (const Touch& touch : m_touches) {
        // Only on the ground, and only bodies left to themselves: what a
        // controller drives keeps its own motion.
        if (touch.b || touch.deepest < 0 || touch.depth > kTouchDistance)
            continue;
        const int m = MotionOf(touch.a);
        if (m < 0)
            continue;
        Motion& motion = m_motions[static_cast<std::size_t>(m)];
        // A body can meet the ground in more than one touch; its spin is
        // damped once a step, as its momentum is.
        if (motion.spinKept != 1.0f || motion.body->controllers.head || ImposedOn(*motion.body) != 0)
            continue;
        if (motion.v.length2() > speed2 || motion.w.length2() > spin2)
            continue;
        motion.spinKept = kept;
        motion.w *= kept;
    }
}

void PhStepWorld::EndMotions(float h)
{
    for (Motion& motion : m_motions) {
        PhRigidBody& body = *motion.body;
        body.velocity = Ph(motion.v);
        body.angularMomentum = Ph((Bt(body.angularMomentum) + motion.dL) * motion.spinKept);
        if (motion.invMass == 0.0f && body.inverseMass == 0.0f && motion.v.isZero())
            continue;
        const btVector3 v = (motion.v + motion.vp) * motion.sweep;
        const btVector3 w = motion.w + motion.wp;
        Vector4 position = body.GetPos();
        position.x += v.x() * h;
        position.y += v.y() * h;
        position.z += v.z() * h;
        body.transform.m[3][0] = position.x;
        body.transform.m[3][1] = position.y;
        body.transform.m[3][2] = position.z;

        btQuaternion q(body.orientation.x, body.orientation.y, body.orientation.z, body.orientation.w);
        const btQuaternion spin(w.x(), w.y(), w.z(), 0.0f);
        q += (spin * q) * (0.5f * h);
        const float length = q.length();
        q = length > 1e-6f ? q / length : btQuaternion(0, 0, 0, 1);
        body.orientation = Quaternion{q.x(), q.y(), q.z(), q.w()};
        Vector4 rows[3] = {phmath::Row(body.transform, 0), phmath::Row(body.transform, 1),
                           phmath::Row(body.transform, 2)};
        PhQuaternionToRows(body.orientation, rows);
        for (int i = 0; i < 3; ++i)
            phmath::SetRow(body.transform, i, rows[i]);
        body.UpdateWorldInverseInertia();
        // The momentum is what the step keeps; the spin follows the turned
        // inertia.
        const btVector3 turned = BtRows(body.worldInverseInertia) * Bt(body.angularMomentum);
        body.angularVelocity = Ph(turned);
        const Quaternion rate =
            phmath::QuatMul(Quaternion{turned.x(), turned.y(), turned.z(), 0.0f}, body.orientation);
        body.quaternionRate = Quaternion{0.5f * rate.x, 0.5f * rate.y, 0.5f * rate.z, 0.5f * rate.w};
        motion.w = turned;
    }
}

void PhStepWorld::RestBodies()
{
    const float speed2 = kSleepSpeed * kSleepSpeed;
    const float spin2 = kSleepSpin * kSleepSpin;
    const PhSimulator::BodyLists& lists = m_simulator.GetBodyLists();
    for (PhRigidBody* first : {lists.rigidActive.head, lists.particleActive.head}) {
        for (PhRigidBody* body = first; body; body = body->next) {
            const float v2 = phmath::LengthSquared(body->velocity);
            body->speed = v2 < 1e-12f ? 0.0f : std::sqrt(v2);
            if (PhIsAsleep(*body)) {
                ++body->restCounter2;
                continue;
            }
            const bool quiet = v2 < speed2 && phmath::LengthSquared(body->angularVelocity) < spin2 &&
                               !ControllerPushes(*body);
            if (!quiet) {
                // A jolt now and then between long quiet spells (a box on
                // the edges of several triangles) does not keep a body
                // awake for ever; steady motion empties the count at once.
                body->restCounter1 /= 2;
                continue;
            }
            body->restCounter1 += QuietStepWeight(*body, v2);
            if (body->restCounter1 < kStepsToSleep)
                continue;
            // Asleep: still, until something wakes it.
            body->velocity = Vector4{};
            body->angularVelocity = Vector4{};
            body->angularMomentum = Vector4{};
            body->quaternionRate = Quaternion{0.0f, 0.0f, 0.0f, 0.0f};
            body->speed = 0.0f;
            body->restCounter2 = 0;
        }
    }
}

void PhStepWorld::ReportTouches()
{
    const PhCollisionCallback callback = m_simulator.GetCollisionCallback();
    if (!callback)
        return;
    for (const Touch& touch : m_touches) {
        if (!touch.report || touch.deepest < 0 || touch.depth > kTouchDistance)
            continue;
        const btManifoldPoint& point = *m_contacts[static_cast<std::size_t>(touch.deepest)].point;
        const Contact& c = m_contacts[static_cast<std::size_t>(touch.deepest)];
        PhContact record;
        record.bodyA = touch.a;
        record.bodyB = touch.b;
        record.kindA = touch.a->dynamic;
        record.kindB = touch.b ? touch.b->dynamic : 0;
        // The solver's points are kept with A first.
        record.pointOnA = Ph(point.getPositionWorldOnA());
        record.pointOnB = Ph(point.getPositionWorldOnB());
        record.pointOnA.w = record.pointOnB.w = 1.0f;
        record.relativeVelocity = Ph(touch.relativeVelocity);
        record.normal = Ph(c.n);
        callback(&record);
    }
}

void PhStepWorld::ClearFrameForces()
{
    // A force or torque set on a body acts for the frame it was set in.
    const PhSimulator::BodyLists& lists = m_simulator.GetBodyLists();
    for (PhRigidBody* first : {lists.rigidActive.head, lists.particleActive.head}) {
        for (PhRigidBody* body = first; body; body = body->next) {
            body->force = Vector4{};
            body->torque = Vector4{};
        }
    }
}

int PhStepWorld::MotionOf(const PhBody* body) const
{
    if (!body || body->dynamic == 0 || body->bodyIndex < 0 ||
        body->bodyIndex >= static_cast<int>(m_motionOfBody.size()))
        return -1;
    return m_motionOfBody[static_cast<std::size_t>(body->bodyIndex)];
}
