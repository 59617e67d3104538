#include "core/BoundingBox.h"

#include <cmath>
#include <cstring>
#include <utility>

#include <gtest/gtest.h>

#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "support/MathExpect.h"

namespace {

constexpr float kQuarterTurn = 1.5707963f;

CPBoundingBox UnitBox(const Matrix4& world = IdentityMatrix())
{
    CPBoundingBox box({0, 0, 0}, {1, 1, 1});
    box.worldMatrix = world;
    box.Transform();
    return box;
}

::testing::AssertionResult SamePlane(const Plane& actual, const Plane& expected)
{
    return Near(Vector4{actual.a, actual.b, actual.c, actual.d},
                Vector4{expected.a, expected.b, expected.c, expected.d});
}

} // namespace

TEST(BoundingBox, ConstructionGivesExtremesAndIdentityMatrices)
{
    const CPBoundingBox box({1, 2, 3}, {0.5f, 1, 2});
    EXPECT_TRUE(Near(box.minimum, {0.5f, 1, 1}));
    EXPECT_TRUE(Near(box.maximum, {1.5f, 3, 5}));
    EXPECT_TRUE(IsIdentity(box.orientation));
    EXPECT_TRUE(IsIdentity(box.worldMatrix));
    EXPECT_TRUE(IsIdentity(box.localMatrix));

    CPBoundingBox copy({0, 0, 0}, {9, 9, 9});
    copy = box;
    EXPECT_TRUE(Near(copy.centre, {1, 2, 3}));
    EXPECT_TRUE(Near(copy.halfExtents, {0.5f, 1, 2}));
}

TEST(BoundingBox, TransformPlacesCornersByTheWorldMatrix)
{
    // Turned a quarter about z (x -> y, y -> -x), then moved 10 along x.
    CPBoundingBox box({1, 0, 0}, {1, 2, 3});
    box.worldMatrix = RotationMatrixZ(kQuarterTurn) * TranslationMatrix(10, 0, 0);
    box.Transform();
    EXPECT_TRUE(Near(box.Corners()[0], {12, 0, -3}, 1e-4f)); // local (0, -2, -3)
    EXPECT_TRUE(Near(box.Corners()[6], {8, 2, 3}, 1e-4f));   // local (2, 2, 3)
    EXPECT_TRUE(Near(box.minimum, {8, 0, -3}, 1e-4f));
    EXPECT_TRUE(Near(box.maximum, {12, 2, 3}, 1e-4f));
}

TEST(BoundingBox, TransformGivesFlatBoxesAThickness)
{
    CPBoundingBox box({0, 0, 0}, {2, 0, -1});
    box.Transform();
    EXPECT_TRUE(Near(box.halfExtents, {2, 0.001f, 0.001f}));
    EXPECT_TRUE(Near(box.minimum, {-2, -0.001f, -0.001f}));
    EXPECT_TRUE(Near(box.maximum, {2, 0.001f, 0.001f}));
}

TEST(BoundingBox, FaceNormalsPointOutOfTheBox)
{
    // Unit box: face 1 through corners 1, 5, 6 is x = 1, with n = (C - A) x (B - A) = (4, 0, 0).
    const CPBoundingBox box = UnitBox();
    EXPECT_TRUE(SamePlane(box.Faces()[0], {0, 0, -4, -4}));
    EXPECT_TRUE(SamePlane(box.Faces()[1], {4, 0, 0, -4}));
    EXPECT_TRUE(SamePlane(box.Faces()[3], {-4, 0, 0, -4}));

    // Outward directions, unturned and turned a quarter about z.
    const Vector3 plain[6] = {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    const Vector3 turned[6] = {{0, 0, -1}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    const CPBoundingBox rotated = UnitBox(RotationMatrixZ(kQuarterTurn) * TranslationMatrix(5, 5, 0));
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(Near(Normalize(Vector3{box.Faces()[f].a, box.Faces()[f].b, box.Faces()[f].c}), plain[f]));
        const Plane& p = rotated.Faces()[f];
        EXPECT_TRUE(Near(Normalize(Vector3{p.a, p.b, p.c}), turned[f]));
        EXPECT_LT(DotCoord(p, {5, 5, 0}), 0.0f); // the centre is inside every face
    }
}

TEST(BoundingBox, RayHitsTheFaceItEntersFirst)
{
    struct Case {
        const char* name;
        Matrix4 world;
        Vector3 origin, direction;
        float limit;
        bool hit;
        float distance; // the limit when nothing is hit
        int face;       // -1: no face is stored
    };
    const Matrix4 identity = IdentityMatrix();
    const Case cases[] = {
        {"from inside", identity, {0.2f, 0.3f, -0.5f}, {1, 0, 0}, 100, true, 0, -1},
        {"through the middle of the low face", identity, {0, 0, -5}, {0, 0, 1}, 100, true, 4, 0},
        {"off the middle", identity, {0.5f, -0.3f, -5}, {0, 0, 1}, 100, true, 4, 0},
        {"direction not unit", identity, {0, 0, -5}, {0, 0, 2}, 100, true, 2, 0},
        {"from the -x side", identity, {-5, 0.5f, 0}, {1, 0, 0}, 100, true, 4, 3},
        // Meets the plane y = -1 first (t = 3), but outside that face.
        {"slanted past the y face", identity, {-5, -4, 0}, {1, 1, 0}, 100, true, 4, 3},
        {"behind, pointing away", identity, {0, 0, 5}, {0, 0, 1}, 100, false, 100, -1},
        {"beside", identity, {3, 0, -5}, {0, 0, 1}, 100, false, 100, -1},
        {"beyond the limit", identity, {0, 0, -5}, {0, 0, 1}, 3, false, 3, -1},
        {"along a face", identity, {-5, 1, 0}, {1, 0, 0}, 100, false, 100, -1},
        // Turned a quarter about z and moved to x = 5: its local +y face now faces -x.
        {"turned box",
         RotationMatrixZ(kQuarterTurn) * TranslationMatrix(5, 0, 0),
         {0, 0.5f, 0},
         {1, 0, 0},
         100,
         true,
         4,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CPBoundingBox box = UnitBox(c.world);
        float nearest = c.limit;
        Plane face{7, 7, 7, 7};
        EXPECT_EQ(box.IntersectRay(c.origin, c.direction, nearest, face), c.hit);
        EXPECT_NEAR(nearest, c.distance, 1e-4f);
        if (c.face < 0)
            EXPECT_TRUE(SamePlane(face, {7, 7, 7, 7}));
        else
            EXPECT_TRUE(SamePlane(face, box.Faces()[c.face]));
    }
}

TEST(BoundingBox, ANearerBoxKeepsTheRayShort)
{
    CPBoundingBox far({10, 0, 0}, {1, 1, 1});
    CPBoundingBox near({3, 0, 0}, {1, 1, 1});
    far.Transform();
    near.Transform();
    float nearest = 1000;
    Plane face;
    EXPECT_TRUE(far.IntersectRay({0, 0, 0}, {1, 0, 0}, nearest, face));
    EXPECT_FLOAT_EQ(nearest, 9);
    EXPECT_TRUE(near.IntersectRay({0, 0, 0}, {1, 0, 0}, nearest, face));
    EXPECT_FLOAT_EQ(nearest, 2);
    EXPECT_FALSE(far.IntersectRay({0, 0, 0}, {1, 0, 0}, nearest, face));
    EXPECT_FLOAT_EQ(nearest, 2);
}

TEST(BoundingBox, AnUntransformedBoxIsNeverHit)
{
    // Faces are all zero until Transform: no point is inside and no face is entered.
    const CPBoundingBox box({0, 0, 0}, {1, 1, 1});
    float nearest = 100;
    Plane face;
    EXPECT_FALSE(box.IntersectRay({0, 0, 0}, {1, 0, 0}, nearest, face));
    EXPECT_EQ(nearest, 100);
}

// The corners share their products; each must still be exactly the point
// the box's matrix gives for it, for a placement and for a matrix with a
// projective column alike.
TEST(BoundingBox, EveryCornerIsItsLocalCornerCarriedByTheMatrix)
{
    Matrix4 projective = RotationMatrixYawPitchRoll(0.4f, -0.2f, 1.1f);
    projective.m[0][3] = 0.05f;
    projective.m[2][3] = -0.02f;
    projective.m[3][3] = 1.3f;
    const Matrix4 matrices[] = {
        IdentityMatrix(),
        RotationMatrixYawPitchRoll(0.3f, 0.1f, 0.2f) * TranslationMatrix(10.7f, -20.3f, 0.45f),
        RotationMatrixZ(2.9f) * TranslationMatrix(-311.1f, 57.9f, 3.3f),
        projective,
    };
    const float signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                               {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (const Matrix4& matrix : matrices) {
        CPBoundingBox box({0.13f, -1.7f, 0.9f}, {2.05f, 0.77f, 0.31f});
        box.worldMatrix = matrix;
        box.Transform();
        for (int i = 0; i < 8; ++i) {
            const Vector3 local{box.centre.x + signs[i][0] * box.halfExtents.x,
                                box.centre.y + signs[i][1] * box.halfExtents.y,
                                box.centre.z + signs[i][2] * box.halfExtents.z};
            const Vector3 expected = TransformPoint(local, matrix);
            EXPECT_EQ(box.Corners()[i].x, expected.x) << i;
            EXPECT_EQ(box.Corners()[i].y, expected.y) << i;
            EXPECT_EQ(box.Corners()[i].z, expected.z) << i;
        }
    }
}

// The extremes come straight from the placement where they can; they must
// be the very bits the corners give, one by one, for placements with
// corners on zero (whose sign depends on the corner), mirrored ones, a
// projective column, and after the matrix has changed without a Transform.
TEST(BoundingBox, ExtremesAreThoseOfTheCornersBitForBit)
{
    Matrix4 projective = RotationMatrixYawPitchRoll(0.4f, -0.2f, 1.1f);
    projective.m[1][3] = 0.07f;
    projective.m[3][3] = 0.9f;
    struct Case {
        Vector3 centre, halfExtents;
        Matrix4 matrix;
    };
    const Case cases[] = {
        {{0.13f, -1.7f, 0.9f}, {2.05f, 0.77f, 0.31f}, RotationMatrixYawPitchRoll(0.3f, 0.1f, 0.2f)},
        {{1, 0, 0}, {1, 2, 3}, RotationMatrixZ(kQuarterTurn) * TranslationMatrix(10, 0, 0)},
        // A corner exactly on each plane of the axes.
        {{1, 1, 1}, {1, 1, 1}, IdentityMatrix()},
        {{-1, 1, -1}, {1, 1, 1}, ScalingMatrix(-1, 1, -1)},
        {{0.2f, 0.1f, -0.4f},
         {0.5f, 0.25f, 0.125f},
         ScalingMatrix(-2, 1, 3) * RotationMatrixYawPitchRoll(2.1f, 0.7f, -1.3f) *
             TranslationMatrix(-7, 3, 1)},
        {{0.3f, 0.3f, 0.3f}, {0.6f, 0.1f, 0.2f}, projective},
    };
    for (const Case& c : cases) {
        CPBoundingBox box(c.centre, c.halfExtents);
        box.worldMatrix = c.matrix;
        box.Transform();
        // The corners follow the placement Transform saw.
        box.worldMatrix = TranslationMatrix(100, 100, 100);
        const Vector3* corners = box.Corners();
        Vector3 low = corners[0], high = corners[0];
        for (int i = 1; i < 8; ++i) {
            low = ComponentMin(low, corners[i]);
            high = ComponentMax(high, corners[i]);
        }
        const Vector3 expected = TransformPoint(c.centre - c.halfExtents, c.matrix);
        EXPECT_EQ(corners[0].x, expected.x);
        for (const auto& [actual, wanted] : {std::pair{box.minimum, low}, std::pair{box.maximum, high}}) {
            EXPECT_EQ(std::signbit(actual.x), std::signbit(wanted.x));
            EXPECT_EQ(std::signbit(actual.y), std::signbit(wanted.y));
            EXPECT_EQ(std::signbit(actual.z), std::signbit(wanted.z));
            EXPECT_EQ(actual.x, wanted.x);
            EXPECT_EQ(actual.y, wanted.y);
            EXPECT_EQ(actual.z, wanted.z);
        }
    }

    // Boxes and placements whose products overflow or are not numbers:
    // an infinite or NaN entry, an infinite entry met by a zero extreme,
    // and an extreme that overflows to infinity against a zero entry (its
    // product is NaN while the other side's is finite). The extremes are
    // still the corners' ones, to the bit.
    Matrix4 infiniteEntry = RotationMatrixYawPitchRoll(0.3f, 0.1f, 0.2f);
    infiniteEntry.m[1][2] = INFINITY;
    Matrix4 nanEntry = RotationMatrixZ(0.7f) * TranslationMatrix(1, 2, 3);
    nanEntry.m[0][1] = NAN;
    Matrix4 infiniteTranslation = TranslationMatrix(1, 2, 3);
    infiniteTranslation.m[3][1] = -INFINITY;
    const float huge = 3e38f;
    const Case extremeCases[] = {
        {{0, 0, 0}, {huge, 1, 1}, ScalingMatrix(4, 1, 1)},
        {{0.5f, 0, 0}, {0.5f, 1, 1}, infiniteEntry},
        {{0, 1, 0}, {1, 1, 1}, infiniteEntry},
        {{0.2f, 0.3f, 0.4f}, {1, 1, 1}, nanEntry},
        {{0.2f, 0.3f, 0.4f}, {1, 1, 1}, infiniteTranslation},
        {{huge, 0.1f, 0.2f}, {1e38f, 1, 1}, IdentityMatrix()},
        {{huge, 0.1f, 0.2f}, {1e38f, 1, 1}, RotationMatrixZ(kQuarterTurn)},
        // Only the overflowing extreme's products with the flattened axis
        // go wrong: every sum is finite and not zero.
        {{huge, 0.1f, 0.2f}, {1e38f, 1, 1}, ScalingMatrix(0, 1, 1) * TranslationMatrix(1, 2, 3)},
        {{0, 0, 0}, {INFINITY, 1, 1}, IdentityMatrix()},
        {{NAN, 0, 0}, {1, 1, 1}, RotationMatrixYawPitchRoll(0.3f, 0.1f, 0.2f)},
    };
    for (const Case& c : extremeCases) {
        CPBoundingBox box(c.centre, c.halfExtents);
        box.worldMatrix = c.matrix;
        box.Transform();
        const Vector3* corners = box.Corners();
        Vector3 low = corners[0], high = corners[0];
        for (int i = 1; i < 8; ++i) {
            low = ComponentMin(low, corners[i]);
            high = ComponentMax(high, corners[i]);
        }
        EXPECT_EQ(std::memcmp(&box.minimum, &low, sizeof low), 0)
            << c.centre.x << " " << c.halfExtents.x << ": " << box.minimum.x << " " << box.minimum.y << " "
            << box.minimum.z;
        EXPECT_EQ(std::memcmp(&box.maximum, &high, sizeof high), 0)
            << c.centre.x << " " << c.halfExtents.x << ": " << box.maximum.x << " " << box.maximum.y << " "
            << box.maximum.z;
    }
}
