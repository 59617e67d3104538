#include "physics/Rotation.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "platform/Math.h"

using namespace phtest;

namespace {

const float kPi = 3.14159265f;

void ExpectRows(const Quaternion& q, const float expected[3][3])
{
    Vector4 rows[3];
    PhQuaternionToRows(q, rows);
    for (int r = 0; r < 3; ++r)
        EXPECT_VEC3_NEAR(rows[r], expected[r][0], expected[r][1], expected[r][2], 1e-6f);
}

} // namespace

TEST(Rotation, QuaternionRowsFollowTheRowVectorConvention)
{
    const float h = std::sqrt(0.5f);
    const float identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // A quarter turn about z takes x to y: row 1 is (0, 1, 0).
    const float quarterZ[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    const float quarterX[3][3] = {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    const float halfY[3][3] = {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    ExpectRows(Quaternion{0, 0, 0, 1}, identity);
    ExpectRows(Quaternion{0, 0, h, h}, quarterZ);
    ExpectRows(Quaternion{h, 0, 0, h}, quarterX);
    ExpectRows(Quaternion{0, 1, 0, 0}, halfY);
}

TEST(Rotation, ComposeRotationTurnsAboutXThenZ)
{
    // Spin alone: (sin a/2, 0, 0, cos a/2).
    const Quaternion spin = ComposeRotation(1.0f, 0.0f);
    EXPECT_NEAR(spin.x, std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(spin.y, 0.0f, 1e-6f);
    EXPECT_NEAR(spin.z, 0.0f, 1e-6f);
    EXPECT_NEAR(spin.w, std::cos(0.5f), 1e-6f);

    const Quaternion steer = ComposeRotation(0.0f, -0.4f);
    EXPECT_NEAR(steer.z, std::sin(-0.2f), 1e-6f);
    EXPECT_NEAR(steer.w, std::cos(-0.2f), 1e-6f);

    // RotationX(90) * RotationZ(90): rows (0,1,0), (0,0,1), (1,0,0).
    const float both[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    ExpectRows(ComposeRotation(kPi / 2, kPi / 2), both);
}

TEST(Rotation, ComposeRotationOfASpinAloneIsTheMatrixPathToTheBit)
{
    // The spin alone takes a short way; it must give what the rotation
    // matrix gives, zeros' signs and last bits included, at any angle: the
    // wheels of a long race spin through thousands of radians.
    const float angles[] = {0.0f,       -0.0f,      1e-30f,  -1e-30f,    0.3f,        -0.3f,
                            1.0f,       2.0f,       kPi / 2, kPi,        -kPi,        2.1f,
                            2.0943952f, 2.0943951f, 3.0f,    3.1415925f, -3.1415925f, 4.0f,
                            6.2831855f, 100.0f,     -777.7f, 12345.678f, 30000.5f,    1e7f};
    for (const float a : angles) {
        const Quaternion shortWay = ComposeRotation(a, 0.0f);
        const Quaternion matrixWay = QuaternionFromMatrix(RotationMatrixX(a));
        EXPECT_EQ(std::memcmp(&shortWay, &matrixWay, sizeof shortWay), 0) << "angle " << a;
        const Quaternion spin = SpinRotation(a);
        EXPECT_EQ(std::memcmp(&spin, &matrixWay, sizeof spin), 0) << "angle " << a;
    }
    for (int i = -20000; i <= 20000; ++i) {
        const float a = static_cast<float>(i) * 0.00157f;
        const Quaternion shortWay = ComposeRotation(a, 0.0f);
        const Quaternion matrixWay = QuaternionFromMatrix(RotationMatrixX(a));
        ASSERT_EQ(std::memcmp(&shortWay, &matrixWay, sizeof shortWay), 0) << "angle " << a;
    }
    // Without a finite angle the matrix's own answer stands.
    const Quaternion endless = ComposeRotation(INFINITY, 0.0f);
    const Quaternion matrixEndless = QuaternionFromMatrix(RotationMatrixX(INFINITY));
    EXPECT_EQ(std::memcmp(&endless, &matrixEndless, sizeof endless), 0);
    const Quaternion endlessSpin = SpinRotation(INFINITY);
    EXPECT_EQ(std::memcmp(&endlessSpin, &matrixEndless, sizeof endlessSpin), 0);
}

TEST(Rotation, ComposeRotationOfASpinAndASteerIsTheMatrixProductToTheBit)
{
    const float spins[] = {0.0f, -0.0f, 1e-30f, 0.5f, -1.2f, 2.0943952f, 3.1415925f, 4.0f, -777.7f, 30000.5f};
    const float steers[] = {-0.7f, -0.3f, -1e-30f, 1e-38f, 0.05f, 0.4f, 0.7f, 1.5707964f, -3.1415925f, 5.0f};
    auto expectSame = [](float a, float b) {
        const Quaternion shortWay = ComposeRotation(a, b);
        const Quaternion matrixWay = QuaternionFromMatrix(RotationMatrixX(a) * RotationMatrixZ(b));
        EXPECT_EQ(std::memcmp(&shortWay, &matrixWay, sizeof shortWay), 0) << "angles " << a << ", " << b;
    };
    for (const float a : spins)
        for (const float b : steers)
            expectSame(a, b);
    for (int i = -300; i <= 300; ++i)
        for (int j = -14; j <= 14; ++j)
            if (j != 0)
                expectSame(static_cast<float>(i) * 0.0731f, static_cast<float>(j) * 0.05f);
    expectSame(INFINITY, 0.3f);
    expectSame(0.3f, NAN);
}

TEST(Rotation, AKeptTurnComposesAsItsAngleDoesThroughAnyRunOfSteerings)
{
    const float spins[] = {0.0f, -0.0f, 0.5f, -1.2f, 3.1415925f, -777.7f, 30000.5f, INFINITY};
    const float steers[] = {0.0f, -0.0f, -0.7f, -1e-30f, 1e-38f, 0.05f, 0.4f, 1.5707964f, 5.0f, NAN};
    for (const float b : steers) {
        const PhTurnZ turn = MakeTurnZ(b);
        for (const float a : spins) {
            const Quaternion kept = ComposeRotation(a, turn);
            const Quaternion plain = ComposeRotation(a, b);
            EXPECT_EQ(std::memcmp(&kept, &plain, sizeof kept), 0) << "angles " << a << ", " << b;
        }
    }

    // A turn renewed through a run of steerings, as a car's step keeps it,
    // composes at each one as the steering itself does.
    PhTurnZ turn;
    const float run[] = {0.0f, 0.3f, 0.3f, -0.0f, -0.2f, -0.2f, 0.0f, 0.7f, NAN, NAN, 0.1f};
    for (const float b : run) {
        RenewTurnZ(turn, b);
        EXPECT_EQ(std::memcmp(&turn.angle, &b, sizeof b), 0);
        const Quaternion kept = ComposeRotation(2.5f, turn);
        const Quaternion plain = ComposeRotation(2.5f, b);
        EXPECT_EQ(std::memcmp(&kept, &plain, sizeof kept), 0) << "steering " << b;
    }
}
