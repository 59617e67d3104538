#include "physics/PhysicsWorld.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "Render/PRender.h"
#include "Render/RenderObject.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "physics/CarControls.h"
#include "physics/PhysicData.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Math.h"
#include "platform/QuaternionMath.h"
#include "core/ServiceOverride.h"

using namespace phtest;

namespace {

// The car of a car's game object, as far as the physics world reaches it.
class FakeCar : public CPObject, public CPCarControls {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(FakeCar); }
    std::string GetTypeName() const override { return "FakeCar"; }
    void SetControls(float t, float s) override
    {
        throttle = t;
        steering = s;
        ++calls;
    }
    float throttle = 0.0f, steering = 0.0f;
    int calls = 0;
};

// A physics world that is the singleton for one test, with a level's
// simulator.
class PhysicsWorldTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(world.Init()); }
    void TearDown() override
    {
        for (CPGameObject* object : m_objects)
            delete object;
    }

    // A game object (deleted by the fixture) at a place, with physics data
    // of the given mass; the parts are added by the test.
    CPGameObject& Object(float mass, Vector3 position = {}, Quaternion rotation = {})
    {
        auto* object = new CPGameObject("object" + std::to_string(m_objects.size()));
        m_objects.push_back(object);
        object->SetPosition(position);
        object->SetRotation(rotation);
        auto* data = new CPPhysicData(object);
        data->SetBox(1, 1, 1, mass);
        object->SetPhysicData(CPObjectPtr(data));
        return *object;
    }

    ScopedLogFile log;
    CPPhysicsWorld world;

  private:
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> m_installed{&world};
    std::vector<CPGameObject*> m_objects;
};

PhGeometry& FirstGeometry(const CPGameObject& object)
{
    return *object.GetPhysicData()->GetParts().at(0).geometry;
}

// A flat square of ground, two triangles from (0, 0) to (size, size) at
// height z, owned by a game object placed at `position`.
struct Terrain {
    CPGameObject object{"terrain"};
    CPRenderObject* mesh = new CPRenderObject(&object);

    Terrain(float size, float z, Vector3 position = {})
    {
        object.SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
        object.SetPosition(position);
        object.UpdateBounds();
        const float corners[4][2] = {{0, 0}, {size, 0}, {0, size}, {size, size}};
        for (const auto& c : corners) {
            CPMeshVertex v;
            v.position = Vector3{c[0], c[1], z};
            mesh->GetVertices().push_back(v);
        }
        mesh->GetIndices() = {0, 1, 2, 1, 3, 2};
    }
};

} // namespace

TEST_F(PhysicsWorldTest, InitGivesTheLevelsSimulatorItsSizesGravityMaterialsResponsesAndCallbacks)
{
    PhSimulator* simulator = world.GetSimulator();
    ASSERT_NE(simulator, nullptr);
    const PhSizeInfo& sizes = simulator->GetSizeInfo();
    const std::int32_t expected[12] = {500, 1000, 500, 50, 1500, 5000, 150, 150, 10, 1000, 200, -1};
    const std::int32_t actual[12] = {sizes.rigidBodiesCount,
                                     sizes.kinematicBodiesCount,
                                     sizes.rigidParticleCount,
                                     sizes.constraintSetsCount,
                                     sizes.overlappedPairsCount,
                                     sizes.geometriesCount,
                                     sizes.count6,
                                     sizes.count7,
                                     sizes.count8,
                                     sizes.sensorsCount,
                                     sizes.count10,
                                     sizes.count11};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(actual[i], expected[i]) << "count " << i;
    EXPECT_VEC3_NEAR(simulator->GetGravity(), 0, 0, -9.8f, 1e-6f);

    struct MaterialCase {
        int index;
        float values[3];
    };
    const MaterialCase materials[] = {
        {0, {0.2f, 0.0f, 0.0f}}, {1, {0.2f, 0.0f, 0.0f}}, {2, {0.5f, 0.4f, 1.0f}}};
    for (const MaterialCase& m : materials) {
        for (int v = 0; v < 3; ++v)
            EXPECT_FLOAT_EQ(simulator->GetMaterial(m.index).value[v], m.values[v]) << m.index << ", " << v;
    }
    PhResponseTable& responses = simulator->GetResponseTable();
    EXPECT_EQ(responses.Get(0, 0), 3);
    EXPECT_EQ(responses.Get(0, -1), 3);
    EXPECT_EQ(responses.Get(1, 1), 1);
    EXPECT_EQ(responses.Get(0, 1), 1);
    EXPECT_EQ(simulator->GetCollisionCallback(), &CPPhysicsWorld::OnCollision);
    EXPECT_EQ(simulator->GetTerrainQueryCallback(), &CPPhysicsWorld::QueryTerrainTriangles);
}

TEST_F(PhysicsWorldTest, ASecondInitGivesUpTheFirstSimulatorAndItsBodies)
{
    CPGameObject& object = Object(1);
    object.GetPhysicData()->AddBoxPart({}, {}, 1, 1, 1, 1);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 1));
    ASSERT_TRUE(world.RemoveObject(CPObjectPtr(object.GetPhysicData())));
    ASSERT_EQ(world.GetEvents().size(), 1u);

    ASSERT_TRUE(world.Init());
    EXPECT_NE(world.GetSimulator(), nullptr);
    EXPECT_EQ(object.GetPhysicData()->GetRigidBody(), nullptr);
    EXPECT_EQ(object.GetPhysicData()->GetParts()[0].geometry, nullptr);
    EXPECT_TRUE(world.GetEvents().empty()) << "events of the old bodies go with them";
    // The object can be built into the new simulator.
    EXPECT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 1));
}

TEST_F(PhysicsWorldTest, EachCollisionPartBecomesAGeometryOfTheBody)
{
    const float s = 0.70710678f;
    struct Case {
        const char* what;
        bool cylinder;
        Quaternion rotation;
        float sizes[3];
        std::int32_t kind;
        float shape[3];
        float rows[2][3]; // the first two rotation rows
    };
    // Boxes take their second and third sizes exchanged; a part's rotation
    // is turned the other way: a quarter turn about z becomes -90 degrees.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // clang-format off
    const Case cases[] = {
        {"box, (0, 0, 0, 2) is no rotation", false, {0, 0, 0, 2}, {1, 2, 3}, kPhGeometryBox,
         {0.5f, 1.5f, 1.0f}, {{1, 0, 0}, {0, 1, 0}}},
        {"box turned about z", false, {0, 0, s, s}, {2, 2, 2}, kPhGeometryBox,
         {1, 1, 1}, {{0, -1, 0}, {1, 0, 0}}},
        {"cylinder (diameter 0.6, height 1.5)", true, {0, 0, 0, 1}, {0.6f, 1.5f, 0}, kPhGeometryCylinder,
         {0.3f, 0.09f, 0.75f}, {{1, 0, 0}, {0, 1, 0}}},
        {"a rotation without length is none", false, {0, 0, 0, 0}, {1, 1, 1}, kPhGeometryBox,
         {0.5f, 0.5f, 0.5f}, {{1, 0, 0}, {0, 1, 0}}},
        {"a rotation that is not a number is none", false, {nan, 0, 0, 1}, {1, 1, 1}, kPhGeometryBox,
         {0.5f, 0.5f, 0.5f}, {{1, 0, 0}, {0, 1, 0}}},
    };
    // clang-format on
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        CPGameObject& object = Object(-1);
        CPPhysicData& data = *object.GetPhysicData();
        if (k.cylinder)
            data.AddCylinderPart({1, 2, 3}, k.rotation, k.sizes[0], k.sizes[1], 1);
        else
            data.AddBoxPart({1, 2, 3}, k.rotation, k.sizes[0], k.sizes[1], k.sizes[2], 1);
        ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 7));
        const PhGeometry& geometry = FirstGeometry(object);
        EXPECT_EQ(geometry.kind, k.kind);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(geometry.shape[i], k.shape[i], 1e-6f) << "shape " << i;
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(geometry.localTransform.m[r][c], k.rows[r][c], 1e-6f) << "row " << r << ", " << c;
        EXPECT_VEC3_NEAR(RowOf(geometry.localTransform, 3), 1, 2, 3, 0.0f);
        EXPECT_FLOAT_EQ(geometry.localTransform.m[3][3], 1.0f);
        EXPECT_EQ(geometry.materialIndex, 7);
    }
}

TEST_F(PhysicsWorldTest, TheMassChoosesTheBody)
{
    struct Case {
        const char* what;
        float mass;
        bool particle;
        bool rigid;
        std::int32_t kind;
    };
    const Case cases[] = {
        {"mass 0 moves", 0.0f, false, true, kPhRigidBody},
        {"a positive mass", 5.0f, false, true, kPhRigidBody},
        {"a particle", 5.0f, true, true, kPhRigidParticle},
        {"a negative mass is static", -1.0f, false, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        CPGameObject& object = Object(k.mass, {4, 5, 6}, {0, 0, 0, 3});
        CPPhysicData& data = *object.GetPhysicData();
        data.SetParticleFlag(k.particle);
        data.AddBoxPart({}, {}, 2, 2, 2, 1);
        ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 1));
        if (k.rigid) {
            ASSERT_NE(data.GetRigidBody(), nullptr);
            EXPECT_EQ(data.GetKinematicBody(), nullptr);
            EXPECT_EQ(data.GetRigidBody()->kind, k.kind);
            EXPECT_EQ(data.GetRigidBody()->GetUserData(), &object);
            EXPECT_EQ(data.GetRigidBody()->geometries.count, 1);
            EXPECT_TRUE(data.GetCollisionFlag());
            // Placed later, by BuildBody.
            EXPECT_VEC3_NEAR(data.GetRigidBody()->GetPos(), 0, 0, 0, 0.0f);
        } else {
            PhKinematicBody* body = data.GetKinematicBody();
            ASSERT_NE(body, nullptr);
            EXPECT_EQ(data.GetRigidBody(), nullptr);
            EXPECT_EQ(body->userData, &object);
            EXPECT_FALSE(data.GetCollisionFlag()) << "a static body keeps the flag as it was";
            EXPECT_VEC3_NEAR(body->position, 4, 5, 6, 0.0f);
            EXPECT_FLOAT_EQ(body->rotationRows[0].x, 1.0f);
            EXPECT_NEAR(body->worldMin.z, 5.0f, 1e-5f);
            EXPECT_NEAR(body->worldMax.z, 7.0f, 1e-5f);
        }
    }
}

TEST_F(PhysicsWorldTest, ObjectsThatGetNoBodyAreTurnedAwayWithAReport)
{
    CPGameObject plain("plain");
    EXPECT_FALSE(world.AddLevelObject(CPObjectPtr(&plain), 1, 1)) << "no physics data";
    EXPECT_FALSE(world.AddLevelObject(CPObjectPtr(), 1, 1));
    FakeCar notAnObject;
    EXPECT_FALSE(world.AddLevelObject(CPObjectPtr(&notAnObject), 1, 1));

    CPGameObject& twice = Object(1);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&twice), 1, 1));
    PhRigidBody* body = twice.GetPhysicData()->GetRigidBody();
    EXPECT_FALSE(world.AddLevelObject(CPObjectPtr(&twice), 1, 1));
    EXPECT_EQ(twice.GetPhysicData()->GetRigidBody(), body);

    CPGameObject& broken = Object(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(world.AddLevelObject(CPObjectPtr(&broken), 1, 1));
    EXPECT_EQ(broken.GetPhysicData()->GetRigidBody(), nullptr);

    CPPhysicsWorld uninitialised;
    CPGameObject& early = Object(1);
    EXPECT_FALSE(uninitialised.AddLevelObject(CPObjectPtr(&early), 1, 1));

    const std::string text = log.Read();
    for (const char* line :
         {"not a game object", "is in the world already", "not a number", "Init comes first"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(PhysicsWorldTest, RemovalParksTheBodyLowerEachTimeAndStartsAgainBelow100000)
{
    CPGameObject& moving = Object(1);
    moving.GetPhysicData()->AddBoxPart({}, {}, 1, 1, 1, 1);
    moving.GetPhysicData()->SetControllerFlag(true);
    CPGameObject& still = Object(-1);
    for (CPGameObject* object : {&moving, &still})
        ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(object), 1, 1));
    ASSERT_TRUE(moving.GetPhysicData()->BuildBody());
    PhRigidBody* rigid = moving.GetPhysicData()->GetRigidBody();
    PhKinematicBody* kinematic = still.GetPhysicData()->GetKinematicBody();

    ASSERT_TRUE(world.RemoveObject(CPObjectPtr(moving.GetPhysicData())));
    EXPECT_VEC3_NEAR(rigid->GetPos(), 0, 0, -1000, 0.0f);
    EXPECT_FALSE(rigid->IsActive());
    EXPECT_EQ(moving.GetPhysicData()->GetRigidBody(), nullptr);
    EXPECT_EQ(moving.GetPhysicData()->GetController(), nullptr);
    EXPECT_EQ(moving.GetPhysicData()->GetParts()[0].geometry, nullptr);
    ASSERT_NE(rigid->controllers.head, nullptr);
    EXPECT_EQ(rigid->controllers.head->listener, nullptr) << "the parked body no longer calls the data";
    ASSERT_TRUE(world.RemoveObject(CPObjectPtr(still.GetPhysicData())));
    EXPECT_VEC3_NEAR(kinematic->position, 0, 0, -1500, 0.0f);
    EXPECT_FALSE(kinematic->IsActive());
    EXPECT_EQ(still.GetPhysicData()->GetKinematicBody(), nullptr);
    ASSERT_EQ(world.GetEvents().size(), 2u);
    EXPECT_EQ(world.GetEvents()[0].rigidBody, rigid);
    EXPECT_EQ(world.GetEvents()[0].kinematicBody, nullptr);
    EXPECT_EQ(world.GetEvents()[1].kinematicBody, kinematic);
    EXPECT_EQ(world.GetEvents()[1].code, CPPhysicsWorld::kEventRemoved);

    // A physics data without a body still lowers the depth: from -2000 it
    // takes 196 removals to reach -100000, which is kept; the next goes
    // below and starts again at -1000.
    CPPhysicData bodiless(nullptr);
    EXPECT_FLOAT_EQ(world.GetParkingDepth(), -2000.0f);
    for (int i = 0; i < 196; ++i)
        world.RemoveObject(CPObjectPtr(&bodiless));
    EXPECT_FLOAT_EQ(world.GetParkingDepth(), -100000.0f);
    world.RemoveObject(CPObjectPtr(&bodiless));
    EXPECT_FLOAT_EQ(world.GetParkingDepth(), -1000.0f);
    EXPECT_EQ(world.GetEvents().size(), 2u);

    EXPECT_FALSE(world.RemoveObject(CPObjectPtr(&moving)));
    EXPECT_NE(log.Read().find("not a physics data"), std::string::npos);
}

TEST_F(PhysicsWorldTest, TheStepRunsTheSimulationWithTheFrameTimeAndEmptiesTheEvents)
{
    CPGameObject& object = Object(2);
    CPPhysicData& data = *object.GetPhysicData();
    data.SetControllerFlag(true);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 1));
    ASSERT_TRUE(data.BuildBody());
    data.SetImposeFlag(true);
    data.SetImposedVelocity(V(0, 7, 0));
    CPGameObject& gone = Object(-1);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&gone), 1, 1));
    ASSERT_TRUE(world.RemoveObject(CPObjectPtr(gone.GetPhysicData())));

    SetFrameTime(0.02f);
    world.Step();
    EXPECT_VEC3_NEAR(data.GetRigidBody()->velocity, 0, 7, 0, 0.0f);
    EXPECT_TRUE(world.GetEvents().empty());
    EXPECT_EQ(world.GetTaskType(), CPPhysicsWorld::kTaskType);
    EXPECT_EQ(world.GetPriority(), 400);

    CPPhysicsWorld idle;
    idle.Step(); // no simulator: nothing to do
}

// The scene draws, and the race measures, the game objects: after each
// step a moving body's object stands where its body is, turned as it is,
// while its body is not put back; an object with a kinematic body keeps
// its own place.
TEST_F(PhysicsWorldTest, AfterTheStepEachMovingObjectStandsWhereItsBodyIs)
{
    const Quaternion tilted = QuaternionFromAxisAngle(Vector3{1, 0, 0}, 0.3f);
    CPGameObject& falling = Object(2, Vector3{5, 6, 40}, tilted);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&falling), 1, 1));
    ASSERT_TRUE(falling.GetPhysicData()->BuildBody());
    PhRigidBody* body = falling.GetPhysicData()->GetRigidBody();
    body->SetVelocity(Vector4{3, 0, 0, 0});
    body->SetAngularMomentum(Vector4{0, 0, 2, 0});
    CPGameObject& wall = Object(-1, Vector3{1, 2, 3});
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&wall), 1, 1));

    SetFrameTime(0.02f);
    for (int i = 0; i < 25; ++i)
        world.Step();
    const Vector4 p = body->GetPos();
    EXPECT_GT(p.x, 5.5f);
    EXPECT_LT(p.z, 40.0f);
    const Vector3 at = falling.GetPosition();
    EXPECT_EQ(at.x, p.x);
    EXPECT_EQ(at.y, p.y);
    EXPECT_EQ(at.z, p.z);
    // The same turn, whichever sign the quaternion came out with.
    const Quaternion q = falling.GetRotation();
    const Quaternion b = body->orientation;
    const float dot = q.x * b.x + q.y * b.y + q.z * b.z + q.w * b.w;
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f);
    EXPECT_LT(std::fabs(q.x * tilted.x + q.y * tilted.y + q.z * tilted.z + q.w * tilted.w), 0.9999f)
        << "the spin turned the object";
    // Its matrices and boxes, which the frame draws and tests by, came
    // along.
    const Matrix4& placed = falling.GetWorldMatrix();
    EXPECT_FLOAT_EQ(placed.m[3][0], p.x);
    EXPECT_FLOAT_EQ(placed.m[3][2], p.z);
    EXPECT_FALSE(falling.IsDirty());
    const AxisBox& box = falling.GetOwnBox();
    EXPECT_LE(box.minimum.x, p.x);
    EXPECT_GE(box.maximum.x, p.x);
    EXPECT_LE(box.minimum.z, p.z);
    EXPECT_GE(box.maximum.z, p.z);
    // Following its body did not move the body back.
    world.Step();
    EXPECT_GT(body->GetPos().x, p.x);
    EXPECT_EQ(wall.GetPosition().x, 1.0f);
    EXPECT_EQ(wall.GetPosition().z, 3.0f);
}

// What is drawn of a moving object is placed by its world matrix, and its
// children (a car's wheels) by theirs: after the step both follow the body,
// not only the object's position.
TEST_F(PhysicsWorldTest, AfterTheStepAMovingObjectAndItsChildrenAreDrawnWhereItsBodyIs)
{
    CPGameObject& moving = Object(2, Vector3{5, 6, 40});
    auto* wheel = new CPGameObject("wheel");
    wheel->SetPosition(Vector3{1, 0, 0});
    moving.AddChild(CPObjectPtr(wheel));
    moving.UpdateBounds();
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&moving), 1, 1));
    ASSERT_TRUE(moving.GetPhysicData()->BuildBody());
    PhRigidBody* body = moving.GetPhysicData()->GetRigidBody();
    body->SetVelocity(Vector4{3, 0, 0, 0});

    SetFrameTime(0.02f);
    for (int i = 0; i < 10; ++i)
        world.Step();
    const Vector4 p = body->GetPos();
    ASSERT_GT(p.x, 5.3f);
    const Matrix4& placed = moving.GetWorldMatrix();
    EXPECT_FLOAT_EQ(placed.m[3][0], p.x);
    EXPECT_FLOAT_EQ(placed.m[3][1], p.y);
    EXPECT_FLOAT_EQ(placed.m[3][2], p.z);
    const Vector3 wheelAt = TransformPoint(Vector3{}, wheel->GetWorldMatrix());
    EXPECT_NEAR(Length(wheelAt - Vector3{p.x, p.y, p.z}), 1.0f, 1e-4f);
}

TEST_F(PhysicsWorldTest, DrivingInputsReachTheCarOfACarObject)
{
    CPGameObject carObject("jeep");
    auto* car = new FakeCar;
    carObject.SetPhysicsObject(CPObjectPtr(car));
    EXPECT_TRUE(CPPhysicsWorld::SetCarControls(CPObjectPtr(&carObject), 0.75f, -0.5f));
    EXPECT_FLOAT_EQ(car->throttle, 0.75f);
    EXPECT_FLOAT_EQ(car->steering, -0.5f);

    CPGameObject walker("walker");
    EXPECT_FALSE(CPPhysicsWorld::SetCarControls(CPObjectPtr(&walker), 1, 0));
    EXPECT_FALSE(CPPhysicsWorld::SetCarControls(CPObjectPtr(car), 1, 0));
    EXPECT_EQ(car->calls, 1);
    EXPECT_NE(log.Read().find("\"walker\" has no car"), std::string::npos);
    carObject.SetPhysicsObject(CPObjectPtr());
    delete car;
}

TEST_F(PhysicsWorldTest, TheCollisionMeshIsBuiltInTheWorldAndLentToTheRenderer)
{
    platform::HeadlessGraphicsDevice device;
    CPRender render(&device);
    ServiceOverride<GetRender, SetRender> installedRender(&render);
    {
        CPPhysicsWorld level;
        Terrain terrain(40, 2, {100, 0, 0});
        ASSERT_TRUE(level.BuildCollisionMesh(CPObjectPtr(terrain.mesh)));
        EXPECT_EQ(render.GetTerrainMesh(), &level.GetCollisionMesh());
        const CPCollisionMesh& mesh = level.GetCollisionMesh();
        EXPECT_EQ(mesh.GetTriangleCount(), 2);
        EXPECT_VEC3_NEAR(mesh.GetVertices()[3], 140, 40, 2, 1e-5f);
        EXPECT_FLOAT_EQ(level.GetNearestVertexHeight({139, 39, 0}), 2.0f);

        // A mesh that cannot be built leaves neither mesh nor renderer link.
        Terrain broken(40, std::numeric_limits<float>::infinity());
        EXPECT_FALSE(level.BuildCollisionMesh(CPObjectPtr(broken.mesh)));
        EXPECT_EQ(render.GetTerrainMesh(), nullptr);
        EXPECT_TRUE(level.GetCollisionMesh().IsEmpty());

        ASSERT_TRUE(level.BuildCollisionMesh(CPObjectPtr(terrain.mesh)));
    }
    EXPECT_EQ(render.GetTerrainMesh(), nullptr) << "cleared before the mesh went";
}

TEST_F(PhysicsWorldTest, ATerrainThatIsNoPlacedMeshIsRefused)
{
    EXPECT_FALSE(world.BuildCollisionMesh(CPObjectPtr()));
    CPGameObject notAMesh("group");
    EXPECT_FALSE(world.BuildCollisionMesh(CPObjectPtr(&notAMesh)));
    CPRenderObject ownerless(nullptr);
    EXPECT_FALSE(world.BuildCollisionMesh(CPObjectPtr(&ownerless)));
    const std::string text = log.Read();
    EXPECT_NE(text.find("not a mesh render object"), std::string::npos);
    EXPECT_NE(text.find("has no owner"), std::string::npos);
}

TEST_F(PhysicsWorldTest, TheTerrainQueryFillsThePhysicsDataOfTheBodysObject)
{
    Terrain terrain(40, 0);
    ASSERT_TRUE(world.BuildCollisionMesh(CPObjectPtr(terrain.mesh)));
    CPGameObject& car = Object(1);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&car), 1, 1));
    PhRigidBody* body = car.GetPhysicData()->GetRigidBody();
    const CPCollisionMesh& mesh = world.GetCollisionMesh();

    const std::int32_t* indices = nullptr;
    const PhTerrainTriangle* triangles = nullptr;
    const Vector4* vertices = nullptr;
    std::int32_t indexCount = -1, triangleCount = -1;
    CPPhysicsWorld::QueryTerrainTriangles(V(5, 5, 0), V(7, 7, 2), &indices, &triangles, &vertices,
                                          &indexCount, &triangleCount, body);
    // Cell (1, 1) and the eight around it, all under the first triangle
    // only: the second lies beyond the diagonal x + y = 40.
    EXPECT_EQ(indexCount, 9);
    EXPECT_EQ(car.GetPhysicData()->GetTerrainTriangleCount(), 9);
    EXPECT_EQ(indices, car.GetPhysicData()->GetTerrainTriangles());
    EXPECT_EQ(std::vector<std::int32_t>(indices, indices + 9), std::vector<std::int32_t>(9, 0));
    EXPECT_EQ(triangles, mesh.GetTriangles());
    EXPECT_EQ(vertices, mesh.GetVertices());
    EXPECT_EQ(triangleCount, 2);

    // Bodies the query cannot serve get an empty list.
    body->SetUserData(nullptr);
    CPPhysicsWorld::QueryTerrainTriangles(V(5, 5, 0), V(7, 7, 2), &indices, &triangles, &vertices,
                                          &indexCount, &triangleCount, body);
    EXPECT_EQ(indexCount, 0);
    EXPECT_EQ(indices, nullptr);
    EXPECT_EQ(triangleCount, 2);

    SimulatorPtr other = MakeSimulator();
    PhRigidBody* stranger = other->CreateRigidBody();
    stranger->SetUserData(&car);
    CPPhysicsWorld::QueryTerrainTriangles(V(5, 5, 0), V(7, 7, 2), &indices, &triangles, &vertices,
                                          &indexCount, &triangleCount, stranger);
    EXPECT_EQ(indexCount, 0);
    EXPECT_EQ(triangleCount, 0);
    CPPhysicsWorld::QueryTerrainTriangles(V(5, 5, 0), V(7, 7, 2), nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr);
}

TEST_F(PhysicsWorldTest, TheTerrainQueryListsWhatTheMeshWouldListForEveryBoxInTurn)
{
    // A query whose box samples the cells of the body's last one finds its
    // list made; a list written by anyone else, or a mesh built anew, must
    // not be mistaken for it.
    Terrain wide(40, 0);
    Terrain narrow(8, 0);
    ASSERT_TRUE(world.BuildCollisionMesh(CPObjectPtr(wide.mesh)));
    CPGameObject& car = Object(1);
    ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&car), 1, 1));
    PhRigidBody* body = car.GetPhysicData()->GetRigidBody();
    CPPhysicData& data = *car.GetPhysicData();
    const CPPhysicData& view = data; // reading through it forgets nothing

    enum Before { kNothing, kWriteList, kWriteCount, kBuildNarrow, kBuildWide };
    struct Case {
        Before before;
        Vector4 a, b;
    };
    const Case cases[] = {
        {kNothing, V(5, 5, 0), V(7, 7, 2)},
        {kNothing, V(5.5f, 5.5f, 0), V(7.5f, 7.5f, 2)}, // the same cells
        {kNothing, V(30, 30, 0), V(33, 33, 2)},         // others, with the second triangle
        {kNothing, V(5, 5, 0), V(7, 7, 2)},
        {kWriteList, V(5.2f, 5.2f, 0), V(7.2f, 7.2f, 2)},
        {kWriteCount, V(5.1f, 5.1f, 0), V(7.1f, 7.1f, 2)},
        {kBuildNarrow, V(5, 5, 0), V(7, 7, 2)},
        {kNothing, V(5.5f, 5.5f, 0), V(7.5f, 7.5f, 2)},
        {kBuildWide, V(5, 5, 0), V(7, 7, 2)},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        if (c.before == kWriteList) {
            data.GetTerrainTriangles()[0] = 1;
        } else if (c.before == kWriteCount) {
            data.SetTerrainTriangleCount(1);
        } else if (c.before == kBuildNarrow || c.before == kBuildWide) {
            ASSERT_TRUE(
                world.BuildCollisionMesh(CPObjectPtr(c.before == kBuildNarrow ? narrow.mesh : wide.mesh)));
        }
        std::vector<std::int32_t> expected(CPPhysicData::kTerrainQuerySize);
        expected.resize(static_cast<std::size_t>(
            world.GetCollisionMesh().Query(c.a, c.b, expected.data(), CPPhysicData::kTerrainQuerySize)));
        ASSERT_FALSE(expected.empty()) << "case " << i;

        const std::int32_t* indices = nullptr;
        std::int32_t indexCount = -1;
        CPPhysicsWorld::QueryTerrainTriangles(c.a, c.b, &indices, nullptr, nullptr, &indexCount, nullptr,
                                              body);
        ASSERT_EQ(indices, view.GetTerrainTriangles()) << "case " << i;
        EXPECT_EQ(std::vector<std::int32_t>(indices, indices + std::max(indexCount, 0)), expected)
            << "case " << i;
        EXPECT_EQ(view.GetTerrainTriangleCount(), indexCount) << "case " << i;
    }
}

TEST_F(PhysicsWorldTest, ALevelIsBuiltInTheLoadersOrderAndRuns)
{
    Terrain terrain(80, 0);
    ASSERT_TRUE(world.BuildCollisionMesh(CPObjectPtr(terrain.mesh)));
    ASSERT_TRUE(world.Init());
    CPGameObject& wall = Object(-1, {10, 10, 0});
    wall.GetPhysicData()->AddBoxPart({0, 0, 1}, {}, 4, 2, 1, 0);
    CPGameObject& crate = Object(3, {20, 20, 1});
    crate.GetPhysicData()->AddBoxPart({}, {}, 1, 1, 1, 3);
    for (CPGameObject* object : {&wall, &crate})
        ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(object), 1, 1));
    ASSERT_TRUE(crate.GetPhysicData()->BuildBody());
    EXPECT_VEC3_NEAR(crate.GetPhysicData()->GetRigidBody()->GetPos(), 20, 20, 1, 0.0f);
    SetFrameTime(0.02f);
    for (int frame = 0; frame < 3; ++frame)
        world.Step();
    EXPECT_FLOAT_EQ(world.GetNearestVertexHeight({79, 79, 3}), 0.0f);
}

TEST(PhysicsWorldLifetime, ObjectsOutlivingTheWorldNoLongerPointIntoItsSimulator)
{
    CPGameObject object("survivor");
    auto* data = new CPPhysicData(&object);
    object.SetPhysicData(CPObjectPtr(data));
    data->SetControllerFlag(true);
    data->AddBoxPart({}, {}, 1, 1, 1, 1);
    {
        CPPhysicsWorld world;
        ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> installedWorld(&world);
        ASSERT_TRUE(world.Init());
        ASSERT_TRUE(world.AddLevelObject(CPObjectPtr(&object), 1, 1));
        ASSERT_TRUE(data->BuildBody());
    }
    EXPECT_EQ(data->GetRigidBody(), nullptr);
    EXPECT_EQ(data->GetController(), nullptr);
    EXPECT_EQ(data->GetParts()[0].geometry, nullptr);
    EXPECT_FALSE(data->BuildBody());
    EXPECT_FALSE(data->RemoveFromWorld());
    // The object and its physics data go after the world, touching nothing of it.
}
