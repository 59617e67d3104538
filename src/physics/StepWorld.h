#pragma once

// The stepping's working state. Only the physics' own sources include this
// header: it is where Bullet's collision shapes and algorithms live, behind
// the simulator's records, which stay the truth between steps.

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include <BulletCollision/CollisionShapes/btTriangleShape.h>
#include <btBulletCollisionCommon.h>

#include "physics/BoxTriangle.h"
#include "physics/Contact.h"
#include "platform/MathTypes.h"

class PhSimulator;
struct PhBody;
struct PhGeometry;
struct PhRigidBody;
struct PhSensor;

// The fixed step and the figures the stepping works with.
//
// Materials: value 0 is the friction coefficient and value 1 the
// restitution of a surface; two surfaces meet with the geometric mean of
// their friction and the larger restitution. Value 2 is not read. The
// terrain's surface is material 0. The game sets (0.2, 0.0): a car body
// that slides along walls and does not bounce.
//
// Responses: the response table is looked up by the geometries' collision
// classes (PhGeometry::collisionClass, 0 for every geometry the game makes);
// against the terrain a class answers with its default entry. Bit 0 of a
// response makes the pair collide, bit 1 reports its contacts to the
// collision callback: 0 lets the pair pass through each other, 1 (every
// entry at creation) collides silently, 2 reports without colliding, 3
// (what the game sets for class 0) collides and reports.
namespace phstep {

constexpr float kFixedStep = 0.01f;     // seconds
constexpr int kMaxStepsPerFrame = 10;   // a longer frame loses the rest
constexpr int kVelocityIterations = 10; // contact solver passes
constexpr int kPositionIterations = 4;  // penetration recovery passes
constexpr float kPenetrationSlop = 0.005f;
constexpr float kPenetrationRecovery = 0.2f; // share of the depth recovered a step
constexpr float kBounceThreshold = 0.5f;     // m/s below which nothing bounces
constexpr float kContactMargin = 0.02f;      // contacts are kept this far apart
// How far ahead contacts are looked for, beyond the margin, at most:
// contact points closer together than the look-ahead merge, so fast bodies
// rely on the sweep instead.
constexpr float kMostAhead = 0.05f;
constexpr float kQuerySlack = 1.0f;     // metres the terrain is asked about around a body
constexpr float kTouchDistance = 0.01f; // reported as touching within this
constexpr float kDragFreeSpeed = 5.0f;  // m/s below which there is no drag
constexpr float kAirDrag = 0.02f;       // per metre: a = k (|v| - free speed)^2
constexpr float kSleepSpeed = 0.06f;    // m/s
constexpr float kSleepSpin = 0.1f;      // rad/s
constexpr int kStepsToSleep = 20;       // quiet steps before a body sleeps
// A body left to itself that is stiller than a share of the sleep speeds
// counts each quiet step more: twice below a quarter of them, four times
// below a tenth. A box come to rest on the ground sleeps in a quarter of
// the steps, while one rocking or bouncing passes through such stillness
// within a step.
constexpr float kStillShare = 0.25f;
constexpr float kStillerShare = 0.1f;
// A body at rest on the ground that rocks on its edges, slowly, loses its
// spin at this rate (per second): each rock is a small inelastic impact
// the contacts resolve only roughly, and without the loss a box landed on
// a slope keeps rocking long after it would have come to rest.
constexpr float kRockDamping = 8.0f;
constexpr float kRockSpeed = 1.0f; // m/s, at most, of a body that rocks
constexpr float kRockSpin = 4.0f;  // rad/s, at most

constexpr std::int32_t kRespond = 1;
constexpr std::int32_t kReport = 2;

} // namespace phstep

// Sleep is kept in the first rest counter: it counts quiet steps (a still
// one more, see kStillShare) and is halved by each step that is not; a
// body sleeps once it reaches kStepsToSleep (waking clears it). The second
// counts the steps spent asleep.
bool PhIsAsleep(const PhRigidBody& body);

namespace phstep {
// The plane of a terrain triangle.
struct Face {
    btVector3 normal;
    btVector3 origin;
};
} // namespace phstep

class PhStepWorld {
  public:
    explicit PhStepWorld(PhSimulator& simulator);
    ~PhStepWorld();
    PhStepWorld(const PhStepWorld&) = delete;
    PhStepWorld& operator=(const PhStepWorld&) = delete;

    // Cuts the frame time into fixed steps, carrying the remainder.
    void Advance(float frameTime);
    float GetCarriedTime() const { return m_carried; }
    // Drops what the stepping keeps about a body that leaves its pool.
    void Forget(const PhBody& body);
    // Makes, as the level loads, the shapes of a body's geometries and,
    // for a moving box, room for the pairs it may meet: a race's steps
    // then take no block from Bullet.
    void PrepareGeometries(const PhBody& body);
    // Makes the tables kept about a terrain mesh's triangles, as the level
    // loads, rather than when a query first answers with it.
    void PrepareTerrain(const Vector4* vertices, std::int32_t triangleCount);

  private:
    // A moving body's state while the step solves it.
    struct Motion {
        PhRigidBody* body = nullptr;
        btVector3 v, w;   // velocity and angular velocity
        btVector3 vp, wp; // pseudo velocities of penetration recovery
        btVector3 dL;     // angular momentum the contacts add
        btMatrix3x3 invInertia;
        float invMass = 0.0f;
        int triangleFirst = 0, triangleCount = 0; // terrain near the body
        float sweep = 1.0f;                       // share of the step's travel the body may make
        float spinKept = 1.0f;                    // what rocking damping leaves of the spin
        // The solver's: a body alone with the unmoving, whether its
        // contacts are done, and its velocities as a pass found them.
        bool lone = false, solved = false;
        btVector3 passV = btVector3(0, 0, 0), passW = btVector3(0, 0, 0);
        // The body's entry in the motion table; kept here because the body
        // may be released (and its pool slot reset) before the next step.
        int slot = -1;
        // The body's kept terrain answer when it has one of its own;
        // otherwise its triangles are copied into m_triangles.
        const std::vector<std::int32_t>* terrainList = nullptr;
    };
    struct Pair {
        PhBody* a = nullptr;
        PhBody* b = nullptr;
    };
    struct Contact {
        int a = -1, b = -1; // motions, -1 for an immovable side
        btManifoldPoint* point = nullptr;
        btVector3 n, rA, rB, t1, t2;
        float massN = 0, massT1 = 0, massT2 = 0;
        float friction = 0, target = 0, pseudoTarget = 0;
        float jn = 0, jt1 = 0, jt2 = 0, jp = 0;
        int touch = -1; // the reported pair it belongs to
        int lone = -1;  // the motion it is the only moving side of, solved alone
    };
    // One touching pair of the step, for the collision callback.
    struct Touch {
        PhBody* a = nullptr;
        PhBody* b = nullptr; // nothing: the terrain
        bool report = false;
        int deepest = -1;
        float depth = 0.0f;
        btVector3 relativeVelocity;
    };
    // A geometry's collision object, with the shape it was last made of.
    struct ShapeSlot {
        btCollisionObject object;
        btCollisionShape* shape = nullptr; // one of m_shapes
        std::int32_t kind = -1;
        float size[3] = {};
    };
    // Geometries of one kind and size share one shape: a level's many equal
    // boxes make their shape's faces once.
    struct SharedShape {
        std::int32_t kind = -1;
        float size[3] = {};
        std::unique_ptr<btCollisionShape> shape;
    };
    // A pair's manifold, with the collision algorithm last made for it.
    // The algorithm is kept with the manifold, not made and given back at
    // every call: Bullet's algorithms hold scratch arrays that would
    // otherwise be taken from the heap afresh at every contact.
    struct ManifoldSlot {
        btPersistentManifold manifold;
        btCollisionAlgorithm* algorithm = nullptr;
        int shapeA = -1, shapeB = -1; // the shape types it was made for
    };
    struct CacheEntry {
        std::uint64_t key = 0;
        int manifold = 0;
        std::uint32_t stamp = 0;
    };

    void StepOnce(float h);
    void RunControllers(float h);
    void BeginMotions(float h);
    int AddMotion(PhRigidBody& body, float h, bool integrate);
    void WakeIntoStep(PhRigidBody& body, float h);
    static constexpr std::uint8_t kImposedVelocity = 1;
    static constexpr std::uint8_t kImposedSpin = 2;
    void SetImposed(const PhRigidBody& body, std::uint8_t imposed);
    std::uint8_t ImposedOn(const PhRigidBody& body) const;
    void ApplyBodyForces(float h);
    void ApplyControllerForces(Motion& motion, float h) const;
    void DampRocking(float h);
    void EndMotions(float h);
    void RestBodies();
    void ReportTouches();
    void ClearFrameForces();

    // StepCollision.cpp
    void UpdateBounds(float h);
    void FindPairs(float h);
    void CollidePairs(float h);
    void CollideTerrain(float h);
    struct TerrainCache;
    const TerrainCache* QueryTerrain(Motion& motion);
    ShapeSlot* Slot(const PhGeometry& geometry);
    btTransform GeometryTransform(const PhBody& body, const PhGeometry& geometry) const;
    // The geometry's transform as the step found it before the bodies move
    // (pairs, terrain and the sweep all ask for it), made once a step.
    const btTransform& PlacedTransform(const PhBody& body, const PhGeometry& geometry);
    ManifoldSlot& Manifold(std::uint64_t key, bool& kept, const btCollisionObject* a,
                           const btCollisionObject* b);
    btCollisionAlgorithm* AlgorithmFor(ManifoldSlot& slot, const btCollisionObjectWrapper& wa,
                                       const btCollisionObjectWrapper& wb);
    void FreeAlgorithm(ManifoldSlot& slot);
    void FreeManifold(const CacheEntry& entry);
    void AddPairSlot();
    bool FindContacts(ManifoldSlot& slot, const btCollisionObjectWrapper& wa,
                      const btCollisionObjectWrapper& wb, btManifoldResult& result);
    void NoteSettling(const PhRigidBody& body);
    bool IsSettled(const PhBody& body) const;
    void Collide(const btCollisionObjectWrapper& wa, const btCollisionObjectWrapper& wb, PhBody& a, PhBody* b,
                 std::uint64_t key, float margin, float friction, float restitution, std::int32_t response,
                 float h, const phstep::Face* face, bool settled, bool apart);
    void AddContact(btManifoldPoint& point, PhBody& a, PhBody* b, float friction, float restitution,
                    std::int32_t response, float h);
    int TouchOf(PhBody& a, PhBody* b, bool report);
    void PruneCache();
    float SpeculativeMargin(const PhBody& a, const PhBody* b, float h) const;
    int MotionOf(const PhBody* body) const;

    // StepSolver.cpp
    void PrepareContacts();
    void SolveVelocities();
    template <bool kA, bool kB> void SolveContact(Contact& c);
    void MarkLoneBodies();
    // Keeps four well spread of a lone body's terrain contacts from first on.
    void KeepSpreadContacts(std::size_t first);
    bool m_lonePoints = false; // the terrain contacts being made are a lone body's
    int m_leftOutSkipped = 0;  // and how many of its points stayed out of them
    void ForgetPlacement(const PhRigidBody& body);
    void SolvePositions();
    void StoreImpulses();

    // StepSweep.cpp
    void SweepFastBodies(float h);

    // StepSensors.cpp
    // A sensor's segment at its body's new place.
    struct SensorRay {
        btVector3 start, direction, low, high; // low, high: the segment's box
        // The nearest surface met so far: its distance along the segment
        // and normal, and whether there is one.
        float t = 0.0f;
        btVector3 normal;
        bool any = false;
        bool live = false; // a segment with a length
    };
    // A geometry of a body paired with the one whose sensors are cast, placed
    // once for all of them.
    struct SensedGeometry {
        btTransform transform;
        const PhGeometry* geometry = nullptr;
        ShapeSlot* slot = nullptr;
    };
    void CastSensors();
    // The body's segments at its new place, in m_sensorRays, and the box of
    // them all; returns their count. alike tells whether they all run the
    // same way in the world, live how many have a length.
    std::size_t PlaceSensors(const PhRigidBody& body, bool& alike, std::size_t& live);
    // The terrain triangles near the segments, for SenseGround.
    void NearSensors(const Motion& motion);
    void SenseGeometries(const PhBody& body);
    void SenseGround(SensorRay& ray) const;
    // The segments, all running the same way, against the body's terrain.
    void SenseGroundAlike(const Motion& motion, std::size_t rays);
    // What the sensed geometries give the segment, then the sensor's report.
    void CastSensor(SensorRay& ray, PhSensor& sensor) const;
    bool MeetGeometries(const SensorRay& ray, float length, btVector3& normal, float& t) const;

    PhSimulator& m_simulator;
    float m_carried = 0.0f;
    // Whether the step running is the last that Advance takes this frame.
    bool m_lastOfFrame = true;
    std::uint32_t m_stamp = 0;

    btDefaultCollisionConfiguration m_configuration;
    btCollisionDispatcher m_dispatcher;
    btDispatcherInfo m_dispatchInfo;
    btCollisionObject m_terrainObject;
    btCollisionShape* SharedShapeOf(const PhGeometry& geometry);
    // By geometry pool index, made when a geometry first collides.
    std::vector<std::unique_ptr<ShapeSlot>> m_slots;
    int m_slotCount = 0;
    struct Placed {
        btTransform transform;
        std::uint32_t stamp = 0;
    };
    std::vector<Placed> m_placed; // by geometry pool index
    btTransform m_unplaced;       // the transform of a geometry outside the pool
    std::vector<SharedShape> m_shapes;
    std::deque<ManifoldSlot> m_manifolds;
    std::vector<int> m_freeManifolds;
    // Manifolds last used between geometries, not with the terrain: they
    // keep their algorithms (made and warmed at load for boxes) for pairs.
    std::vector<int> m_freePairManifolds;
    int m_pairSlots = 0;                      // made at load
    std::vector<std::uint8_t> m_pairSlotMade; // by global body index: one was made for it
    static constexpr int kMostPairSlots = 64;
    // Manifolds for terrain contacts, made at load for each moving body, up
    // to a bound, and the triangles a body's terrain answer has room for.
    void PrepareTerrainRoom(const PhBody& body);
    int m_terrainSlots = 0;
    static constexpr int kTerrainSlotsPerBody = 4;
    static constexpr int kMostTerrainSlots = 128;
    static constexpr std::size_t kTerrainAnswerRoom = 1024; // the game's query lists at most 1000
    std::unique_ptr<btBoxShape> m_warmBox;                  // what the slots made at load collide
    std::vector<CacheEntry> m_cache;                        // sorted by key
    std::vector<CacheEntry> m_newEntries;

    std::vector<Motion> m_motions;
    std::vector<int> m_motionOfBody;     // by global body index, -1 for none
    std::vector<std::uint8_t> m_imposed; // by global body index: what listeners set this step
    // Where each body was when its contacts were last made, and whether it
    // is still there this step (by global body index).
    struct Placement {
        Matrix4 transform;
        bool made = false;
        bool settled = false;
    };
    std::vector<Placement> m_placements;
    std::vector<Pair> m_pairs;
    std::vector<PhBody*> m_open; // the sweep's open intervals
    std::vector<Contact> m_contacts;
    std::vector<Touch> m_touches;
    // A terrain triangle near a body, as the step uses it.
    struct Triangle {
        btVector3 v[3];
        btVector3 low, high; // its box
        phstep::Face face;
    };
    static bool MakeTriangle(const PhTerrainTriangle& source, const Vector4* vertices, Triangle& triangle);
    std::vector<std::int32_t> m_triangles; // terrain near each motion, into m_terrain
    const std::int32_t* TrianglesOf(const Motion& motion) const
    {
        return motion.terrainList ? motion.terrainList->data() : m_triangles.data() + motion.triangleFirst;
    }
    // The terrain's triangles as the step uses them, made the first time a
    // query lists them, for as long as the query answers with the same mesh.
    // Left unset until made: a level's tens of thousands of triangles are
    // not all near a body.
    std::unique_ptr<Triangle[]> m_terrain;
    std::size_t m_terrainCount = 0;
    std::vector<std::uint8_t> m_terrainReady; // 0 not made, 1 made, 2 without area
    const void* m_terrainSource = nullptr;
    // The terrain a query answered for a body, kept while the body stays
    // within the box asked about (by global body index).
    struct TerrainCache {
        btVector3 low, high;
        std::vector<std::int32_t> triangles; // the first `count` are the answer
        std::size_t count = 0;
        btVector3 trianglesLow, trianglesHigh; // the box of the triangles
        bool valid = false;
        // The query's last list as it came (the first listedCount), and
        // the triangles with an area it names, once each, in the order it
        // first named them (the first distinctCount).
        std::vector<std::int32_t> listed, distinct;
        std::size_t listedCount = 0, distinctCount = 0;
    };
    bool AskTerrain(PhBody& body, const btVector3& low, const btVector3& high, TerrainCache& cache);
    std::vector<TerrainCache> m_terrainCaches;
    TerrainCache m_scratchCache;
    std::vector<std::int32_t> m_nearSensors;     // triangles near one body's sensors
    std::size_t m_nearCount = 0;                 // of m_nearSensors, the ones in use
    std::vector<SensorRay> m_sensorRays;         // one body's, in its sensors' order
    btVector3 m_sensorsLow, m_sensorsHigh;       // the box of all of them
    std::vector<SensedGeometry> m_sensed;        // what one body's sensors may meet besides the ground
    std::vector<std::uint32_t> m_triangleStamps; // by triangle: the query that last listed it
    std::uint32_t m_queryStamp = 0;
};
