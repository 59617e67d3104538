#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/GameObjectParts.h"
#include "core/Object.h"
#include "physics/CollisionPart.h"
#include "physics/FrameListener.h"
#include "physics/MeshCells.h"
#include "platform/MathTypes.h"

class CPGameObject;
class PhSimulator;
struct PhBody;
struct PhController;
struct PhKinematicBody;
struct PhRigidBody;

// The body kinds of a dynamic body's description.
enum CPBodyKind : std::int32_t {
    kBodyBox = 0,
    kBodyCylinder = 1,
};

// The physics description a game object carries: its collision parts, the
// kind, sizes and mass of its dynamic body, and, once the object is in a
// level, the simulator body made from it (a kinematic body for static and
// externally moved objects, else a rigid body). The bodies belong to the
// simulator's pools; the physics data points at them, and gives them back
// when it is destroyed. It is also the controller callback of its rigid
// body, through which the race code imposes a motion.
//
// Masses pass through the global mass divisor as they are stored.
class CPPhysicData : public CPObject, public CPFrameListener, public CPPhysicsPart {
  public:
    explicit CPPhysicData(CPGameObject* owner);
    ~CPPhysicData() override;
    CPPhysicData(const CPPhysicData&) = delete;
    CPPhysicData& operator=(const CPPhysicData&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPhysicData); }
    std::string GetTypeName() const override { return "CPPhysicData"; }

    CPGameObject* GetOwner() const { return m_owner; }
    // New physics data for the owner: what the physics layer installs as
    // the maker of the objects the mesh readers read (SetPhysicDataMaker).
    static CPObjectPtr Make(CPGameObject* owner);

    // --- Description -----------------------------------------------------

    // The dynamic body: a box of sizes (a, b, c) and its mass.
    void SetBox(float a, float b, float c, float mass) override;
    void AddBoxPart(const Vector3& position, const Quaternion& rotation, float s1, float s2, float s3,
                    float mass) override;
    void AddCylinderPart(const Vector3& position, const Quaternion& rotation, float diameter, float height,
                         float mass) override;

    std::int32_t GetBodyKind() const { return m_bodyKind; }
    // Kind 1 makes BuildBody take the cylinder's inertia, with the diameter
    // and box size a as the height.
    void SetBodyKind(std::int32_t kind) { m_bodyKind = kind; }
    Vector3 GetBoxSizes() const { return m_boxSizes; }
    float GetCylinderDiameter() const { return m_cylinderDiameter; }
    void SetCylinderDiameter(float diameter) { m_cylinderDiameter = diameter; }
    float GetMass() const { return m_mass; }
    bool GetParticleFlag() const { return m_particle != 0; }
    void SetParticleFlag(bool particle) { m_particle = particle ? 1 : 0; }
    bool GetControllerFlag() const { return m_controllerFlag != 0; }
    void SetControllerFlag(bool flag) { m_controllerFlag = flag ? 1 : 0; }

    std::vector<CPCollisionPart>& GetParts() { return m_parts; }
    const std::vector<CPCollisionPart>& GetParts() const { return m_parts; }

    // Takes over another physics data's body description and collision
    // parts (without their geometries): what a copy of a prototype needs.
    void CopyDescriptionFrom(const CPPhysicData& source);
    // New physics data for the owner with this description.
    CPObjectPtr CopyFor(CPGameObject* owner) const override;

    // --- Bodies ----------------------------------------------------------

    PhKinematicBody* GetKinematicBody() const { return m_kinematicBody; }
    void SetKinematicBody(PhKinematicBody* body) { m_kinematicBody = body; }
    PhRigidBody* GetRigidBody() const { return m_rigidBody; }
    void SetRigidBody(PhRigidBody* body) { m_rigidBody = body; }
    PhController* GetController() const { return m_controller; }

    // Completes the rigid body from the description: inertia (for a mass
    // above 0), mass, the owner's position and rotation, the controller
    // when the controller flag asks for one, and the bounds. False, doing
    // nothing, without a rigid body or an owner.
    bool BuildBody();

    // Hands this physics data to the physics world, which takes its body
    // out of play. False, doing nothing, without a body or a world.
    bool RemoveFromWorld();

    // Forgets the body (rigid or kinematic) and what was made for it: the
    // controller, whose calls stop, and the parts' geometries. The body
    // itself stays where it is, in its simulator.
    void ForgetBody(const PhBody* body);

    // Forgets, without touching them, the bodies, controller and geometries
    // that belong to the simulator; its owner calls this before it
    // destroys the simulator.
    static void ForgetBodiesOf(const PhSimulator* simulator);

    // Moves (turns) the body: the kinematic body when there is one, else
    // the rigid body; nothing without a body.
    void SetPosition(const Vector3& position) override;
    void SetRotation(const Quaternion& rotation) override;

    // --- Flags and the imposed motion --------------------------------------

    // Whether the object takes part in the physics (the game's own flag).
    bool GetActiveFlag() const { return m_active != 0; }
    void SetActiveFlag(bool active) { m_active = active ? 1 : 0; }
    bool GetCollisionFlag() const { return m_collision != 0; }
    void SetCollisionFlag(bool collision) { m_collision = collision ? 1 : 0; }
    // A flag of the game's that building the body clears.
    bool GetBuildFlag() const { return m_buildFlag != 0; }
    void SetBuildFlag(bool flag) { m_buildFlag = flag ? 1 : 0; }

    // While the impose flag is set, every controller call gives the rigid
    // body the imposed angular momentum and then the imposed velocity.
    bool GetImposeFlag() const { return m_impose != 0; }
    void SetImposeFlag(bool impose) { m_impose = impose ? 1 : 0; }
    const Vector4& GetImposedAngularMomentum() const { return m_imposedAngularMomentum; }
    void SetImposedAngularMomentum(const Vector4& momentum) { m_imposedAngularMomentum = momentum; }
    const Vector4& GetImposedVelocity() const { return m_imposedVelocity; }
    void SetImposedVelocity(const Vector4& velocity) { m_imposedVelocity = velocity; }

    void OnFrame(PhController* controller, float stepTime) override;

    // --- Terrain query -------------------------------------------------------

    // The terrain-query buffer: the numbers of the level collision mesh's
    // triangles near the body, as the physics world's last terrain query
    // listed them (a triangle may be listed more than once), and how many
    // entries are in use. Filled in place each step, without allocation.
    // Writing the list, or its count, forgets the cells it was made of.
    std::int32_t* GetTerrainTriangles()
    {
        m_terrainCells.mesh = 0;
        return m_terrainTriangles.data();
    }
    const std::int32_t* GetTerrainTriangles() const override { return m_terrainTriangles.data(); }
    std::int32_t GetTerrainTriangleCount() const override { return m_terrainTriangleCount; }
    void SetTerrainTriangleCount(std::int32_t count)
    {
        m_terrainTriangleCount = count;
        m_terrainCells.mesh = 0;
    }
    // The mesh cells the query last made the list of, set after it wrote
    // the list: a query sampling the same cells finds its answer there.
    const CPMeshCells& GetTerrainCells() const { return m_terrainCells; }
    void SetTerrainCells(const CPMeshCells& cells) { m_terrainCells = cells; }

  private:
    std::uint8_t m_active = 1;
    PhController* m_controller = nullptr;
    PhKinematicBody* m_kinematicBody = nullptr;
    std::vector<CPCollisionPart> m_parts;
    CPGameObject* m_owner = nullptr; // not counted
    std::uint8_t m_controllerFlag = 0;
    Vector4 m_imposedAngularMomentum;
    Vector4 m_imposedVelocity;
    std::uint8_t m_impose = 0;
    std::uint8_t m_collision = 0;
    std::uint8_t m_buildFlag = 0;
    std::array<std::int32_t, kTerrainQuerySize> m_terrainTriangles{};
    std::int32_t m_terrainTriangleCount = 0;
    CPMeshCells m_terrainCells;
    PhRigidBody* m_rigidBody = nullptr;
    std::int32_t m_bodyKind = kBodyBox;
    Vector3 m_boxSizes;
    float m_cylinderDiameter = 0.0f;
    float m_mass = 0.0f;
    std::uint8_t m_particle = 0;

    // Every live physics data, so a simulator that goes can be forgotten.
    CPPhysicData* m_prevLive = nullptr;
    CPPhysicData* m_nextLive = nullptr;
};
