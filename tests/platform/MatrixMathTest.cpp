#include "platform/MatrixMath.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/VectorMath.h"
#include "support/MathExpect.h"

namespace {
constexpr float kQuarterTurn = 1.5707963f;
}

TEST(MatrixMath, PositiveQuarterTurnsMoveEachAxisToTheNext)
{
    struct Case {
        const char* name;
        Matrix4 m;
        Vector3 in, out;
    };
    const float third = 2.0943951f; // 120 degrees: about (1, 1, 1) x -> y -> z
    const Case cases[] = {
        {"about z", RotationMatrixZ(kQuarterTurn), {1, 0, 0}, {0, 1, 0}},
        {"about z, y", RotationMatrixZ(kQuarterTurn), {0, 1, 0}, {-1, 0, 0}},
        {"about x", RotationMatrixX(kQuarterTurn), {0, 1, 0}, {0, 0, 1}},
        {"about y", RotationMatrixY(kQuarterTurn), {0, 0, 1}, {1, 0, 0}},
        {"axis (0,0,2)", RotationMatrixAxis({0, 0, 2}, kQuarterTurn), {1, 0, 0}, {0, 1, 0}},
        {"axis (1,1,1)", RotationMatrixAxis({1, 1, 1}, third), {1, 0, 0}, {0, 1, 0}},
        {"axis (1,1,1), z", RotationMatrixAxis({1, 1, 1}, third), {0, 0, 1}, {1, 0, 0}},
        {"zero axis", RotationMatrixAxis({0, 0, 0}, kQuarterTurn), {1, 2, 3}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Near(TransformNormal(c.in, c.m), c.out));
        EXPECT_TRUE(Near(TransformPoint(c.in, c.m), c.out));
    }
    EXPECT_TRUE(IsIdentity(RotationMatrixAxis({0, 0, 0}, 1.0f)));
}

TEST(MatrixMath, TranslationLivesInTheFourthRowAndSkipsNormals)
{
    const Matrix4 t = TranslationMatrix(1, 2, 3);
    EXPECT_TRUE(Near(t, Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}})));
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 1, 1}, t), {2, 3, 4}));
    EXPECT_TRUE(Near(TransformNormal(Vector3{1, 1, 1}, t), {1, 1, 1}));
    EXPECT_TRUE(Near(TransformHomogeneous(Vector3{1, 1, 1}, t), {2, 3, 4, 1}));
    EXPECT_TRUE(Near(TransformHomogeneous(Vector4{1, 1, 1, 0}, t), {1, 1, 1, 0}));
    // Transposed, the translation moves to the fourth column.
    EXPECT_TRUE(Near(Transpose(t), Rows({{1, 0, 0, 1}, {0, 1, 0, 2}, {0, 0, 1, 3}, {0, 0, 0, 1}})));
}

TEST(MatrixMath, AProductAppliesTheLeftMatrixFirst)
{
    const Matrix4 scale = ScalingMatrix(2, 2, 2);
    const Matrix4 move = TranslationMatrix(1, 0, 0);
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 0, 0}, scale * move), {3, 0, 0}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 0, 0}, move * scale), {4, 0, 0}));
    EXPECT_TRUE(Near(Multiply(IdentityMatrix(), move), move));
}

// Every entry of a product is the sum of its four terms taken left to
// right, rounded after each step, whatever way the product is computed:
// scenes placed by these products must come out the same on every run.
TEST(MatrixMath, AProductIsTheOrderedSumOfItsTermsToTheBit)
{
    Matrix4 skewed = RotationMatrixYawPitchRoll(0.7f, -1.3f, 2.9f) * TranslationMatrix(-311.7f, 0.1f, 1e-7f);
    skewed.m[0][3] = 3.3e-5f;
    skewed.m[2][3] = -0.25f;
    skewed.m[3][3] = 1.0f / 3.0f;
    const Matrix4 matrices[] = {
        skewed,
        RotationMatrixZ(2.1f) * ScalingMatrix(1e30f, -1e-30f, 7.0f),
        TranslationMatrix(1e20f, -1e20f, 0.3f),
        IdentityMatrix(),
    };
    for (const Matrix4& a : matrices) {
        for (const Matrix4& b : matrices) {
            const Matrix4 product = Multiply(a, b);
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) {
                    float sum = a.m[r][0] * b.m[0][c];
                    sum += a.m[r][1] * b.m[1][c];
                    sum += a.m[r][2] * b.m[2][c];
                    sum += a.m[r][3] * b.m[3][c];
                    EXPECT_EQ(std::memcmp(&product.m[r][c], &sum, sizeof sum), 0)
                        << r << "," << c << ": " << product.m[r][c] << " vs " << sum;
                }
            }
        }
    }
}

TEST(MatrixMath, AnIdentityProductIsSkippedOnlyWhereItWouldGiveTheOtherMatrixToTheBit)
{
    // A placement with zeros on both sides, and one with a zero of each
    // sign (a turn by pi leaves -0 behind).
    const Matrix4 placed = RotationMatrixZ(0.4f) * TranslationMatrix(5.0f, 0.0f, -2.0f);
    Matrix4 negativeZero = placed;
    negativeZero.m[2][1] = -0.0f;
    Matrix4 infinite = placed;
    infinite.m[3][0] = INFINITY;
    Matrix4 notANumber = placed;
    notANumber.m[1][3] = NAN;
    Matrix4 nearlyIdentity = IdentityMatrix();
    nearlyIdentity.m[1][1] = std::nextafter(1.0f, 2.0f);
    Matrix4 signedIdentity = IdentityMatrix();
    signedIdentity.m[0][2] = -0.0f;
    struct Case {
        const char* name;
        Matrix4 a, b;
        bool exact;
    };
    const Case cases[] = {
        {"identity, placement", IdentityMatrix(), placed, true},
        {"identity, identity", IdentityMatrix(), IdentityMatrix(), true},
        {"identity, all zero", IdentityMatrix(), Matrix4{}, true},
        {"a -0 in the other", IdentityMatrix(), negativeZero, false},
        {"an infinity in the other", IdentityMatrix(), infinite, false},
        {"a NaN in the other", IdentityMatrix(), notANumber, false},
        {"not quite the identity", nearlyIdentity, placed, false},
        {"an identity holding -0", signedIdentity, placed, false},
        {"a placement first", placed, IdentityMatrix(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IdentityProductIsExact(c.a, c.b), c.exact) << c.name;
        if (!c.exact)
            continue;
        const Matrix4 left = Multiply(c.a, c.b), right = Multiply(c.b, c.a);
        EXPECT_EQ(std::memcmp(&left, &c.b, sizeof left), 0) << c.name;
        EXPECT_EQ(std::memcmp(&right, &c.b, sizeof right), 0) << c.name;
    }
    // Where the check says no, the product would indeed differ.
    const Matrix4 turned = Multiply(IdentityMatrix(), negativeZero);
    EXPECT_NE(std::memcmp(&turned, &negativeZero, sizeof turned), 0);
}

// The local matrix of a turned part, made without the two matrices, must
// keep every bit of their product: the signs of its zeros (a part at -0 or
// turned by pi), and whatever overflow or a NaN leaves behind.
TEST(MatrixMath, RotationThenTranslationIsTheProductOfTheTwoToTheBit)
{
    const float s = std::sin(0.35f), c = std::cos(0.35f);
    struct Case {
        const char* name;
        Quaternion q;
        Vector3 p;
    };
    const Case cases[] = {
        {"none", {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}},
        {"negative zeros", {-0.0f, 0.0f, -0.0f, 1.0f}, {-0.0f, -0.0f, 0.0f}},
        {"half turn about z", {0.0f, 0.0f, 1.0f, 0.0f}, {-0.0f, 2.0f, -3.5f}},
        {"half turn about x", {1.0f, -0.0f, 0.0f, -0.0f}, {1.0f, -0.0f, 0.0f}},
        {"wheel spin", {s, 0.0f, 0.0f, c}, {0.8f, -1.4f, 0.31f}},
        {"skewed", {0.3f, -0.5f, 0.1f, 0.8f}, {-311.7f, 1e-7f, 1e20f}},
        {"not unit", {2.0f, 3.0f, -1.0f, 0.5f}, {1e-38f, -1e-38f, 7.0f}},
        {"overflowing", {1e20f, 0.0f, 0.0f, 1.0f}, {1.0f, 2.0f, 3.0f}},
        {"infinite position", {s, 0.0f, 0.0f, c}, {INFINITY, -INFINITY, 0.0f}},
        {"NaN position", {0.0f, s, 0.0f, c}, {NAN, 0.0f, -0.0f}},
        {"NaN rotation", {NAN, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Matrix4 expected;
        MultiplyInto(MatrixFromQuaternion(k.q), TranslationMatrix(k.p.x, k.p.y, k.p.z), expected);
        Matrix4 made = ScalingMatrix(5.0f, 5.0f, 5.0f);
        RotationTranslationInto(k.q, k.p, made);
        for (int r = 0; r < 4; ++r) {
            for (int col = 0; col < 4; ++col) {
                const bool bothNaN = std::isnan(made.m[r][col]) && std::isnan(expected.m[r][col]);
                EXPECT_TRUE(bothNaN || std::memcmp(&made.m[r][col], &expected.m[r][col], sizeof(float)) == 0)
                    << r << "," << col << ": " << made.m[r][col] << " vs " << expected.m[r][col];
            }
        }
    }
}

TEST(MatrixMath, YawPitchRollTurnsByRollThenPitchThenYaw)
{
    // Worked by hand, one turn at a time: roll about z, pitch about x, yaw about y.
    struct Case {
        float yaw, pitch, roll;
        Vector3 in, out;
    };
    const Case cases[] = {
        {kQuarterTurn, 0, 0, {1, 0, 0}, {0, 0, -1}},
        {0, kQuarterTurn, kQuarterTurn, {1, 0, 0}, {0, 0, 1}},
        {kQuarterTurn, kQuarterTurn, kQuarterTurn, {1, 0, 0}, {1, 0, 0}},
        {kQuarterTurn, kQuarterTurn, kQuarterTurn, {0, 1, 0}, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.yaw << " " << c.pitch << " " << c.roll);
        EXPECT_TRUE(Near(TransformNormal(c.in, RotationMatrixYawPitchRoll(c.yaw, c.pitch, c.roll)), c.out));
    }
}

TEST(MatrixMath, InverseUndoesTheMatrix)
{
    // Scale by (2, 4, 8), then move by (1, 2, 3): undone by moving back, then scaling down.
    const Matrix4 m = ScalingMatrix(2, 4, 8) * TranslationMatrix(1, 2, 3);
    Matrix4 inverse;
    float det = 0;
    ASSERT_TRUE(Invert(m, inverse, &det));
    EXPECT_FLOAT_EQ(det, 64.0f);
    EXPECT_TRUE(Near(
        inverse, Rows({{0.5f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 0.125f, 0}, {-0.5f, -0.5f, -0.375f, 1}})));

    const Matrix4 general = RotationMatrixAxis({1, -2, 0.5f}, 0.7f) * ScalingMatrix(1, 3, 0.5f) *
                            TranslationMatrix(-4, 5, 6) * PerspectiveMatrixLH(1.0f, 1.5f, 0.5f, 100.0f);
    ASSERT_TRUE(Invert(general, inverse));
    EXPECT_TRUE(Near(general * inverse, IdentityMatrix(), 1e-4f));
    EXPECT_FLOAT_EQ(Determinant(ScalingMatrix(2, 3, 4)), 24.0f);
}

TEST(MatrixMath, InverseReportsASingularMatrixAndLeavesTheOutputAlone)
{
    const Matrix4 sentinel = TranslationMatrix(7, 7, 7);
    const Matrix4 cases[] = {
        Matrix4{}, // all zero, as the shadow matrix starts
        Rows({{1, 2, 3, 0}, {2, 4, 6, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}), // two parallel rows
        ScalingMatrix(1, 0, 1),                                         // flattens y
        ShadowMatrix({0.3f, 0.2f, 1, 0}, {0, 0, 1, 0}),                 // flattens onto a plane
    };
    for (const Matrix4& m : cases) {
        Matrix4 out = sentinel;
        float det = 5;
        EXPECT_FALSE(Invert(m, out, &det));
        EXPECT_NEAR(det, 0.0f, 1e-6f);
        EXPECT_TRUE(Near(out, sentinel));
    }
}

TEST(MatrixMath, LookAtAndPerspectiveProjectAKnownPoint)
{
    // Eye 10 units down -y looking at the origin, z up: view z runs along +y,
    // view y along +z, view x = up x forward = (-1, 0, 0).
    const Matrix4 view = LookAtMatrixLH({0, -10, 0}, {0, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 0, 2}, view), {-1, 2, 10}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{0, -10, 0}, view), {0, 0, 0}));

    // 90 degrees, square, near 1, far 11: x and y divide by depth; depth maps
    // z' = (z - 1) * 11 / 10 / z, so 0 at the near plane and 1 at the far one.
    const Matrix4 projection = PerspectiveMatrixLH(kQuarterTurn, 1.0f, 1.0f, 11.0f);
    EXPECT_TRUE(Near(TransformHomogeneous(Vector3{-1, 2, 10}, projection), {-1, 2, 9.9f, 10}, 1e-4f));
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 0, 2}, view * projection), {-0.1f, 0.2f, 0.99f}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{0, 0, 1}, projection), {0, 0, 0}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{11, 11, 11}, projection), {1, 1, 1}));

    // Twice as wide as high: x is squeezed by the aspect.
    const Matrix4 wide = PerspectiveMatrixLH(kQuarterTurn, 2.0f, 1.0f, 11.0f);
    EXPECT_TRUE(Near(TransformPoint(Vector3{-1, 2, 10}, wide), {-0.05f, 0.2f, 0.99f}));
}

TEST(MatrixMath, LookAtAlongTheUpAxisStaysFinite)
{
    const Matrix4 view = LookAtMatrixLH({0, 0, 14.5f}, {0, 0, 0}, {0, 0, 1});
    for (const auto& row : view.m)
        for (float v : row)
            EXPECT_TRUE(std::isfinite(v));
    EXPECT_FLOAT_EQ(view.m[3][2], 14.5f); // depth still measured along the view direction
}

TEST(MatrixMath, OrthoOffCenterMapsTheScreenRectangleToClipSpace)
{
    // The 2D screen camera: left 0, right 640, bottom 480, top 0, depth 0..1.
    const Matrix4 m = OrthoOffCenterMatrixLH(0, 640, 480, 0, 0, 1);
    EXPECT_TRUE(Near(TransformPoint(Vector3{0, 0, 0}, m), {-1, 1, 0}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{640, 480, 1}, m), {1, -1, 1}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{320, 240, 0.5f}, m), {0, 0, 0.5f}));
    // Near 2, far 4: depth (z - 2) / 2.
    EXPECT_TRUE(
        Near(TransformPoint(Vector3{0, 0, 3}, OrthoOffCenterMatrixLH(-1, 1, -1, 1, 2, 4)), {0, 0, 0.5f}));
}

TEST(MatrixMath, ShadowPointsLandOnTheirPlane)
{
    struct Case {
        const char* name;
        Vector4 light;
        Plane plane;
        Vector3 point, expected;
    };
    const Case cases[] = {
        // Straight down onto z = 0.
        {"overhead", {0, 0, 1, 0}, {0, 0, 1, 0}, {3, 4, 5}, {3, 4, 0}},
        // Along (1, 0, 1): (0, 0, 2) - 2 * (1, 0, 1).
        {"slanted", {1, 0, 1, 0}, {0, 0, 1, 0}, {0, 0, 2}, {-2, 0, 0}},
        // The level's ground (0, 0, -1, 0): p - (P.p / P.L) L = p + 3 L.
        {"ground", {0.3f, -0.2f, -1, 0}, {0, 0, -1, 0}, {5, 7, 3}, {5.9f, 6.4f, 0}},
        // A light at (0, 0, 10) through (1, 0, 5) meets z = 1 (given as 2z - 2 = 0) at x = 9/5.
        {"point light", {0, 0, 10, 1}, {0, 0, 2, -2}, {1, 0, 5}, {1.8f, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Vector3 shadow = TransformPoint(c.point, ShadowMatrix(c.light, c.plane));
        EXPECT_TRUE(Near(shadow, c.expected, 1e-4f));
        EXPECT_NEAR(DotCoord(Normalize(c.plane), shadow), 0.0f, 1e-4f);
    }
}

TEST(MatrixMath, ShadowOfALightAlongThePlaneHasNoFiniteImage)
{
    // Light runs parallel to z = 0: every image has w = 0.
    const Matrix4 m = ShadowMatrix({1, 0, 0, 0}, {0, 0, 1, 0});
    EXPECT_TRUE(Near(TransformHomogeneous(Vector3{1, 2, 3}, m), {-3, 0, 0, 0}));
    // A point at infinity comes back undivided, never as inf or NaN.
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 2, 3}, m), {-3, 0, 0}));
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 2, 3}, Matrix4{}), {0, 0, 0}));
}

TEST(MatrixMath, TransformPointDividesByW)
{
    Matrix4 m = TranslationMatrix(1, 2, 3);
    m.m[3][3] = 2;
    EXPECT_TRUE(Near(TransformPoint(Vector3{1, 2, 3}, m), {1, 2, 3}));
    EXPECT_TRUE(Near(TransformPoint(Vector2{1, 2}, m), {1, 2}));
    EXPECT_TRUE(Near(TransformPoint(Vector2{1, 1}, TranslationMatrix(1, 2, 3)), {2, 3}));
}

TEST(MatrixMath, TransformPointsWalksStridedVerticesAndLeavesTheRestAlone)
{
    struct Vertex {
        Vector3 position;
        float rest[9];
    };
    static_assert(sizeof(Vertex) == 48, "a mesh-sized vertex");
    Vertex in[2] = {};
    in[0].position = {1, 0, 0};
    in[1].position = {0, 1, 0};
    Vertex out[2] = {};
    for (Vertex& v : out)
        for (float& f : v.rest)
            f = 9;
    TransformPoints(in, sizeof(Vertex), out, sizeof(Vertex), 2,
                    RotationMatrixZ(kQuarterTurn) * TranslationMatrix(0, 0, 5));
    EXPECT_TRUE(Near(out[0].position, {0, 1, 5}));
    EXPECT_TRUE(Near(out[1].position, {-1, 0, 5}));
    EXPECT_EQ(out[1].rest[0], 9.0f);
    EXPECT_EQ(out[1].rest[8], 9.0f);

    // In place.
    TransformPoints(in, sizeof(Vertex), in, sizeof(Vertex), 2, TranslationMatrix(1, 1, 1));
    EXPECT_TRUE(Near(in[1].position, {1, 2, 1}));
}
