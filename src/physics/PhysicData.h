#pragma once

#include <array>
#include <cstdint>
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

    // The terrain-query buffer: the numbers of the level collision mesh's
    // triangles near the body, as the physics world's last terrain query
    // listed them (a triangle may be listed more than once), and how many
    // entries are in use. Filled in place each step, without allocation.
    static constexpr std::int32_t kTerrainQuerySize = 1000;
    std::int32_t* GetTerrainTriangles() { return m_terrainTriangles.data(); }
    const std::int32_t* GetTerrainTriangles() const { return m_terrainTriangles.data(); }
    std::int32_t GetTerrainTriangleCount() const { return m_terrainTriangleCount; }
    void SetTerrainTriangleCount(std::int32_t count) { m_terrainTriangleCount = count; }

  private:
    CPGameObject* m_owner = nullptr; // not counted
    PhKinematicBody* m_kinematicBody = nullptr;
    std::array<std::int32_t, kTerrainQuerySize> m_terrainTriangles{};
    std::int32_t m_terrainTriangleCount = 0;
    PhRigidBody* m_rigidBody = nullptr;
};
