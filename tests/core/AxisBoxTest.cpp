#include "core/AxisBox.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "core/BoundingBox.h"
#include "core/ShadowMatrix.h"
#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "support/MathExpect.h"

namespace {

constexpr float kQuarterTurn = 1.5707963f;

AxisBox MakeBox(const Vector3& minimum, const Vector3& maximum)
{
    AxisBox box;
    box.minimum = minimum;
    box.maximum = maximum;
    box.Recompute();
    return box;
}

// Restores the program-wide shadow matrix to its start-up state around each test.
class AxisBoxShadow : public ::testing::Test {
  protected:
    void SetUp() override { SetShadowMatrix(Matrix4{}); }
    void TearDown() override { SetShadowMatrix(Matrix4{}); }
};

} // namespace

TEST(AxisBox, StartsEmpty)
{
    const AxisBox box;
    EXPECT_TRUE(Near(box.minimum, {1e6f, 1e6f, 1e6f}));
    EXPECT_TRUE(Near(box.maximum, {-1e6f, -1e6f, -1e6f}));
    EXPECT_TRUE(box.IsEmpty());
}

TEST(AxisBox, SetFromBoxTakesTheWorldExtremes)
{
    CPBoundingBox oriented({1, 0, 0}, {1, 2, 3});
    oriented.worldMatrix = RotationMatrixZ(kQuarterTurn) * TranslationMatrix(10, 0, 0);
    oriented.Transform();
    AxisBox box;
    box.SetFromBox(oriented);
    EXPECT_TRUE(Near(box.minimum, {8, 0, -3}, 1e-4f));
    EXPECT_TRUE(Near(box.maximum, {12, 2, 3}, 1e-4f));
    EXPECT_TRUE(Near(box.halfSize, {2, 1, 3}, 1e-4f));
    EXPECT_TRUE(Near(box.centre, {10, 1, 0}, 1e-4f));
}

TEST(AxisBox, SetFromBoxesCoversThemAllAndNoBoxesLeaveItEmpty)
{
    std::vector<CPBoundingBox> boxes{CPBoundingBox({0, 0, 0}, {1, 1, 1}),
                                     CPBoundingBox({5, 0, 2}, {1, 2, 1})};
    for (CPBoundingBox& b : boxes)
        b.Transform();
    AxisBox box;
    box.SetFromBoxes(boxes);
    EXPECT_TRUE(Near(box.minimum, {-1, -2, -1}));
    EXPECT_TRUE(Near(box.maximum, {6, 2, 3}));
    EXPECT_TRUE(Near(box.centre, {2.5f, 0, 1}));
    EXPECT_TRUE(Near(box.halfSize, {3.5f, 2, 2}));

    box.SetFromBoxes({});
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_TRUE(Near(box.centre, {2.5f, 0, 1})); // left as it was

    AxisBox real = MakeBox({-1, -2, -3}, {1, 2, 3});
    real.Merge(box);
    EXPECT_TRUE(Near(real.minimum, {-1, -2, -3}));
    EXPECT_TRUE(Near(real.maximum, {1, 2, 3}));
}

TEST(AxisBox, MergeWidensAndRecomputes)
{
    AxisBox box = MakeBox({0, 0, 0}, {1, 1, 1});
    box.Merge(MakeBox({-3, 0.5f, 0.5f}, {0.5f, 0.6f, 4}));
    EXPECT_TRUE(Near(box.minimum, {-3, 0, 0}));
    EXPECT_TRUE(Near(box.maximum, {1, 1, 4}));
    EXPECT_TRUE(Near(box.centre, {-1, 0.5f, 2}));
    EXPECT_TRUE(Near(box.halfSize, {2, 0.5f, 2}));
}

// Extend takes per axis what FloatMin and FloatMax give, to the bit: a NaN
// on the other side leaves the box's value, a NaN of the box's own gives
// way, and of two equal values (signed zeros among them) the other's wins.
TEST(AxisBox, ExtendKeepsTheFloatMinAndMaxAnswersToTheBit)
{
    const float nan = std::nanf(""), inf = INFINITY;
    const float values[] = {-0.0f, 0.0f, 1.0f, -1.0f, nan, inf, -inf, 1e6f, -1e6f};
    for (float a : values) {
        for (float b : values) {
            AxisBox box;
            box.minimum = {a, b, a};
            box.maximum = {b, a, b};
            box.halfSize = {7.0f, 7.0f, 7.0f};
            AxisBox other;
            other.minimum = {b, a, 2.0f};
            other.maximum = {a, b, -2.0f};
            const Vector3 low = ComponentMin(box.minimum, other.minimum);
            const Vector3 high = ComponentMax(box.maximum, other.maximum);
            box.Extend(other);
            EXPECT_EQ(std::memcmp(&box.minimum, &low, sizeof low), 0) << a << " " << b;
            EXPECT_EQ(std::memcmp(&box.maximum, &high, sizeof high), 0) << a << " " << b;
            EXPECT_EQ(box.halfSize.x, 7.0f);
        }
    }
}

TEST(AxisBox, PointAndSphereTests)
{
    const AxisBox box = MakeBox({-1, -1, -1}, {1, 1, 1});
    struct PointCase {
        Vector3 point;
        bool inside;
    };
    const PointCase points[] = {
        {{0, 0, 0}, true},  {{0.99f, -0.99f, 0.5f}, true}, {{1, 0, 0}, false}, {{0, 0, -1}, false},
        {{2, 0, 0}, false},
    };
    for (const PointCase& c : points)
        EXPECT_EQ(box.Contains(c.point), c.inside) << c.point.x << " " << c.point.y << " " << c.point.z;

    struct SphereCase {
        Vector3 point;
        float radius;
        bool reaches;
    };
    const SphereCase spheres[] = {
        {{0, 0, 0}, 0, true},      // centre inside
        {{3, 0, 0}, 2, true},      // just touches the x face
        {{3, 0, 0}, 1.99f, false}, // just short of it
        {{2, 2, 0}, 1.5f, true},   // edge distance squared 2 <= 2.25
        {{2, 2, 0}, 1.4f, false},  // 2 > 1.96
    };
    for (const SphereCase& c : spheres) {
        EXPECT_EQ(box.IntersectsSphere(c.point, c.radius), c.reaches) << c.point.x << " r " << c.radius;
        EXPECT_EQ(box.DistanceSquared(c.point, c.radius), c.reaches);
    }
    EXPECT_FALSE(AxisBox().IntersectsSphere({0, 0, 0}, 100));
}

TEST(AxisBox, SegmentTest)
{
    const AxisBox box = MakeBox({-1, -1, -1}, {1, 1, 1});
    const float r = 0.70710678f;
    struct Case {
        const char* name;
        Vector3 origin, direction;
        float length;
        bool hit;
    };
    const Case cases[] = {
        {"through", {-5, 0, 0}, {1, 0, 0}, 10, true},
        {"stops short", {-5, 0, 0}, {1, 0, 0}, 3, false},
        {"ends on the face", {-5, 0, 0}, {1, 0, 0}, 4, true},
        {"starts inside", {0.5f, 0.5f, 0.5f}, {0, 0, 1}, 0.1f, true},
        {"passes beside", {-5, 2, 0}, {1, 0, 0}, 10, false},
        // Passes the corner (-1, 1) at a distance; only the cross-axis test rejects it.
        {"diagonal past a corner", {-3, 0, 0}, {r, r, 0}, 10, false},
        {"diagonal through", {-3, -2, 0}, {r, r, 0}, 10, true},
        {"point on a face", {1, 0, 0}, {1, 0, 0}, 0, true},
        {"point outside", {1.01f, 0, 0}, {1, 0, 0}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(box.IntersectSegment(c.origin, c.direction, c.length), c.hit);
        EXPECT_EQ(box.Transform(c.origin, c.direction, c.length), c.hit);
    }
}

TEST_F(AxisBoxShadow, ShadowWidensByTheImagesOfTheCorners)
{
    // Light along (1, 0, 1) onto z = 0: (x, y, z) casts (x - z, y, 0).
    SetShadowMatrix(ShadowMatrix({1, 0, 1, 0}, {0, 0, 1, 0}));
    AxisBox box = MakeBox({0, 0, 0}, {1, 1, 1});
    box.AddShadow();
    EXPECT_TRUE(Near(box.minimum, {-1, 0, 0}));
    EXPECT_TRUE(Near(box.maximum, {1, 1, 1}));
    EXPECT_TRUE(Near(box.centre, {0.5f, 0.5f, 0.5f})); // the caller recomputes
}

TEST_F(AxisBoxShadow, CornersWithoutAFiniteShadowAreSkipped)
{
    struct Case {
        const char* name;
        Matrix4 shadow;
        Vector3 minimum, maximum;
        Vector3 expectedMin, expectedMax;
    };
    const Case cases[] = {
        {"all-zero start-up matrix", Matrix4{}, {-1, -2, -3}, {1, 2, 3}, {-1, -2, -3}, {1, 2, 3}},
        {"light along the ground",
         ShadowMatrix({1, 0, 0, 0}, {0, 0, 1, 0}),
         {-1, -2, -3},
         {1, 2, 3},
         {-1, -2, -3},
         {1, 2, 3}},
        // Light at height 2: the top corners sit level with it (w = 0) and
        // are skipped; the bottom ones are their own shadows.
        {"corners level with a point light",
         ShadowMatrix({0, 0, 2, 1}, {0, 0, 1, 0}),
         {-1, -1, 0},
         {1, 1, 2},
         {-1, -1, 0},
         {1, 1, 2}},
        // Light at height 2 over a box 1 high: the top corners cast at twice their distance.
        {"point light above",
         ShadowMatrix({0, 0, 2, 1}, {0, 0, 1, 0}),
         {-1, -1, 0},
         {1, 1, 1},
         {-2, -2, 0},
         {2, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetShadowMatrix(c.shadow);
        AxisBox box = MakeBox(c.minimum, c.maximum);
        box.AddShadow();
        box.Recompute();
        EXPECT_TRUE(IsFinite(box.minimum) && IsFinite(box.maximum) && IsFinite(box.centre));
        EXPECT_TRUE(Near(box.minimum, c.expectedMin));
        EXPECT_TRUE(Near(box.maximum, c.expectedMax));
    }
}

TEST_F(AxisBoxShadow, AnEmptyBoxCastsNoShadow)
{
    SetShadowMatrix(ShadowMatrix({0.3f, 0.2f, 1, 0}, {0, 0, 1, 0}));
    AxisBox box;
    box.AddShadow();
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_TRUE(Near(box.minimum, {1e6f, 1e6f, 1e6f}));
}

// The shadow of a box under a light at infinity is found from its extremes
// rather than corner by corner; it must be the very box the corners give,
// to the bit, or a seeded race would not repeat. The reference here is the
// corner-by-corner widening.
TEST_F(AxisBoxShadow, TheShadowOfALightAtInfinityIsTheOneItsCornersCast)
{
    const auto cornerByCorner = [](AxisBox box) {
        const Vector3 lo = box.minimum, hi = box.maximum;
        for (int i = 0; i < 8; ++i) {
            const Vector3 corner{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
            const Vector4 h = TransformHomogeneous(corner, GetShadowMatrix());
            if (h.w == 0.0f)
                continue;
            const Vector3 image{h.x / h.w, h.y / h.w, h.z / h.w};
            if (!IsFinite(image))
                continue;
            box.minimum = ComponentMin(box.minimum, image);
            box.maximum = ComponentMax(box.maximum, image);
        }
        return box;
    };
    // A sun straight overhead gives w = 1 on the ground planes of unit
    // normal, as on the sample level.
    const Vector4 lights[] = {{0.3f, -0.2f, -1, 0},
                              {-0.71f, 0.13f, -0.4f, 0},
                              {0.05f, 0.9f, -0.33f, 0},
                              {0.3f, -0.2f, 1, 0},
                              {0, 0, -1, 0}};
    const Plane grounds[] = {{0, 0, 1, 0}, {0, 0, -1, 2.5f}, {0.1f, -0.2f, 0.97f, -1.3f}};
    const Vector3 minima[] = {{-1.37f, 2.11f, 0.031f}, {103.7f, -58.3f, -0.77f}, {-0.5f, -0.5f, -0.5f}};
    const Vector3 sizes[] = {{0.9f, 1.73f, 0.41f}, {4.1f, 2.2f, 1.3f}, {0.001f, 0.002f, 0.003f}};
    for (const Vector4& light : lights) {
        for (const Plane& ground : grounds) {
            SetShadowMatrix(ShadowMatrix(light, ground));
            for (const Vector3& minimum : minima) {
                for (const Vector3& size : sizes) {
                    const AxisBox box = MakeBox(minimum, minimum + size);
                    AxisBox fast = box;
                    fast.AddShadow();
                    const AxisBox expected = cornerByCorner(box);
                    EXPECT_EQ(fast.minimum.x, expected.minimum.x);
                    EXPECT_EQ(fast.minimum.y, expected.minimum.y);
                    EXPECT_EQ(fast.minimum.z, expected.minimum.z);
                    EXPECT_EQ(fast.maximum.x, expected.maximum.x);
                    EXPECT_EQ(fast.maximum.y, expected.maximum.y);
                    EXPECT_EQ(fast.maximum.z, expected.maximum.z);
                }
            }
        }
    }

    // Boxes whose products overflow or that are not finite themselves, and
    // a matrix with an infinite entry: whichever way the shadow is found,
    // it is the corners' one, NaN and sign of zero included.
    Matrix4 infiniteEntry = ShadowMatrix(lights[0], grounds[0]);
    infiniteEntry.m[1][0] = INFINITY;
    const Matrix4 matrices[] = {ShadowMatrix(lights[0], grounds[0]), ShadowMatrix(lights[1], grounds[2]),
                                infiniteEntry, ShadowMatrix(lights[4], {0, 0, -1, 0.5f})};
    const float huge = 3e38f;
    const AxisBox extremeBoxes[] = {
        MakeBox({-huge, -1, 0}, {huge, 1, 2}), MakeBox({-1, -1, -huge}, {1, 1, huge}),
        MakeBox({-INFINITY, 0, 0}, {1, 1, 1}), MakeBox({0, 0, 0}, {1, INFINITY, 1}),
        MakeBox({0, NAN, 0}, {1, 1, 1}),       MakeBox({-1e20f, -1e20f, -1e20f}, {1e20f, 1e20f, 1e20f}),
        MakeBox({0, 0, 0}, {0, 0, 0}),
    };
    for (const Matrix4& matrix : matrices) {
        SetShadowMatrix(matrix);
        for (const AxisBox& box : extremeBoxes) {
            AxisBox fast = box;
            fast.AddShadow();
            const AxisBox expected = cornerByCorner(box);
            EXPECT_EQ(std::memcmp(&fast.minimum, &expected.minimum, sizeof(Vector3)), 0)
                << box.minimum.x << " " << box.minimum.y << " " << box.minimum.z;
            EXPECT_EQ(std::memcmp(&fast.maximum, &expected.maximum, sizeof(Vector3)), 0)
                << box.maximum.x << " " << box.maximum.y << " " << box.maximum.z;
        }
    }
}
