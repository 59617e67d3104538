#include <cmath>
#include <string>

#include "LevelFixture.h"
#include "Render/PerspectiveCamera.h"
#include "platform/Light.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kPi = 3.1415927f;

class CameraBindingsTest : public LevelScriptTest {
  protected:
    CameraBindingsTest()
    {
        level->view.presetDistance = {9.0f, 7.0f, 5.0f};
        level->view.presetHeight = {3.0f, 2.0f, 1.0f};
        level->view.presetAngleDivisor = {4.0f, 6.0f};
        level->view.presetDistanceDivisor = {40.0f, 60.0f};
        level->view.camera2Angle = 20.0f;
        level->view.camera1Angle = 10.0f;
        // The player car turned an eighth left: forward (0, -1, 0) becomes
        // (0.71, -0.71, 0), heading -pi/4 (negative below the x axis).
        player->SetRotation(QuaternionFromAxisAngle(Vector3{0, 0, 1}, kPi / 4));
    }

    std::string Results(const std::string& call)
    {
        EXPECT_TRUE(Run("local t = {" + call +
                        "}; local s = {}"
                        " for i = 1, table.getn(t) do s[i] = string.format('%.3f', t[i]) end"
                        " r = table.concat(s, ',')"))
            << call << "\n"
            << log.Text();
        return GlobalString("r");
    }
};

} // namespace

TEST_F(CameraBindingsTest, ChangingTheCameraStepsThroughTheThreeModes)
{
    camera->yaw = 2.0f;
    Do("ChangeGameCamera(); ChangeGameCamera(); camera_yaw = GetCameraZAngle()");
    EXPECT_NEAR(GlobalNumber("camera_yaw"), -kPi / 4, 1e-4);
    level->view.cameraPreset = 0;
    camera->yaw = 2.0f;
    struct Step {
        int mode;
        float distance, height, angle, angleDivisor;
        bool behind;
        float yaw;
    } steps[] = {
        {1, 9.0f, 3.0f, 20.0f, 4.0f, false, -kPi / 4},
        {2, 7.0f, 2.0f, 10.0f, 6.0f, true, -kPi / 4}, // mode 2 keeps the yaw
        {0, 7.0f, 2.0f, 10.0f, 6.0f, false, -kPi / 4},
    };
    for (const Step& s : steps) {
        Do("m = ChangeGameCamera()");
        EXPECT_EQ(GlobalNumber("m"), s.mode);
        EXPECT_EQ(level->view.cameraPreset, s.mode);
        EXPECT_FLOAT_EQ(level->view.cameraDistance, s.distance) << s.mode;
        EXPECT_FLOAT_EQ(level->view.cameraHeight, s.height) << s.mode;
        EXPECT_FLOAT_EQ(level->view.currentAngle, s.angle) << s.mode;
        EXPECT_FLOAT_EQ(level->view.angleDivisor, s.angleDivisor) << s.mode;
        EXPECT_EQ(camera->behindView, s.behind) << s.mode;
        EXPECT_NEAR(camera->yaw, s.yaw, 1e-4f) << s.mode;
        EXPECT_EQ(level->cameraTarget, player);
    }
    Do("SetCameraPlayer(true); m = GetCameraPlayer()");
    EXPECT_EQ(GlobalNumber("m"), 1.0);
    level->view.cameraPreset = 77; // out of range: starts over
    EXPECT_EQ(Results("ChangeGameCamera()"), "0.000");
    level.reset();
    EXPECT_EQ(Results("ChangeGameCamera(), GetCameraPlayer(), GetCameraZAngle()"), "-1.000");
}

TEST_F(CameraBindingsTest, SwitchingTheViewDrawsItsSideOnlyWhenTheViewChanges)
{
    platform::SeedRand(7);
    const int first = platform::Rand();
    const int second = platform::Rand();
    platform::SeedRand(7);
    level->view.referenceHeading = 0.75f;
    Do("SetCamera(false)"); // already view 0: nothing, no random draw
    EXPECT_EQ(level->view.cameraView, 0);
    Do("SetCamera(true)");
    EXPECT_EQ(level->view.cameraView, 1);
    EXPECT_FLOAT_EQ(level->view.orbitDirection, first % 2 == 0 ? -1.0f : 1.0f);
    EXPECT_FLOAT_EQ(camera->pitch, (second & 3) != 0 ? -1.5707964f : -0.2617994f);
    level->view.viewTimer = 3.0f;
    Do("SetCamera(nil)");
    EXPECT_EQ(level->view.cameraView, 0);
    EXPECT_FLOAT_EQ(level->view.viewTimer, 0.0f);
    EXPECT_FLOAT_EQ(camera->yaw, 0.75f);
}

TEST_F(CameraBindingsTest, FirstFieldOfViewSetsBothLensesLaterOnlyTheTarget)
{
    camera->fov = 0.0f;
    Do("SetFOV(60)");
    EXPECT_FLOAT_EQ(camera->fov, 60.0f);
    EXPECT_FLOAT_EQ(camera->targetFov, 60.0f);
    EXPECT_NEAR(camera->GetMainCamera()->FieldOfView(), 60.0f * kPi / 180.0f, 1e-6f);
    EXPECT_NEAR(camera->GetFarCamera()->FieldOfView(), 60.0f * kPi / 180.0f, 1e-6f);
    EXPECT_TRUE(camera->GetMainCamera()->IsProjectionChanged());
    Do("SetFOV(80)");
    EXPECT_FLOAT_EQ(camera->fov, 60.0f);
    EXPECT_FLOAT_EQ(camera->targetFov, 80.0f);
}

TEST_F(CameraBindingsTest, PositionsAnglesAndTheLookPoint)
{
    Do("SetCameraPos(1, 2, 3); SetCameraZAngle(0.5)");
    EXPECT_FLOAT_EQ(camera->followPoint.y, 2.0f);
    EXPECT_FLOAT_EQ(camera->yaw, 0.5f);
    camera->GetMainCamera()->Eye() = Vector3{7, 8, 9};
    camera->placedTarget = Vector3{4, 5, 6};
    EXPECT_EQ(Results("GetCameraZAngle(), GetCameraPositions()"),
              "0.500,7.000,8.000,9.000,1.000,2.000,3.000");
    camera->behindView = true;
    EXPECT_EQ(Results("GetCameraPositions()"), "7.000,8.000,9.000,4.000,5.000,6.000");
}

TEST_F(CameraBindingsTest, MovingBackwardsAgainstTheTrackDirection)
{
    struct Case {
        float reference, heading;
        bool reversed;
        bool backwards;
    } cases[] = {
        {0.0f, 0.2f, false, false},      {0.0f, kPi, false, true},
        {0.0f, kPi, true, false}, // a reversed race turns the heading round
        {0.0f, 4.0f, false, true},       {0.0f, 5.0f, false, false},
        {1.0f, 1.0f + kPi, false, true}, {1.0f, 1.0f, true, true},
    };
    for (const Case& c : cases) {
        level->view.referenceHeading = c.reference;
        level->race.heading = c.heading;
        level->race.reversed = c.reversed;
        Do("b = IsPlayerMovingBackwards(); t = type(b)");
        EXPECT_EQ(GlobalString("t"), "boolean");
        lua_getglobal(L, "b");
        EXPECT_EQ(lua_toboolean(L, -1) != 0, c.backwards)
            << c.reference << " " << c.heading << " " << c.reversed;
        lua_pop(L, 1);
    }
    level.reset();
    Do("b = IsPlayerMovingBackwards(1, 2); t = type(b)");
    EXPECT_EQ(GlobalString("t"), "boolean");
    EXPECT_EQ(Run("assert(b == false)"), true);
}

TEST_F(CameraBindingsTest, LightRoundTripsItsFifteenValues)
{
    Do("SetLight(0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1, 0, 0.25, 0, 0, -1)");
    EXPECT_FLOAT_EQ(level->GetSunLight().specular.g, 0.6f);
    EXPECT_FLOAT_EQ(level->GetSunLight().direction.z, -1.0f);
    EXPECT_EQ(Results("GetLight()"),
              "0.100,0.200,0.300,0.400,0.500,0.600,0.700,0.800,0.900,1.000,0.000,0.250,0.000,0.000,-1.000");
}

TEST_F(CameraBindingsTest, LensFlareGetsTheSunTenTimesFarther)
{
    Do("SetLensFlare(1, -2, 3.5)");
    EXPECT_FLOAT_EQ(level->view.sunPoint.x, 10.0f);
    EXPECT_FLOAT_EQ(level->view.sunPoint.y, -20.0f);
    EXPECT_FLOAT_EQ(level->view.sunPoint.z, 35.0f);
    EXPECT_NE(level->GetLensFlare().Get(), nullptr);
    Do("SetLensFlare(0, 0, 1)"); // the old flare goes with the level's reference
    EXPECT_FLOAT_EQ(level->view.sunPoint.z, 10.0f);
}

TEST_F(CameraBindingsTest, SplineWalks)
{
    CPSpline* spline = AddPathSpline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}});
    ASSERT_GT(spline->GetRingSize(), 10u);
    CPLine* first = spline->GetFirstLine();
    const Vector3 third = first->next->next->next->centre;
    EXPECT_EQ(Results("GetSplineLineCount()"), "1.000");
    Do("x, y, z = GetSplineLinePoint(3)");
    EXPECT_FLOAT_EQ(static_cast<float>(GlobalNumber("x")), third.x);
    EXPECT_FLOAT_EQ(static_cast<float>(GlobalNumber("y")), third.y);
    // Far from every line: nothing.
    EXPECT_EQ(Results("GetClosestLineCenter(5000, 5000, 0, 0)"), "");
    // Near the third line: that line, or two lines back along "previous".
    const CPLine* near = first->next;
    while (std::hypot(near->centre.x - third.x, near->centre.y - third.y) >= 20.0f)
        near = near->next;
    const CPLine* back = near->previous->previous;
    Do("x, y, h = GetClosestLineCenter(" + std::to_string(third.x) + ", " + std::to_string(third.y) +
       ", 0, 2)");
    EXPECT_FLOAT_EQ(static_cast<float>(GlobalNumber("x")), back->centre.x);
    EXPECT_FLOAT_EQ(static_cast<float>(GlobalNumber("y")), back->centre.y);
    EXPECT_EQ(GlobalNumber("h"), 0.5);
    // Counts far larger than the ring, and not numbers at all, stay on it.
    EXPECT_TRUE(Run("GetSplineLinePoint(1e12); GetSplineLinePoint(-7); GetSplineLinePoint(0/0)"
                    "; GetClosestLineCenter(50, 0, 0, 2000000000); GetClosestLineCenter(50, 0, 0, -1e300)"));
}

TEST_F(CameraBindingsTest, SplineAngleStaysInOneTurnAndSurvivesAChangeOfLevel)
{
    AddPathSpline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}});
    player->SetPosition(Vector3{50, 0, 0});
    level->view.referenceHeading = 1.25f;
    Do("h, a = GetPlayerSplineAngle(true)");
    EXPECT_EQ(GlobalNumber("h"), 1.25);
    EXPECT_GE(GlobalNumber("a"), 0.0);
    EXPECT_LT(GlobalNumber("a"), 2 * kPi);

    // A new level with a spline of its own: the line kept from the old one
    // is gone with it and must not be followed.
    level.reset();
    level = std::make_unique<CPLevel>();
    MakeCurrentLevel(level.get());
    player = new CPPlayer();
    level->SetPlayer(CPObjectPtr(player));
    AddPathSpline({{0, 0, 0}, {0, 200, 0}, {-200, 200, 0}, {-200, 0, 0}});
    player->SetPosition(Vector3{0, 50, 0});
    Do("h, a = GetPlayerSplineAngle()");
    EXPECT_GE(GlobalNumber("a"), 0.0);
    EXPECT_LT(GlobalNumber("a"), 2 * kPi);
}

TEST_F(CameraBindingsTest, PickRayMeetsTheGroundBelowAnEyeLookingDown)
{
    CPPerspectiveCamera& view = *camera->GetMainCamera();
    view.Eye() = Vector3{3, 4, 10};
    view.Target() = Vector3{3, 4, 0};
    view.Up() = Vector3{0, 1, 0};
    view.FieldOfView() = 1.0f;
    view.NearPlane() = 1.0f;
    view.FarPlane() = 200.0f;
    view.SetViewChanged();
    view.SetProjectionChanged();
    view.Update();
    Do("hit, object, x, y, zero = CrossInterfaceRay(0.5, 0.5)");
    EXPECT_NEAR(GlobalNumber("x"), 3.0, 1e-3);
    EXPECT_NEAR(GlobalNumber("y"), 4.0, 1e-3);
    EXPECT_EQ(GlobalNumber("zero"), 0.0);
    EXPECT_EQ(GlobalPointer("object"), nullptr);

    // Looking level with the ground: the ray never reaches it, and the
    // answer stays a plain number.
    view.Target() = Vector3{3, 14, 10};
    view.Up() = Vector3{0, 0, 1};
    view.SetViewChanged();
    view.Update();
    Do("hit, object, x, y = CrossInterfaceRay(0.5, 0.5)");
    EXPECT_EQ(GlobalNumber("x"), 3.0);
    EXPECT_EQ(GlobalNumber("y"), 4.0);

    level.reset();
    Do("hit, object, x, y, zero = CrossInterfaceRay(0.5, 0.5)");
    EXPECT_EQ(GlobalNumber("x"), 0.0);
    EXPECT_EQ(GlobalPointer("object"), nullptr);
}
