#include "physics/Simulator.h"

#include <cmath>
#include <new>

#include "physics/ContactGroup.h"
#include "physics/PhysicsMath.h"
#include "physics/StepWorld.h"
#include "physics/Stepping.h"

namespace {

const char kFailedToAllocate[] = "Failed to allocate memory.\n";
const char kRunOutOfRigidBodies[] = "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n";
const char kRunOutOfKinematicBodies[] = "Run out of KinematicBodies. Increase 'kinematicBodiesCount'.\n";
const char kRunOutOfParticles[] = "Run out of RigidBodies. Increase 'rigidParticleCount'.\n";
const char kRunOutOfControllers[] = "Run out of Controllers. Increase 'constraintSetsCount'.\n";
const char kRunOutOfGeometries[] = "Run out of Geometries. Increase 'geometriesCount'.\n";
const char kRunOutOfSensors[] = "Run out of Sensors. Increase 'sensorsCount'.\n";

const PhMaterial kDefaultMaterial;

int AtLeastZero(int count) { return count > 0 ? count : 0; }

template <typename T> void GiveBackAll(PhList<T>& list, PhPool<T>& pool)
{
    while (T* item = list.head) {
        list.Unlink(item);
        pool.Give(item);
    }
}

} // namespace

PhSimulator::PhSimulator(const PhSizeInfo& sizes, PhAllocator* allocator, const Vector4* gravity)
    : m_sizes(sizes)
{
    if (allocator)
        m_allocator = allocator;
    SetGravity(gravity);
    if (CreateBodyPools()) {
        const int bodies = AtLeastZero(m_sizes.rigidBodiesCount) + AtLeastZero(m_sizes.kinematicBodiesCount);
        if (!m_broadPhase.Build(bodies, m_sizes.rigidParticleCount, m_sizes.overlappedPairsCount,
                                *m_allocator))
            Log(kFailedToAllocate);
    }
    CreateRecordPools();
    CreateStepWorld();
    m_timer.Calibrate();
}

void PhSimulator::CreateStepWorld()
{
    void* block = m_allocator->Alloc(sizeof(PhStepWorld), 0);
    if (!block) {
        Log(kFailedToAllocate);
        return;
    }
    m_stepWorld = new (block) PhStepWorld(*this);
}

PhSimulator::~PhSimulator()
{
    // Everything goes back to the allocator it came from, before that
    // allocator can go.
    if (m_stepWorld) {
        m_stepWorld->~PhStepWorld();
        m_allocator->Free(m_stepWorld);
        m_stepWorld = nullptr;
    }
    m_broadPhase.Release();
    m_sensors.Release();
    m_geometries.Release();
    m_controllers.Release();
    m_rigidParticles.Release();
    m_kinematicBodies.Release();
    m_rigidBodies.Release();
}

void PhSimulator::SetGravity(const Vector4* gravity)
{
    m_gravity = gravity ? *gravity : Vector4{};
    const float squared = phmath::LengthSquared(m_gravity);
    m_gravityLength = std::sqrt(squared);
    if (!std::isfinite(m_gravityLength))
        m_gravityLength = 0.0f;
    m_gravityDirection = Vector4{};
    if (squared >= 1e-6f && m_gravityLength > 0.0f) {
        m_gravityDirection = phmath::Scale(m_gravity, 1.0f / m_gravityLength);
        m_gravityDirection.w = 0.0f;
    }
    m_gravityScaledLength = 0.3f * m_gravityLength;
}

bool PhSimulator::CreateBodyPools()
{
    const bool ok = m_rigidBodies.Create(m_sizes.rigidBodiesCount, *m_allocator) &&
                    m_kinematicBodies.Create(m_sizes.kinematicBodiesCount, *m_allocator) &&
                    m_rigidParticles.Create(m_sizes.rigidParticleCount, *m_allocator);
    if (!ok)
        Log(kFailedToAllocate);
    return ok;
}

void PhSimulator::CreateRecordPools()
{
    // A pool that cannot be had stays empty: its requests are refused.
    bool ok = m_controllers.Create(m_sizes.constraintSetsCount, *m_allocator);
    ok = m_sensors.Create(m_sizes.sensorsCount, *m_allocator) && ok;
    ok = m_geometries.Create(m_sizes.geometriesCount, *m_allocator) && ok;
    if (!ok)
        Log(kFailedToAllocate);
}

bool PhSimulator::SetMaterial(int index, float value1, float value2)
{
    if (index < 0 || index >= kPhMaterialCount)
        return false;
    m_materials[index].value[0] = value1;
    m_materials[index].value[1] = value2;
    m_materials[index].value[2] = 0.0f;
    return true;
}

const PhMaterial& PhSimulator::GetMaterial(int index) const
{
    if (index < 0 || index >= kPhMaterialCount)
        return kDefaultMaterial;
    return m_materials[index];
}

PhCollisionCallback PhSimulator::SetCollisionCallback(PhCollisionCallback callback)
{
    const PhCollisionCallback previous = m_collisionCallback;
    m_collisionCallback = callback;
    return previous;
}

void PhSimulator::SetLogCallback(PhLogCallback callback, int level)
{
    m_logCallback = callback;
    m_logLevel = level;
}

void PhSimulator::Log(const char* text)
{
    const char* message = PhFormatMessage(text);
    if (m_logCallback && kPhMessageLevel <= m_logLevel)
        m_logCallback(message);
}

void PhSimulator::InitBody(PhBody& body, int index)
{
    body.simulator = this;
    body.bodyIndex = index;
    for (int axis = 0; axis < PhBroadPhase::kAxisCount; ++axis) {
        body.endPoints[axis][0] = m_broadPhase.GetEndPoint(axis, index, false);
        body.endPoints[axis][1] = m_broadPhase.GetEndPoint(axis, index, true);
    }
}

PhRigidBody* PhSimulator::TakeRigid(PhPool<PhRigidBody>& pool, PhList<PhRigidBody>& list, std::int32_t kind,
                                    int firstIndex, const char* message)
{
    PhRigidBody* body = pool.Take();
    if (!body) {
        Log(message);
        return nullptr;
    }
    body->kind = kind;
    InitBody(*body, firstIndex + pool.IndexOf(body));
    list.Append(body);
    return body;
}

PhRigidBody* PhSimulator::CreateRigidBody()
{
    return TakeRigid(m_rigidBodies, m_lists.rigidActive, kPhRigidBody, 0, kRunOutOfRigidBodies);
}

PhRigidBody* PhSimulator::CreateRigidParticle()
{
    // Particles are numbered after the rigid and kinematic bodies. The pools
    // count them, not the requested sizes: a particle pool exists only when
    // both of the others do, and sizes too large for their pools to be had
    // may not even add up within an int.
    const int first = m_rigidBodies.GetCapacity() + m_kinematicBodies.GetCapacity();
    return TakeRigid(m_rigidParticles, m_lists.particleActive, kPhRigidParticle, first, kRunOutOfParticles);
}

PhKinematicBody* PhSimulator::CreateKinematicBody()
{
    PhKinematicBody* body = m_kinematicBodies.Take();
    if (!body) {
        Log(kRunOutOfKinematicBodies);
        return nullptr;
    }
    InitBody(*body, AtLeastZero(m_sizes.rigidBodiesCount) + m_kinematicBodies.IndexOf(body));
    m_lists.kinematicActive.Append(body);
    return body;
}

PhGeometry* PhSimulator::TakeGeometry()
{
    PhGeometry* geometry = m_geometries.Take();
    if (!geometry)
        Log(kRunOutOfGeometries);
    return geometry;
}

PhSensor* PhSimulator::TakeSensor()
{
    PhSensor* sensor = m_sensors.Take();
    if (!sensor)
        Log(kRunOutOfSensors);
    return sensor;
}

PhController* PhSimulator::TakeController()
{
    PhController* controller = m_controllers.Take();
    if (!controller)
        Log(kRunOutOfControllers);
    return controller;
}

void PhSimulator::MoveBetweenLists(PhBody& body, bool toActive)
{
    if (body.dynamic == 0) {
        auto& kinematic = static_cast<PhKinematicBody&>(body);
        PhList<PhKinematicBody>& from = toActive ? m_lists.kinematicInactive : m_lists.kinematicActive;
        PhList<PhKinematicBody>& to = toActive ? m_lists.kinematicActive : m_lists.kinematicInactive;
        from.Unlink(&kinematic);
        to.Append(&kinematic);
        return;
    }
    auto& rigid = static_cast<PhRigidBody&>(body);
    const bool particle = rigid.kind == kPhRigidParticle;
    PhList<PhRigidBody>& active = particle ? m_lists.particleActive : m_lists.rigidActive;
    PhList<PhRigidBody>& inactive = particle ? m_lists.particleInactive : m_lists.rigidInactive;
    (toActive ? inactive : active).Unlink(&rigid);
    (toActive ? active : inactive).Append(&rigid);
}

void PhSimulator::PrepareGeometries(const PhBody& body)
{
    if (m_stepWorld)
        m_stepWorld->PrepareGeometries(body);
}

void PhSimulator::PrepareTerrain(const Vector4* vertices, std::int32_t triangleCount)
{
    if (m_stepWorld)
        m_stepWorld->PrepareTerrain(vertices, triangleCount);
}

void PhSimulator::ReleaseParts(PhBody& body)
{
    if (m_stepWorld)
        m_stepWorld->Forget(body);
    m_broadPhase.Leave(body);
    GiveBackAll(body.geometries, m_geometries);
    GiveBackAll(body.sensors, m_sensors);
    if (body.contactGroup)
        body.contactGroup->Remove(&body);
}

bool PhSimulator::ReleaseBody(PhBody* body)
{
    if (!body || body->simulator != this)
        return false;
    if (body->dynamic == 0) {
        auto* kinematic = static_cast<PhKinematicBody*>(body);
        if (!m_kinematicBodies.Owns(kinematic) || !kinematic->inUse)
            return false;
        ReleaseParts(*body);
        (body->active ? m_lists.kinematicActive : m_lists.kinematicInactive).Unlink(kinematic);
        return m_kinematicBodies.Give(kinematic);
    }
    auto* rigid = static_cast<PhRigidBody*>(body);
    const bool particle = rigid->kind == kPhRigidParticle;
    PhPool<PhRigidBody>& pool = particle ? m_rigidParticles : m_rigidBodies;
    if (!pool.Owns(rigid) || !rigid->inUse)
        return false;
    ReleaseParts(*body);
    GiveBackAll(rigid->controllers, m_controllers);
    PhList<PhRigidBody>& list = particle ? (body->active ? m_lists.particleActive : m_lists.particleInactive)
                                         : (body->active ? m_lists.rigidActive : m_lists.rigidInactive);
    list.Unlink(rigid);
    return pool.Give(rigid);
}

void PhSimulator::Step(float frameTime) { PhStepSimulation(*this, frameTime); }

float PhSimulator::GetFixedStep() { return phstep::kFixedStep; }

float PhSimulator::GetCarriedTime() const { return m_stepWorld ? m_stepWorld->GetCarriedTime() : 0.0f; }

PhSimulator* PhCreateSimulator(const PhSizeInfo& sizes, PhAllocator* allocator, const Vector4* gravity)
{
    return new (std::nothrow) PhSimulator(sizes, allocator, gravity);
}

void PhDestroySimulator(PhSimulator* simulator) { delete simulator; }
