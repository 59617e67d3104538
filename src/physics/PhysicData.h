#pragma once

#include <string>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPGameObject;

// The physics description a game object carries and, once the object is in
// a level, the link to its simulator body. The game object moves and turns
// its body through it. The collision parts, the body description and the
// body building come with the physics world.
class CPPhysicData : public CPObject {
  public:
    explicit CPPhysicData(CPGameObject* owner) : m_owner(owner) {}

    std::uint32_t GetObjectSize() const override { return sizeof(CPPhysicData); }
    std::string GetTypeName() const override { return "CPPhysicData"; }

    CPGameObject* GetOwner() const { return m_owner; }

    // Moves (turns) the object's body: the kinematic body when there is
    // one, else the rigid body; nothing without a body.
    virtual void SetPosition(const Vector3& position);
    virtual void SetRotation(const Quaternion& rotation);

  private:
    CPGameObject* m_owner = nullptr; // not counted
};
