#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "Render/CurrentCamera.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "game/Camera.h"
#include "game/CameraSubject.h"
#include "game/Level.h"
#include "platform/Math.h"
#include "support/LevelSlotScope.h"
#include "support/MathExpect.h"
#include "support/TestEngine.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

float Radians(float degrees) { return degrees * kPi / 180.0f; }

class FakeSubject : public CPCameraSubject {
  public:
    float GetSlide() const override { return slide; }
    float GetSteering() const override { return steering; }
    Vector3 GetVelocity() const override { return velocity; }

    float slide = 0.0f;
    float steering = 0.0f;
    Vector3 velocity;
};

// A level whose forward direction runs along -y, a camera settled 7 units
// behind the follow point, and a frame time of 0.1 s.
class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        SetFrameTime(0.1f);
        GetGameSettings().temp = 1.0f;
        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        level->view.forwardDirection = {0.0f, -1.0f, 0.0f};
        camera = std::make_unique<CPCamera>();
        camera->distance = camera->targetDistance = 7.0f;
        camera->fov = camera->targetFov = 50.0f;
        camera->smoothYaw = -kPi / 2.0f;
        camera->SetSubject(&subject);
    }
    void TearDown() override
    {
        camera.reset();
        level.reset();
        SetFrameTime(0.0f);
    }

    void ExpectBothCameras(const Vector3& eye, const Vector3& target, const Vector3& up, float tol = 1e-5f)
    {
        for (CPPerspectiveCamera* view : {camera->GetMainCamera(), camera->GetFarCamera()}) {
            EXPECT_TRUE(Near(view->Eye(), eye, tol));
            EXPECT_TRUE(Near(view->Target(), target, tol));
            EXPECT_TRUE(Near(view->Up(), up, tol));
        }
    }

    LevelSlotScope slot;
    FakeSubject subject;
    std::unique_ptr<CPLevel> level;
    std::unique_ptr<CPCamera> camera;
};

} // namespace

TEST(CameraLifecycle, OwnsTwoCamerasAndLetsGoOfEveryReferenceToThem)
{
    TestEngine engine;
    CPRender& render = engine.services->Render();
    {
        // The scene is seen through the current level's camera.
        CPLevel level;
        MakeCurrentLevel(&level);
        auto* held = new CPCamera;
        level.SetCamera(CPObjectPtr(held));
        CPCamera& camera = *held;
        EXPECT_EQ(camera.GetTypeName(), "CPCamera");
        EXPECT_FLOAT_EQ(camera.yaw, -kPi / 2.0f);
        EXPECT_TRUE(camera.changed);
        EXPECT_EQ(GetCurrentCamera(), camera.GetMainCamera());
        EXPECT_EQ(camera.GetPerspectiveCamera().Get(), camera.GetMainCamera());
        EXPECT_FLOAT_EQ(camera.GetMainCamera()->FarPlane(), 200.0f);
        EXPECT_FLOAT_EQ(camera.GetFarCamera()->FarPlane(), 2000.0f);
        for (CPPerspectiveCamera* view : {camera.GetMainCamera(), camera.GetFarCamera()}) {
            EXPECT_FLOAT_EQ(view->NearPlane(), 1.0f);
            EXPECT_TRUE(Near(view->Up(), {0.0f, 0.0f, 1.0f}));
        }

        camera.SetMainCameraPass(16);
        camera.SetFarCameraPass(120);
        EXPECT_EQ(render.GetPasses().at(16).GetCamera().Get(), camera.GetMainCamera());
        EXPECT_EQ(render.GetPasses().at(120).GetCamera().Get(), camera.GetFarCamera());
    }
    // Neither the renderer nor the game may be left drawing through a
    // deleted camera.
    EXPECT_EQ(GetCurrentCamera(), nullptr);
    EXPECT_FALSE(render.GetPasses().at(16).GetCamera());
    EXPECT_FALSE(render.GetPasses().at(120).GetCamera());
}

TEST(CameraLifecycle, PassesWithoutARendererAreIgnored)
{
    ASSERT_EQ(GetRender(), nullptr);
    CPCamera camera;
    camera.SetMainCameraPass(16);
    camera.SetFarCameraPass(120);
}

TEST_F(CameraTest, ChasesSevenUnitsBehindACarHeadingAlongMinusY)
{
    camera->Update();

    // Heading -pi/2 wraps to 3pi/2; the smoothed yaw takes the same turn
    // and has nothing left to close.
    EXPECT_FLOAT_EQ(camera->yaw, 1.5f * kPi);
    EXPECT_NEAR(camera->smoothYaw, 1.5f * kPi, 1e-5f);
    // RotY(-pi/2) then RotZ(3pi/2) carries (0, 0, 1) to (0, 1, 0) and
    // (1, 0, 0) to (0, 0, 1); the look-at point ends one unit from the eye.
    ExpectBothCameras({0.0f, 7.0f, 0.0f}, {0.0f, 6.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(camera->GetMainCamera()->FieldOfView(), 50.0f * 0.017453292f);
    EXPECT_FALSE(camera->GetMainCamera()->IsViewChanged());
    EXPECT_FALSE(camera->GetFarCamera()->IsProjectionChanged());
}

TEST_F(CameraTest, FollowPointAndLookOffsetMoveEyeAndTarget)
{
    camera->followPoint = {10.0f, 20.0f, 1.0f};
    camera->lookOffset = {0.0f, 0.0f, 2.0f};
    camera->Update();

    // Look direction (0, -7, 2) / sqrt(53).
    const float n = std::sqrt(53.0f);
    ExpectBothCameras({10.0f, 27.0f, 1.0f}, {10.0f, 27.0f - 7.0f / n, 1.0f + 2.0f / n}, {0.0f, 0.0f, 1.0f});
}

TEST_F(CameraTest, PitchRaisesTheEye)
{
    camera->pitch = kPi / 6.0f;
    camera->Update();

    // Eye offset 7 x (0, cos 30, sin 30); look-at point follow + (0, 0, 3.5).
    // The look runs along -y, and up is (0, -sin 30, cos 30).
    const float c = std::cos(kPi / 6.0f);
    ExpectBothCameras({0.0f, 7.0f * c, 3.5f}, {0.0f, 7.0f * c - 1.0f, 3.5f}, {0.0f, -0.5f, c});
}

TEST_F(CameraTest, SpeedPullsTheEyeInDownToHalfTheDistance)
{
    struct Case {
        float speed;
        float divisor;
        Vector3 eye;
        Vector3 target;
    };
    const Case cases[] = {
        {0.0f, 2.0f, {0.0f, 7.0f, 0.0f}, {0.0f, 6.0f, 0.0f}},
        // t = 7 - 4 / 2 = 5, above the floor 3.5.
        {4.0f, 2.0f, {0.0f, 5.0f, 0.0f}, {0.0f, 4.0f, 0.0f}},
        // t = 2: the eye stays 3.5 out and drops by 3.5 - 2.
        {10.0f, 2.0f, {0.0f, 3.5f, -1.5f}, {0.0f, 2.5f, -1.5f}},
        // No divisor set: speed plays no part instead of dividing by zero.
        {10.0f, 0.0f, {0.0f, 7.0f, 0.0f}, {0.0f, 6.0f, 0.0f}},
        {kNaN, 2.0f, {0.0f, 7.0f, 0.0f}, {0.0f, 6.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        SCOPED_TRACE(c.divisor);
        camera->speed = c.speed;
        camera->distanceDivisor = c.divisor;
        camera->Update();
        ExpectBothCameras(c.eye, c.target, {0.0f, 0.0f, 1.0f});
    }
}

TEST_F(CameraTest, YawTurnsTheShortWayAndClosesAtMostFourTenths)
{
    struct Case {
        float startDegrees;   // smoothed yaw before the frame
        float headingDegrees; // direction of the level's forward vector
        float frameTime;
        float expectedDegrees;
    };
    const Case cases[] = {
        // Heading -10 wraps to 350: the smoothed yaw jumps to 370 and
        // closes 0.4 x 20 degrees.
        {10.0f, -10.0f, 0.1f, 362.0f},
        // A stall counts as 0.1 s, so at most 0.4 of the gap.
        {10.0f, -10.0f, 0.5f, 362.0f},
        {10.0f, -10.0f, 0.05f, 366.0f},
        // The other way round: 350 drops to -10 and closes on 10.
        {350.0f, 10.0f, 0.1f, -2.0f},
        // No usable frame time: the wrap only.
        {10.0f, -10.0f, -1.0f, 370.0f},
        {10.0f, -10.0f, kNaN, 370.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startDegrees);
        SCOPED_TRACE(c.frameTime);
        SetFrameTime(c.frameTime);
        camera->smoothYaw = Radians(c.startDegrees);
        level->view.forwardDirection = {std::cos(Radians(c.headingDegrees)),
                                        std::sin(Radians(c.headingDegrees)), 0.0f};
        camera->Update();
        EXPECT_NEAR(camera->smoothYaw, Radians(c.expectedDegrees), 1e-4f);
    }
}

TEST_F(CameraTest, LeanFollowsSteeringOnlyWhileSliding)
{
    struct Case {
        float slide;
        float steering;
        float lean; // (-2 x steering when sliding) x 0.1 x 6 from 0
        float yaw;  // -pi/2 + lean, wrapped
    };
    const Case cases[] = {
        {1.0f, 0.5f, -0.6f, 1.5f * kPi - 0.6f},
        {1.0f, -0.5f, 0.6f, 1.5f * kPi + 0.6f},
        {0.0f, 0.5f, 0.0f, 1.5f * kPi},
        {1.0f, kNaN, 0.0f, 1.5f * kPi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steering);
        camera->lean = 0.0f;
        subject.slide = c.slide;
        subject.steering = c.steering;
        camera->Update();
        EXPECT_NEAR(camera->lean, c.lean, 1e-6f);
        EXPECT_NEAR(camera->yaw, c.yaw, 1e-5f);
    }
}

TEST_F(CameraTest, RaceOverLooksAlongTheLevelHeading)
{
    level->race.raceOver = true;
    level->race.heading = 1.0f;
    camera->Update();
    EXPECT_FLOAT_EQ(camera->yaw, 1.0f + kPi / 2.0f);
}

TEST_F(CameraTest, SideAngleTracksTheCarsMotionAgainstTheForwardDirection)
{
    struct Case {
        Vector3 velocity;
        float expected; // from 0.5: += (target - 0.5) x |v| x 0.1 x 0.2
    };
    const Case cases[] = {
        // Slower than 2 u/s: the target is 0.
        {{1.0f, 0.0f, 0.0f}, 0.49f},
        // Along the forward direction: target 0.
        {{0.0f, -3.0f, 0.0f}, 0.47f},
        // Across it: target -pi/2.
        {{10.0f, 0.0f, 0.0f}, 0.5f + (-kPi / 2.0f - 0.5f) * 0.2f},
        // Fast enough to overshoot: stops at the target.
        {{100.0f, 0.0f, 0.0f}, -kPi / 2.0f},
        // Straight up: no direction in the ground plane, target 0.
        {{0.0f, 0.0f, 5.0f}, 0.45f},
        {{kNaN, 0.0f, 0.0f}, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.velocity.x);
        camera->sideAngle = 0.5f;
        subject.velocity = c.velocity;
        camera->Update();
        EXPECT_NEAR(camera->sideAngle, c.expected, 1e-5f);
    }
}

TEST_F(CameraTest, HeadingAngleClosesOnTheForwardDirectionAboveTwoPi)
{
    struct Case {
        Vector3 forward;
        float expected; // half of the target after one frame of 0.05 s
    };
    const Case cases[] = {
        {{0.0f, -1.0f, 0.0f}, kPi},         // target 2 pi
        {{1.0f, 0.0f, 0.0f}, 1.25f * kPi},  // target 5 pi / 2
        {{-1.0f, 0.0f, 0.0f}, 1.75f * kPi}, // -pi/2 raised twice: 7 pi / 2
    };
    SetFrameTime(0.05f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.forward.x);
        camera->headingAngle = 0.0f;
        level->view.forwardDirection = c.forward;
        camera->Update();
        EXPECT_NEAR(camera->headingAngle, c.expected, 1e-5f);
    }
}

TEST_F(CameraTest, NothingMovesWhileUnchangedAndTheYawIsTheOneGiven)
{
    camera->changed = false;
    camera->yaw = camera->referenceYaw = 1.0f;
    camera->targetFov = 60.0f;
    camera->Update();
    EXPECT_FLOAT_EQ(camera->fov, 50.0f);

    camera->referenceYaw = 0.0f;
    camera->Update();
    EXPECT_FLOAT_EQ(camera->fov, 52.0f); // 50 + 10 x 0.1 x 2
}

TEST_F(CameraTest, BehindViewCopiesThePlacedViewOnlyWhenChanged)
{
    camera->behindView = true;
    camera->placedEye = {1.0f, 2.0f, 3.0f};
    camera->placedTarget = {4.0f, 5.0f, 6.0f};
    camera->placedUp = {0.0f, 1.0f, 0.0f};
    camera->changed = false;
    camera->Update();
    ExpectBothCameras({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
    EXPECT_TRUE(camera->GetMainCamera()->IsViewChanged());

    camera->changed = true;
    camera->Update();
    ExpectBothCameras({1.0f, 2.0f, 3.0f}, {4.0f, 5.0f, 6.0f}, {0.0f, 1.0f, 0.0f});
    EXPECT_FALSE(camera->GetFarCamera()->IsViewChanged());
}

TEST_F(CameraTest, DegenerateInputsLeaveAFiniteView)
{
    const auto expectFinite = [this] {
        for (CPPerspectiveCamera* view : {camera->GetMainCamera(), camera->GetFarCamera()}) {
            EXPECT_TRUE(IsFinite(view->Eye()));
            EXPECT_TRUE(IsFinite(view->Target()));
            EXPECT_TRUE(IsFinite(view->Up()));
        }
    };

    // No forward direction: the yaw stays as it was.
    level->view.forwardDirection = {0.0f, 0.0f, 0.0f};
    camera->yaw = 1.0f;
    camera->Update();
    EXPECT_FLOAT_EQ(camera->yaw, 1.0f);
    expectFinite();

    level->view.forwardDirection = {kNaN, 0.0f, 0.0f};
    camera->Update();
    EXPECT_FLOAT_EQ(camera->yaw, 1.0f);
    expectFinite();

    // No car and no level.
    camera->SetSubject(nullptr);
    camera->Update(nullptr);
    expectFinite();

    // Eye on the look-at point: nothing to turn the tilt about.
    camera->distance = camera->targetDistance = 0.0f;
    camera->tilt = camera->targetTilt = 0.3f;
    camera->Update(nullptr);
    expectFinite();
}

TEST_F(CameraTest, TiltRaisesTheEyeAndTurnsLookAndUpAboutTheSideAxis)
{
    const float tilt = 0.3f;
    camera->tilt = camera->targetTilt = tilt;
    camera->Update();

    // The tilt joins the pitch: the eye sits 7 x (0, cos t, sin t) out. Look
    // (0, -1, 0) and up (0, -sin t, cos t) then turn by t about the side
    // axis (-1, 0, 0) the other way, which tips both once more.
    const float c = std::cos(tilt);
    const float s = std::sin(tilt);
    const Vector3 eye{0.0f, 7.0f * c, 7.0f * s};
    ExpectBothCameras(eye, eye + Vector3{0.0f, -c, -s},
                      {0.0f, -std::sin(2.0f * tilt), std::cos(2.0f * tilt)});
}

TEST_F(CameraTest, WithTheTempValueAtZeroTheViewSpinsWithTheViewTimer)
{
    const struct {
        float temp;
        float viewTimer;
        Vector3 eye;
    } cases[] = {
        {1.0f, kPi / 2.0f, {0.0f, 7.0f, 0.0f}},
        {0.0f, 0.0f, {0.0f, 7.0f, 0.0f}},
        // A quarter turn more about z carries the eye from +y to -x.
        {0.0f, kPi / 2.0f, {-7.0f, 0.0f, 0.0f}},
        {0.0f, kPi, {0.0f, -7.0f, 0.0f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.temp) + " " + std::to_string(c.viewTimer));
        TearDown();
        SetUp();
        GetGameSettings().temp = c.temp;
        level->view.viewTimer = c.viewTimer;
        camera->Update(level.get());
        EXPECT_TRUE(Near(camera->GetMainCamera()->Eye(), c.eye, 1e-4f));
    }
    GetGameSettings().temp = 1.0f;
}
