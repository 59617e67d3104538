#pragma once

#include <string>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPGameObject;
struct PhKinematicBody;
struct PhRigidBody;

// The physics description a game object carries and, once the object is in
// a level, the simulator body made from it: a kinematic body for objects
// moved from outside, or a rigid body. The bodies belong to the simulator's
// pools; the physics data only points at them. The game object moves and
// turns its body through it. The collision parts, the body description and
// the body building come with the physics world.
class CPPhysicData : public CPObject {
  public:
    explicit CPPhysicData(CPGameObject* owner) : m_owner(owner) {}

    std::uint32_t GetObjectSize() const override { return sizeof(CPPhysicData); }
    std::string GetTypeName() const override { return "CPPhysicData"; }

    CPGameObject* GetOwner() const { return m_owner; }

    PhKinematicBody* GetKinematicBody() const { return m_kinematicBody; }
    void SetKinematicBody(PhKinematicBody* body) { m_kinematicBody = body; }
    PhRigidBody* GetRigidBody() const { return m_rigidBody; }
    void SetRigidBody(PhRigidBody* body) { m_rigidBody = body; }

    // Moves (turns) the body: the kinematic body when there is one, else
    // the rigid body; nothing without a body.
    void SetPosition(const Vector3& position);
    void SetRotation(const Quaternion& rotation);

  private:
    CPGameObject* m_owner = nullptr; // not counted
    PhKinematicBody* m_kinematicBody = nullptr;
    PhRigidBody* m_rigidBody = nullptr;
};
