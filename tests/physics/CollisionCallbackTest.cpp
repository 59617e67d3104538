#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "Render/EffectManager.h"
#include "Render/RenderObject.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "physics/CollisionPlayer.h"
#include "physics/KinematicBody.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/Sparks.h"
#include "platform/Clock.h"
#include "platform/Math.h"
#include "platform/Random.h"
#include "platform/SoundDevice.h"
#include "support/EffectFakes.h"
#include "support/MathExpect.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "core/ServiceOverride.h"

namespace {

constexpr float kDegree = 0.017453292f;
constexpr std::uint32_t kDented = 0x96FFFFFF;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

// A car's player object as the game world makes it: a game object that
// answers the callback's questions from fields the test sets.
class FakePlayer : public CPGameObject, public CPCollisionPlayer {
  public:
    explicit FakePlayer(const std::string& name) : CPGameObject(name) {}

    void SetCollisionHit(std::uint8_t value) override { hit = value; }
    void GetCarRotation(Quaternion& rotation) const override { rotation = carRotation; }
    bool IsLevelPlayer() const override { return levelPlayer; }

    std::uint8_t hit = 0;
    Quaternion carRotation{0.0f, 0.0f, 0.0f, 0.0f};
    bool levelPlayer = false;
};

Vector4 V(float x, float y, float z) { return Vector4{x, y, z, 0.0f}; }

// One spark as the formula gives it, with the yaw the effect manager draws
// for it right after.
struct Spark {
    float word1;
    Vector3 velocity;
    Vector3 vectorC;
    float yaw;
};

std::vector<Spark> ExpectedSparks(unsigned seed, const Vector3& d, int count)
{
    platform::SeedRand(seed);
    auto unit = [] { return platform::Rand() / 32767.0f; };
    std::vector<Spark> sparks;
    for (int i = 0; i < count; ++i) {
        Spark spark;
        spark.word1 = 0.01f + 0.02f * unit();
        const float r = unit();
        const float a = (platform::Rand() % 360) * kDegree;
        const float b = (platform::Rand() % 45) * kDegree;
        const float s = 0.5f + 5.5f * unit();
        spark.yaw = (platform::Rand() % 360) * kDegree;
        spark.velocity = {d.x + s * std::sin(b) * std::cos(a), d.y + s * std::sin(b) * std::sin(a), d.z};
        spark.vectorC = {r * d.x, r * d.y, r * d.z - 9.8f};
        sparks.push_back(spark);
    }
    return sparks;
}

void ExpectSparks(const std::vector<RecordingEffectPrototype::Spawn>& spawns, const Vector3& position,
                  const std::vector<Spark>& expected)
{
    ASSERT_EQ(spawns.size(), expected.size());
    for (std::size_t i = 0; i < spawns.size(); ++i) {
        const RecordingEffectPrototype::Spawn& spawn = spawns[i];
        EXPECT_TRUE(Near(spawn.position, position)) << i;
        EXPECT_TRUE(Near(spawn.velocity, expected[i].velocity, 1e-4f)) << i;
        EXPECT_TRUE(Near(spawn.vectorC, expected[i].vectorC, 1e-4f)) << i;
        EXPECT_NEAR(spawn.word1, expected[i].word1, 1e-6f) << i;
        EXPECT_EQ(spawn.word2, 0.0f) << i;
        EXPECT_EQ(spawn.word3, 1.0f) << i;
        EXPECT_EQ(spawn.flag1, 1) << i;
        EXPECT_EQ(spawn.flag2, 1) << i;
        EXPECT_NEAR(spawn.yaw, expected[i].yaw, 1e-6f) << i;
    }
}

// A level with two cars, a wall, an effect manager that records the sparks
// and a sound manager holding "slam" (one second long), on a clock the
// test moves. Each test starts in a new frame with no frame time.
class CollisionCallbackTest : public ::testing::Test {
  protected:
    CollisionCallbackTest()
    {
        folder.UseAsDataRoot();
        folder.Write("Data/Sounds/slam.wav", MakeWave(1, 1000, 8, RampBytes(1000)));
        sounds->LoadSpecialSounds();
        sparks = new RecordingEffectPrototype();
        effects.RegisterPrototype(kSparkEffectName, sparks);

        simulator = phtest::MakeSimulator();
        bodyA = simulator->CreateRigidBody();
        bodyB = simulator->CreateRigidBody();
        wall = simulator->CreateKinematicBody();
        bodyA->SetUserData(static_cast<CPGameObject*>(&carA));
        bodyB->SetUserData(static_cast<CPGameObject*>(&carB));
        wall->userData = static_cast<CPGameObject*>(&wallObject);

        GetGameSettings().physicsValue = 25;
        ClearSparkTimer();
        NewFrame(0.0f);
        platform::SeedRand(7);
    }

    static void NewFrame(float frameTime)
    {
        GameClock& clock = GetGameClock();
        clock.frameTime = frameTime;
        ++clock.frameCount;
        clock.effectsThisFrame = 0;
    }

    // A car's contact with the wall (or the ground) at the point.
    PhContact AgainstWall(const Vector4& point, const Vector4& relativeVelocity, const Vector4& normal)
    {
        PhContact contact;
        contact.bodyA = bodyA;
        contact.bodyB = wall;
        contact.kindA = 1;
        contact.kindB = 0;
        contact.pointOnA = point;
        contact.pointOnB = point;
        contact.relativeVelocity = relativeVelocity;
        contact.normal = normal;
        return contact;
    }

    PhContact CarAgainstCar(const Vector4& pointOnA, const Vector4& pointOnB, const Vector4& relativeVelocity)
    {
        PhContact contact;
        contact.bodyA = bodyA;
        contact.bodyB = bodyB;
        contact.kindA = 1;
        contact.kindB = 1;
        contact.pointOnA = pointOnA;
        contact.pointOnB = pointOnB;
        contact.relativeVelocity = relativeVelocity;
        contact.normal = V(1, 0, 0);
        return contact;
    }

    static void Collide(PhContact contact) { CPPhysicsWorld::OnCollision(&contact); }

    CNSound* Slam() { return sounds->GetSound("slam").As<CNSound>(); }
    std::uint32_t SlamPosition()
    {
        std::uint32_t position = 0;
        EXPECT_EQ(Slam()->GetBuffer()->GetCurrentPosition(&position, nullptr), S_OK);
        return position;
    }

    // Gives the car a body mesh of one vertex at (1, 0, 0), ready to dent:
    // one damage zone, a 0.6 cube around that vertex.
    static CPRenderObject* GiveBody(CPGameObject& car)
    {
        auto* mesh = new CPRenderObject(&car);
        CPMeshVertex vertex;
        vertex.position = {1.0f, 0.0f, 0.0f};
        vertex.normal = {0.0f, 0.0f, 1.0f};
        mesh->GetVertices().push_back(vertex);
        mesh->GetWorldVertices() = mesh->GetVertices();
        car.SetRenderObject(mesh, CPGameObject::kMeshObject);
        mesh->PrepareDeformation();
        return mesh;
    }

    static std::vector<float> Damage(const CPRenderObject& mesh)
    {
        std::vector<float> damage;
        for (const CPDamageZone& zone : mesh.GetDamageZones())
            damage.push_back(zone.damage);
        return damage;
    }

    LogCapture log;
    ScratchFolder folder;
    std::uint32_t now = 1000;
    // The services read the time from `now`.
    TestEngine engine{RunTiming{1, [this] { return now; }}};
    CPSoundManager* sounds = &engine.services->Sounds();
    CPEffectManager& effects = engine.services->EffectManager();
    RecordingEffectPrototype* sparks = nullptr;
    FakePlayer carA{"carA"};
    FakePlayer carB{"carB"};
    CPGameObject wallObject{"wall"};
    phtest::SimulatorPtr simulator;
    PhRigidBody* bodyA = nullptr;
    PhRigidBody* bodyB = nullptr;
    PhKinematicBody* wall = nullptr;
};

} // namespace

TEST_F(CollisionCallbackTest, FlatGroundLeavesTheHitFlagAloneEveryOtherNormalSetsIt)
{
    const struct {
        Vector4 normal;
        std::uint8_t hit;
    } cases[] = {
        {V(0, 0, 1), 0},  {V(0, 0, -1), 0},       {V(0, 0, 0.2f), 0}, {V(1, 0, 0), 1},
        {V(0, -1, 0), 1}, {V(0.1f, 0, 0.99f), 1}, {V(0, 0, 0), 1},
    };
    for (const auto& c : cases) {
        NewFrame(0.0f);
        carA.hit = 0;
        sparks->spawns.clear();
        Collide(AgainstWall(V(0, 0, 0), V(12, 16, 0), c.normal));
        EXPECT_EQ(carA.hit, c.hit) << c.normal.x << " " << c.normal.y << " " << c.normal.z;
        // Speed 20: strength 0.16, 25 * 0.16 * 0.5 = 2 sparks, ground or not.
        EXPECT_EQ(sparks->spawns.size(), 2u);
    }
}

TEST_F(CollisionCallbackTest, SparksAgainstAStaticSideFollowSpeedAndThePhysicsValue)
{
    const struct {
        Vector4 relativeVelocity;
        std::int32_t physicsValue;
        std::size_t sparks;
    } cases[] = {
        {V(12, 16, 0), 25, 2},  // strength 0.16: 2.0
        {V(3, 4, 0), 25, 0},    // strength 0.04: 0.5
        {V(0, 60, 80), 25, 10}, // strength 0.8: 10.0
        {V(0, 0, 0), 25, 0},    {V(12, 16, 0), 0, 0},
        {V(12, 16, 0), -25, 0}, {V(12, 16, 0), 1000, 40}, // 80 wanted; the frame's budget is 40
    };
    for (const auto& c : cases) {
        NewFrame(0.0f);
        GetGameSettings().physicsValue = c.physicsValue;
        sparks->spawns.clear();
        Collide(AgainstWall(V(0, 0, 0), c.relativeVelocity, V(1, 0, 0)));
        EXPECT_EQ(sparks->spawns.size(), c.sparks) << c.physicsValue << " " << c.relativeVelocity.y;
        EXPECT_EQ(CPEffectManager::GetRemainingRequests(), 40 - static_cast<int>(c.sparks));
    }
}

TEST_F(CollisionCallbackTest, StaticSideSparksFlyBackAlongTheCarsRotationWithARandomSpread)
{
    carA.carRotation = {0.6f, 0.8f, 0.0f, 0.0f};
    // Speed 35: strength 0.28, 25 * 0.28 * 0.5 = 3.5, so 3 sparks.
    platform::SeedRand(11);
    Collide(AgainstWall(V(1, 2, 3), V(21, 28, 0), V(1, 0, 0)));

    // 10 times the unit vector of (-0.6, -0.8, 0.45 * 0.8).
    const float length = std::sqrt(0.36f + 0.64f + 0.36f * 0.36f);
    const Vector3 direction{-6.0f / length, -8.0f / length, 3.6f / length};
    ExpectSparks(sparks->spawns, {1, 2, 3}, ExpectedSparks(11, direction, 3));
}

TEST_F(CollisionCallbackTest, AWallDentsTheCarWhereItStruckPushingTowardsTheCar)
{
    CPRenderObject* body = GiveBody(carA);
    // From (2, 0, 0) towards the car at the origin the ray enters the zone
    // around (1, 0, 0) at t = 0.7; pushed the other way it would miss.
    Collide(AgainstWall(V(2, 0, 0), V(12, 16, 0), V(-1, 0, 0)));
    const std::vector<float> damage = Damage(*body);
    ASSERT_FALSE(damage.empty());
    for (float zone : damage)
        EXPECT_NEAR(zone, 0.16f, 1e-6f);
    EXPECT_EQ(body->GetVertices()[0].diffuse, kDented);
}

TEST_F(CollisionCallbackTest, OnlyTheLevelsOwnPlayerHearsSlamAndItIsNotRestartedWhilePlaying)
{
    Collide(AgainstWall(V(0, 0, 0), V(12, 16, 0), V(1, 0, 0)));
    EXPECT_FALSE(Slam()->IsPlaying());

    carA.levelPlayer = true;
    Collide(AgainstWall(V(0, 0, 0), V(0, 0, 0), V(0, 0, 1))); // a touch of the ground will do
    ASSERT_TRUE(Slam()->IsPlaying());
    EXPECT_EQ(SlamPosition(), 0u);

    now += 300;
    Collide(AgainstWall(V(0, 0, 0), V(12, 16, 0), V(1, 0, 0)));
    EXPECT_TRUE(Slam()->IsPlaying());
    EXPECT_EQ(SlamPosition(), 300u);

    now += 1000; // over
    ASSERT_FALSE(Slam()->IsPlaying());
    Collide(AgainstWall(V(0, 0, 0), V(12, 16, 0), V(1, 0, 0)));
    EXPECT_TRUE(Slam()->IsPlaying());
    EXPECT_EQ(SlamPosition(), 0u);
}

TEST_F(CollisionCallbackTest, CarsHitEachOtherAndBothAreDentedByTheirRelativeSpeed)
{
    CPRenderObject* bodyOfA = GiveBody(carA);
    CPRenderObject* bodyOfB = GiveBody(carB);
    Collide(CarAgainstCar(V(2, 0, 0), V(2, 0, 0), V(3, 4, 0)));
    EXPECT_EQ(carA.hit, 1);
    EXPECT_EQ(carB.hit, 1);
    for (const CPRenderObject* body : {bodyOfA, bodyOfB}) {
        const std::vector<float> damage = Damage(*body);
        ASSERT_FALSE(damage.empty());
        for (float zone : damage)
            EXPECT_NEAR(zone, 0.4f, 1e-6f); // 0.08 * 5
    }
}

TEST_F(CollisionCallbackTest, CarSparksFlyFromTheFasterCarAndItsPlayerHearsSlam)
{
    const struct {
        Vector4 velocityA, velocityB;
        bool levelPlayerA, levelPlayerB;
        Vector3 direction; // (-2 u.x, -2 u.y, 2 (u.z + 1)) of the faster car
        bool slam;
    } cases[] = {
        {V(1, 0, 0), V(0, 4, 0), false, true, {0, -2, 2}, true},
        {V(1, 0, 0), V(0, 4, 0), true, false, {0, -2, 2}, false},
        {V(0, 0, -5), V(0, 4, 0), true, false, {0, 0, 0}, true},
        {V(3, 0, 0), V(0, 3, 0), true, false, {0, -2, 2}, false}, // a tie goes to B
    };
    for (const auto& c : cases) {
        now += 5000; // any slam before is over
        NewFrame(0.05f);
        sparks->spawns.clear();
        carA.levelPlayer = c.levelPlayerA;
        carB.levelPlayer = c.levelPlayerB;
        bodyA->SetVelocity(c.velocityA);
        bodyB->SetVelocity(c.velocityB);
        platform::SeedRand(5);
        Collide(CarAgainstCar(V(1, 2, 3), V(9, 9, 9), V(1, 1, 0)));
        ExpectSparks(sparks->spawns, {1, 2, 3}, ExpectedSparks(5, c.direction, 25));
        EXPECT_EQ(Slam()->IsPlaying(), c.slam) << c.velocityA.x;
    }
}

TEST_F(CollisionCallbackTest, CarSparksWaitForMoreThan38MillisecondsOfFrameTime)
{
    const PhContact crash = CarAgainstCar(V(0, 0, 0), V(0, 0, 0), V(1, 0, 0));
    const struct {
        float frameTime;
        int contacts;
        std::size_t sparks;
    } frames[] = {
        {0.05f, 2, 25},                 // the second contact of the frame finds the timer cleared
        {0.02f, 1, 0},  {0.02f, 1, 25}, // 0.04 gathered over two frames
        {0.038f, 3, 0},                 // not more than 0.038
        {0.0f, 1, 0},   {0.001f, 1, 25},
    };
    for (const auto& frame : frames) {
        NewFrame(frame.frameTime);
        sparks->spawns.clear();
        for (int i = 0; i < frame.contacts; ++i)
            Collide(crash);
        EXPECT_EQ(sparks->spawns.size(), frame.sparks) << frame.frameTime;
    }

    // Every contact counts the frame once, whatever its kinds.
    NewFrame(0.03f);
    PhContact idle = crash;
    idle.kindA = 0;
    Collide(idle);
    NewFrame(0.03f);
    sparks->spawns.clear();
    Collide(crash);
    EXPECT_EQ(sparks->spawns.size(), 25u);
}

TEST_F(CollisionCallbackTest, SparksShareTheFramesBudgetOfForty)
{
    NewFrame(0.05f);
    GetGameClock().effectsThisFrame = 38; // dust and sparks so far
    Collide(CarAgainstCar(V(0, 0, 0), V(0, 0, 0), V(1, 0, 0)));
    EXPECT_EQ(sparks->spawns.size(), 2u);
    EXPECT_EQ(CPEffectManager::GetRemainingRequests(), 0);

    Collide(AgainstWall(V(0, 0, 0), V(0, 60, 80), V(1, 0, 0)));
    EXPECT_EQ(sparks->spawns.size(), 2u);
    EXPECT_EQ(carA.hit, 1); // the rest of the contact still happens
}

TEST_F(CollisionCallbackTest, ContactsThatAreNotAMovingBodyAgainstAnotherBodyDoNothing)
{
    CPRenderObject* body = GiveBody(carA);
    carA.levelPlayer = true;
    carB.levelPlayer = true;
    const struct {
        std::int32_t kindA, kindB;
    } cases[] = {{0, 0}, {0, 1}, {2, 0}, {1, 2}, {-1, 1}};
    for (const auto& c : cases) {
        NewFrame(1.0f);
        PhContact contact = CarAgainstCar(V(2, 0, 0), V(2, 0, 0), V(0, 60, 80));
        contact.kindA = c.kindA;
        contact.kindB = c.kindB;
        Collide(contact);
        EXPECT_TRUE(sparks->spawns.empty()) << c.kindA << c.kindB;
        EXPECT_EQ(carA.hit + carB.hit, 0) << c.kindA << c.kindB;
        EXPECT_EQ(Damage(*body), std::vector<float>(Damage(*body).size(), 0.0f));
        EXPECT_FALSE(Slam()->IsPlaying());
    }
}

TEST_F(CollisionCallbackTest, BodiesThatAreNoCarTakeNoPart)
{
    carA.levelPlayer = true;
    PhRigidBody* crate = simulator->CreateRigidBody();
    crate->SetUserData(&wallObject); // a level object, but no car
    PhRigidBody* ownerless = simulator->CreateRigidBody();
    for (PhBody* body :
         {static_cast<PhBody*>(crate), static_cast<PhBody*>(ownerless), static_cast<PhBody*>(nullptr)}) {
        NewFrame(1.0f);
        PhContact alone = AgainstWall(V(0, 0, 0), V(0, 60, 80), V(1, 0, 0));
        alone.bodyA = body;
        Collide(alone);
        PhContact both = CarAgainstCar(V(0, 0, 0), V(0, 0, 0), V(1, 0, 0));
        both.bodyA = body;
        both.bodyB = crate;
        Collide(both);
        EXPECT_TRUE(sparks->spawns.empty());
        EXPECT_GT(GetSparkTimer(), 0.038f); // no car, no sparks: the timer waits
    }

    // One car is enough for a crash: it is hit and the sparks fly.
    NewFrame(1.0f);
    PhContact crash = CarAgainstCar(V(0, 0, 0), V(0, 0, 0), V(1, 0, 0));
    crash.bodyB = ownerless;
    ownerless->SetVelocity(V(0, 9, 0));
    Collide(crash);
    EXPECT_EQ(carA.hit, 1);
    EXPECT_EQ(sparks->spawns.size(), 25u);
    EXPECT_FALSE(Slam()->IsPlaying()); // the faster one is no car
    CPPhysicsWorld::OnCollision(nullptr);
}

TEST_F(CollisionCallbackTest, ContactsWithNumbersThatAreNoNumbersAreIgnoredAndLogged)
{
    carA.levelPlayer = true;
    const struct {
        const char* what;
        PhContact contact;
    } cases[] = {
        {"point", AgainstWall(V(kNaN, 0, 0), V(12, 16, 0), V(1, 0, 0))},
        {"velocity", AgainstWall(V(0, 0, 0), V(12, kNaN, 0), V(1, 0, 0))},
        {"infinite velocity", AgainstWall(V(0, 0, 0), V(kInfinity, 0, 0), V(1, 0, 0))},
        {"normal", AgainstWall(V(0, 0, 0), V(12, 16, 0), V(0, 0, kNaN))},
        {"point on B", CarAgainstCar(V(0, 0, 0), V(0, -kInfinity, 0), V(12, 16, 0))},
    };
    for (const auto& c : cases) {
        NewFrame(1.0f);
        Collide(c.contact);
        EXPECT_EQ(carA.hit, 0) << c.what;
        EXPECT_TRUE(sparks->spawns.empty()) << c.what;
        EXPECT_FALSE(Slam()->IsPlaying()) << c.what;
    }
    EXPECT_TRUE(log.Contains("a contact whose point, velocity or normal is not a number is ignored"));
}

TEST_F(CollisionCallbackTest, MissingManagersAndSoundsAndAFaultyCarDoNoHarm)
{
    carA.levelPlayer = true;
    ServiceOverride<GetEffectManager, SetEffectManager> noEffectManager(nullptr);
    Collide(AgainstWall(V(0, 0, 0), V(0, 60, 80), V(1, 0, 0)));
    EXPECT_EQ(CPEffectManager::GetRemainingRequests(), 40);
    EXPECT_TRUE(Slam()->IsPlaying());

    CPSoundManager silent(&engine.soundDevice); // "slam" never loaded
    ServiceOverride<GetSoundManager, SetSoundManager> installedSoundManager(&silent);
    Collide(AgainstWall(V(0, 0, 0), V(0, 60, 80), V(1, 0, 0)));
    ServiceOverride<GetSoundManager, SetSoundManager> noSoundManager(nullptr);
    Collide(AgainstWall(V(0, 0, 0), V(0, 60, 80), V(1, 0, 0)));
    EXPECT_EQ(carA.hit, 1);

    // A car whose rotation and position are no numbers still dents and
    // throws sparks without a direction of their own, never NaN ones.
    ServiceOverride<GetEffectManager, SetEffectManager> installedEffectManager(&effects);
    GiveBody(carA);
    carA.SetPosition({kNaN, 0, 0});
    carA.carRotation = {kNaN, kNaN, 0, 0};
    NewFrame(0.0f);
    Collide(AgainstWall(V(2, 0, 0), V(0, 60, 80), V(1, 0, 0)));
    ASSERT_EQ(sparks->spawns.size(), 10u);
    for (const auto& spawn : sparks->spawns) {
        EXPECT_TRUE(std::isfinite(spawn.velocity.x) && std::isfinite(spawn.velocity.z));
        EXPECT_TRUE(Near(spawn.vectorC, {0, 0, -9.8f}));
    }
}
