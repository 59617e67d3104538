#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Car.h"
#include "physics/Controller.h"
#include "physics/LaneMath.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "physics/Rotation.h"
#include "physics/Sensor.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

Vector3 V3(const Vector4& v) { return Vector3{v.x, v.y, v.z}; }
Vector4 V4(const Vector3& v) { return Vector4{v.x, v.y, v.z, 0.0f}; }

// The direction of v, or zero when v is too short to have one; length
// receives v's length.
inline Vector3 DirectionOf(const Vector3& v, float& length)
{
    length = Length(v);
    if (!(length >= 1e-6f))
        return Vector3{};
    return v * (1.0f / length);
}

Vector3 DirectionOf(const Vector3& v)
{
    float length;
    return DirectionOf(v, length);
}

// Rotation rows transposed and the translation carried back through them.
Matrix4 RigidInverse(const Matrix4& m)
{
    Matrix4 inverse = IdentityMatrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            inverse.m[i][j] = m.m[j][i];
    for (int j = 0; j < 3; ++j)
        inverse.m[3][j] = -(m.m[3][0] * m.m[j][0] + m.m[3][1] * m.m[j][1] + m.m[3][2] * m.m[j][2]);
    return inverse;
}

float RandomFraction() { return static_cast<float>(platform::Rand()) / 32767.0f; }

bool IsFrontWheel(int i) { return i < 2; }

// Whether placing the object, or any of its levels of detail, moves a
// body: the steps in between would see where it was put. Physics data
// without a body (as the sample's wheels have) moves nothing.
bool DetailMovesABody(const CPGameObject& object);

// Asked for every wheel at every step: the object's own data answers in
// place, and only an object with levels of detail walks them.
inline bool MovesABody(const CPGameObject& object)
{
    if (const CPPhysicData* data = object.GetPhysicData())
        if (data->GetRigidBody() || data->GetKinematicBody())
            return true;
    return object.GetLinkedObjects().size() > 1 && DetailMovesABody(object);
}

bool DetailMovesABody(const CPGameObject& object)
{
    const auto& linked = object.GetLinkedObjects();
    for (std::size_t i = 1; i < linked.size(); ++i) {
        const auto* detail = linked[i].object.As<CPGameObject>();
        if (detail && MovesABody(*detail))
            return true;
    }
    return false;
}

// Sideways speed (m/s) from which a wheel grips with its full side friction.
constexpr float kFullGripDrift = 1.0f;

} // namespace

Vector3 CPCar::CarAxis(int row) const
{
    return Vector3{m_transform.m[row][0], m_transform.m[row][1], m_transform.m[row][2]};
}

Vector3 CPCar::ToWorldPoint(const Vector4& local) const { return TransformPoint(V3(local), m_transform); }

inline Vector3 CPCar::ToWorldDirection(const Vector4& local) const
{
    return TransformNormal(V3(local), m_transform);
}

Matrix4 CPCar::GetInverseTransform() const { return RigidInverse(m_transform); }

// --- Set-up -------------------------------------------------------------------

bool CPCar::SetupPhysics(PhSimulator* /*simulator*/, bool withSounds)
{
    m_alternateDrive = false;
    bool ok = ReadDescription(withSounds);
    m_level = GetCurrentLevel();
    if (!m_owner)
        return false;

    char name[16];
    for (int i = 0; i < m_wheelCount; ++i) {
        std::snprintf(name, sizeof(name), "w%d", i);
        m_wheels[i].object = m_owner->GetChildByName(name);
        m_wheels[i].gameObject = m_wheels[i].object.As<CPGameObject>();
    }

    CPPhysicData* data = m_owner->GetPhysicData();
    PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (!body) {
        LogLine("CPCar: " + m_owner->GetName() + " has no rigid body; the car cannot drive");
        FindLights();
        return false;
    }
    for (int i = 0; i < m_wheelCount; ++i) {
        Wheel& wheel = m_wheels[i];
        // A slot without a wheel object hangs its sensor at the car's centre.
        const CPGameObject* object = wheel.gameObject;
        const Vector3 p = object ? object->GetPosition() : Vector3{};
        const float side = i % 2 == 0 ? 1.0f : -1.0f;
        const Vector4 start{p.x - side * m_sensorInset, p.y, m_sensorHeight, 0.0f};
        wheel.restPosition = Vector3{p.x, p.y, m_sensorHeight};
        wheel.lastDustPoint = Vector3{start.x, start.y, 0.0f};
        wheel.suspensionOffset = m_wheelRadius - m_sensorLength;
        wheel.sensor = body->AddSensor();
        if (!wheel.sensor) {
            LogLine("CPCar: no sensor left for wheel " + std::to_string(i) + " of " + m_owner->GetName());
            ok = false;
            continue;
        }
        wheel.sensor->SetLineSensor(start, Vector4{0.0f, 0.0f, -m_sensorLength, 0.0f});
    }
    if (!body->AddController(this, 0)) {
        LogLine("CPCar: no controller left for " + m_owner->GetName() + "; the car cannot drive");
        ok = false;
    }
    data->BuildBody();
    FindLights();
    return ok;
}

// --- The step -------------------------------------------------------------------

// Inlined, so that the step builds its shared values in place.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline CPCar::WheelStep
CPCar::BeginWheelStep() const
{
    WheelStep step;
    step.side = CarAxis(0);
    const Vector3 carY = CarAxis(1);
    step.carY = V4(carY);
    step.origin = V4(CarAxis(3));
    step.frontHeading = V4(m_frontHeading);
    // Reversing drives no further once the car backs at its rear limit.
    step.drives = !m_alternateDrive && m_throttleForce != 0.0f &&
                  !(m_throttleForce < 0.0f && Dot(m_velocity, carY) >= m_maxRearSpeed);
    if (step.drives)
        step.frontDrive = V4(DirectionOf(-m_frontHeading));
    // The body's motion as PhBody::GetVelocityAtPoint reads it.
    if (m_stepBody) {
        step.atPoint = true;
        step.bodyMoves = m_stepBody->dynamic != 0;
        if (step.bodyMoves) {
            step.bodyVelocity = V4(V3(m_stepBody->velocity));
            step.bodySpin = V4(V3(m_stepBody->angularVelocity));
        }
    }
    return step;
}

inline const Vector4& CPCar::SensorAxis(const Vector4& unit, WheelStep& step) const
{
    const Vector3 local = V3(unit);
    if (!step.hasSensorAxis || std::memcmp(&local, &step.sensorUnit, sizeof local) != 0) {
        step.sensorUnit = local;
        step.sensorAxis = V4(ToWorldDirection(unit));
        step.hasSensorAxis = true;
    }
    return step.sensorAxis;
}

inline void CPCar::RearDrive(const Vector3& n, WheelStep& step) const
{
    if (step.hasGround && std::memcmp(&n, &step.groundNormal, sizeof n) == 0)
        return;
    // The ground's forward direction: the normal turned a right angle
    // about the car's side axis.
    const Vector3& side = step.side;
    const Vector3 drive = Cross(side, n) + side * Dot(side, n);
    const Vector3 flat = DirectionOf(Vector3{drive.x, drive.y, 0.0f});
    step.rearDrive = V4(drive);
    step.rearSlope = static_cast<float>(ClampedAcos(Dot(DirectionOf(drive), flat)));
    step.groundNormal = n;
    step.hasGround = true;
}

// Inlined into the step's loop over the wheels, so that the sums stay in
// registers from wheel to wheel.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline float
CPCar::AddWheelForces(int i, WheelStep& step)
{
    Wheel& wheel = m_wheels[i];
    const float depth = wheel.sensor ? wheel.sensor->GetDetectDepth() : 0.0f;
    if (!(depth > 0.0f)) {
        wheel.airborne = true;
        return 0.0f;
    }
    const Vector3 contact = V3(wheel.sensor->GetDetectContactPoint());
    m_meanContactPoint += contact;
    if (m_debug)
        if (CPRender* render = GetRender())
            render->AddDebugLine(kDebugLineColour, ToWorldPoint(wheel.sensor->GetLinePos()), contact);
    wheel.inContact = true;
    wheel.contactPoint = contact;
    wheel.airborne = false;

    const bool front = IsFrontWheel(i);
    float offset = m_wheelRadius - (m_sensorLength - depth);
    if (m_fixedMax)
        offset = m_wheelRadius - m_sensorLength;
    else if (front)
        offset = m_fixedMin ? m_frontMinRadius : std::min(offset, m_frontMinRadius);
    else
        offset = m_fixedMin ? m_backMinRadius : std::min(offset, m_backMinRadius);
    wheel.suspensionOffset = offset;

    using namespace lanes;
    Lanes n = Load4(&wheel.sensor->GetDetectNormal().x);
    if (wheel.sensor->GetDetectNormal().z < 0.0f)
        n = Negate(n);
    const Lanes u = Load4(&SensorAxis(wheel.sensor->GetLineUnitVector(), step).x);
    const Lanes carY = Load4(&step.carY.x);

    // Every force of the wheel acts at its contact point.
    const Lanes relative =
        DropW(_mm_sub_ps(Load4(&wheel.sensor->GetDetectContactPoint().x), Load4(&step.origin.x)));
    Lanes forceSum = Load4(&step.forceSum.x);
    Lanes torqueSum = Load4(&step.torqueSum.x);
    const auto applyAtContact = [&](Lanes force) {
        forceSum = _mm_add_ps(forceSum, force);
        torqueSum = _mm_add_ps(torqueSum, Cross(relative, force));
    };

    // Spring along the ground's normal, damper along the sensor.
    applyAtContact(Scale(n, depth * (front ? m_springFront : m_springRear)));
    // The velocity at the contact point: the body's, and its spin's about
    // the point, with PhBody::GetVelocityAtPoint's operations.
    Lanes w = Load(m_velocity);
    if (step.atPoint)
        w = step.bodyMoves ? _mm_add_ps(Load4(&step.bodyVelocity.x), Cross(Load4(&step.bodySpin.x), relative))
                           : _mm_setzero_ps();
    applyAtContact(Scale(u, -Dot(w, u) * m_damping));

    wheel.rollingSpeed = -Dot(w, carY);

    // Side grip: against the drift across the wheel's rolling direction.
    const Lanes t = _mm_sub_ps(w, Scale(n, Dot(w, n)));
    const Lanes along = front ? Load4(&step.frontHeading.x) : carY;
    // Below kFullGripDrift the grip grows with the drift: at full strength
    // for any drift it would overshoot each step and leave a car at rest
    // creeping sideways on its own chatter.
    const Lanes across = _mm_sub_ps(t, Scale(along, Dot(t, along)));
    float acrossLength;
    const Lanes acrossDirection = DirectionOf(across, acrossLength);
    const Lanes drift = Scale(acrossDirection, std::min(1.0f, acrossLength / kFullGripDrift));
    const Lanes grip =
        front ? Scale(drift, -m_frictionFront) : Scale(drift, -m_frictionBack * (1.0f - m_slide));
    // The grip works along the ground's plane only: its z is +0.
    applyAtContact(_mm_movelh_ps(grip, _mm_setzero_ps()));

    const float b = Dot(w, carY);
    if (m_alternateDrive) {
        const Lanes nose = Negate(along);
        const Lanes brake = Scale(nose, 2.0f * b);
        forceSum = _mm_add_ps(forceSum, brake);
        torqueSum = _mm_add_ps(torqueSum, Cross(relative, Scale(brake, m_pitchInertion)));
    } else if (step.drives) {
        float slope = 0.0f;
        if (!front) {
            RearDrive(Store(n), step);
            slope = step.rearSlope;
        }
        const Lanes drive = Load4(front ? &step.frontDrive.x : &step.rearDrive.x);
        const float sign = m_throttleForce > 0.0f ? 1.0f : -1.0f;
        const float accel = m_throttleForce > 0.0f ? m_accelFront : m_accelBack;
        applyAtContact(Scale(drive, (std::fabs(slope) * 5.0f + 1.0f) * sign * accel));
    }
    _mm_storeu_ps(&step.forceSum.x, forceSum);
    _mm_storeu_ps(&step.torqueSum.x, torqueSum);
    return b;
}

float CPCar::UpdateWheelForces(int i, Vector3& forceSum, Vector3& torqueSum)
{
    WheelStep step = BeginWheelStep();
    step.forceSum = V4(forceSum);
    step.torqueSum = V4(torqueSum);
    const float b = AddWheelForces(i, step);
    forceSum = V3(step.forceSum);
    torqueSum = V3(step.torqueSum);
    return b;
}

inline void CPCar::SpinWheel(int i, float dt)
{
    Wheel& wheel = m_wheels[i];
    const float halfRadius = m_wheelRadius * 0.5f;
    if (IsFrontWheel(i) || !m_handBrake) {
        if (!wheel.inContact)
            wheel.spin -= dt * m_throttleForce;
        else if (halfRadius != 0.0f)
            wheel.spin += dt * wheel.rollingSpeed / halfRadius;
    }
    if (wheel.inContact && m_slide > 0.0f && LengthSquared(m_velocity) > 80.0f &&
        GetGameSettings().smoke != 0)
        RaiseDust(wheel);
}

void CPCar::PlaceWheel(int i, CPGameObject& object)
{
    const Wheel& wheel = m_wheels[i];
    if (IsFrontWheel(i)) {
        // Both steered wheels, step after step, turn by the same steering.
        RenewTurnZ(m_wheelTurn, -m_steering);
        object.SetRotation(ComposeRotation(wheel.spin, m_wheelTurn));
    } else {
        object.SetRotation(SpinRotation(wheel.spin));
    }
    object.SetPosition(
        Vector3{wheel.restPosition.x, wheel.restPosition.y, wheel.suspensionOffset + m_sensorHeight});
}

// The step's loop over the wheels runs this inline: a step before the
// frame's last mostly only spins, and calls out just to place or to raise
// dust.
inline void CPCar::TurnWheel(int i, float dt, bool place)
{
    SpinWheel(i, dt);
    CPGameObject* object = m_wheels[i].gameObject;
    if (object && (place || MovesABody(*object)))
        PlaceWheel(i, *object);
}

void CPCar::UpdateWheel(int i, float dt) { TurnWheel(i, dt, true); }

void CPCar::OnStep(PhController* controller, float dt)
{
    PhRigidBody* body = controller ? controller->owner : nullptr;
    if (!body)
        return;
    m_stepBody = body;

    m_slide = m_handBrake ? m_slideFriction : std::max(0.0f, m_slide - dt * 3.0f);

    m_transform = body->GetTransform();

    m_velocity = V3(body->GetVelocity());
    const float speedSquared = LengthSquared(m_velocity);
    m_speed = speedSquared < 1e-6f ? 0.0f : std::sqrt(speedSquared);

    const float k = m_slide > 0.0f ? 1.0f : 1.0f - std::min(m_speed * 0.025f, 0.9f);
    m_steeringAngle = m_steering * k;
    Vector3 heading =
        ToWorldDirection(Vector4{std::sin(m_steeringAngle), std::cos(m_steeringAngle), 0.0f, 0.0f});
    heading.z = 0.0f;
    m_frontHeading = DirectionOf(heading);

    m_meanContactPoint = Vector3{};
    for (int i = 0; i < m_wheelCount; ++i)
        m_wheels[i].inContact = false;
    WheelStep step = BeginWheelStep();
    for (int i = 0; i < m_wheelCount; ++i)
        AddWheelForces(i, step);
    m_meanContactPoint *= 0.25f;
    // A wheel's turn and place are seen only at the frame's end: a step
    // that another follows in the same frame leaves them to it.
    const bool place = controller->lastOfFrame != 0;
    for (int i = 0; i < m_wheelCount; ++i)
        TurnWheel(i, dt, place);

    m_nitroDirection = DirectionOf(ToWorldDirection(Vector4{0.0f, -1.0f, 0.0f, 0.0f}));
    Vector3 forceSum = V3(step.forceSum);
    forceSum += m_nitroDirection * (80.0f * m_accelFront * m_nitro * dt);
    PlayNitroSound();

    controller->SetControllerForce(V4(forceSum));
    step.torqueSum.w = 0.0f;
    controller->SetControllerTorque(step.torqueSum);
    m_stepBody = nullptr;

    FrameHousekeeping();
}

void CPCar::RaiseDust(Wheel& wheel)
{
    const float size = 0.5f + 0.2f * RandomFraction() - 0.1f;
    const float spacing = (RandomFraction() + 1.0f) * 0.5f * (m_hasSounds ? 1.0f : 5.0f) * size * size;
    const Vector3 puff = wheel.contactPoint + Vector3{0.0f, 0.0f, 0.25f};
    CPEffectManager* effects = GetEffectManager();
    if (effects && CPEffectManager::GetRemainingRequests() > 0 &&
        LengthSquared(puff - wheel.lastDustPoint) >= spacing) {
        EffectNode request;
        request.name = "pil_";
        request.position = puff;
        request.word1 = size;
        effects->SpawnEffect(request);
        CPEffectManager::ReserveRequests(1);
        wheel.dustPuffs += 1.0f;
        wheel.lastDustPoint = puff;
    }
    CNSound* skid = GetSound(kSkidSound);
    if (m_hasSounds && skid && !skid->IsPlaying())
        skid->Play(0, 0);
}
