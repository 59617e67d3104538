#include "core/Frame.h"

#include <gtest/gtest.h>

#include "platform/VectorMath.h"
#include "support/MathExpect.h"

TEST(Frame, StartsResetWithTheSideTurnedFromTheDirection)
{
    CPFrame frame;
    EXPECT_TRUE(Near(frame.GetSide(), {-1, 0, 0}));
    EXPECT_TRUE(Near(frame.GetUp(), {0, 0, 1}));
    EXPECT_TRUE(Near(frame.GetDirection(), {0, 1, 0}));
    EXPECT_TRUE(Near(frame.GetPosition(), {0, 0, 0}));
    EXPECT_TRUE(frame.IsRightHanded());

    // Rebuilding the side of the same axes gives direction x up instead.
    frame.UpdateSide();
    EXPECT_TRUE(Near(frame.GetSide(), {1, 0, 0}));

    frame.SetPosition(4, 5, 6);
    frame.SetDirectionNormalized({1, 1, 0});
    frame.Reset();
    EXPECT_TRUE(Near(frame.GetSide(), {-1, 0, 0}));
    EXPECT_TRUE(Near(frame.GetPosition(), {0, 0, 0}));
}

TEST(Frame, SettersStoreAndReturnTheValue)
{
    CPFrame frame;
    EXPECT_TRUE(Near(frame.SetSide(1, 2, 3), {1, 2, 3}));
    EXPECT_TRUE(Near(frame.SetUp(4, 5, 6), {4, 5, 6}));
    EXPECT_TRUE(Near(frame.SetDirection(7, 8, 9), {7, 8, 9}));
    EXPECT_TRUE(Near(frame.SetPosition(-1, -2, -3), {-1, -2, -3}));
    EXPECT_TRUE(Near(frame.GetSide(), {1, 2, 3}));
    EXPECT_TRUE(Near(frame.GetUp(), {4, 5, 6}));
    EXPECT_TRUE(Near(frame.GetDirection(), {7, 8, 9}));
    EXPECT_TRUE(Near(frame.GetPosition(), {-1, -2, -3}));
}

TEST(Frame, LocalCoordinatesRunAlongSideDirectionAndUp)
{
    // Looking along +x from (10, 0, 0): side = x cross z = (0, -1, 0), up stays z.
    CPFrame frame;
    frame.SetPosition(10, 0, 0);
    frame.SetDirectionAndUp({3, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(Near(frame.GetDirection(), {1, 0, 0}));
    EXPECT_TRUE(Near(frame.GetSide(), {0, -1, 0}));
    EXPECT_TRUE(Near(frame.GetUp(), {0, 0, 1}));

    // (12, -1, 5) is 2 ahead, 1 along the side and 5 up.
    EXPECT_TRUE(Near(frame.WorldToLocalPoint({12, -1, 5}), {1, 2, 5}));
    EXPECT_TRUE(Near(frame.WorldToLocalVector({12, -1, 5}), {1, 12, 5}));
    EXPECT_TRUE(Near(frame.LocalToWorldPoint({1, 2, 5}), {12, -1, 5}));
    EXPECT_TRUE(Near(frame.LocalToWorldVector({1, 2, 5}), {2, -1, 5}));
    EXPECT_TRUE(Near(frame.WorldToLocalPoint(frame.GetPosition()), {0, 0, 0}));
}

TEST(Frame, PointsSurviveTheRoundTripThroughAnyOrthonormalFrame)
{
    struct Case {
        const char* name;
        Vector3 direction, up, position;
    };
    const Case cases[] = {
        {"along y", {0, 1, 0}, {0, 0, 1}, {0, 0, 0}},
        {"diagonal", {1, 1, 0}, {0, 0, 1}, {3, -2, 1}},
        {"climbing", {0, 2, 1}, {0, 0, 5}, {-7, 0, 2}},
        {"tilted up", {1, 0, 0}, {0, 1, 1}, {0, 4, 4}},
    };
    const Vector3 points[] = {{0, 0, 0}, {1, 2, 3}, {-5, 0.5f, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPFrame frame;
        frame.SetPosition(c.position.x, c.position.y, c.position.z);
        frame.SetDirectionAndUp(c.direction, c.up);
        EXPECT_NEAR(Length(frame.GetSide()), 1.0f, 1e-5f);
        EXPECT_NEAR(Length(frame.GetDirection()), 1.0f, 1e-5f);
        EXPECT_NEAR(Length(frame.GetUp()), 1.0f, 1e-5f);
        EXPECT_NEAR(Dot(frame.GetUp(), frame.GetDirection()), 0.0f, 1e-5f);
        for (const Vector3& p : points) {
            EXPECT_TRUE(Near(frame.LocalToWorldPoint(frame.WorldToLocalPoint(p)), p, 1e-4f));
            EXPECT_TRUE(Near(frame.WorldToLocalVector(frame.LocalToWorldVector(p)), p, 1e-4f));
        }
    }
    // The reset frame is orthonormal too.
    CPFrame reset;
    EXPECT_TRUE(Near(reset.LocalToWorldPoint(reset.WorldToLocalPoint({1, 2, 3})), {1, 2, 3}));
}

TEST(Frame, DegenerateDirectionsLeaveZeroAxesInsteadOfNaN)
{
    struct Case {
        const char* name;
        void (*apply)(CPFrame&);
        Vector3 side, up, direction;
    };
    const Case cases[] = {
        {"normalised along up",
         [](CPFrame& f) {
             f.SetDirectionNormalized({0, 0, 2});
         },
         {0, 0, 0},
         {0, 0, 0},
         {0, 0, 1}},
        {"normalised zero",
         [](CPFrame& f) {
             f.SetDirectionNormalized({0, 0, 0});
         },
         {0, 0, 0},
         {0, 0, 0},
         {0, 0, 0}},
        {"direction and up parallel",
         [](CPFrame& f) {
             f.SetDirectionAndUp({0, 0, -3}, {0, 0, 1});
         },
         {0, 0, 0},
         {0, 0, 0},
         {0, 0, -1}},
        {"zero up",
         [](CPFrame& f) {
             f.SetDirectionAndUp({1, 0, 0}, {0, 0, 0});
         },
         {0, 0, 0},
         {0, 0, 0},
         {1, 0, 0}},
        // Not normalised: up takes the length of the direction.
        {"orthogonal, long",
         [](CPFrame& f) {
             f.SetDirectionOrthogonal({0, 3, 0});
         },
         {1, 0, 0},
         {0, 0, 3},
         {0, 3, 0}},
        // Not perpendicular to up: up is rebuilt perpendicular to it.
        {"normalised, climbing",
         [](CPFrame& f) {
             f.SetDirectionNormalized({0, 3, 4});
         },
         {1, 0, 0},
         {0, -0.8f, 0.6f},
         {0, 0.6f, 0.8f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPFrame frame;
        c.apply(frame);
        EXPECT_TRUE(Near(frame.GetSide(), c.side));
        EXPECT_TRUE(Near(frame.GetUp(), c.up));
        EXPECT_TRUE(Near(frame.GetDirection(), c.direction));
    }
}

TEST(Frame, TurnsAreQuarterTurnsAboutUp)
{
    CPFrame frame;
    EXPECT_TRUE(Near(frame.TurnLocal({1, 2, 3}), {-2, 1, 3}));
    // Reset frame: the local turn of the direction is minus the side axis.
    EXPECT_TRUE(Near(frame.TurnWorld(frame.GetDirection()), {1, 0, 0}));

    // A frame built from a direction turns the world direction onto -side.
    frame.SetDirectionNormalized({1, 0, 0});
    EXPECT_TRUE(Near(frame.TurnWorld({1, 0, 0}), {0, 1, 0}));
    EXPECT_TRUE(Near(frame.TurnWorld({0, 0, 1}), {0, 0, 1}));
}

TEST(Frame, ALeftHandedFrameMirrorsItsCrossProducts)
{
    struct LeftHanded : CPFrame {
        bool IsRightHanded() const override { return false; }
    };
    LeftHanded frame;
    frame.SetDirectionNormalized({0, 1, 0});
    EXPECT_TRUE(Near(frame.GetSide(), {-1, 0, 0}));
    EXPECT_TRUE(Near(frame.GetUp(), {0, 0, 1}));
    EXPECT_TRUE(Near(frame.TurnLocal({1, 2, 3}), {2, -1, 3}));
}

TEST(Frame, TheCoreFrameIsOneInstanceInTheResetState)
{
    EXPECT_EQ(&GetCoreFrame(), &GetCoreFrame());
    EXPECT_TRUE(Near(GetCoreFrame().GetSide(), {-1, 0, 0}));
}
