#include <algorithm>
#include <cmath>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/QuadTreeNode.h"
#include "DynamicSky/Skyscape.h"
#include "core/GameSettings.h"
#include "core/ObjectCast.h"
#include "core/Singletons.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceCamera.h"
#include "game/RaceFrame.h"
#include "game/SceneBranches.h"
#include "interface/LensFlareInterface.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kDemoSwitchTime = 1.5f;
constexpr float kOrbitRate = 0.3f;
constexpr float kOrbitHeightShare = 0.6666667f;
constexpr float kLowPitch = -0.2617994f;
constexpr float kTopPitch = -1.5707964f;
// Preset slots of the arrays kept in "camera2", "camera", "camera3" order.
constexpr std::size_t kCamera2 = 0;
constexpr std::size_t kCamera = 1;
constexpr std::size_t kCamera3 = 2;

CPCamera* GameCamera(const CPLevel& level) { return level.GetCamera().As<CPCamera>(); }

float WrapTurn(float angle)
{
    while (angle > race::kTwoPi)
        angle -= race::kTwoPi;
    while (angle < 0.0f)
        angle += race::kTwoPi;
    return angle;
}

void PickDemoView(CPLevel& level, CPCamera* camera)
{
    const std::int32_t view = platform::Rand() % 3;
    if (view == level.view.cameraView)
        return;
    level.view.cameraView = view;
    level.view.viewTimer = 0.0f;
    level.view.orbitDirection = platform::Rand() % 2 == 0 ? -1.0f : 1.0f;
    if (!camera)
        return;
    if (view == 0)
        camera->yaw = level.view.referenceHeading;
    else if (view == 2)
        camera->yaw = -race::kPi;
    camera->changed = true;
    camera->pitch = (platform::Rand() & 3) == 0 ? kLowPitch : kTopPitch;
}

} // namespace

void CPLevel::SetCameraPreset(std::int32_t preset)
{
    view.cameraPreset = preset;
    if (preset < 0 || preset > 2)
        return;
    cameraTarget = GetPlayer();
    const std::size_t slot = preset == 1 ? kCamera2 : kCamera;
    view.cameraDistance = view.presetDistance[slot];
    view.cameraHeight = view.presetHeight[slot];
    view.angleDivisor = view.presetAngleDivisor[slot];
    view.distanceDivisor = view.presetDistanceDivisor[slot];
    view.currentAngle = preset == 1 ? view.camera2Angle : view.camera1Angle;

    CPCamera* camera = GameCamera(*this);
    if (camera)
        camera->behindView = preset == 2;
    if (GetGameSettings().motionBlur != 0) {
        if (CPRender* render = GetRender()) {
            const std::size_t blurSlot = preset == 0 ? kCamera : (preset == 1 ? kCamera2 : kCamera3);
            render->SetRadialBlurCenter(view.presetBlur[blurSlot]);
        }
    }
    if (camera && preset != 2 && cameraTarget) {
        camera->yaw = race::HeadingOf(race::Forward(*cameraTarget));
        camera->changed = true;
    }
    if (auto* car = dynamic_cast<CPPlayer*>(cameraTarget)) {
        static constexpr float kVolumeShare[3] = {0.3f, 0.35f, 0.4f};
        car->SetCarSoundVolume(GetGameSettings().soundVolume * kVolumeShare[preset]);
    }
}

namespace race {

void UpdateDemoCamera(CPLevel& level, float dt)
{
    level.view.demoTimer += dt;
    if (!(level.view.demoTimer > kDemoSwitchTime))
        return;
    level.view.demoTimer = 0.0f;
    if (platform::Rand() % 2 == 0)
        level.SetCameraPreset(platform::Rand() % 2);
    else
        PickDemoView(level, GameCamera(level));
}

void FeedCamera(CPLevel& level, const CPGameObject& car)
{
    const Vector3 forward = Forward(car);
    level.view.followedCarSpeed = BodySpeed(car);
    CPCamera* camera = GameCamera(level);
    if (!camera)
        return;
    camera->targetTilt = std::acos(std::clamp(forward.z, -1.0f, 1.0f)) - kHalfPi;
    camera->pitch = level.view.currentAngle;
    camera->changed = true;

    const Vector3& position = car.GetPosition();
    if (level.view.cameraView == 1) {
        camera->followPoint = position + Vector3{0.0f, 0.0f, level.view.cameraHeight * kOrbitHeightShare};
        // Without a divisor the speed does not pull the camera back.
        float pull = 0.0f;
        if (level.view.distanceDivisor != 0.0f)
            pull = level.view.followedCarSpeed / level.view.distanceDivisor;
        camera->targetDistance = pull + level.view.cameraDistance;
        if (camera->distance == 0.0f)
            camera->distance = camera->targetDistance;
    } else if (level.view.cameraPreset == 0 || level.view.cameraPreset == 1) {
        camera->distanceDivisor = level.view.distanceDivisor;
        camera->targetDistance = level.view.cameraDistance;
        if (camera->distance == 0.0f)
            camera->distance = camera->targetDistance;
        camera->followPoint = position + Vector3{0.0f, 0.0f, level.view.cameraHeight};
    }

    camera->speed = 0.0f;
    if (const auto* player = ObjectCast<const CPPlayer>(&car)) {
        const Vector4 v = player->GetCarVelocity();
        const float squared = v.x * v.x + v.y * v.y + v.z * v.z;
        camera->speed = squared < 0.000001f ? 0.0f : std::sqrt(squared);
    }
}

void UpdateCameraView(CPLevel& level, const CPGameObject& car)
{
    const Vector3 forward = Forward(car);
    const Vector3 up = Up(car);
    const float heading = HeadingOf(forward);
    CPCamera* camera = GameCamera(level);
    if (camera && (level.view.cameraPreset == 0 || level.view.cameraPreset == 1)) {
        if (level.view.cameraView == 1) {
            camera->yaw = level.view.orbitDirection * level.view.viewTimer * kOrbitRate;
            camera->changed = true;
        } else if (level.view.cameraView == 0 || level.view.cameraView == 2) {
            camera->referenceYaw = WrapTurn(level.view.cameraView == 0 ? heading : heading - kPi);
            camera->changed = true;
        }
    } else if (camera && level.view.cameraPreset == 2) {
        const Vector3 eye = car.GetPosition() + up * level.view.presetHeight[kCamera3] +
                            forward * level.view.presetDistance[kCamera3];
        camera->placedEye = eye;
        camera->placedTarget = eye + forward;
        camera->placedUp = up;
        camera->yaw = heading;
        camera->changed = true;
    }
    level.view.forwardDirection = forward;
    level.view.referenceHeading = heading;
    if (camera) {
        level.cameraSubject.SetCar(level.GetPlayer());
        camera->SetSubject(&level.cameraSubject);
        camera->Update(&level);
    }
}

void CullScene(CPLevel& level)
{
    CPCamera* camera = GameCamera(level);
    CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    if (!view)
        return;
    if (GetGameSettings().quadTree != 0) {
        if (CPQuadTreeNode* root = level.GetQuadTreeRoot())
            root->Walk(*view);
        return;
    }
    if (auto* branches = ObjectCast<CPSceneBranches>(level.GetBranchRoot().Get()))
        branches->CollectVisible(view);
}

void UpdateSunFlare(CPLevel& level)
{
    auto* flare = level.GetLensFlare().As<CPLensFlareInterface>();
    CPRender* render = GetRender();
    if (!flare || !render || GetGameSettings().lensFlare == 0)
        return;
    const Vector3& sun = GetSunPosition();
    const Vector3 screen = render->WorldToScreen(sun);
    const GameSettings& settings = GetGameSettings();
    const bool offScreen = !(screen.x >= 0.0f && screen.y >= 0.0f) ||
                           screen.x >= static_cast<float>(settings.screenWidth) ||
                           screen.y >= static_cast<float>(settings.screenHeight);
    if (offScreen || sun.z <= 0.0f) {
        flare->SetSunVisible(false);
        return;
    }
    flare->SetSunPosition(static_cast<std::int32_t>(screen.x), static_cast<std::int32_t>(screen.y));
    CPCamera* camera = GameCamera(level);
    CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    if (!view) {
        flare->SetSunVisible(false);
        return;
    }
    const Vector3 look = view->Target() - view->Eye();
    flare->SetSunVisible(Dot(look, Normalize(sun)) >= 0.0f);
}

} // namespace race
