#include "platform/QuaternionMath.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "support/MathExpect.h"

namespace {
constexpr float kQuarterTurn = 1.5707963f;
constexpr float kHalfTurn = 3.1415927f;
constexpr float kRootHalf = 0.70710678f;

// q and -q are one rotation.
::testing::AssertionResult SameRotation(const Quaternion& a, const Quaternion& b)
{
    if (Near(a, b, 1e-5f))
        return ::testing::AssertionSuccess();
    return Near(a, Quaternion{-b.x, -b.y, -b.z, -b.w}, 1e-5f);
}
} // namespace

TEST(QuaternionMath, AQuarterTurnAboutZHasTheMatrixOfTheMatrixBuilder)
{
    const Quaternion q{0, 0, kRootHalf, kRootHalf};
    EXPECT_TRUE(Near(MatrixFromQuaternion(q), RotationMatrixZ(kQuarterTurn)));
    EXPECT_TRUE(Near(Rotate({1, 0, 0}, q), {0, 1, 0}));
    EXPECT_TRUE(Near(QuaternionFromAxisAngle({0, 0, 5}, kQuarterTurn), q));
    EXPECT_TRUE(Near(QuaternionFromAxisAngle({0, 0, 0}, kQuarterTurn), Quaternion{}));
    EXPECT_TRUE(Near(MatrixFromQuaternion(Quaternion{}), IdentityMatrix()));
}

TEST(QuaternionMath, MultiplyTurnsByTheFirstThenTheSecond)
{
    const Quaternion aboutZ = QuaternionFromAxisAngle({0, 0, 1}, kQuarterTurn);
    const Quaternion aboutX = QuaternionFromAxisAngle({1, 0, 0}, kQuarterTurn);
    // x -> y by the turn about z, then y -> z by the turn about x.
    EXPECT_TRUE(Near(Rotate({1, 0, 0}, Multiply(aboutZ, aboutX)), {0, 0, 1}));
    // The other order: x stays under the turn about x, then goes to y.
    EXPECT_TRUE(Near(Rotate({1, 0, 0}, Multiply(aboutX, aboutZ)), {0, 1, 0}));
    EXPECT_TRUE(Near(MatrixFromQuaternion(Multiply(aboutZ, aboutX)),
                     RotationMatrixZ(kQuarterTurn) * RotationMatrixX(kQuarterTurn)));
    EXPECT_TRUE(Near(Multiply(aboutZ, Conjugate(aboutZ)), Quaternion{}));
}

TEST(QuaternionMath, MatrixToQuaternionAndBack)
{
    // Hand values for the easy ones; a half turn exercises the branches that
    // cannot rely on the trace.
    EXPECT_TRUE(
        SameRotation(QuaternionFromMatrix(RotationMatrixZ(kQuarterTurn)), {0, 0, kRootHalf, kRootHalf}));
    EXPECT_TRUE(SameRotation(QuaternionFromMatrix(RotationMatrixX(kHalfTurn)), {1, 0, 0, 0}));
    EXPECT_TRUE(SameRotation(QuaternionFromMatrix(RotationMatrixY(kHalfTurn)), {0, 1, 0, 0}));
    EXPECT_TRUE(SameRotation(QuaternionFromMatrix(RotationMatrixZ(kHalfTurn)), {0, 0, 1, 0}));
    EXPECT_TRUE(SameRotation(QuaternionFromMatrix(IdentityMatrix()), {0, 0, 0, 1}));

    const Matrix4 matrices[] = {
        RotationMatrixAxis({1, 2, 3}, 0.4f),    RotationMatrixAxis({-1, 0.5f, 2}, 2.9f),
        RotationMatrixAxis({0, 1, 1}, -3.0f),   RotationMatrixAxis({1, 0, 0.1f}, 3.1f),
        RotationMatrixAxis({0.1f, 1, 0}, 3.1f), RotationMatrixAxis({0, 0.1f, 1}, 3.1f),
    };
    for (const Matrix4& m : matrices) {
        const Quaternion q = QuaternionFromMatrix(m);
        EXPECT_NEAR(Length(q), 1.0f, 1e-5f);
        EXPECT_TRUE(Near(MatrixFromQuaternion(q), m, 1e-5f));
    }
}

TEST(QuaternionMath, YawPitchRollMatchesTheMatrixBuilder)
{
    EXPECT_TRUE(Near(QuaternionFromYawPitchRoll(kQuarterTurn, 0, 0), {0, kRootHalf, 0, kRootHalf}));
    const float angles[][3] = {
        {0.3f, -0.2f, 1.1f}, {kQuarterTurn, kQuarterTurn, kQuarterTurn}, {-2.0f, 0.5f, 3.0f}};
    for (const auto& a : angles)
        EXPECT_TRUE(Near(MatrixFromQuaternion(QuaternionFromYawPitchRoll(a[0], a[1], a[2])),
                         RotationMatrixYawPitchRoll(a[0], a[1], a[2])));
}

TEST(QuaternionMath, SlerpHalfwayIsHalfTheTurnTakenTheShortWay)
{
    const Quaternion start{};
    const Quaternion quarter{0, 0, kRootHalf, kRootHalf};
    // Half of 90 degrees about z: (0, 0, sin 22.5, cos 22.5).
    const Quaternion eighth{0, 0, 0.38268343f, 0.92387953f};
    EXPECT_TRUE(Near(Slerp(start, quarter, 0.5f), eighth));
    // The same rotation written as -q still goes the short way.
    EXPECT_TRUE(SameRotation(Slerp(start, {0, 0, -kRootHalf, -kRootHalf}, 0.5f), eighth));
    EXPECT_TRUE(Near(Slerp(start, quarter, 0.0f), start));
    EXPECT_TRUE(Near(Slerp(start, quarter, 1.0f), quarter));
    // Nearly equal rotations blend without dividing by a vanishing sine.
    const Quaternion close = Normalize(Quaternion{0, 0, 1e-5f, 1});
    const Quaternion mid = Slerp(start, close, 0.5f);
    EXPECT_TRUE(std::isfinite(mid.w));
    EXPECT_NEAR(mid.z, 0.5e-5f, 1e-7f);
}

TEST(QuaternionMath, NormaliseAndLength)
{
    EXPECT_TRUE(Near(Normalize(Quaternion{0, 0, 0, 2}), Quaternion{}));
    EXPECT_TRUE(Near(Normalize(Quaternion{0, 3, 0, 4}), {0, 0.6f, 0, 0.8f}));
    EXPECT_TRUE(Near(Normalize(Quaternion{0, 0, 0, 0}), Quaternion{}));
    EXPECT_FLOAT_EQ(Length(Quaternion{1, 1, 1, 1}), 2.0f);
}
