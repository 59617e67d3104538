#pragma once

#include <cstdint>

#include "physics/Allocator.h"
#include "physics/BroadPhase.h"
#include "physics/Contact.h"
#include "physics/Controller.h"
#include "physics/Geometry.h"
#include "physics/KinematicBody.h"
#include "physics/List.h"
#include "physics/Material.h"
#include "physics/PhysicsLog.h"
#include "physics/Pool.h"
#include "physics/ResponseTable.h"
#include "physics/RigidBody.h"
#include "physics/Sensor.h"
#include "physics/SizeInfo.h"
#include "physics/Timer.h"
#include "platform/MathTypes.h"

// The rigid-body simulator: fixed pools of bodies, geometries, sensors and
// controllers sized once at creation, the material and response tables,
// gravity, and the game's callbacks. A pool that runs out refuses the
// request and logs a message naming the count to raise.
//
// The simulator starts with the program's log as its log callback, at
// level 1, so those messages are seen; SetLogCallback changes both.
class PhStepWorld;

class PhSimulator {
  public:
    struct BodyLists {
        PhList<PhRigidBody> rigidActive, rigidInactive;
        PhList<PhKinematicBody> kinematicActive, kinematicInactive;
        PhList<PhRigidBody> particleActive, particleInactive;
    };

    // Use PhCreateSimulator.
    PhSimulator(const PhSizeInfo& sizes, PhAllocator* allocator, const Vector4* gravity);
    ~PhSimulator();
    PhSimulator(const PhSimulator&) = delete;
    PhSimulator& operator=(const PhSimulator&) = delete;

    // Index 0..255 gets (value1, value2, 0.0); any other index is refused.
    bool SetMaterial(int index, float value1, float value2);
    // The entry of an index, or the untouched default material for an index
    // outside the table.
    const PhMaterial& GetMaterial(int index) const;
    PhResponseTable& GetResponseTable() { return m_responses; }

    // Returns the callback stored before.
    PhCollisionCallback SetCollisionCallback(PhCollisionCallback callback);
    PhCollisionCallback GetCollisionCallback() const { return m_collisionCallback; }
    void SetTerrainQueryCallback(PhTerrainQueryCallback callback) { m_terrainQueryCallback = callback; }
    PhTerrainQueryCallback GetTerrainQueryCallback() const { return m_terrainQueryCallback; }

    // A message reaches the callback when its level is at most this level;
    // no callback makes the simulator silent.
    void SetLogCallback(PhLogCallback callback, int level);
    PhLogCallback GetLogCallback() const { return m_logCallback; }
    int GetLogLevel() const { return m_logLevel; }
    void Log(const char* text);

    PhRigidBody* CreateRigidBody();
    PhRigidBody* CreateRigidParticle();
    PhKinematicBody* CreateKinematicBody();
    // Gives the body, its geometries, sensors and controllers back to their
    // pools; they can be taken again. False for a body that is not a live
    // body of this simulator.
    bool ReleaseBody(PhBody* body);

    // Advances the simulation by a frame's time in fixed steps, carrying
    // what is left over to the next frame (see Stepping.h).
    void Step(float frameTime);
    // The length of one step, and the time carried to the next frame.
    static float GetFixedStep();
    float GetCarriedTime() const;
    PhStepWorld* GetStepWorld() { return m_stepWorld; }

    const PhSizeInfo& GetSizeInfo() const { return m_sizes; }
    PhAllocator& GetAllocator() { return *m_allocator; }
    const Vector4& GetGravity() const { return m_gravity; }
    const Vector4& GetGravityDirection() const { return m_gravityDirection; }
    float GetGravityLength() const { return m_gravityLength; }
    float GetGravityScaledLength() const { return m_gravityScaledLength; }
    PhBroadPhase& GetBroadPhase() { return m_broadPhase; }
    const PhTimer& GetTimer() const { return m_timer; }
    const BodyLists& GetBodyLists() const { return m_lists; }

    const PhPool<PhRigidBody>& GetRigidBodyPool() const { return m_rigidBodies; }
    const PhPool<PhKinematicBody>& GetKinematicBodyPool() const { return m_kinematicBodies; }
    const PhPool<PhRigidBody>& GetRigidParticlePool() const { return m_rigidParticles; }
    const PhPool<PhController>& GetControllerPool() const { return m_controllers; }
    const PhPool<PhGeometry>& GetGeometryPool() const { return m_geometries; }
    const PhPool<PhSensor>& GetSensorPool() const { return m_sensors; }

    // For the bodies: take a record from its pool, logging when it is empty.
    PhGeometry* TakeGeometry();
    PhSensor* TakeSensor();
    PhController* TakeController();
    // For PhBody::UpdateBoundingInfo: readies what the stepping needs to
    // collide the body's geometries, as they are now, before it steps.
    void PrepareGeometries(const PhBody& body);
    // For the terrain query's owner: readies what the stepping keeps about
    // the mesh the query will answer with, before the first step.
    void PrepareTerrain(const Vector4* vertices, std::int32_t triangleCount);
    // For PhBody::SetActive: moves the body to the active or the inactive
    // list of its kind.
    void MoveBetweenLists(PhBody& body, bool toActive);

  private:
    void SetGravity(const Vector4* gravity);
    bool CreateBodyPools();
    void CreateRecordPools();
    void CreateStepWorld();
    PhRigidBody* TakeRigid(PhPool<PhRigidBody>& pool, PhList<PhRigidBody>& list, std::int32_t kind,
                           int firstIndex, const char* message);
    void InitBody(PhBody& body, int index);
    void ReleaseParts(PhBody& body);

    PhSizeInfo m_sizes;
    PhAllocator m_defaultAllocator;
    PhAllocator* m_allocator = &m_defaultAllocator;
    Vector4 m_gravity = {};
    Vector4 m_gravityDirection = {};
    float m_gravityLength = 0.0f;
    float m_gravityScaledLength = 0.0f;
    PhPool<PhRigidBody> m_rigidBodies;
    PhPool<PhKinematicBody> m_kinematicBodies;
    PhPool<PhRigidBody> m_rigidParticles;
    PhPool<PhController> m_controllers;
    PhPool<PhGeometry> m_geometries;
    PhPool<PhSensor> m_sensors;
    BodyLists m_lists;
    PhBroadPhase m_broadPhase;
    PhMaterial m_materials[kPhMaterialCount];
    PhResponseTable m_responses;
    PhCollisionCallback m_collisionCallback = nullptr;
    PhTerrainQueryCallback m_terrainQueryCallback = nullptr;
    PhLogCallback m_logCallback = PhWriteToSystemLog;
    int m_logLevel = kPhMessageLevel;
    PhTimer m_timer;
    PhStepWorld* m_stepWorld = nullptr; // the stepping's working state
};

// Creates a simulator from the twelve counts (read whole), an allocator
// (nothing: the simulator's own) and a gravity vector (nothing: none).
// Nothing when the simulator's own memory cannot be had.
PhSimulator* PhCreateSimulator(const PhSizeInfo& sizes, PhAllocator* allocator, const Vector4* gravity);

// Destroys a simulator and gives all its memory back; nothing for null.
void PhDestroySimulator(PhSimulator* simulator);
