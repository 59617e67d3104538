#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "physics/BoxTriangle.h"

namespace {

struct Point {
    btVector3 normal, onTriangle;
    float depth;
};

struct Collected : btDiscreteCollisionDetectorInterface::Result {
    std::vector<Point> points;
    void setShapeIdentifiersA(int, int) override {}
    void setShapeIdentifiersB(int, int) override {}
    void addContactPoint(const btVector3& normal, const btVector3& point, btScalar depth) override
    {
        points.push_back({normal, point, depth});
    }
};

btTransform Placed(const btVector3& at, float degreesAboutX = 0.0f)
{
    btQuaternion turn(btVector3(1, 0, 0), degreesAboutX * SIMD_PI / 180.0f);
    return btTransform(turn, at);
}

// A unit cube's contacts with one triangle: how many, how deep, the normal,
// and a point that must lie within the triangle's side of x.
struct Case {
    const char* name;
    btTransform box;
    btVector3 corners[3];
    float threshold;
    bool found;
    int points;
    float depth; // of every point
    btVector3 normal;
    float maxX; // every point at x <= maxX
};

// A wide triangle in the plane z = 0, its normal up; another the other way
// round; one whose edge x = 0.2 runs under the box.
const btVector3 kWide[3] = {{-10, -10, 0}, {10, -10, 0}, {0, 10, 0}};
const btVector3 kWideDown[3] = {{-10, -10, 0}, {0, 10, 0}, {10, -10, 0}};
const btVector3 kHalf[3] = {{0.2f, -10, 0}, {0.2f, 10, 0}, {-10, 0, 0}};

} // namespace

TEST(BoxTriangle, ContactsFollowTheBoxsPlaceOnTheTriangle)
{
    const btVector3 up(0, 0, 1);
    const Case cases[] = {
        {"resting, a little into it",
         Placed({0, 0, 0.49f}),
         {kWide[0], kWide[1], kWide[2]},
         0.05f,
         true,
         4,
         -0.01f,
         up,
         0.5f},
        {"wound the other way",
         Placed({0, 0, 0.49f}),
         {kWideDown[0], kWideDown[1], kWideDown[2]},
         0.05f,
         true,
         4,
         -0.01f,
         up,
         0.5f},
        {"just above, within reach",
         Placed({0, 0, 0.53f}),
         {kWide[0], kWide[1], kWide[2]},
         0.05f,
         true,
         4,
         0.03f,
         up,
         0.5f},
        {"above, out of reach",
         Placed({0, 0, 0.6f}),
         {kWide[0], kWide[1], kWide[2]},
         0.05f,
         false,
         0,
         0,
         up,
         0},
        {"beside the triangle",
         Placed({0.9f, 0, 0.49f}),
         {kHalf[0], kHalf[1], kHalf[2]},
         0.05f,
         false,
         0,
         0,
         up,
         0},
        // On the ground a little beside the triangle: nothing holds the box
        // back from it, though it is within reach.
        {"beside the triangle, within reach",
         Placed({0.72f, 0, 0.5f}),
         {kHalf[0], kHalf[1], kHalf[2]},
         0.05f,
         true,
         0,
         0,
         up,
         0},
        // A sliver over its edge, resting on the ground: held up, not
        // pushed back off the edge.
        {"a sliver over the edge",
         Placed({0.69f, 0, 0.495f}),
         {kHalf[0], kHalf[1], kHalf[2]},
         0.05f,
         true,
         4,
         -0.005f,
         up,
         0.2f + 1e-4f},
        {"half over the edge",
         Placed({0, 0, 0.49f}),
         {kHalf[0], kHalf[1], kHalf[2]},
         0.05f,
         true,
         4,
         -0.01f,
         up,
         0.2f + 1e-4f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        btBoxShape box(btVector3(0.5f, 0.5f, 0.5f));
        box.setMargin(0.02f);
        Collected result;
        EXPECT_EQ(PhCollideBoxTriangle(box, c.box, c.corners, c.threshold, result), c.found);
        ASSERT_EQ(static_cast<int>(result.points.size()), c.points);
        for (const Point& p : result.points) {
            EXPECT_NEAR(p.depth, c.depth, 1e-4f);
            EXPECT_NEAR(p.normal.dot(c.normal), 1.0f, 1e-5f);
            EXPECT_NEAR(p.onTriangle.z(), 0.0f, 1e-5f); // on the triangle's plane
            EXPECT_LE(p.onTriangle.x(), c.maxX);
            EXPECT_LE(std::fabs(p.onTriangle.y()), 0.5f + 1e-4f);
        }
    }
}

// A box turned about x, one edge down into the ground: the points lie
// along that edge and the deepest is as deep as the edge goes.
TEST(BoxTriangle, ATiltedBoxTouchesAlongItsLowEdge)
{
    btBoxShape box(btVector3(0.5f, 0.5f, 0.5f));
    box.setMargin(0.02f);
    const float lowest =
        0.5f * (std::cos(SIMD_PI / 6) + std::sin(SIMD_PI / 6)); // half height turned 30 degrees
    const btTransform at = Placed({0, 0, lowest - 0.01f}, 30.0f);
    Collected result;
    ASSERT_TRUE(PhCollideBoxTriangle(box, at, kWide, 0.05f, result));
    ASSERT_GE(result.points.size(), 2u);
    float deepest = 1.0f;
    for (const Point& p : result.points) {
        EXPECT_GT(p.normal.z(), 0.8f);
        EXPECT_LE(p.depth, 0.05f);
        deepest = std::min(deepest, p.depth);
        // The low edge runs along x, at the box's lowest y.
        const btVector3 onBox = p.onTriangle + p.normal * p.depth;
        EXPECT_NEAR(onBox.z(), -0.01f, 0.03f);
    }
    EXPECT_NEAR(deepest, -0.01f, 0.005f);
}
