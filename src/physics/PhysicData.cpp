#include "physics/PhysicData.h"

#include "physics/KinematicBody.h"
#include "physics/RigidBody.h"

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
