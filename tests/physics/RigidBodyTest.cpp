#include "physics/RigidBody.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/ContactGroup.h"
#include "physics/Inertia.h"
#include "physics/PhysicsMath.h"

using namespace phtest;

namespace {

const float kHalfSqrt2 = std::sqrt(0.5f);
// 90 degrees about z: body x becomes world y, body y world -x.
const Quaternion kQuarterTurnZ = {0.0f, 0.0f, kHalfSqrt2, kHalfSqrt2};

void MarkResting(PhRigidBody& body)
{
    body.restCounter1 = 5;
    body.restCounter2 = 7;
}

bool IsWoken(const PhRigidBody& body) { return body.restCounter1 == 0 && body.restCounter2 == 0; }

class RigidBodyTest : public ::testing::Test {
  protected:
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
};

} // namespace

TEST_F(RigidBodyTest, StartsAsAUnitMassAtTheOriginAtRest)
{
    EXPECT_EQ(body->dynamic, 1);
    EXPECT_TRUE(body->IsActive());
    EXPECT_FLOAT_EQ(body->mass, 1.0f);
    EXPECT_FLOAT_EQ(body->inverseMass, 1.0f);
    EXPECT_EQ(body->userFlag, 1);
    EXPECT_EQ(body->GetUserData(), nullptr);
    EXPECT_FLOAT_EQ(body->steppingConstant, 0.2f);
    EXPECT_FLOAT_EQ(body->orientation.w, 1.0f);
    const Matrix4& transform = body->GetTransform();
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(transform.m[r][c], r == c ? 1.0f : 0.0f);
    }
    EXPECT_VEC3_NEAR(body->GetVelocity(), 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(body->GetSpeed(), 0.0f);
    EXPECT_EQ(body->controllers.count, 0);
}

TEST_F(RigidBodyTest, MassOfZeroOrLessMakesAnImmovableBody)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float mass;
        float inverse;
    };
    for (const Case& c :
         {Case{2.0f, 0.5f}, Case{0.25f, 4.0f}, Case{0.0f, 0.0f}, Case{-3.0f, 0.0f}, Case{nan, 0.0f}}) {
        SCOPED_TRACE(c.mass);
        PhRigidBody* b = sim->CreateRigidBody();
        b->SetInertiaTensor(V(2, 2, 2));
        b->SetMass(c.mass);
        EXPECT_FLOAT_EQ(b->inverseMass, c.inverse);
        if (!std::isnan(c.mass)) {
            EXPECT_FLOAT_EQ(b->mass, c.mass);
        }

        b->ApplyImpulse(V(4, 0, 0), V(0, 1, 0));
        EXPECT_VEC3_NEAR(b->GetVelocity(), 4 * c.inverse, 0, 0, 1e-6f);
        if (c.inverse == 0.0f) {
            // Neither moves nor turns, whatever momentum it is given.
            EXPECT_VEC3_NEAR(b->angularVelocity, 0, 0, 0, 0);
            b->SetAngularMomentum(V(1, 2, 3));
            EXPECT_VEC3_NEAR(b->angularVelocity, 0, 0, 0, 0);
            EXPECT_TRUE(std::isfinite(b->quaternionRate.w));
        }
    }
}

TEST_F(RigidBodyTest, InertiaTensorStoresTheDiagonalAndItsInverse)
{
    body->SetInertiaTensor(V(2, 4, 8));
    EXPECT_VEC3_NEAR(body->inertia[0], 2, 0, 0, 0);
    EXPECT_VEC3_NEAR(body->inertia[1], 0, 4, 0, 0);
    EXPECT_VEC3_NEAR(body->inertia[2], 0, 0, 8, 0);
    EXPECT_VEC3_NEAR(body->inverseInertia[0], 0.5f, 0, 0, 1e-7f);
    EXPECT_VEC3_NEAR(body->inverseInertia[1], 0, 0.25f, 0, 1e-7f);
    EXPECT_VEC3_NEAR(body->inverseInertia[2], 0, 0, 0.125f, 1e-7f);

    // Determinants below 1e-17 in magnitude leave the inverse as it was.
    for (const Vector4& singular : {V(0, 1, 1), V(1e-6f, 1e-6f, 1e-6f)}) {
        body->SetInertiaTensor(singular);
        EXPECT_VEC3_NEAR(body->inertia[0], singular.x, 0, 0, 0);
        EXPECT_VEC3_NEAR(body->inverseInertia[0], 0.5f, 0, 0, 1e-7f);
        EXPECT_VEC3_NEAR(body->inverseInertia[2], 0, 0, 0.125f, 1e-7f);
    }
}

TEST_F(RigidBodyTest, AngularMomentumTurnsThroughTheWorldInverseInertia)
{
    // Unturned, unit inertia: omega = L; quaternion rate = 0.5 (omega, 0) q.
    body->SetAngularMomentum(V(0, 0, 2));
    EXPECT_VEC3_NEAR(body->angularVelocity, 0, 0, 2, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.x, 0.0f, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.z, 1.0f, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.w, 0.0f, 1e-6f);

    // Turned a quarter about x (unit inertia keeps omega = L): the rate is
    // 0.5 (0, 0, 2, 0) (h, 0, 0, h) = (0, h, h, 0), world spin first.
    body->SetRotation(Quaternion{kHalfSqrt2, 0, 0, kHalfSqrt2});
    body->SetAngularMomentum(V(0, 0, 2));
    EXPECT_VEC3_NEAR(body->angularVelocity, 0, 0, 2, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.x, 0.0f, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.y, kHalfSqrt2, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.z, kHalfSqrt2, 1e-6f);
    EXPECT_NEAR(body->quaternionRate.w, 0.0f, 1e-6f);

    // Inertia (1, 2, 4) turned a quarter about z: world y is body x
    // (I = 1), world x is body y (I = 2), world z stays (I = 4).
    body->SetInertiaTensor(V(1, 2, 4));
    body->SetRotation(kQuarterTurnZ);
    struct Case {
        Vector4 momentum;
        Vector4 omega;
    };
    for (const Case& c :
         {Case{V(0, 2, 0), V(0, 2, 0)}, Case{V(2, 0, 0), V(1, 0, 0)}, Case{V(0, 0, 2), V(0, 0, 0.5f)}}) {
        body->SetAngularMomentum(c.momentum);
        EXPECT_VEC3_NEAR(body->angularVelocity, c.omega.x, c.omega.y, c.omega.z, 1e-5f);
    }
}

TEST_F(RigidBodyTest, SetForceAndSetTorqueWakeOnlyForNonNegligibleValues)
{
    body->SetPos(V(1, 0, 0));
    struct Case {
        Vector4 value;
        bool wakes;
    };
    const Case cases[] = {
        {V(1e-7f, 0, 0), false}, {V(0, -9e-7f, 5e-7f), false}, {V(1e-5f, 0, 0), true}, {V(0, 0, -3), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.x + c.value.y + c.value.z);
        MarkResting(*body);
        body->SetForce(c.value, V(1, 2, 0));
        EXPECT_EQ(IsWoken(*body), c.wakes);
        EXPECT_VEC3_NEAR(body->force, c.value.x, c.value.y, c.value.z, 0);

        MarkResting(*body);
        body->SetTorque(c.value);
        EXPECT_EQ(IsWoken(*body), c.wakes);
        EXPECT_VEC3_NEAR(body->torque, c.value.x, c.value.y, c.value.z, 0);
    }
}

TEST_F(RigidBodyTest, SetForceReplacesTheTorqueWithTheMomentAboutThePosition)
{
    body->SetPos(V(1, 0, 0));
    body->SetTorque(V(9, 9, 9));
    // r = (1, 2, 0) - (1, 0, 0) = (0, 2, 0); r x (0, 0, 3) = (6, 0, 0).
    body->SetForce(V(0, 0, 3), V(1, 2, 0));
    EXPECT_VEC3_NEAR(body->torque, 6, 0, 0, 1e-6f);
}

TEST_F(RigidBodyTest, ApplyImpulseChangesVelocityAndMomentumAndWakesOnlyThisBody)
{
    PhRigidBody* neighbour = sim->CreateRigidBody();
    PhContactGroup group;
    group.Add(body);
    group.Add(neighbour);
    body->SetMass(2.0f);
    body->SetPos(V(1, 1, 1));
    MarkResting(*body);
    MarkResting(*neighbour);

    // r = (0, 1, 0); r x (4, 0, 0) = (0, 0, -4); dv = J / m = (2, 0, 0).
    body->ApplyImpulse(V(4, 0, 0), V(1, 2, 1));
    EXPECT_VEC3_NEAR(body->GetVelocity(), 2, 0, 0, 1e-6f);
    EXPECT_VEC3_NEAR(body->angularMomentum, 0, 0, -4, 1e-6f);
    EXPECT_VEC3_NEAR(body->angularVelocity, 0, 0, -4, 1e-6f);
    EXPECT_TRUE(IsWoken(*body));
    EXPECT_FALSE(IsWoken(*neighbour));

    // A second impulse adds to the first.
    body->ApplyImpulse(V(0, 0, 2), V(1, 1, 1));
    EXPECT_VEC3_NEAR(body->GetVelocity(), 2, 0, 1, 1e-6f);
    EXPECT_VEC3_NEAR(body->angularMomentum, 0, 0, -4, 1e-6f);
    group.Clear();
}

TEST_F(RigidBodyTest, VelocityAndMomentumWakeTheWholeContactGroup)
{
    PhRigidBody* partner = sim->CreateRigidBody();
    PhRigidBody* outsider = sim->CreateRigidBody();
    PhKinematicBody* ground = sim->CreateKinematicBody();

    // Alone, the body wakes itself and takes its state as the rest reference.
    body->SetPos(V(1, 2, 3));
    MarkResting(*body);
    body->SetVelocity(V(4, 5, 6));
    EXPECT_TRUE(IsWoken(*body));
    EXPECT_VEC3_NEAR(body->restPosition, 1, 2, 3, 0);
    EXPECT_VEC3_NEAR(body->restVelocity, 4, 5, 6, 0);

    PhContactGroup group;
    group.Add(body);
    group.Add(partner);
    group.Add(ground);
    EXPECT_EQ(group.count, 3);
    for (int setter = 0; setter < 2; ++setter) {
        SCOPED_TRACE(setter);
        MarkResting(*body);
        MarkResting(*partner);
        MarkResting(*outsider);
        if (setter == 0)
            partner->SetVelocity(V(1, 0, 0));
        else
            partner->SetAngularMomentum(V(0, 1, 0));
        EXPECT_TRUE(IsWoken(*body));
        EXPECT_TRUE(IsWoken(*partner));
        EXPECT_FALSE(IsWoken(*outsider));
    }

    // Releasing a member takes it out of the group.
    EXPECT_TRUE(sim->ReleaseBody(partner));
    EXPECT_EQ(group.count, 2);
    EXPECT_EQ(body->contactGroup, &group);
    group.Clear();
    EXPECT_EQ(body->contactGroup, nullptr);
    EXPECT_EQ(ground->contactGroup, nullptr);
}

TEST_F(RigidBodyTest, TransformHoldsTheRotationRowsAndThePosition)
{
    body->transform.m[0][3] = 7.0f;
    body->transform.m[3][3] = 7.0f;
    body->SetRotation(Quaternion{0, 0, 0, 1});
    body->SetPos(V(1, 2, 3));
    const Matrix4& transform = body->GetTransform();
    const float expected[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(transform.m[r][c], expected[r][c]) << r << "," << c;
    }
    EXPECT_VEC3_NEAR(body->GetPos(), 1, 2, 3, 0);

    body->SetRotation(kQuarterTurnZ);
    EXPECT_VEC3_NEAR(RowOf(transform, 0), 0, 1, 0, 1e-6f);
    EXPECT_VEC3_NEAR(RowOf(transform, 1), -1, 0, 0, 1e-6f);
    EXPECT_VEC3_NEAR(body->GetPos(), 1, 2, 3, 0);
}

TEST_F(RigidBodyTest, SettingPlaceOrTurnWakesTheBody)
{
    MarkResting(*body);
    body->SetPos(V(0, 0, 5));
    EXPECT_TRUE(IsWoken(*body));
    MarkResting(*body);
    body->SetRotation(kQuarterTurnZ);
    EXPECT_TRUE(IsWoken(*body));
    EXPECT_FLOAT_EQ(body->restOrientation.z, kHalfSqrt2);
}

TEST_F(RigidBodyTest, VelocityAtAPointAddsTheTurn)
{
    body->SetVelocity(V(1, 0, 0));
    body->SetAngularMomentum(V(0, 0, 2));
    // v + omega x r = (1, 0, 0) + (0, 0, 2) x (1, 0, 0) = (1, 2, 0).
    EXPECT_VEC3_NEAR(body->GetVelocityAtPoint(V(1, 0, 0)), 1, 2, 0, 1e-6f);
    EXPECT_VEC3_NEAR(body->GetVelocityAtPoint(V(0, 0, 0)), 1, 0, 0, 1e-6f);

    PhKinematicBody* kinematic = sim->CreateKinematicBody();
    EXPECT_VEC3_NEAR(kinematic->GetVelocityAtPoint(V(1, 0, 0)), 0, 0, 0, 0);
}

TEST(Inertia, BoxAndCylinderTensors)
{
    struct Case {
        const char* name;
        Vector4 inertia;
        Vector4 expected;
    };
    const Case cases[] = {
        // (2/3) m s^2 with s the largest size, on every axis.
        {"box (1, 3, 2) mass 3", PhInertiaBox(V(1, 3, 2), 3), V(18, 18, 18)},
        {"unit box mass 1", PhInertiaBox(V(1, 1, 1), 1), V(2.0f / 3, 2.0f / 3, 2.0f / 3)},
        {"box (4, 2, 4) mass 0.5", PhInertiaBox(V(4, 2, 4), 0.5f), V(16.0f / 3, 16.0f / 3, 16.0f / 3)},
        // x, z: m h^2 / 12 + m r^2 / 4; y: m r^2 / 2.
        {"cylinder 2 x 3 mass 4", PhInertiaCylinder(2, 3, 4), V(4, 2, 4)},
        {"cylinder 4 x 6 mass 2", PhInertiaCylinder(4, 6, 2), V(8, 4, 8)},
        {"flat disc 1 x 0 mass 8", PhInertiaCylinder(1, 0, 8), V(0.5f, 1, 0.5f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_VEC3_NEAR(c.inertia, c.expected.x, c.expected.y, c.expected.z, 1e-5f);
    }
}

// The world inverse inertia is R^T I^-1 R summed term by term over the
// entries of I^-1 that are not zero, in row order. Turned every step for
// every moving body, the diagonal's sums are written out apart: they must
// come out bit for bit as the sum over the entries does, whatever the
// turn, and a tensor that is not diagonal keeps the general sum.
TEST_F(RigidBodyTest, WorldInverseInertiaIsTheTermByTermSumBitForBit)
{
    const Vector4 tensors[][3] = {
        {V(0.5f, 0, 0), V(0, 0.25f, 0), V(0, 0, 0.125f)}, // a box's
        {V(1.7f, 0, 0), V(0, 0.3f, 0), V(0, 0, 2.9f)},
        {V(0.6f, 0, 0), V(0, 0, 0), V(0, 0, 0.6f)},        // a zero on the diagonal
        {V(0.5f, 0.1f, 0), V(0.1f, 0.25f, 0), V(0, 0, 1)}, // not diagonal
        {V(0, 0, 0.2f), V(0, 0.4f, 0), V(0.2f, 0, 0)},     // three entries off it
    };
    std::uint32_t state = 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f * 2.0f - 1.0f;
    };
    for (const auto& tensor : tensors) {
        for (int turn = 0; turn < 200; ++turn) {
            Quaternion q{next(), next(), next(), next()};
            const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
            q = Quaternion{q.x / length, q.y / length, q.z / length, q.w / length};
            body->SetRotation(q);
            for (int k = 0; k < 3; ++k)
                body->inverseInertia[k] = tensor[k];
            body->UpdateWorldInverseInertia();
            const float(&r)[4][4] = body->transform.m;
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    float sum = 0.0f;
                    for (int k = 0; k < 3; ++k) {
                        const float b[3] = {tensor[k].x, tensor[k].y, tensor[k].z};
                        for (int l = 0; l < 3; ++l) {
                            if (b[l] != 0.0f)
                                sum += r[k][i] * b[l] * r[l][j];
                        }
                    }
                    const float got = phmath::Component(body->worldInverseInertia[i], j);
                    EXPECT_EQ(std::memcmp(&got, &sum, sizeof sum), 0)
                        << "entry " << i << j << " turn " << turn << ": " << got << " against " << sum;
                }
            }
        }
    }
}
