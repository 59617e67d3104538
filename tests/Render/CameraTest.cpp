#include "Render/PerspectiveCamera.h"

#include <cmath>
#include <cstring>
#include <random>
#include <utility>

#include <gtest/gtest.h>

#include "Render/PRender.h"
#include "core/GameSettings.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void ExpectMatrixNear(const Matrix4& actual, const float (&expected)[4][4], float tolerance = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r][c], tolerance) << "row " << r << " column " << c;
}

float Side(const Plane& p, const Vector3& v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }

bool SameMatrix(const Matrix4& a, const Matrix4& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class DefaultCamera : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        camera = render.SetDefaultCamera();
    }
    CPRender render{nullptr};
    CPPerspectiveCamera* camera = nullptr;
};

} // namespace

TEST_F(DefaultCamera, MatricesMatchTheLookAlongXAndSeventyDegrees)
{
    // Looking along +x with z up: view x is world y, view y world z, depth
    // world x.
    const float view[4][4] = {{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    ExpectMatrixNear(camera->GetView(), view);
    ExpectMatrixNear(camera->GetOrientationView(), view);

    const float yScale = 1.0f / std::tan(35.0f * kPi / 180.0f); // 1.4281480
    const float xScale = yScale / (640.0f / 480.0f);            // 1.0711110
    const float q = 1000.0f / 999.0f;
    const float projection[4][4] = {{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, q, 1}, {0, 0, -q, 0}};
    ExpectMatrixNear(camera->GetProjection(), projection);
    ExpectMatrixNear(camera->GetFarProjection(), projection);
    // view x projection: world (x, y, z) -> clip (y xs, z ys, x q - q, x).
    const float viewProjection[4][4] = {{0, 0, q, 1}, {xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, -q, 0}};
    ExpectMatrixNear(camera->GetViewProjection(), viewProjection);
    ExpectMatrixNear(camera->GetSkyViewProjection(), viewProjection);
    EXPECT_FALSE(camera->IsViewChanged());
    EXPECT_FALSE(camera->IsProjectionChanged());
    EXPECT_EQ(render.GetPasses().at(19).GetCamera().Get(), camera);
}

TEST_F(DefaultCamera, PlanesArePositiveInsideAndBoundTheVolume)
{
    const Vector3 inside{10.0f, 0.0f, 0.0f};
    for (int p = 0; p < CPPerspectiveCamera::kPlaneCount; ++p)
        EXPECT_GT(Side(camera->GetPlane(p), inside), 0.0f) << "plane " << p;
    EXPECT_LT(Side(camera->GetPlane(CPPerspectiveCamera::kNear), {0.5f, 0.0f, 0.0f}), 0.0f);
    EXPECT_GT(Side(camera->GetPlane(CPPerspectiveCamera::kNear), {1.5f, 0.0f, 0.0f}), 0.0f);
    EXPECT_GT(Side(camera->GetPlane(CPPerspectiveCamera::kFar), {999.0f, 0.0f, 0.0f}), 0.0f);
    EXPECT_LT(Side(camera->GetPlane(CPPerspectiveCamera::kFar), {1001.0f, 0.0f, 0.0f}), 0.0f);
}

TEST_F(DefaultCamera, BoxVisibility)
{
    // Horizontal half angle: atan(tan 35 deg x 4/3), about 43 deg; vertical 35 deg.
    struct Case {
        const char* what;
        Vector3 centre;
        Vector3 half;
        bool visible;
    } cases[] = {
        {"ahead", {10, 0, 0}, {0.5f, 0.5f, 0.5f}, true},
        {"behind", {-10, 0, 0}, {0.5f, 0.5f, 0.5f}, false},
        {"between the eye and the near plane", {0.5f, 0, 0}, {0.25f, 0.25f, 0.25f}, false},
        {"past the far plane", {1010, 0, 0}, {0.5f, 0.5f, 0.5f}, false},
        {"right of the field of view", {10, 20, 0}, {0.5f, 0.5f, 0.5f}, false},
        {"just inside on the right", {10, 8.5f, 0}, {0.5f, 0.5f, 0.5f}, true},
        {"above the field of view", {10, 0, 10}, {0.5f, 0.5f, 0.5f}, false},
        {"below the field of view", {10, 0, -10}, {0.5f, 0.5f, 0.5f}, false},
        {"straddling the eye", {0, 0, 0}, {5, 1, 1}, true},
        {"straddling the far plane", {1000, 0, 0}, {5, 1, 1}, true},
        {"straddling the left side", {10, -9.34f, 0}, {1, 1, 1}, true},
    };
    for (const Case& c : cases) {
        const Vector3 minimum{c.centre.x - c.half.x, c.centre.y - c.half.y, c.centre.z - c.half.z};
        const Vector3 maximum{c.centre.x + c.half.x, c.centre.y + c.half.y, c.centre.z + c.half.z};
        EXPECT_EQ(camera->IsBoxVisible(minimum, maximum), c.visible) << c.what;
    }
}

// The answer must be the corner-by-corner one to the bit, for boxes that
// touch the planes, boxes given with their ends swapped, and ends with a
// NaN in them.
TEST_F(DefaultCamera, BoxVisibilityIsTheCornerByCornerAnswer)
{
    auto cornerByCorner = [this](const Vector3& minimum, const Vector3& maximum) {
        for (int p = 0; p < CPPerspectiveCamera::kPlaneCount; ++p) {
            bool anyInside = false;
            for (int i = 0; i < 8; ++i) {
                const Vector3 corner{(i & 1) ? maximum.x : minimum.x, (i & 2) ? maximum.y : minimum.y,
                                     (i & 4) ? maximum.z : minimum.z};
                anyInside = anyInside || Side(camera->GetPlane(p), corner) > 0.0f;
            }
            if (!anyInside)
                return false;
        }
        return true;
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-60.0f, 1100.0f), side(-60.0f, 60.0f), size(0.0f, 30.0f);
    int visible = 0;
    for (int n = 0; n < 4000; ++n) {
        const Vector3 centre{place(random), side(random), side(random)};
        const Vector3 half{size(random), size(random), size(random)};
        Vector3 minimum{centre.x - half.x, centre.y - half.y, centre.z - half.z};
        Vector3 maximum{centre.x + half.x, centre.y + half.y, centre.z + half.z};
        if (n % 3 == 1)
            std::swap(minimum, maximum);
        if (n % 7 == 2)
            (n % 2 ? minimum.y : maximum.x) = std::nanf("");
        const bool expected = cornerByCorner(minimum, maximum);
        visible += expected;
        ASSERT_EQ(camera->IsBoxVisible(minimum, maximum), expected) << "box " << n;
    }
    // Both answers came up often enough to mean something.
    EXPECT_GT(visible, 400);
    EXPECT_LT(visible, 3600);
}

TEST_F(DefaultCamera, UpdateRecomputesOnlyWhatItsFlagsCallFor)
{
    const Matrix4 view = camera->GetView();
    const Matrix4 projection = camera->GetProjection();
    const Plane nearPlane = camera->GetPlane(CPPerspectiveCamera::kNear);

    // Values written without a flag change nothing, not even the planes.
    camera->Eye() = {-100.0f, 0.0f, 0.0f};
    camera->FieldOfView() = 0.5f;
    camera->Update();
    EXPECT_TRUE(SameMatrix(camera->GetView(), view));
    EXPECT_TRUE(SameMatrix(camera->GetProjection(), projection));
    EXPECT_EQ(camera->GetPlane(CPPerspectiveCamera::kNear).d, nearPlane.d);
    EXPECT_FALSE(camera->IsBoxVisible({-95.5f, -0.5f, -0.5f}, {-94.5f, 0.5f, 0.5f}));

    // The view flag alone moves the view, its inverse, the products and the
    // planes, and leaves the new field of view unused.
    camera->SetViewChanged();
    camera->Update();
    EXPECT_NEAR(camera->GetView().m[3][2], 100.0f, 1e-4f); // the eye is 100 behind the origin
    EXPECT_NEAR(camera->GetInverseView().m[3][0], -100.0f, 1e-4f);
    EXPECT_TRUE(SameMatrix(camera->GetProjection(), projection));
    EXPECT_TRUE(SameMatrix(camera->GetFarProjection(), projection));
    EXPECT_NEAR(camera->GetViewProjection().m[3][3], 100.0f, 1e-4f);
    EXPECT_TRUE(camera->IsBoxVisible({-95.5f, -0.5f, -0.5f}, {-94.5f, 0.5f, 0.5f}));
    EXPECT_FALSE(camera->IsViewChanged());

    // The projection flag then takes the narrower field of view.
    camera->SetProjectionChanged();
    camera->Update();
    EXPECT_NEAR(camera->GetProjection().m[1][1], 1.0f / std::tan(0.25f), 1e-5f);
    EXPECT_FALSE(camera->IsProjectionChanged());
}

TEST_F(DefaultCamera, MatricesKeptFromAnEarlierUpdateAreThoseOfTheValuesNow)
{
    // Each step changes one value the matrices are made of (or none): what
    // the camera hands out must be what the values now make, to the bit.
    struct Step {
        const char* what;
        void (*change)(CPPerspectiveCamera&);
    } steps[] = {
        {"nothing", [](CPPerspectiveCamera&) {}},
        {"field of view", [](CPPerspectiveCamera& c) { c.FieldOfView() = 0.9f; }},
        {"near plane", [](CPPerspectiveCamera& c) { c.NearPlane() = 2.5f; }},
        {"far plane", [](CPPerspectiveCamera& c) { c.FarPlane() = 300.0f; }},
        {"screen", [](CPPerspectiveCamera&) { GetGameSettings().screenWidth = 800; }},
        {"field of view back", [](CPPerspectiveCamera& c) { c.FieldOfView() = 70.0f * kPi / 180.0f; }},
        {"turn",
         [](CPPerspectiveCamera& c) {
             c.Target() = {3.0f, 4.0f, 0.5f};
         }},
        {"turn again",
         [](CPPerspectiveCamera& c) {
             c.Target() = {-2.0f, 1.0f, -0.25f};
         }},
    };
    for (const Step& step : steps) {
        step.change(*camera);
        camera->SetViewChanged();
        camera->SetProjectionChanged();
        camera->Update();
        const float aspect = static_cast<float>(GetGameSettings().screenWidth) /
                             static_cast<float>(GetGameSettings().screenHeight);
        EXPECT_TRUE(
            SameMatrix(camera->GetProjection(), PerspectiveMatrixLH(camera->FieldOfView(), aspect,
                                                                    camera->NearPlane(), camera->FarPlane())))
            << step.what;
        EXPECT_TRUE(SameMatrix(camera->GetFarProjection(), PerspectiveMatrixLH(camera->FieldOfView(), aspect,
                                                                               camera->NearPlane(), 1000.0f)))
            << step.what;
        Matrix4 inverse;
        ASSERT_TRUE(Invert(camera->GetOrientationView(), inverse));
        EXPECT_TRUE(SameMatrix(camera->GetInverseOrientationView(), inverse)) << step.what;
    }
    GetGameSettings().screenWidth = 640;
}

TEST(PlaneFromPoints, NormalFollowsTheCrossProduct)
{
    const Plane plane = PlaneFromPoints({0, 0, 2}, {1, 0, 2}, {0, 1, 2});
    EXPECT_EQ(plane.a, 0.0f);
    EXPECT_EQ(plane.b, 0.0f);
    EXPECT_EQ(plane.c, 1.0f);
    EXPECT_EQ(plane.d, -2.0f);
}
