#include "game/Camera.h"

#include <algorithm>
#include <cmath>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "core/Singletons.h"
#include "game/CameraSubject.h"
#include "game/Level.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kRadiansPerDegree = 0.017453292f;

// Below this speed the car's direction of motion is noise, not a slide.
constexpr float kMinSideSpeed = 2.0f;

CPPerspectiveCamera* MakeCamera(float fovDegrees, float farPlane)
{
    auto* camera = new CPPerspectiveCamera();
    camera->Up() = {0.0f, 0.0f, 1.0f};
    camera->FieldOfView() = fovDegrees * kRadiansPerDegree;
    camera->NearPlane() = CPCamera::kNearPlane;
    camera->FarPlane() = farPlane;
    camera->SetViewChanged();
    camera->SetProjectionChanged();
    return camera;
}

float ClampedAcos(float cosine) { return std::acos(std::clamp(cosine, -1.0f, 1.0f)); }

// A frame time the smoothing can step over: no stalls, nothing backwards,
// nothing undefined.
float UsableFrameTime(float frameTime)
{
    if (!(frameTime > 0.0f))
        return 0.0f;
    return std::min(frameTime, CPCamera::kMaxFrameTime);
}

// Moves value by step, but never past target.
float StepTowards(float value, float target, float step)
{
    const float next = value + step;
    if ((step > 0.0f && next > target) || (step < 0.0f && next < target))
        return target;
    return next;
}

} // namespace

CPCamera::CPCamera()
    : m_mainCamera(MakeCamera(fov, kMainFarPlane)), m_farCamera(MakeCamera(fov, kFarFarPlane))
{
}

CPCamera::~CPCamera()
{
    UnregisterCamera(m_mainCamera);
    UnregisterCamera(m_farCamera);
    delete m_mainCamera;
    delete m_farCamera;
}

void CPCamera::UnregisterCamera(CPPerspectiveCamera* camera)
{
    CPRender* render = GetRender();
    if (!render)
        return;
    for (const auto& entry : render->GetPasses()) {
        if (entry.second.GetCamera().Get() == camera)
            render->SetCamera(entry.first, CPObjectPtr());
    }
}

void CPCamera::SetMainCameraPass(std::int32_t pass)
{
    if (CPRender* render = GetRender())
        render->SetCamera(pass, m_mainCamera);
}

void CPCamera::SetFarCameraPass(std::int32_t pass)
{
    if (CPRender* render = GetRender())
        render->SetCamera(pass, m_farCamera);
}

CPObjectPtr CPCamera::GetPerspectiveCamera() const { return CPObjectPtr(m_mainCamera); }

void CPCamera::Update() { Update(GetCurrentLevel()); }

void CPCamera::Update(const CPLevel* level)
{
    const float dt = UsableFrameTime(GetFrameTime());
    if (behindView) {
        UpdateBehindView();
        return;
    }
    if (!changed && yaw == referenceYaw)
        return;

    SmoothLensAndDistance(dt);
    FollowForwardDirection(level, dt);
    SmoothYaw(dt);
    float spin = 0.0f;
    if (level) {
        TrackSideAndHeading(level->view.forwardDirection, dt);
        if (GetGameSettings().temp == 0.0f)
            spin = level->view.viewTimer;
    }
    PlaceChaseView(spin);
    m_mainCamera->Update();
    m_farCamera->Update();
}

void CPCamera::UpdateBehindView()
{
    if (!changed)
        return;
    SetView(placedEye, placedTarget, placedUp);
    m_mainCamera->Update();
    m_farCamera->Update();
}

void CPCamera::SmoothLensAndDistance(float dt)
{
    fov += (targetFov - fov) * dt * 2.0f;
    distance += (targetDistance - distance) * dt * 2.0f;
    for (CPPerspectiveCamera* camera : {m_mainCamera, m_farCamera}) {
        camera->FieldOfView() = fov * kRadiansPerDegree;
        camera->SetProjectionChanged();
    }
    tilt += (targetTilt - tilt) * dt * 5.0f;
}

void CPCamera::FollowForwardDirection(const CPLevel* level, float dt)
{
    const float k = (m_subject && m_subject->GetSlide() > 0.0f) ? -2.0f : 0.0f;
    const float steering = m_subject ? m_subject->GetSteering() : 0.0f;
    if (std::isfinite(steering))
        lean += (k * steering - lean) * dt * 6.0f;
    if (!level)
        return;

    // A level without a usable forward direction keeps the yaw it has;
    // adding the lean to it would make it pile up frame after frame.
    Vector3 h = level->view.forwardDirection;
    h.z = 0.0f;
    if (IsFinite(h) && LengthSquared(h) > 0.0f) {
        h = Normalize(h);
        yaw = ClampedAcos(h.x);
        if (h.y < 0.0f)
            yaw = -yaw;
        yaw += lean;
        if (yaw < 0.0f)
            yaw += kTwoPi;
    }
    if (level->race.raceOver)
        yaw = level->race.heading + kHalfPi;
}

void CPCamera::SmoothYaw(float dt)
{
    if (!std::isfinite(yaw))
        return;
    if (!std::isfinite(smoothYaw))
        smoothYaw = yaw;
    const float d = yaw - smoothYaw;
    if (d > kPi)
        smoothYaw += kTwoPi;
    else if (d < -kPi)
        smoothYaw -= kTwoPi;
    smoothYaw += (yaw - smoothYaw) * std::min(dt * 4.0f, 1.0f);
}

void CPCamera::TrackSideAndHeading(const Vector3& forward, float dt)
{
    if (!IsFinite(forward))
        return;
    const Vector3 v = m_subject ? m_subject->GetVelocity() : Vector3{};
    const float speedSquared = LengthSquared(v);
    const float carSpeed = std::sqrt(speedSquared);
    float sa = 0.0f;
    const Vector3 flat{v.x, v.y, 0.0f};
    if (std::isfinite(speedSquared) && speedSquared >= 0.000001f && carSpeed >= kMinSideSpeed &&
        LengthSquared(flat) > 0.0f) {
        const Vector3 c = Normalize(flat);
        sa = ClampedAcos(Dot(c, forward));
        if (c.x * forward.y - c.y * forward.x < 0.0f)
            sa = -sa;
    }
    if (std::isfinite(carSpeed))
        sideAngle = StepTowards(sideAngle, sa, (sa - sideAngle) * carSpeed * dt * 0.2f);

    float ha = ClampedAcos(-forward.y);
    if (forward.x < 0.0f)
        ha = -ha;
    do {
        ha += kTwoPi;
    } while (ha < kTwoPi);
    headingAngle = StepTowards(headingAngle, ha, (ha - headingAngle) * dt * 10.0f);
}

void CPCamera::PlaceChaseView(float spin)
{
    const Matrix4 m = RotationMatrixY(pitch - kHalfPi + tilt) * RotationMatrixZ(smoothYaw + spin);
    const Vector3 dir = TransformNormal({0.0f, 0.0f, 1.0f}, m);

    // Speed pulls the eye in, but never closer than half the distance; what
    // the floor holds back lowers the eye instead.
    float t = distance;
    if (distanceDivisor != 0.0f) {
        const float pull = speed / distanceDivisor;
        if (std::isfinite(pull))
            t -= pull;
    }
    const float r = std::max(distance * 0.5f, t);
    Vector3 offset = dir * r;
    if (r != t)
        offset.z += t - r;

    const Vector3 eye = followPoint + offset;
    Vector3 target = followPoint + Vector3{0.0f, 0.0f, offset.z} + lookOffset;
    Vector3 up = TransformNormal({1.0f, 0.0f, 0.0f}, m);

    // Tilt turns look and up about the side axis. Eye on the look-at point
    // leaves no direction to turn.
    const Vector3 toTarget = target - eye;
    if (LengthSquared(toTarget) > 0.0f && LengthSquared(up) > 0.0f) {
        Vector3 look = Normalize(toTarget);
        Vector3 u = Normalize(up);
        const Matrix4 turn = RotationMatrixAxis(Cross(look, u), -tilt);
        look = TransformNormal(look, turn);
        u = TransformNormal(u, turn);
        target = eye + look;
        up = u;
    }
    SetView(eye, target, up);
}

void CPCamera::SetView(const Vector3& eye, const Vector3& target, const Vector3& up)
{
    for (CPPerspectiveCamera* camera : {m_mainCamera, m_farCamera}) {
        camera->Eye() = eye;
        camera->Target() = target;
        camera->Up() = up;
        camera->SetViewChanged();
    }
}

CPPerspectiveCamera* CurrentLevelCamera()
{
    const CPLevel* level = GetCurrentLevel();
    const auto* camera = level ? level->GetCamera().As<CPCamera>() : nullptr;
    return camera ? camera->GetMainCamera() : nullptr;
}
