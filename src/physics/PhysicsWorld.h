#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Task.h"
#include "physics/CollisionMesh.h"
#include "physics/Contact.h"
#include "physics/SizeInfo.h"
#include "platform/MathTypes.h"

class CPPhysicData;
class PhSimulator;
struct PhBody;
struct PhKinematicBody;
struct PhRigidBody;

// The game's side of the physics: it owns the level's simulator, registers
// the game's collision and terrain callbacks with it, turns the physics
// data of level objects into bodies, takes bodies out of play, and holds
// the level's collision mesh. As a task it steps the simulation each
// frame. A level is built in the order BuildCollisionMesh, Init, then
// AddLevelObject for each object with physics data.
class CPPhysicsWorld : public CPTask {
  public:
    static constexpr int kTaskType = 3;
    static constexpr int kPriority = taskpriority::kPhysicsWorld;
    // Event code of a body taken out of play.
    static constexpr std::int32_t kEventRemoved = 2;
    // Removed bodies are parked this far down, 500 lower each time, and
    // start again here once they would go below -100000.
    static constexpr float kFirstParkingDepth = -1000.0f;

    struct Event {
        PhRigidBody* rigidBody = nullptr;
        PhKinematicBody* kinematicBody = nullptr;
        std::int32_t code = 0;
    };

    CPPhysicsWorld();
    ~CPPhysicsWorld() override;
    CPPhysicsWorld(const CPPhysicsWorld&) = delete;
    CPPhysicsWorld& operator=(const CPPhysicsWorld&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPhysicsWorld); }
    std::string GetTypeName() const override { return "CPPhysicsWorld"; }
    int GetTaskType() const override { return kTaskType; }

    // Steps the simulation by the frame time, puts the game objects of the
    // bodies that moved where their bodies are, then empties the event list.
    // Bodies taken out of play stay parked in the simulator until it goes:
    // code that still holds one only ever reaches a body out of play.
    void Step() override;

    // --- Level set-up ----------------------------------------------------------

    // The pool sizes a level's simulator gets.
    static PhSizeInfo LevelSizes();

    // Creates the level's simulator (giving up the previous level's, whose
    // bodies every physics data forgets), with gravity (0, 0, -9.8), the
    // materials, the responses and the two callbacks. False, keeping no
    // simulator, when it cannot be created.
    bool Init();
    PhSimulator* GetSimulator() const { return m_simulator; }

    // Makes the bodies of a game object's physics data: a kinematic body
    // for a negative mass, else a rigid body (a rigid particle when the
    // particle flag is set), with one geometry per collision part, and the
    // object as the body's user data. False when the object got no body:
    // no physics data (nothing is done), no simulator, bodies already made,
    // a mass that is not a number, or an empty pool.
    bool AddLevelObject(CPObjectPtr object, std::int32_t collisionFlag, std::int32_t materialIndex);

    // Takes the body of a physics data out of play: parked at the parking
    // depth, switched off, forgotten by the physics data and listed as an
    // event. The parking depth goes down in every case. False for anything
    // but a physics data.
    bool RemoveObject(CPObjectPtr physicData);
    float GetParkingDepth() const { return m_parkingDepth; }
    const std::vector<Event>& GetEvents() const { return m_events; }

    // Hands the driving inputs to the car of a car's game object. False,
    // doing nothing, for anything but a game object with a car.
    static bool SetCarControls(CPObjectPtr carObject, float throttle, float steering);

    // --- Collision mesh and terrain -----------------------------------------------

    // Builds the collision mesh from the terrain's mesh render object, its
    // local vertices placed by its owner's world matrix, and gives it to
    // the renderer for the ground decals. False, leaving no mesh, for
    // anything but a mesh render object with an owner, or a mesh that
    // cannot be built.
    bool BuildCollisionMesh(CPObjectPtr mesh);
    const CPCollisionMesh& GetCollisionMesh() const { return m_collisionMesh; }

    // The height of the collision-mesh vertex nearest to the point among the
    // triangles of its cell; 0.0 when none lies within 1000.
    float GetNearestVertexHeight(const Vector3& point) const;

    // The simulator's terrain query: lists the triangles near the box with
    // corners a and b into the physics data of the body's game object (its
    // user data) and hands out the mesh's triangles and vertices. Nothing is
    // listed for a body without a game object with physics data, or without
    // the physics world whose simulator the body belongs to.
    static void QueryTerrainTriangles(const Vector4& a, const Vector4& b, const std::int32_t** indices,
                                      const PhTerrainTriangle** triangles, const Vector4** vertices,
                                      std::int32_t* indexCount, std::int32_t* triangleCount, PhBody* body);

    // The simulator's collision callback. A car against a static side, or
    // against another moving body, is flagged as hit (not on flat ground),
    // dented by its relative speed, throws "iskra" sparks and, when it is
    // the level's own player, plays "slam"; car-against-car sparks are
    // paced by the spark timer (physics/Sparks.h). A car's rigid body holds
    // its player object (CPCollisionPlayer) as user data; contacts of bodies
    // that are no car, and contacts with numbers that are no numbers, leave
    // no trace.
    static void OnCollision(PhContact* contact);
    // Whether a broken contact of that frame is still to be told of; true
    // once a frame.
    bool TakeBrokenContactReport(std::uint32_t frame)
    {
        if (m_brokenContactReported && frame == m_brokenContactFrame)
            return false;
        m_brokenContactReported = true;
        m_brokenContactFrame = frame;
        return true;
    }

  private:
    void ReleaseSimulator();
    void PlaceMovedObjects();
    void ClearRendererMesh();
    void BuildParts(CPPhysicData& data, PhBody& body, std::int32_t materialIndex);

    std::vector<Event> m_events;
    float m_parkingDepth = kFirstParkingDepth;
    PhSimulator* m_simulator = nullptr;
    CPCollisionMesh m_collisionMesh;
    bool m_brokenContactReported = false;
    std::uint32_t m_brokenContactFrame = 0;
};
