#include <algorithm>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "core/GameClock.h"
#include "game/Car.h"
#include "game/Player.h"
#include "game/PlayerBonuses.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

float RandomFraction() { return static_cast<float>(platform::Rand()) / 32767.0f; }

float BodyMass(const CPGameObject& object)
{
    const CPPhysicData* data = object.GetPhysicData();
    return data ? data->GetMass() : 0.0f;
}

} // namespace

void CPPlayerBonuses::RepelFromSphere(CPGameObject& barrier)
{
    const double now = GetGameClock().gameTime;
    if (now - repelWindowStart >= 1.0)
        repelCount = 0;
    // At most ten pushes a second: a car held against the sphere is not
    // thrown into orbit.
    if (repelCount >= 10)
        return;
    CPCar* car = m_car.GetCar();
    const float mass = BodyMass(m_car);
    const float speed = car ? car->GetSpeed() : 0.0f;
    const float strength = std::min(speed * 2.4f * mass * 0.1f, 300.0f);
    const Vector3& position = m_car.GetPosition();
    if (repelCount == 0) {
        const Vector3& centre = barrier.GetPosition();
        repelDirection = Vector3{position.x - centre.x, position.y - centre.y, position.z};
    }
    if (car)
        car->ApplyOwnerImpulse(
            position, Vector3{strength * repelDirection.x, strength * repelDirection.y, 2.0f * mass});
    m_car.pushCooldown = CPPlayer::kPushCooldown;
    ++repelCount;
    repelWindowStart = now;
}

void CPPlayerBonuses::LiftByVBii()
{
    const float mass = BodyMass(m_car);
    if (CPCar* car = m_car.GetCar())
        car->ApplyOwnerImpulse(m_car.GetPosition(), Vector3{0.0f, 0.0f, 1.5f * mass});
    if (CPPhysicData* data = m_car.GetPhysicData(); data && data->GetRigidBody())
        data->GetRigidBody()->SetAngularMomentum(Vector4{0.0f, 0.0f, 30.0f * mass, 0.0f});
    m_car.pushCooldown = CPPlayer::kPushCooldown;
}

void CPPlayerBonuses::StunByLight()
{
    m_car.locked = true;
    if (CPCar* car = m_car.GetCar()) {
        car->SetControls(0.0f, m_car.steering);
        car->SetAlternateDrive(true);
    }
    m_car.releasePending = true;
    m_car.releaseTimer = 0.0f;
}

void CPPlayerBonuses::PushFromHalo(CPGameObject& halo)
{
    const double now = GetGameClock().gameTime;
    if (now - haloTime < 0.2)
        return;
    const Vector3& position = m_car.GetPosition();
    if (CPEffectManager* effects = GetEffectManager()) {
        EffectNode wall;
        wall.name = "wall";
        wall.position = position;
        // The wall faces the way the car is heading.
        wall.vectorC = Rotate(Vector3{0.0f, -1.0f, 0.0f}, m_car.GetRotation());
        wall.word1 = 1.8f * RandomFraction() + 0.4f;
        effects->SpawnEffect(wall);
    }
    Vector3 impulse = (position - halo.GetPosition()) * 100.0f;
    const float lengthSquared = LengthSquared(impulse);
    if (lengthSquared > 160000.0f)
        impulse *= 400.0f / std::sqrt(lengthSquared);
    m_car.ApplyBodyImpulse(position, impulse);
    m_car.SetPushCooldown(CPPlayer::kPushCooldown);
    haloTime = now;
}
