#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "SteppingTestWorld.h"
#include "physics/Controller.h"
#include "physics/FrameListener.h"
#include "physics/PhysicsMath.h"

using namespace phtest;

namespace {

const Vector4 kUnitBox = V(1, 1, 1);

Quaternion AboutX(float degrees)
{
    const float half = 0.5f * degrees * 3.14159265f / 180.0f;
    return Quaternion{std::sin(half), 0.0f, 0.0f, std::cos(half)};
}

} // namespace

TEST(Stepping, ABoxDroppedOnTheGroundRestsAtItsHalfHeightAndSleeps)
{
    Ground ground(20, 4);
    SteppingWorld world(&ground);
    PhRigidBody* box = world.Box(V(1, 1, 0.6f), 2, V(0.3f, -0.2f, 2));
    world.Run(3.0f);
    EXPECT_VEC3_NEAR(box->GetPos(), 0.3f, -0.2f, 0.3f, 0.01f);
    EXPECT_TRUE(box->IsAsleep());
    EXPECT_GT(TerrainQueries(), 0);
    // Asleep it stays put and its rows stay a rotation.
    const Vector4 rested = box->GetPos();
    world.Run(1.0f);
    EXPECT_VEC3_NEAR(box->GetPos(), rested.x, rested.y, rested.z, 1e-6f);
    EXPECT_NEAR(box->transform.m[2][2], 1.0f, 1e-3f);
}

// The query answers with the same list of triangles for another mesh (the
// level's ground replaced by one 2 m lower): what was found of the first
// mesh is not taken for the second's.
TEST(Stepping, AGroundReplacedUnderTheSameListIsTheOneBodiesRestOn)
{
    Ground high(20, 4);
    Ground low = high;
    for (Vector4& v : low.vertices)
        v.z -= 2.0f;
    SteppingWorld world(&high);
    PhRigidBody* box = world.Box(V(1, 1, 0.6f), 2, V(0.3f, -0.2f, 1));
    world.Run(2.0f);
    EXPECT_VEC3_NEAR(box->GetPos(), 0.3f, -0.2f, 0.3f, 0.01f);
    CurrentGround() = &low;
    // Moved well away, so its body asks again.
    box->SetPos(V(4.3f, 3.8f, 0.3f));
    box->Wake();
    world.Run(3.0f);
    EXPECT_VEC3_NEAR(box->GetPos(), 4.3f, 3.8f, -1.7f, 0.01f);
}

TEST(Stepping, CylindersAndSpheresRestOnTheGroundAndCarryABox)
{
    Ground ground(20, 2);
    SteppingWorld world(&ground);
    auto shaped = [&](const Vector4& at, const Quaternion& turn, auto shape) {
        PhRigidBody* body = world.Box(kUnitBox, 1, at);
        shape(*body->geometries.head);
        body->SetInertiaTensor(V(0.1f, 0.1f, 0.1f));
        body->UpdateBoundingInfo();
        body->SetRotation(turn);
        return body;
    };
    // Its axis is its own y: lying on its side as it is, upright turned
    // a right angle about x.
    PhRigidBody* lying = shaped(V(-3, 0, 1), Quaternion{}, [](PhGeometry& g) { g.SetCylinder(0.8f, 1.0f); });
    PhRigidBody* upright =
        shaped(V(3, 0, 0.6f), AboutX(90), [](PhGeometry& g) { g.SetCylinder(0.8f, 1.0f); });
    PhRigidBody* sphere = shaped(V(0, 4, 1), Quaternion{}, [](PhGeometry& g) {
        g.kind = kPhGeometrySphere;
        g.shape[0] = 0.3f;
    });
    PhRigidBody* load = world.Box(V(0.6f, 0.6f, 0.4f), 0.5f, V(3, 0, 1.5f));
    world.Run(3.0f);
    EXPECT_NEAR(lying->GetPos().z, 0.4f, 0.01f);
    EXPECT_NEAR(upright->GetPos().z, 0.5f, 0.01f);
    EXPECT_NEAR(sphere->GetPos().z, 0.3f, 0.01f);
    EXPECT_NEAR(load->GetPos().z, 1.2f, 0.01f);
    EXPECT_NEAR(load->GetPos().x, 3.0f, 0.01f);
}

TEST(Stepping, OnASlopeABoxHoldsWithHighFrictionAndSlidesWithLow)
{
    struct Case {
        float friction;
        bool slides;
    } cases[] = {{0.9f, false}, {0.1f, true}};
    const float slope = 20.0f;
    const float a = slope * 3.14159265f / 180.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.friction);
        Ground ground(40, 4, slope);
        SteppingWorld world(&ground);
        world.simulator->SetMaterial(0, c.friction, 0.0f);
        // Resting on the slope, just clear of it.
        const float lift = 0.51f;
        PhRigidBody* box = world.Box(kUnitBox, 1, V(0, -std::sin(a) * lift, std::cos(a) * lift));
        box->SetRotation(AboutX(slope));
        const Vector4 start = box->GetPos();
        world.Run(3.0f);
        const Vector4 moved = phmath::Sub(box->GetPos(), start);
        const float downhill = -(moved.y * std::cos(a) + moved.z * std::sin(a));
        if (c.slides) {
            // Free sliding would cover 0.5 g (sin a - mu cos a) t^2, about 10 m.
            EXPECT_GT(downhill, 5.0f);
        } else {
            EXPECT_LT(std::fabs(downhill), 0.05f);
            EXPECT_TRUE(box->IsAsleep());
        }
    }
}

// A box sent sliding over flat ground of many small triangles, on slippery
// ground, along the rows of triangles and across them: it glides on,
// slowing by its friction alone, and does not trip over the edges between
// the triangles.
TEST(Stepping, ABoxSlidingOverFlatGroundGlidesOverTheEdgesOfItsTriangles)
{
    const Vector4 directions[] = {V(6, 0, 0), V(6, 1.3f, 0), V(4, 4, 0)};
    for (const Vector4& velocity : directions) {
        SCOPED_TRACE(velocity.y);
        Ground ground(40, 40);
        SteppingWorld world(&ground);
        ASSERT_TRUE(world.simulator->SetMaterial(0, 0.05f, 0.0f));
        PhRigidBody* box = world.Box(kUnitBox, 2, V(-10.3f, 0.37f, 0.5f));
        world.Run(0.3f);
        box->SetVelocity(velocity);
        float spin = 0.0f, highest = 0.0f;
        for (int frame = 0; frame < 120; ++frame) {
            world.simulator->Step(1.0f / 60.0f);
            spin = std::max(spin, std::sqrt(phmath::LengthSquared(box->angularVelocity)));
            highest = std::max(highest, box->GetPos().z);
        }
        EXPECT_LT(spin, 0.05f);
        EXPECT_LT(highest, 0.52f);
        // Two seconds at 0.05 * 9.8 m/s^2 take some 1 m/s off its speed
        // (up to 1.4 across the friction's two directions, which are
        // bounded one by one), not more.
        const float lost =
            std::sqrt(phmath::LengthSquared(velocity)) - std::sqrt(phmath::LengthSquared(box->velocity));
        EXPECT_GT(lost, 0.9f);
        EXPECT_LT(lost, 1.5f);
    }
}

TEST(Stepping, AFastBodyNeverEndsUpBehindAThinWall)
{
    struct Case {
        const char* what;
        Vector4 size;
        float speed;
    } cases[] = {{"box at 100 m/s", V(0.5f, 0.5f, 0.5f), 100.0f},
                 {"flat plate at 100 m/s", V(0.1f, 1.0f, 1.0f), 100.0f},
                 {"box at 300 m/s", V(0.5f, 0.5f, 0.5f), 300.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SteppingWorld world(nullptr, false);
        world.Wall(V(0.2f, 4, 4), V(10, 0, 0));
        PhRigidBody* body = world.Box(c.size, 1, V(0, 0.3f, 0.2f));
        body->SetVelocity(V(c.speed, 0, 0));
        float furthest = -1e9f;
        for (int frame = 0; frame < 60; ++frame) {
            world.simulator->Step(1.0f / 60.0f);
            furthest = std::max(furthest, body->GetPos().x + 0.5f * c.size.x);
        }
        // The wall's near face is at 9.9.
        EXPECT_LT(furthest, 9.9f + 0.05f);
        EXPECT_LT(body->velocity.x, 1.0f);
    }
}

TEST(Stepping, AFastBodyNeverFallsThroughTheGround)
{
    for (float speed : {50.0f, 150.0f}) {
        SCOPED_TRACE(speed);
        Ground ground(40, 8);
        SteppingWorld world(&ground);
        world.simulator->SetMaterial(0, 0.5f, 0.0f); // lands without bouncing
        PhRigidBody* box = world.Box(V(0.4f, 0.4f, 0.2f), 1, V(1.3f, 0.7f, 20));
        box->SetVelocity(V(0, 0, -speed));
        float lowest = 1e9f;
        for (int frame = 0; frame < 120; ++frame) {
            world.simulator->Step(1.0f / 60.0f);
            lowest = std::min(lowest, box->GetPos().z);
        }
        EXPECT_GT(lowest, 0.1f - 0.03f);
        EXPECT_NEAR(box->GetPos().z, 0.1f, 0.01f);
    }
}

TEST(Stepping, EqualBoxesMeetingHeadOnKeepTheirMomentum)
{
    SteppingWorld world(nullptr, false);
    PhRigidBody* a = world.Box(kUnitBox, 3, V(-2, 0, 0));
    PhRigidBody* b = world.Box(kUnitBox, 3, V(2, 0.1f, 0.05f));
    a->SetVelocity(V(6, 0, 0));
    b->SetVelocity(V(-2, 0, 0));
    const float before = 3 * 6.0f + 3 * -2.0f;
    world.Run(2.0f);
    const float after = a->mass * a->velocity.x + b->mass * b->velocity.x;
    EXPECT_NEAR(after, before, 0.01f * std::fabs(before));
    EXPECT_NEAR(a->mass * a->velocity.y + b->mass * b->velocity.y, 0.0f, 0.01f * std::fabs(before));
    // They met and parted: no longer approaching.
    EXPECT_LE(a->velocity.x, b->velocity.x + 1e-3f);
    EXPECT_LT(a->GetPos().x, b->GetPos().x);
}

TEST(Stepping, ABouncingBodyNeverGainsEnergy)
{
    for (float restitution : {0.0f, 0.6f}) {
        SCOPED_TRACE(restitution);
        Ground ground(20, 2);
        SteppingWorld world(&ground);
        world.simulator->SetMaterial(0, 0.5f, restitution);
        PhRigidBody* box = world.Box(V(1, 0.8f, 0.6f), 2, V(0, 0, 3));
        // Tumbling as it falls, so corners land first.
        box->SetRotation(Quaternion{0.2f, 0.1f, 0.0f, 0.97f});
        box->SetAngularMomentum(V(0.3f, -0.2f, 0.1f));
        const double start = Energy(*box);
        double highest = start;
        for (int frame = 0; frame < 60 * 60; ++frame) {
            world.simulator->Step(1.0f / 60.0f);
            highest = std::max(highest, Energy(*box));
        }
        // Penetration recovery may lift a body by the few millimetres it sank.
        EXPECT_LT(highest, start + 2 * 9.8 * 0.005);
        EXPECT_TRUE(box->IsAsleep());
    }
}

TEST(Stepping, TheCollisionCallbackSeesKindsPointsAndNormalsOncePerPairAndStep)
{
    static std::vector<PhContact> seen;
    seen.clear();
    Ground ground(20, 2);
    SteppingWorld world(&ground);
    world.simulator->GetResponseTable().Set(0, -1, 3);
    world.simulator->GetResponseTable().Set(0, 0, 3);
    world.simulator->SetMaterial(0, 0.0f, 0.0f); // slides to the wall at full speed
    world.simulator->SetCollisionCallback([](PhContact* contact) { seen.push_back(*contact); });
    PhRigidBody* box = world.Box(kUnitBox, 1, V(0, 0, 0.52f));
    PhRigidBody* other = world.Box(kUnitBox, 1, V(3, 0, 0.52f));
    PhKinematicBody* wall = world.Wall(V(0.5f, 4, 4), V(5, 0, 2));
    other->SetVelocity(V(4, 0, 0));
    world.Run(0.2f, 0.01f);
    world.Run(0.3f, 0.01f);

    bool ground0 = false, wallHit = false;
    for (const PhContact& c : seen) {

        ASSERT_EQ(c.kindA, 1);
        if (c.bodyB == nullptr) {
            EXPECT_EQ(c.kindB, 0);
            EXPECT_VEC3_NEAR(c.normal, 0, 0, 1, 1e-3f);
            EXPECT_NEAR(c.pointOnB.z, 0.0f, 1e-3f);
            ground0 = ground0 || c.bodyA == box;
        } else if (c.bodyB == wall) {
            EXPECT_EQ(c.bodyA, other);
            EXPECT_EQ(c.kindB, 0);
            // Pushing the box back from the wall.
            EXPECT_VEC3_NEAR(c.normal, -1, 0, 0, 1e-3f);
            EXPECT_NEAR(c.pointOnB.x, 4.75f, 0.02f);
            wallHit = wallHit || c.relativeVelocity.x > 3.0f;
        }
    }
    EXPECT_TRUE(ground0);
    EXPECT_TRUE(wallHit);

    // Once per touching pair in a step: the resting box on the ground gives
    // one contact a step, whatever its four corners.
    seen.clear();
    box->Wake();
    world.simulator->Step(0.01f);
    int boxOnGround = 0;
    for (const PhContact& c : seen)
        boxOnGround += c.bodyA == box && c.bodyB == nullptr;
    EXPECT_EQ(boxOnGround, 1);
}

TEST(Stepping, ResponsesDecideWhetherPairsCollideAndWhetherTheyAreReported)
{
    struct Case {
        std::int32_t response;
        bool collides;
        bool reported;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.response);
        static int reports;
        reports = 0;
        SteppingWorld world(nullptr, false);
        world.simulator->GetResponseTable().Set(0, 0, c.response);
        world.simulator->SetCollisionCallback([](PhContact*) { ++reports; });
        world.Wall(V(0.5f, 4, 4), V(3, 0, 0));
        PhRigidBody* body = world.Box(kUnitBox, 1, V(0, 0, 0));
        body->SetVelocity(V(5, 0, 0));
        world.Run(1.0f);
        EXPECT_EQ(body->GetPos().x < 3.0f, c.collides);
        EXPECT_EQ(reports > 0, c.reported);
    }
}

TEST(Stepping, LineSensorsReportDepthNormalAndPoint)
{
    Ground ground(20, 2, 10.0f);
    SteppingWorld world(&ground, false);
    world.Wall(V(2, 2, 1), V(5, 0, 0.5f)); // top face at z = 1
    struct Case {
        const char* what;
        Vector4 at;
        float depth;
        Vector4 normal;
        Vector4 point;
    };
    const float a = 10.0f * 3.14159265f / 180.0f;
    const Case cases[] = {
        {"over the sloped ground", V(-3, 0, 1.5f), 0.5f, V(0, -std::sin(a), std::cos(a)), V(-3, 0, 0)},
        {"over the box", V(5, 0, 2.5f), 0.5f, V(0, 0, 1), V(5, 0, 1)},
        {"too high", V(-3, 0, 5), 0.0f, V(0, 0, 0), V(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PhRigidBody* probe = world.simulator->CreateRigidBody();
        probe->SetUserData(&world);
        PhSensor* sensor = probe->AddSensor();
        sensor->SetLineSensor(V(0, 0, 0), V(0, 0, -2));
        probe->UpdateBoundingInfo();
        probe->SetPos(c.at);
        world.simulator->Step(0.01f);
        EXPECT_NEAR(sensor->GetDetectDepth(), c.depth, 1e-3f);
        EXPECT_VEC3_NEAR(sensor->GetDetectNormal(), c.normal.x, c.normal.y, c.normal.z, 1e-3f);
        EXPECT_VEC3_NEAR(sensor->GetDetectContactPoint(), c.point.x, c.point.y, c.point.z, 1e-3f);
        probe->SetActive(0, 0);
    }
}

TEST(Stepping, EachSensorOfABodyReportsItsOwnSegmentAmongOtherBodiesSensors)
{
    // The sensors of one body are cast together, and the next body's right
    // after them in the same step: each must see only what its own segment
    // meets.
    Ground ground(20, 2, 10.0f);
    SteppingWorld world(&ground, false);
    world.Wall(V(2, 2, 1), V(5, 0, 0.5f)); // top face at z = 1
    const float a = 10.0f * 3.14159265f / 180.0f;
    struct Expected {
        const char* what;
        float depth;
        Vector4 normal;
        Vector4 point;
    };
    auto probe = [&]() {
        PhRigidBody* body = world.simulator->CreateRigidBody();
        body->SetUserData(&world);
        return body;
    };
    auto sensor = [](PhRigidBody* body, const Vector4& start, const Vector4& direction) {
        PhSensor* added = body->AddSensor();
        added->SetLineSensor(start, direction);
        return added;
    };
    // The first body is paired with nothing, the second with the box.
    PhRigidBody* first = probe();
    PhSensor* overGround = sensor(first, V(-3, 0, 0), V(0, 0, -2));
    PhSensor* withoutLength = sensor(first, V(1, 0, 0), V(0, 0, 0));
    PhSensor* tooHigh = sensor(first, V(-3, 0, 4), V(0, 0, -2));
    PhRigidBody* second = probe();
    PhSensor* overBox = sensor(second, V(0, 0, 0), V(0, 0, -2));
    PhSensor* deeperInBox = sensor(second, V(0.5f, 0, -0.5f), V(0, 0, -2));
    first->UpdateBoundingInfo();
    first->SetPos(V(0, 0, 1.5f));
    second->UpdateBoundingInfo();
    second->SetPos(V(5, 0, 2.5f));
    world.simulator->Step(0.01f);

    const std::pair<PhSensor*, Expected> cases[] = {
        {overGround, {"over the sloped ground", 0.5f, V(0, -std::sin(a), std::cos(a)), V(-3, 0, 0)}},
        {withoutLength, {"without length", 0.0f, V(0, 0, 0), V(0, 0, 0)}},
        {tooHigh, {"too high", 0.0f, V(0, 0, 0), V(0, 0, 0)}},
        {overBox, {"the next body's, over the box", 0.5f, V(0, 0, 1), V(5, 0, 1)}},
        {deeperInBox, {"the next body's, lower over the box", 1.0f, V(0, 0, 1), V(5.5f, 0, 1)}},
    };
    for (const auto& [probed, c] : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(probed->GetDetectDepth(), c.depth, 2e-3f);
        EXPECT_VEC3_NEAR(probed->GetDetectNormal(), c.normal.x, c.normal.y, c.normal.z, 1e-3f);
        EXPECT_VEC3_NEAR(probed->GetDetectContactPoint(), c.point.x, c.point.y, c.point.z, 2e-3f);
    }
}

TEST(Stepping, FramesAreCutIntoFixedStepsWithTheRemainderCarried)
{
    struct Counter : CPFrameListener {
        int calls = 0;
        float lastStep = 0.0f;
        void OnFrame(PhController*, float stepTime) override
        {
            ++calls;
            lastStep = stepTime;
        }
    };
    SteppingWorld world(nullptr, false);
    PhRigidBody* body = world.simulator->CreateRigidBody();
    Counter everyStep, everyThird;
    body->AddController(&everyStep, 0);
    body->AddController(&everyThird, 3);
    // 60 frames of 1/60 s: 100 steps of 10 ms.
    world.Run(1.0f);
    EXPECT_EQ(everyStep.calls, 100);
    EXPECT_EQ(everyThird.calls, 33);
    EXPECT_FLOAT_EQ(everyStep.lastStep, PhSimulator::GetFixedStep());
    EXPECT_LT(world.simulator->GetCarriedTime(), PhSimulator::GetFixedStep());
    // A frame shorter than a step waits for the next; a very long one is
    // cut short rather than owed.
    everyStep.calls = 0;
    world.simulator->Step(0.004f);
    EXPECT_EQ(everyStep.calls, 0);
    world.simulator->Step(5.0f);
    EXPECT_EQ(everyStep.calls, 10);
    EXPECT_FLOAT_EQ(world.simulator->GetCarriedTime(), 0.0f);
}

TEST(Stepping, ListenersKnowTheLastStepOfEachFrame)
{
    // What only the frame's end shows may wait for the frame's last step:
    // each frame marks exactly its last step, whether the frame takes none,
    // one, a few, or is cut short at the most steps a frame takes.
    struct Marks : CPFrameListener {
        std::vector<int> lasts;
        void OnFrame(PhController* controller, float) override { lasts.push_back(controller->lastOfFrame); }
    };
    SteppingWorld world(nullptr, false);
    PhRigidBody* body = world.simulator->CreateRigidBody();
    Marks marks;
    body->AddController(&marks, 0);
    const float frames[] = {0.004f, 0.0167f, 0.0167f, 0.0167f, 0.031f, 0.009f, 0.001f, 0.05f, 5.0f, 0.0101f};
    int steps = 0;
    for (const float frameTime : frames) {
        SCOPED_TRACE("frame of " + std::to_string(frameTime) + " s");
        marks.lasts.clear();
        const float carried = world.simulator->GetCarriedTime();
        world.simulator->Step(frameTime);
        const int taken = static_cast<int>(marks.lasts.size());
        steps += taken;
        // The steps the carried time and the frame come to, at most ten.
        const float owed = (carried + frameTime) / PhSimulator::GetFixedStep();
        EXPECT_NEAR(static_cast<float>(taken), std::min(std::floor(owed + 1e-3f), 10.0f), 1.0f);
        for (int i = 0; i < taken; ++i)
            EXPECT_EQ(marks.lasts[static_cast<std::size_t>(i)], i + 1 == taken ? 1 : 0) << "step " << i;
    }
    EXPECT_GT(steps, 15);
}

TEST(Stepping, ForcesTorquesAndImpulsesMoveBodiesAndWakeSleepers)
{
    SteppingWorld world(nullptr, false);
    PhRigidBody* body = world.Box(kUnitBox, 2, V(0, 0, 0));
    // A force of 4 N on 2 kg for one 0.1 s frame: 0.2 m/s.
    body->SetForce(V(4, 0, 0), body->GetPos());
    world.simulator->Step(0.1f);
    EXPECT_VEC3_NEAR(body->velocity, 0.2f, 0, 0, 1e-4f);
    // The force acted for its frame only.
    world.simulator->Step(0.1f);
    EXPECT_VEC3_NEAR(body->velocity, 0.2f, 0, 0, 1e-4f);
    body->ApplyImpulse(V(-0.4f, 0, 0), body->GetPos());
    body->SetTorque(V(0, 0, 1));
    world.simulator->Step(0.1f);
    EXPECT_VEC3_NEAR(body->velocity, 0, 0, 0, 1e-4f);
    EXPECT_NEAR(body->angularMomentum.z, 0.1f, 1e-4f);
    EXPECT_GT(body->angularVelocity.z, 0.0f);

    // Still, it falls asleep; a push wakes it.
    body->SetAngularMomentum(V(0, 0, 0));
    world.Run(1.0f);
    ASSERT_TRUE(body->IsAsleep());
    body->ApplyImpulse(V(0, 2, 0), body->GetPos());
    world.simulator->Step(0.1f);
    EXPECT_FALSE(body->IsAsleep());
    EXPECT_GT(body->GetPos().y, 0.05f);
}

TEST(Stepping, BoxesRestingOnEachOtherAllFallAsleep)
{
    Ground ground(20, 2);
    SteppingWorld world(&ground);
    PhRigidBody* bottom = world.Box(kUnitBox, 1, V(0, 0, 0.5f));
    PhRigidBody* top = world.Box(V(0.8f, 0.8f, 0.8f), 1, V(0.1f, 0, 1.45f));
    PhRigidBody* beside = world.Box(kUnitBox, 1, V(1.01f, 0, 0.5f));
    world.Run(3.0f);
    // A neighbour that only rests does not keep waking the others.
    for (PhRigidBody* box : {bottom, top, beside})
        EXPECT_TRUE(box->IsAsleep()) << box->bodyIndex;
    EXPECT_NEAR(top->GetPos().z, 1.4f, 0.01f);
}

TEST(Stepping, AGravityThatIsNoNumberMovesNothing)
{
    const Vector4 broken{0.0f, std::nanf(""), -9.8f, 0.0f};
    SimulatorPtr simulator = MakeSimulator(PhSizeInfo(), &broken);
    PhRigidBody* body = simulator->CreateRigidBody();
    body->SetPos(V(1, 2, 3));
    simulator->Step(0.5f);
    EXPECT_VEC3_NEAR(body->GetPos(), 1, 2, 3, 0.0f);
    EXPECT_VEC3_NEAR(body->velocity, 0, 0, 0, 0.0f);
}

TEST(Stepping, ASleepingBoxWakesWhenAnotherRunsIntoIt)
{
    Ground ground(20, 2);
    SteppingWorld world(&ground);
    PhRigidBody* resting = world.Box(kUnitBox, 1, V(0, 0, 0.5f));
    world.Run(2.0f);
    ASSERT_TRUE(resting->IsAsleep());
    PhRigidBody* runner = world.Box(kUnitBox, 1, V(-3, 0, 0.5f));
    runner->SetVelocity(V(6, 0, 0));
    world.Run(1.0f);
    EXPECT_GT(resting->GetPos().x, 0.3f);
}

namespace {

// Snapshot of everything that moves.
std::vector<float> StateOf(const PhSimulator& simulator)
{
    std::vector<float> state;
    for (const PhRigidBody* b = simulator.GetBodyLists().rigidActive.head; b; b = b->next) {
        for (const auto& row : b->transform.m)
            state.insert(state.end(), row, row + 4);
        for (const Vector4* v : {&b->velocity, &b->angularMomentum})
            state.insert(state.end(), {v->x, v->y, v->z});
    }
    return state;
}

std::vector<float> PileRun()
{
    Ground ground(30, 6, 3.0f);
    SteppingWorld world(&ground);
    for (int i = 0; i < 12; ++i) {
        PhRigidBody* box =
            world.Box(V(1, 0.7f, 0.5f), 1 + 0.1f * i, V(0.3f * (i % 3), 0.2f * (i % 4), 1 + 0.8f * i));
        box->SetRotation(Quaternion{0.05f * i, 0.0f, 0.02f, 1.0f});
    }
    const float frames[] = {1 / 60.0f, 1 / 45.0f, 1 / 75.0f};
    for (int i = 0; i < 240; ++i)
        world.simulator->Step(frames[i % 3]);
    return StateOf(*world.simulator);
}

} // namespace

TEST(Stepping, TwoRunsFromTheSameStateEndBitIdentical)
{
    const std::vector<float> first = PileRun();
    // Something in between that takes and gives back memory, so addresses
    // differ between the runs.
    std::vector<std::vector<char>> noise(100, std::vector<char>(1000));
    const std::vector<float> second = PileRun();
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(float)), 0);
}

// A body released between two frames (its level deleted, a shot gone)
// leaves nothing behind in the step: the bodies still in play fall on, and
// a body made in the freed slot moves as its own.
TEST(Stepping, ABodyReleasedBetweenFramesLeavesTheOthersStepping)
{
    SteppingWorld world;
    PhRigidBody* kept = world.Box(kUnitBox, 1, V(0, 0, 10));
    PhRigidBody* released = world.Box(kUnitBox, 1, V(5, 0, 10));
    world.Run(0.25f);
    ASSERT_TRUE(world.simulator->ReleaseBody(released));
    const float height = kept->GetPos().z;
    world.Run(0.25f);
    EXPECT_LT(kept->GetPos().z, height);
    PhRigidBody* again = world.Box(kUnitBox, 1, V(-5, 0, 10));
    world.Run(0.25f);
    EXPECT_LT(again->GetPos().z, 10.0f);
    EXPECT_LT(kept->GetPos().z, height);
}

namespace {

// Flat ground with a wall standing on it along +x at y = 1, made of
// vertical quads of 2 m; each quad turns `bendDegrees` further towards -y
// than the one before, as the outer wall of a bend does towards the road.
Ground GroundWithWall(float bendDegrees)
{
    Ground ground(40, 4);
    const float bend = bendDegrees * 3.14159265f / 180.0f;
    const std::int32_t first = static_cast<std::int32_t>(ground.vertices.size());
    float x = -12.0f, y = 1.0f, heading = 0.0f;
    for (int k = 0; k <= 14; ++k) {
        ground.vertices.push_back(V(x, y, 0.0f));
        ground.vertices.push_back(V(x, y, 1.2f));
        x += 2.0f * std::cos(heading);
        y -= 2.0f * std::sin(heading);
        if (x > 0.0f)
            heading += bend;
    }
    for (std::int32_t k = 0; k < 14; ++k) {
        const std::int32_t a = first + 2 * k, b = a + 1, c = a + 2, d = a + 3;
        PhTerrainTriangle lower, upper;
        lower.vertex[0] = a;
        lower.vertex[1] = c;
        lower.vertex[2] = d;
        upper.vertex[0] = a;
        upper.vertex[1] = d;
        upper.vertex[2] = b;
        ground.triangles.push_back(lower);
        ground.triangles.push_back(upper);
        ground.indices.push_back(static_cast<std::int32_t>(ground.triangles.size()) - 2);
        ground.indices.push_back(static_cast<std::int32_t>(ground.triangles.size()) - 1);
    }
    return ground;
}

} // namespace

// A car-sized box driven along a wall of many triangles, pressed into it
// and turned a little towards it, slides on past every seam between them,
// on a straight wall and where the wall bends in: the seams inside one
// surface are not edges to catch on.
TEST(Stepping, ABoxPushedAlongAWallSlidesPastTheSeamsBetweenItsTriangles)
{
    for (const float bend : {0.0f, 2.0f}) {
        SCOPED_TRACE(bend);
        Ground ground = GroundWithWall(bend);
        SteppingWorld world(&ground);
        world.simulator->SetMaterial(0, 0.2f, 0.0f); // as the game sets its surfaces
        const float yaw = 0.15f;                     // radians towards the wall
        PhRigidBody* box = world.Box(V(4.4f, 1.9f, 0.64f), 1300, V(-8, 1.0f - 1.3f, 0.32f));
        box->SetRotation(Quaternion{0.0f, 0.0f, std::sin(yaw / 2), std::cos(yaw / 2)});
        const float startX = box->GetPos().x;
        for (int frame = 0; frame < 3 * 60; ++frame) {
            // Along the box's own heading: into the wall at its angle.
            box->SetForce(V(11000.0f * std::cos(yaw), 11000.0f * std::sin(yaw), 0), box->GetPos());
            world.simulator->Step(1.0f / 60.0f);
        }
        EXPECT_GT(box->GetPos().x - startX, 10.0f);
    }
}

// Dropped on an edge onto gently sloped ground, a box rocks onto one of its
// faces and sleeps there; tipped past its edge it still falls over: the
// spin a slow body at rest on the ground loses does not hold it up.
TEST(Stepping, ABoxLandingOnItsEdgeRocksOntoAFaceAndSleepsSoon)
{
    struct Case {
        float tilt;    // degrees about x
        float seconds; // by when it sleeps
    };
    for (const Case& c : {Case{30.0f, 2.0f}, Case{-20.0f, 2.0f}, Case{60.0f, 2.0f}}) {
        SCOPED_TRACE(c.tilt);
        Ground ground(20, 4, 2.0f);
        SteppingWorld world(&ground);
        PhRigidBody* box = world.Box(kUnitBox, 2, V(0.3f, -0.2f, 1.2f));
        box->SetRotation(AboutX(c.tilt));
        world.Run(c.seconds);
        EXPECT_TRUE(box->IsAsleep());
        // On a face: one of its axes stands along the ground's normal.
        const float up = std::max({std::fabs(box->transform.m[0][2]), std::fabs(box->transform.m[1][2]),
                                   std::fabs(box->transform.m[2][2])});
        EXPECT_GT(up, std::cos(3.0f * 3.14159265f / 180.0f));
    }
}

TEST(Stepping, ABoxAtRestSleepsWithinAFewStepsABodyWithAControllerAfterAllTheQuietSteps)
{
    struct Idle : CPFrameListener {
        void OnFrame(PhController*, float) override {}
    };
    // Steps of 10 ms until the body sleeps, at most a second's worth.
    auto stepsToSleep = [](SteppingWorld& world, const PhRigidBody& body) {
        int steps = 0;
        while (!body.IsAsleep() && steps < 100) {
            world.simulator->Step(PhSimulator::GetFixedStep());
            ++steps;
        }
        return steps;
    };
    Ground ground(20, 4);
    {
        SteppingWorld world(&ground);
        PhRigidBody* box = world.Box(kUnitBox, 2, V(0.3f, -0.2f, 0.5f));
        const int steps = stepsToSleep(world, *box);
        EXPECT_GE(steps, 5);
        EXPECT_LE(steps, 8);
        EXPECT_VEC3_NEAR(box->GetPos(), 0.3f, -0.2f, 0.5f, 0.005f);
    }
    {
        SteppingWorld world(&ground);
        PhRigidBody* box = world.Box(kUnitBox, 2, V(0.3f, -0.2f, 0.5f));
        Idle idle;
        box->AddController(&idle, 0);
        EXPECT_GE(stepsToSleep(world, *box), 20);
    }
}

// A box standing across the diagonal of a cell meets both of its triangles,
// each giving a face's worth of points; it rests on them level and in place
// and sleeps, turned on the diagonal or along it, on flat or sloped ground.
TEST(Stepping, ABoxAcrossTwoTrianglesRestsLevelInPlaceAndSleeps)
{
    struct Case {
        float slope; // degrees about x
        float yaw;   // degrees about the upright
    };
    for (const Case& c : {Case{0.0f, 0.0f}, Case{0.0f, 45.0f}, Case{5.0f, 0.0f}, Case{5.0f, 30.0f}}) {
        SCOPED_TRACE(testing::Message() << c.slope << " " << c.yaw);
        Ground ground(20, 4, c.slope);
        SteppingWorld world(&ground);
        // The middle of the cell from (0, 0) to (5, 5) lies on its diagonal.
        const float angle = c.slope * 3.14159265f / 180.0f;
        const Vector4 start =
            V(2.5f, 2.5f * std::cos(angle), 2.5f * std::sin(angle) + 0.55f / std::cos(angle));
        PhRigidBody* box = world.Box(kUnitBox, 2, start);
        const float half = 0.5f * c.yaw * 3.14159265f / 180.0f;
        const Quaternion yaw{0.0f, 0.0f, std::sin(half), std::cos(half)};
        box->SetRotation(phmath::QuatMul(AboutX(c.slope), yaw));
        world.Run(2.0f);
        EXPECT_TRUE(box->IsAsleep());
        EXPECT_VEC3_NEAR(box->GetPos(), start.x, start.y, start.z - 0.05f / std::cos(angle), 0.03f);
        // Level with the ground: its upright axis along the ground's normal.
        EXPECT_NEAR(box->transform.m[2][1] * -std::sin(angle) + box->transform.m[2][2] * std::cos(angle),
                    1.0f, 1e-3f);
    }
}

TEST(Stepping, SensorsThatRunAlikeDetectWhatEachDetectsAmongSensorsThatDoNot)
{
    // A car's wheel sensors all run the same way, and the step shares each
    // triangle's facing among them; with one sensor running another way the
    // body's sensors are cast one by one. Over seams and corners of a
    // sloped grid, turned any way, the wheels must detect the same.
    Ground ground(20, 10, 10.0f);
    SteppingWorld world(&ground, false);
    const Vector4 wheels[] = {V(1.0f, -1.5f, 0.3f), V(-1.0f, -1.5f, 0.3f), V(1.0f, 1.5f, 0.3f),
                              V(-1.0f, 1.5f, 0.3f), V(0.0f, 0.0f, 0.3f)};
    const Vector4 down = V(0, 0, -1.5f);
    auto probe = [&](bool withOddSensor) {
        PhRigidBody* body = world.simulator->CreateRigidBody();
        body->SetUserData(&world);
        std::vector<PhSensor*> sensors;
        for (const Vector4& at : wheels) {
            sensors.push_back(body->AddSensor());
            sensors.back()->SetLineSensor(at, down);
        }
        if (withOddSensor)
            body->AddSensor()->SetLineSensor(V(0, 0, 0), V(0.7f, 0.2f, -1.0f));
        body->UpdateBoundingInfo();
        return std::make_pair(body, sensors);
    };
    const auto alike = probe(false);
    const auto oneByOne = probe(true);
    int hits = 0;
    for (int k = 0; k < 60; ++k) {
        // Places on the grid's seams (every 2 units), between them and at
        // their crossings, at heights from touching to out of reach.
        const float x = -6.0f + 0.5f * static_cast<float>(k % 13);
        const float y = -6.0f + 0.25f * static_cast<float>(k % 29);
        const float z = y * std::tan(10.0f * 3.14159265f / 180.0f) + 0.4f + 0.1f * static_cast<float>(k % 7);
        const float yaw = 0.37f * static_cast<float>(k), roll = 0.05f * static_cast<float>(k % 5 - 2);
        const Quaternion turn =
            phmath::QuatMul(Quaternion{std::sin(0.5f * roll), 0, 0, std::cos(0.5f * roll)},
                            Quaternion{0, 0, std::sin(0.5f * yaw), std::cos(0.5f * yaw)});
        for (PhRigidBody* body : {alike.first, oneByOne.first}) {
            body->SetRotation(turn);
            body->SetPos(V(x, y, z));
            body->SetVelocity(V(0, 0, 0));
            body->SetAngularMomentum(V(0, 0, 0));
        }
        world.simulator->Step(0.01f);
        for (std::size_t i = 0; i < alike.second.size(); ++i) {
            const PhSensor& a = *alike.second[i];
            const PhSensor& b = *oneByOne.second[i];
            SCOPED_TRACE("place " + std::to_string(k) + ", sensor " + std::to_string(i));
            EXPECT_EQ(std::memcmp(&a.detectDepth, &b.detectDepth, sizeof a.detectDepth), 0);
            EXPECT_EQ(std::memcmp(&a.detectNormal, &b.detectNormal, sizeof a.detectNormal), 0);
            EXPECT_EQ(std::memcmp(&a.detectContactPoint, &b.detectContactPoint, sizeof a.detectContactPoint),
                      0);
            hits += a.detectDepth > 0.0f;
        }
    }
    // Most of the places put the wheels on the ground, some out of reach.
    EXPECT_GT(hits, 100);
    EXPECT_LT(hits, 300);
}

TEST(Stepping, SensorsThatRunAlikeDetectAloneWhatTheyDetectTogetherOnEdgesAndCorners)
{
    // The sensors that run alike are cast four at a time, one to a lane.
    // Each must detect what it detects when the body's sensors are cast one
    // by one: on a bumpy grid, where the triangles meeting at an edge or a
    // corner face different ways, a segment straight through a corner or
    // along an edge shows which triangle won a tie, a segment beyond the
    // ground misses in its lane alone, and five or nine sensors leave
    // lanes without a segment.
    Ground ground(20, 10);
    for (std::size_t k = 0; k < ground.vertices.size(); ++k)
        ground.vertices[k].z = (k % 2 == 0 ? 0.25f : 0.0f) + (k % 3 == 0 ? 0.125f : 0.0f);
    struct Case {
        const char* name;
        std::vector<Vector4> starts; // in the body, which stands at (0, 0, 1)
        Vector4 direction;
        int hits; // of the alike sensors, the ones that detect the ground
    };
    const Vector4 down = V(0, 0, -1.5f);
    const Case cases[] = {
        {"through corners", {V(2, 2, 0), V(-2, 2, 0), V(2, -2, 0), V(-2, -2, 0)}, down, 4},
        {"along diagonals", {V(1, 1, 0), V(-1, -1, 0), V(3, 3, 0), V(-3, -3, 0)}, down, 4},
        {"along seams", {V(1, 0, 0), V(0, 1, 0), V(-1, 2, 0), V(2, -1, 0)}, down, 4},
        {"one beyond the ground", {V(9, 0, 0), V(-9, 0, 0), V(10.5f, 0, 0), V(0, 9, 0)}, down, 3},
        {"from a corner", {V(0, 0, -0.625f), V(2, 0, -0.625f), V(4, 0, -0.625f), V(6, 0, -0.625f)}, down, 4},
        {"reaching a corner", {V(0, 0, 0.875f), V(2, 0, 0.875f), V(4, 0, 0.875f), V(6, 0, 0.875f)}, down, 0},
        {"five", {V(2, 2, 0), V(-2, 2, 0), V(2, -2, 0), V(-2, -2, 0), V(0, 0, 0)}, down, 5},
        {"nine slanting",
         {V(0, 0, 0), V(2, 0, 0), V(4, 0, 0), V(0, 2, 0), V(2, 2, 0), V(4, 2, 0), V(0, 4, 0), V(2, 4, 0),
          V(11, 4, 0)},
         V(0.5f, 0.5f, -1.5f),
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SteppingWorld world(&ground, false);
        auto probe = [&](bool withOddSensor) {
            PhRigidBody* body = world.simulator->CreateRigidBody();
            body->SetUserData(&world);
            std::vector<PhSensor*> sensors;
            for (const Vector4& at : c.starts) {
                sensors.push_back(body->AddSensor());
                sensors.back()->SetLineSensor(at, c.direction);
            }
            if (withOddSensor)
                body->AddSensor()->SetLineSensor(V(0, 0, 0), V(0.7f, 0.2f, -1.0f));
            body->UpdateBoundingInfo();
            body->SetPos(V(0, 0, 1));
            return std::make_pair(body, sensors);
        };
        const auto alike = probe(false);
        const auto oneByOne = probe(true);
        world.simulator->Step(0.01f);
        int hits = 0;
        for (std::size_t i = 0; i < alike.second.size(); ++i) {
            const PhSensor& a = *alike.second[i];
            const PhSensor& b = *oneByOne.second[i];
            SCOPED_TRACE("sensor " + std::to_string(i));
            EXPECT_EQ(std::memcmp(&a.detectDepth, &b.detectDepth, sizeof a.detectDepth), 0);
            EXPECT_EQ(std::memcmp(&a.detectNormal, &b.detectNormal, sizeof a.detectNormal), 0);
            EXPECT_EQ(std::memcmp(&a.detectContactPoint, &b.detectContactPoint, sizeof a.detectContactPoint),
                      0);
            hits += a.detectDepth > 0.0f;
        }
        EXPECT_EQ(hits, c.hits);
    }
}
