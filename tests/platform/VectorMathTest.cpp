#include "platform/VectorMath.h"

#include <gtest/gtest.h>

#include "support/MathExpect.h"

TEST(VectorMath, NormaliseGivesUnitLengthAndKeepsZeroAtZero)
{
    EXPECT_TRUE(Near(Normalize(Vector3{3, 4, 0}), {0.6f, 0.8f, 0.0f}));
    EXPECT_TRUE(Near(Normalize(Vector3{0, 0, -2}), {0, 0, -1}));
    EXPECT_TRUE(Near(Normalize(Vector3{}), {0, 0, 0}));
    EXPECT_TRUE(Near(Normalize(Vector2{0, -5}), {0, -1}));
    EXPECT_TRUE(Near(Normalize(Vector2{}), {0, 0}));
    EXPECT_TRUE(Near(Normalize(Vector4{0, 0, 0, 2}), {0, 0, 0, 1}));
    EXPECT_TRUE(Near(Normalize(Vector4{}), {0, 0, 0, 0}));
}

TEST(VectorMath, CrossFollowsTheAxisCycleAndDotAndLengthAreEuclidean)
{
    EXPECT_TRUE(Near(Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(Near(Cross({0, 1, 0}, {0, 0, 1}), {1, 0, 0}));
    EXPECT_TRUE(Near(Cross({0, 0, 1}, {1, 0, 0}), {0, 1, 0}));
    EXPECT_TRUE(Near(Cross({0, 1, 0}, {1, 0, 0}), {0, 0, -1}));
    EXPECT_FLOAT_EQ(Dot(Vector3{1, 2, 3}, Vector3{4, 5, 6}), 32.0f);
    EXPECT_FLOAT_EQ(Length(Vector3{2, 3, 6}), 7.0f);
    EXPECT_FLOAT_EQ(Length(Vector2{-6, 8}), 10.0f);
}

TEST(VectorMath, LerpRunsFromTheFirstToTheSecond)
{
    const Vector3 a{0, 0, 0}, b{10, -2, 4};
    EXPECT_TRUE(Near(Lerp(a, b, 0.0f), a));
    EXPECT_TRUE(Near(Lerp(a, b, 0.25f), {2.5f, -0.5f, 1.0f}));
    EXPECT_TRUE(Near(Lerp(a, b, 1.0f), b));
}

TEST(VectorMath, PlaneNormaliseScalesAllFourTermsByTheNormalLength)
{
    // 2z - 4 = 0 is the plane z = 2.
    const Plane p = Normalize(Plane{0, 0, 2, -4});
    EXPECT_FLOAT_EQ(p.c, 1.0f);
    EXPECT_FLOAT_EQ(p.d, -2.0f);
    EXPECT_FLOAT_EQ(DotCoord(p, {7, 7, 5}), 3.0f); // 3 above the plane
    EXPECT_FLOAT_EQ(DotNormal(p, {7, 7, 5}), 5.0f);

    const Plane zero = Normalize(Plane{0, 0, 0, 3});
    EXPECT_EQ(zero.a, 0.0f);
    EXPECT_EQ(zero.d, 0.0f);
}
