#include "physics/Body.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/PhysicsMath.h"
#include "physics/Rotation.h"

using namespace phtest;

namespace {

const float kHalfSqrt2 = std::sqrt(0.5f);
const Quaternion kQuarterTurnZ = {0.0f, 0.0f, kHalfSqrt2, kHalfSqrt2};

// A body of one of the three kinds, with the lists it should move between.
struct KindCase {
    const char* name;
    std::function<PhBody*(PhSimulator&)> create;
    std::function<int(const PhSimulator::BodyLists&)> activeCount;
    std::function<int(const PhSimulator::BodyLists&)> inactiveCount;
};

std::vector<KindCase> BodyKinds()
{
    return {
        {"rigid body", [](PhSimulator& s) -> PhBody* { return s.CreateRigidBody(); },
         [](const PhSimulator::BodyLists& l) { return l.rigidActive.count; },
         [](const PhSimulator::BodyLists& l) { return l.rigidInactive.count; }},
        {"rigid particle", [](PhSimulator& s) -> PhBody* { return s.CreateRigidParticle(); },
         [](const PhSimulator::BodyLists& l) { return l.particleActive.count; },
         [](const PhSimulator::BodyLists& l) { return l.particleInactive.count; }},
        {"kinematic body", [](PhSimulator& s) -> PhBody* { return s.CreateKinematicBody(); },
         [](const PhSimulator::BodyLists& l) { return l.kinematicActive.count; },
         [](const PhSimulator::BodyLists& l) { return l.kinematicInactive.count; }},
    };
}

// The end-point values on an axis, in list order.
std::vector<float> AxisValues(PhSimulator& sim, int axis)
{
    std::vector<float> values;
    for (const PhEndPoint* p = sim.GetBroadPhase().GetFirst(axis); p; p = p->next)
        values.push_back(p->value);
    return values;
}

void ExpectBounds(const PhBody& body, Vector4 low, Vector4 high)
{
    EXPECT_VEC3_NEAR(body.worldMin, low.x, low.y, low.z, 1e-5f);
    EXPECT_VEC3_NEAR(body.worldMax, high.x, high.y, high.z, 1e-5f);
}

} // namespace

TEST(Body, SetActiveMovesBetweenListsAndTheBroadPhase)
{
    struct Step {
        int a;
        bool active;
        bool listed;
    };
    // From active: 1 changes nothing; 0 parks; 0 again changes nothing; 1
    // brings the body back into the broad phase (it has a geometry).
    const Step steps[] = {
        {1, true, true}, {0, false, false}, {0, false, false}, {1, true, true}, {1, true, true}};
    for (const KindCase& kind : BodyKinds()) {
        SCOPED_TRACE(kind.name);
        SimulatorPtr sim = MakeSimulator();
        PhBody* body = kind.create(*sim);
        ASSERT_NE(body->AddGeometry(), nullptr);
        for (const Step& step : steps) {
            body->SetActive(step.a, 0);
            EXPECT_EQ(body->IsActive(), step.active);
            EXPECT_EQ(kind.activeCount(sim->GetBodyLists()), step.active ? 1 : 0);
            EXPECT_EQ(kind.inactiveCount(sim->GetBodyLists()), step.active ? 0 : 1);
            EXPECT_EQ(body->inBroadPhase != 0, step.listed);
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_EQ(sim->GetBroadPhase().GetListedCount(axis), step.listed ? 2 : 0);
        }
    }
}

TEST(Body, OnlyABodyWithGeometriesEntersTheBroadPhase)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
    body->SetActive(0, 0);
    body->SetActive(1, 0);
    EXPECT_FALSE(body->inBroadPhase);

    // The first geometry of an active body enters it, once.
    body->AddGeometry();
    body->AddGeometry();
    EXPECT_TRUE(body->inBroadPhase);
    EXPECT_EQ(sim->GetBroadPhase().GetListedCount(0), 2);

    // An inactive body waits until it is switched on.
    PhKinematicBody* parked = sim->CreateKinematicBody();
    parked->SetActive(0, 0);
    parked->AddGeometry();
    EXPECT_FALSE(parked->inBroadPhase);
    parked->SetActive(1, 0);
    EXPECT_TRUE(parked->inBroadPhase);
    EXPECT_EQ(sim->GetBroadPhase().GetListedCount(2), 4);

    // Release takes the body's end points out.
    EXPECT_TRUE(sim->ReleaseBody(body));
    EXPECT_EQ(sim->GetBroadPhase().GetListedCount(1), 2);
}

TEST(Body, GeometriesAndSensorsAttachInOrder)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
    PhGeometry* g1 = body->AddGeometry();
    PhGeometry* g2 = body->AddGeometry();
    PhSensor* s1 = body->AddSensor();
    PhSensor* s2 = body->AddSensor();
    EXPECT_EQ(body->geometries.count, 2);
    EXPECT_EQ(body->geometries.head, g1);
    EXPECT_EQ(g1->next, g2);
    EXPECT_EQ(body->sensors.head, s1);
    EXPECT_EQ(body->sensors.tail, s2);
    EXPECT_EQ(sim->GetGeometryPool().GetInUseCount(), 2);
    EXPECT_EQ(sim->GetSensorPool().GetInUseCount(), 2);

    // Released with their body; a sensor taken again holds nothing of before.
    s1->SetLineSensor(V(0, 0, 0), V(0, 0, -1));
    s1->detectDepth = 0.3f;
    EXPECT_TRUE(sim->ReleaseBody(body));
    EXPECT_EQ(sim->GetGeometryPool().GetInUseCount(), 0);
    EXPECT_EQ(sim->GetSensorPool().GetInUseCount(), 0);
    PhRigidBody* other = sim->CreateRigidBody();
    EXPECT_EQ(other->geometries.count, 0);
    EXPECT_EQ(other->sensors.head, nullptr);
    for (int i = 0; i < 100; ++i) {
        PhSensor* sensor = other->AddSensor();
        ASSERT_NE(sensor, nullptr);
        EXPECT_EQ(sensor->GetDetectDepth(), 0.0f);
        EXPECT_EQ(sensor->length, 0.0f);
    }
}

TEST(Body, OneBoxIsItsOwnBoundingShape)
{
    SimulatorPtr sim = MakeSimulator();
    PhKinematicBody* body = sim->CreateKinematicBody();
    PhGeometry* box = body->AddGeometry();
    box->SetBoxSize(2, 4, 6);
    box->localTransform.m[3][0] = 3.0f;
    box->localTransform.m[3][2] = 4.0f;
    body->UpdateBoundingInfo();

    EXPECT_EQ(body->boundingShape.kind, kPhGeometryBox);
    EXPECT_FLOAT_EQ(body->boundingShape.shape[0], 1.0f);
    EXPECT_FLOAT_EQ(body->boundingShape.shape[1], 2.0f);
    EXPECT_FLOAT_EQ(body->boundingShape.shape[2], 3.0f);
    EXPECT_FLOAT_EQ(body->boundingShape.boxRadius, std::sqrt(14.0f));
    EXPECT_EQ(body->boundingShape.next, nullptr);
    // |half extents| + |position| = sqrt(14) + 5.
    EXPECT_FLOAT_EQ(body->boundingRadius, std::sqrt(14.0f) + 5.0f);
    EXPECT_VEC3_NEAR(body->localCentre, 3, 0, 4, 0);
    EXPECT_VEC3_NEAR(body->localAxes[0], 1, 0, 0, 0);
    EXPECT_VEC3_NEAR(body->localAxes[1], 0, 2, 0, 0);
    EXPECT_VEC3_NEAR(body->localAxes[2], 0, 0, 3, 0);
}

TEST(Body, BoundingShapeCoversEveryGeometryKind)
{
    struct Case {
        const char* name;
        std::function<void(PhBody&)> build;
        Vector4 half, centre;
        float radius;
    };
    const Case cases[] = {
        {"two boxes",
         [](PhBody& b) {
             b.AddGeometry()->SetBoxSize(2, 2, 2);
             PhGeometry* g = b.AddGeometry();
             g->SetBoxSize(2, 2, 2);
             g->localTransform.m[3][0] = 4.0f;
         },
         V(3, 1, 1), V(2, 0, 0), 4.0f + std::sqrt(3.0f)},
        // Cylinder along local y: radius across, half height + radius along.
        {"cylinder", [](PhBody& b) { b.AddGeometry()->SetCylinder(2, 6); }, V(1, 4, 1), V(0, 0, 0), 0.0f},
        {"cylinder turned onto x",
         [](PhBody& b) {
             PhGeometry* g = b.AddGeometry();
             g->SetCylinder(2, 6);
             Vector4 rows[3];
             PhQuaternionToRows(Quaternion{0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}, rows);
             for (int r = 0; r < 3; ++r) {
                 g->localTransform.m[r][0] = rows[r].x;
                 g->localTransform.m[r][1] = rows[r].y;
                 g->localTransform.m[r][2] = rows[r].z;
             }
         },
         V(4, 1, 1), V(0, 0, 0), 0.0f},
        {"sphere",
         [](PhBody& b) {
             PhGeometry* g = b.AddGeometry();
             g->kind = kPhGeometrySphere;
             g->shape[0] = 2.0f;
             g->localTransform.m[3][2] = 5.0f;
         },
         V(2, 2, 2), V(0, 0, 5), 7.0f},
        {"box turned a quarter about z",
         [](PhBody& b) {
             b.AddGeometry()->SetBoxSize(2, 4, 6);
             PhGeometry* g = b.AddGeometry();
             g->SetBoxSize(2, 4, 6);
             g->localTransform.m[0][0] = 0.0f;
             g->localTransform.m[0][1] = 1.0f;
             g->localTransform.m[1][0] = -1.0f;
             g->localTransform.m[1][1] = 0.0f;
         },
         V(2, 2, 3), V(0, 0, 0), std::sqrt(14.0f)},
        {"nothing", [](PhBody&) {}, V(0, 0, 0), V(0, 0, 0), 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorPtr sim = MakeSimulator();
        PhRigidBody* body = sim->CreateRigidBody();
        c.build(*body);
        body->UpdateBoundingInfo();
        const PhGeometry& shape = body->boundingShape;
        EXPECT_EQ(shape.kind, kPhGeometryBox);
        EXPECT_NEAR(shape.shape[0], c.half.x, 1e-5f);
        EXPECT_NEAR(shape.shape[1], c.half.y, 1e-5f);
        EXPECT_NEAR(shape.shape[2], c.half.z, 1e-5f);
        EXPECT_VEC3_NEAR(RowOf(shape.localTransform, 3), c.centre.x, c.centre.y, c.centre.z, 1e-5f);
        EXPECT_VEC3_NEAR(RowOf(shape.localTransform, 0), 1, 0, 0, 0);
        EXPECT_NEAR(body->boundingRadius, c.radius, 1e-5f);
        EXPECT_VEC3_NEAR(body->localAxes[1], 0, c.half.y, 0, 1e-5f);
    }
}

TEST(Body, SensorSegmentsWidenTheLocalBounds)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
    body->AddGeometry()->SetBoxSize(2, 2, 2);
    body->AddSensor()->SetLineSensor(V(0.5f, 0, 0), V(0, 0, -3));
    body->AddSensor()->SetLineSensor(V(-2, 0, 0), V(0, 0, 0));
    body->UpdateBoundingInfo();
    // x from -2 (second start) to 1, z from -3 (first end) to 1.
    EXPECT_VEC3_NEAR(body->localCentre, -0.5f, 0, -1, 1e-6f);
    EXPECT_VEC3_NEAR(body->localAxes[0], 1.5f, 0, 0, 1e-6f);
    EXPECT_VEC3_NEAR(body->localAxes[1], 0, 1, 0, 1e-6f);
    EXPECT_VEC3_NEAR(body->localAxes[2], 0, 0, 2, 1e-6f);

    // Sensors alone bound a body without geometries.
    PhRigidBody* probe = sim->CreateRigidBody();
    probe->AddSensor()->SetLineSensor(V(1, 1, 1), V(0, 0, -2));
    probe->UpdateBoundingInfo();
    EXPECT_VEC3_NEAR(probe->localCentre, 1, 1, 0, 1e-6f);
    EXPECT_VEC3_NEAR(probe->localAxes[2], 0, 0, 1, 1e-6f);
    EXPECT_VEC3_NEAR(probe->localAxes[0], 0, 0, 0, 1e-6f);
}

TEST(Body, KinematicPlacementGivesWorldBoundsAndSortsTheEndPoints)
{
    SimulatorPtr sim = MakeSimulator();
    PhKinematicBody* a = sim->CreateKinematicBody();
    PhKinematicBody* b = sim->CreateKinematicBody();
    a->AddGeometry()->SetBoxSize(2, 4, 6);
    b->AddGeometry()->SetBoxSize(2, 2, 2);
    a->UpdateBoundingInfo();
    b->UpdateBoundingInfo();

    a->SetPos(V(10, 0, 0, 1));
    b->SetPos(V(0, 0, 0, 1));
    EXPECT_EQ(a->moved, 1);
    ExpectBounds(*a, V(9, -2, -3), V(11, 2, 3));
    ExpectBounds(*b, V(-1, -1, -1), V(1, 1, 1));
    EXPECT_EQ(AxisValues(*sim, 0), (std::vector<float>{-1, 1, 9, 11}));
    EXPECT_EQ(AxisValues(*sim, 2), (std::vector<float>{-3, -1, 1, 3}));

    // Turning swaps the box's x and y reach, at the same place.
    a->SetRotation(kQuarterTurnZ);
    ExpectBounds(*a, V(8, -1, -3), V(12, 1, 3));

    // Moving past the other body reorders the lists.
    a->SetPos(V(-20, 0, 0, 1));
    ExpectBounds(*a, V(-22, -1, -3), V(-18, 1, 3));
    EXPECT_EQ(AxisValues(*sim, 0), (std::vector<float>{-22, -18, -1, 1}));
    const PhEndPoint* first = sim->GetBroadPhase().GetFirst(0);
    EXPECT_EQ(first->body, a);
    EXPECT_EQ(first->isMaximum, 0);
    EXPECT_EQ(first->next->isMaximum, 1);
    EXPECT_EQ(first->axisBit, 1);
    EXPECT_EQ(sim->GetBroadPhase().GetFirst(2)->axisBit, 4);
}

// The stepping pairs bodies along x alone; y and z are put in order when
// they are read. However the bodies have crossed each other, every axis
// reads back sorted with each body's two points, and x is kept in order as
// the bodies move.
TEST(Body, EveryAxisReadsBackSortedAfterBodiesCrossEachOther)
{
    SimulatorPtr sim = MakeSimulator();
    std::vector<PhKinematicBody*> bodies;
    for (int i = 0; i < 6; ++i) {
        PhKinematicBody* body = sim->CreateKinematicBody();
        body->AddGeometry()->SetBoxSize(1.0f + 0.5f * static_cast<float>(i), 1, 2);
        body->UpdateBoundingInfo();
        bodies.push_back(body);
    }
    std::uint32_t state = 99u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f * 20.0f - 10.0f;
    };
    for (int round = 0; round < 30; ++round) {
        for (PhKinematicBody* body : bodies)
            body->SetPos(V(next(), next(), next(), 1));
        // x is read by the stepping every step, unread axes between.
        const std::vector<float> x = AxisValues(*sim, 0);
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end())) << "round " << round;
        if (round % 3 != 2)
            continue;
        for (int axis = 0; axis < 3; ++axis) {
            const std::vector<float> values = AxisValues(*sim, axis);
            EXPECT_EQ(values.size(), 2 * bodies.size()) << "axis " << axis;
            EXPECT_TRUE(std::is_sorted(values.begin(), values.end()))
                << "axis " << axis << " round " << round;
            std::vector<float> expected;
            for (const PhKinematicBody* body : bodies) {
                expected.push_back(phmath::Component(body->worldMin, axis));
                expected.push_back(phmath::Component(body->worldMax, axis));
            }
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(values, expected) << "axis " << axis << " round " << round;
        }
    }
}

TEST(Body, KinematicBodyWithoutGeometriesKeepsItsBounds)
{
    SimulatorPtr sim = MakeSimulator();
    PhKinematicBody* body = sim->CreateKinematicBody();
    body->SetPos(V(5, 5, 5, 1));
    EXPECT_VEC3_NEAR(body->position, 5, 5, 5, 0);
    EXPECT_EQ(body->moved, 1);
    ExpectBounds(*body, V(0, 0, 0), V(0, 0, 0));
}
