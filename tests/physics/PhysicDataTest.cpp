#include "physics/PhysicData.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "physics/MassDivisor.h"
#include "physics/PhysicsWorld.h"
#include "core/ServiceOverride.h"

using namespace phtest;

namespace {

// Restores the mass divisor a test changes.
using ScopedMassDivisor = ServiceOverride<GetMassDivisor, SetMassDivisor>;

// A game object at a place, owning a physics data whose rigid body comes
// from a small simulator.
struct BodyFixture {
    SimulatorPtr simulator = MakeSimulator();
    CPGameObject object{"crate"};
    CPPhysicData* data = new CPPhysicData(&object);

    BodyFixture()
    {
        object.SetPhysicData(CPObjectPtr(data));
        object.SetPosition(Vector3{1, 2, 3});
        object.SetRotation(Quaternion{0, 0, 0, 2});
        data->SetRigidBody(simulator->CreateRigidBody());
    }
    ~BodyFixture()
    {
        // The physics data goes with the object, before the simulator.
        object.SetPhysicData(CPObjectPtr());
    }
    PhRigidBody& Body() { return *data->GetRigidBody(); }
};

} // namespace

TEST(PhysicData, AnswersItsTypeAndSize)
{
    CPPhysicData data(nullptr);
    EXPECT_EQ(data.GetTypeName(), "CPPhysicData");
    EXPECT_EQ(data.GetObjectSize(), sizeof(CPPhysicData));
    EXPECT_TRUE(data.GetActiveFlag());
    EXPECT_FALSE(data.GetCollisionFlag());
    EXPECT_EQ(data.GetTerrainTriangleCount(), 0);
}

TEST(PhysicData, StoresTheBodyAndItsPartsWithMassesThroughTheDivisor)
{
    ScopedMassDivisor divisor(2);
    CPPhysicData data(nullptr);
    data.SetBodyKind(kBodyCylinder);
    data.SetBox(1, 2, 3, 10);
    EXPECT_EQ(data.GetBodyKind(), kBodyBox);
    EXPECT_FLOAT_EQ(data.GetBoxSizes().y, 2.0f);
    EXPECT_FLOAT_EQ(data.GetBoxSizes().z, 3.0f);
    EXPECT_FLOAT_EQ(data.GetMass(), 5.0f);

    data.AddBoxPart({1, 2, 3}, {0, 0, 1, 0}, 4, 5, 6, 8);
    data.AddCylinderPart({7, 8, 9}, {0, 0, 0, 1}, 0.6f, 1.5f, 3);
    ASSERT_EQ(data.GetParts().size(), 2u);
    const CPCollisionPart& box = data.GetParts()[0];
    EXPECT_EQ(box.kind, kCollisionBox);
    EXPECT_EQ(box.geometry, nullptr);
    EXPECT_FLOAT_EQ(box.position.z, 3.0f);
    EXPECT_FLOAT_EQ(box.rotation.z, 1.0f);
    EXPECT_FLOAT_EQ(box.sizes[0], 4.0f);
    EXPECT_FLOAT_EQ(box.sizes[2], 6.0f);
    EXPECT_FLOAT_EQ(box.mass, 4.0f);
    const CPCollisionPart& cylinder = data.GetParts()[1];
    EXPECT_EQ(cylinder.kind, kCollisionCylinder);
    const float expected[4] = {5.0f, 1.5f, 5.0f, 0.6f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(cylinder.sizes[i], expected[i]) << i;
    EXPECT_FLOAT_EQ(cylinder.mass, 1.5f);
}

TEST(PhysicData, BuildBodyGivesTheRigidBodyItsInertiaMassAndTheOwnersPlace)
{
    struct Case {
        const char* what;
        std::int32_t kind;
        float mass;
        Vector4 inertia; // the diagonal the body is expected to carry
    };
    // Box sizes (1, 3, 2): (2/3) m 3^2 on every axis. Cylinder of diameter 2
    // and height 1 (box size a): x and z m/12 + m/4, y m/2.
    const Case cases[] = {
        {"box", kBodyBox, 6.0f, V(36, 36, 36)},
        {"cylinder", kBodyCylinder, 6.0f, V(2, 3, 2)},
        {"no mass: no inertia", kBodyBox, 0.0f, V(0, 0, 0)},
        {"an unknown kind: no inertia", 7, 6.0f, V(0, 0, 0)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        BodyFixture f;
        f.data->SetBox(1, 3, 2, k.mass);
        f.data->SetBodyKind(k.kind);
        f.data->SetCylinderDiameter(2.0f);
        f.data->SetBuildFlag(true);
        ASSERT_TRUE(f.data->BuildBody());
        EXPECT_FALSE(f.data->GetBuildFlag());
        EXPECT_FLOAT_EQ(f.Body().mass, k.mass);
        EXPECT_FLOAT_EQ(f.Body().inertia[0].x, k.inertia.x);
        EXPECT_FLOAT_EQ(f.Body().inertia[1].y, k.inertia.y);
        EXPECT_FLOAT_EQ(f.Body().inertia[2].z, k.inertia.z);
        EXPECT_VEC3_NEAR(f.Body().GetPos(), 1, 2, 3, 1e-6f);
        // The owner's (0, 0, 0, 2) is turned to its unit length.
        EXPECT_FLOAT_EQ(f.Body().orientation.w, 1.0f);
        EXPECT_EQ(f.data->GetController(), nullptr);
    }
}

TEST(PhysicData, BuildBodyTurnsARotationWithoutLengthIntoNoRotation)
{
    BodyFixture f;
    f.object.SetRotation(Quaternion{0, 0, 0, 0});
    f.data->SetBox(1, 1, 1, 1);
    ASSERT_TRUE(f.data->BuildBody());
    const Quaternion& q = f.Body().orientation;
    EXPECT_FLOAT_EQ(q.w, 1.0f);
    EXPECT_FALSE(std::isnan(f.Body().transform.m[0][0]));
    EXPECT_FLOAT_EQ(f.Body().transform.m[0][0], 1.0f);
}

TEST(PhysicData, BuildBodyAddsOneControllerWhenAskedAndCoversTheBodysGeometry)
{
    BodyFixture f;
    PhGeometry* geometry = f.Body().AddGeometry();
    geometry->SetBoxSize(2, 4, 6);
    f.data->SetControllerFlag(true);
    f.data->SetBox(1, 1, 1, 1);
    ASSERT_TRUE(f.data->BuildBody());
    ASSERT_TRUE(f.data->BuildBody());
    PhController* controller = f.data->GetController();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(f.Body().controllers.count, 1);
    EXPECT_EQ(controller->listener, static_cast<CPFrameListener*>(f.data));
    EXPECT_EQ(controller->period, 1);
    EXPECT_FLOAT_EQ(f.Body().boundingShape.shape[2], 3.0f);
}

TEST(PhysicData, BuildBodyWithoutABodyOrAnOwnerDoesNothing)
{
    ScopedLogFile log;
    CPPhysicData bodiless(nullptr);
    bodiless.SetBuildFlag(true);
    EXPECT_FALSE(bodiless.BuildBody());
    EXPECT_TRUE(bodiless.GetBuildFlag());

    SimulatorPtr simulator = MakeSimulator();
    {
        CPPhysicData ownerless(nullptr);
        ownerless.SetRigidBody(simulator->CreateRigidBody());
        ownerless.SetBox(1, 1, 1, 4);
        EXPECT_FALSE(ownerless.BuildBody());
        EXPECT_FLOAT_EQ(ownerless.GetRigidBody()->mass, 1.0f);
    }
    EXPECT_NE(log.Read().find("no owner"), std::string::npos);
}

TEST(PhysicData, TheControllerImposesMomentumAndVelocityOnlyWhileAsked)
{
    BodyFixture f;
    f.data->SetControllerFlag(true);
    f.data->SetBox(1, 1, 1, 2);
    ASSERT_TRUE(f.data->BuildBody());
    f.data->SetImposedAngularMomentum(V(0, 0, 4));
    f.data->SetImposedVelocity(V(3, 0, 0));
    f.Body().SetVelocity(V(0, 1, 0));

    f.simulator->Step(0.01f);
    // The flag is clear: the body keeps its motion.
    EXPECT_VEC3_NEAR(f.Body().velocity, 0, 1, 0, 0.0f);
    EXPECT_VEC3_NEAR(f.Body().angularMomentum, 0, 0, 0, 0.0f);

    f.data->SetImposeFlag(true);
    f.simulator->Step(0.01f);
    EXPECT_VEC3_NEAR(f.Body().velocity, 3, 0, 0, 0.0f);
    EXPECT_VEC3_NEAR(f.Body().angularMomentum, 0, 0, 4, 0.0f);
}

TEST(PhysicData, DestroyingItGivesItsBodiesBackSoTheyNoLongerCallIt)
{
    SimulatorPtr simulator = MakeSimulator();
    const int freeBodies = simulator->GetRigidBodyPool().GetFreeCount();
    const int freeControllers = simulator->GetControllerPool().GetFreeCount();
    {
        CPGameObject object("car");
        auto* data = new CPPhysicData(&object);
        object.SetPhysicData(CPObjectPtr(data));
        data->SetRigidBody(simulator->CreateRigidBody());
        data->SetControllerFlag(true);
        data->SetImposeFlag(true);
        ASSERT_TRUE(data->BuildBody());
        auto* still = new CPPhysicData(&object);
        still->SetKinematicBody(simulator->CreateKinematicBody());
        delete still;
    }
    EXPECT_EQ(simulator->GetRigidBodyPool().GetFreeCount(), freeBodies);
    EXPECT_EQ(simulator->GetControllerPool().GetFreeCount(), freeControllers);
    EXPECT_EQ(simulator->GetBodyLists().kinematicActive.count, 0);
    simulator->Step(0.01f); // no controller is left to call the dead data
}

TEST(PhysicData, ForgettingASimulatorLeavesOtherSimulatorsBodiesAlone)
{
    SimulatorPtr first = MakeSimulator();
    SimulatorPtr second = MakeSimulator();
    CPPhysicData a(nullptr), b(nullptr);
    a.SetRigidBody(first->CreateRigidBody());
    a.GetParts().push_back(CPCollisionPart{});
    a.GetParts()[0].geometry = a.GetRigidBody()->AddGeometry();
    b.SetKinematicBody(second->CreateKinematicBody());

    CPPhysicData::ForgetBodiesOf(first.get());
    EXPECT_EQ(a.GetRigidBody(), nullptr);
    EXPECT_EQ(a.GetParts()[0].geometry, nullptr);
    EXPECT_NE(b.GetKinematicBody(), nullptr);
    first.reset(); // a no longer points into it
}

TEST(PhysicData, ACopiedDescriptionHasNoGeometriesOfItsOwn)
{
    CPPhysicData source(nullptr);
    source.SetBox(1, 2, 3, 4);
    source.SetBodyKind(kBodyCylinder);
    source.SetCylinderDiameter(0.5f);
    source.SetParticleFlag(true);
    source.AddBoxPart({1, 1, 1}, {}, 1, 1, 1, 1);
    PhGeometry stand;
    source.GetParts()[0].geometry = &stand;

    CPPhysicData copy(nullptr);
    copy.CopyDescriptionFrom(source);
    EXPECT_EQ(copy.GetBodyKind(), kBodyCylinder);
    EXPECT_FLOAT_EQ(copy.GetCylinderDiameter(), 0.5f);
    EXPECT_FLOAT_EQ(copy.GetMass(), 4.0f);
    EXPECT_TRUE(copy.GetParticleFlag());
    ASSERT_EQ(copy.GetParts().size(), 1u);
    EXPECT_EQ(copy.GetParts()[0].geometry, nullptr);
    EXPECT_FLOAT_EQ(copy.GetParts()[0].position.x, 1.0f);
}

TEST(PhysicData, RemoveFromWorldNeedsABodyAndAWorld)
{
    ScopedLogFile log;
    ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> noWorld(nullptr);
    CPPhysicData bodiless(nullptr);
    EXPECT_FALSE(bodiless.RemoveFromWorld());

    SimulatorPtr simulator = MakeSimulator();
    CPPhysicData data(nullptr);
    PhRigidBody* body = simulator->CreateRigidBody();
    data.SetRigidBody(body);
    EXPECT_FALSE(data.RemoveFromWorld());
    EXPECT_NE(log.Read().find("there is no physics world"), std::string::npos);

    {
        CPPhysicsWorld world;
        ServiceOverride<GetPhysicsWorld, SetPhysicsWorld> installedWorld(&world);
        EXPECT_TRUE(data.RemoveFromWorld());
        EXPECT_EQ(data.GetRigidBody(), nullptr);
        EXPECT_FALSE(body->IsActive());
        ASSERT_EQ(world.GetEvents().size(), 1u);
        EXPECT_EQ(world.GetEvents()[0].rigidBody, body);
    }
}
