#include "physics/PhysicData.h"

#include "core/GameObject.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "physics/Inertia.h"
#include "physics/Controller.h"
#include "physics/KinematicBody.h"
#include "physics/MassDivisor.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/Rotation.h"
#include "physics/Simulator.h"

namespace {

CPPhysicData* g_firstLive = nullptr;

} // namespace

CPPhysicData::CPPhysicData(CPGameObject* owner) : m_owner(owner)
{
    m_nextLive = g_firstLive;
    if (g_firstLive)
        g_firstLive->m_prevLive = this;
    g_firstLive = this;
}

CPPhysicData::~CPPhysicData()
{
    // Bodies left behind would call this object back through their
    // controller and lead the terrain query to a dead owner.
    if (m_rigidBody && m_rigidBody->simulator)
        m_rigidBody->simulator->ReleaseBody(m_rigidBody);
    if (m_kinematicBody && m_kinematicBody->simulator)
        m_kinematicBody->simulator->ReleaseBody(m_kinematicBody);
    if (m_prevLive)
        m_prevLive->m_nextLive = m_nextLive;
    else
        g_firstLive = m_nextLive;
    if (m_nextLive)
        m_nextLive->m_prevLive = m_prevLive;
}

void CPPhysicData::SetBox(float a, float b, float c, float mass)
{
    m_bodyKind = kBodyBox;
    m_boxSizes = Vector3{a, b, c};
    m_mass = ApplyMassDivisor(mass);
}

void CPPhysicData::AddBoxPart(const Vector3& position, const Quaternion& rotation, float s1, float s2,
                              float s3, float mass)
{
    CPCollisionPart part;
    part.kind = kCollisionBox;
    part.position = position;
    part.rotation = rotation;
    part.sizes[0] = s1;
    part.sizes[1] = s2;
    part.sizes[2] = s3;
    part.mass = ApplyMassDivisor(mass);
    m_parts.push_back(part);
}

void CPPhysicData::AddCylinderPart(const Vector3& position, const Quaternion& rotation, float diameter,
                                   float height, float mass)
{
    CPCollisionPart part;
    part.kind = kCollisionCylinder;
    part.position = position;
    part.rotation = rotation;
    part.sizes[0] = 5.0f;
    part.sizes[1] = height;
    part.sizes[2] = 5.0f;
    part.sizes[3] = diameter;
    part.mass = ApplyMassDivisor(mass);
    m_parts.push_back(part);
}

void CPPhysicData::CopyDescriptionFrom(const CPPhysicData& source)
{
    m_bodyKind = source.m_bodyKind;
    m_boxSizes = source.m_boxSizes;
    m_cylinderDiameter = source.m_cylinderDiameter;
    m_mass = source.m_mass;
    m_particle = source.m_particle;
    m_parts = source.m_parts;
    // The source's geometries belong to its own body.
    for (CPCollisionPart& part : m_parts)
        part.geometry = nullptr;
}

CPObjectPtr CPPhysicData::Make(CPGameObject* owner) { return CPObjectPtr(new CPPhysicData(owner)); }

CPObjectPtr CPPhysicData::CopyFor(CPGameObject* owner) const
{
    auto* copy = new CPPhysicData(owner);
    copy->CopyDescriptionFrom(*this);
    return CPObjectPtr(copy);
}

bool CPPhysicData::BuildBody()
{
    if (!m_rigidBody)
        return false;
    if (!m_owner) {
        LogLine("CPPhysicData::BuildBody: the physics data has no owner to place its body");
        return false;
    }
    m_buildFlag = 0;
    if (m_mass > 0.0f) {
        const Vector4 sizes{m_boxSizes.x, m_boxSizes.y, m_boxSizes.z, 0.0f};
        if (m_bodyKind == kBodyBox)
            m_rigidBody->SetInertiaTensor(PhInertiaBox(sizes, m_mass));
        else if (m_bodyKind == kBodyCylinder)
            m_rigidBody->SetInertiaTensor(PhInertiaCylinder(m_cylinderDiameter, m_boxSizes.x, m_mass));
    }
    m_rigidBody->SetMass(m_mass);
    const Vector3& position = m_owner->GetPosition();
    m_rigidBody->SetPos(Vector4{position.x, position.y, position.z, 1.0f});
    m_rigidBody->SetRotation(PhUnitRotation(m_owner->GetRotation()));
    if (m_controllerFlag && !m_controller)
        m_controller = m_rigidBody->AddController(this, 1);
    m_rigidBody->UpdateBoundingInfo();
    return true;
}

bool CPPhysicData::RemoveFromWorld()
{
    if (!m_rigidBody && !m_kinematicBody)
        return false;
    CPPhysicsWorld* world = GetPhysicsWorld();
    if (!world) {
        LogLine("CPPhysicData::RemoveFromWorld: there is no physics world");
        return false;
    }
    return world->RemoveObject(CPObjectPtr(this));
}

void CPPhysicData::ForgetBody(const PhBody* body)
{
    if (!body)
        return;
    if (body == m_rigidBody) {
        m_rigidBody = nullptr;
        if (m_controller)
            m_controller->listener = nullptr;
        m_controller = nullptr;
    } else if (body == m_kinematicBody) {
        m_kinematicBody = nullptr;
    } else {
        return;
    }
    for (CPCollisionPart& part : m_parts)
        part.geometry = nullptr;
}

void CPPhysicData::ForgetBodiesOf(const PhSimulator* simulator)
{
    if (!simulator)
        return;
    for (CPPhysicData* data = g_firstLive; data; data = data->m_nextLive) {
        bool forgot = false;
        if (data->m_rigidBody && data->m_rigidBody->simulator == simulator) {
            data->m_rigidBody = nullptr;
            data->m_controller = nullptr;
            forgot = true;
        }
        if (data->m_kinematicBody && data->m_kinematicBody->simulator == simulator) {
            data->m_kinematicBody = nullptr;
            forgot = true;
        }
        if (forgot) {
            for (CPCollisionPart& part : data->m_parts)
                part.geometry = nullptr;
        }
    }
}

void CPPhysicData::SetPosition(const Vector3& position)
{
    const Vector4 point{position.x, position.y, position.z, 1.0f};
    if (m_kinematicBody)
        m_kinematicBody->SetPos(point);
    else if (m_rigidBody)
        m_rigidBody->SetPos(point);
}

void CPPhysicData::SetRotation(const Quaternion& rotation)
{
    if (m_kinematicBody)
        m_kinematicBody->SetRotation(rotation);
    else if (m_rigidBody)
        m_rigidBody->SetRotation(rotation);
}

void CPPhysicData::OnFrame(PhController*, float)
{
    if (!m_impose || !m_rigidBody)
        return;
    m_rigidBody->SetAngularMomentum(m_imposedAngularMomentum);
    m_rigidBody->SetVelocity(m_imposedVelocity);
}
