#include "physics/Rotation.h"

#include <cmath>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"

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
