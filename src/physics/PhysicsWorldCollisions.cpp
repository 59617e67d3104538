#include "physics/PhysicsWorld.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Render/EffectManager.h"
#include "Render/RenderObject.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "physics/Body.h"
#include "physics/CollisionPlayer.h"
#include "physics/ImpactSound.h"
#include "physics/RigidBody.h"
#include "physics/Sparks.h"
#include "platform/Math.h"

// Contacts of the cars turn into dents, sparks, the impact sound and the
// cars' hit flags here. A car's rigid body carries its player object as
// user data; anything else the stepping reports (level objects that are no
// car, bodies without an owner, the terrain) leaves no trace.

namespace {

constexpr std::int32_t kStaticSide = 0;
constexpr std::int32_t kDynamicBody = 1;
constexpr float kShortSquared = 1e-6f;
// Strength of an impact per unit of relative speed.
constexpr float kStaticImpactFactor = 0.008f;
constexpr float kCarImpactFactor = 0.08f;
constexpr float kSparkSpeed = 10.0f;
constexpr float kSparkLift = 0.45f;
// Car-against-car sparks come no more often than this, in frame time.
constexpr float kCarSparkInterval = 0.038f;
// Installed by the sound layer; null: hits are silent.
PhImpactSound g_impactSound = nullptr;

Vector3 Xyz(const Vector4& v) { return Vector3{v.x, v.y, v.z}; }

bool IsFinite(const Vector4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool IsFinite(const PhContact& contact)
{
    return IsFinite(contact.pointOnA) && IsFinite(contact.pointOnB) && IsFinite(contact.relativeVelocity) &&
           IsFinite(contact.normal);
}

// The length, or 0 for a vector too short (or too long) to measure.
float LengthOrZero(const Vector3& v)
{
    const float squared = LengthSquared(v);
    if (!(squared >= kShortSquared) || !std::isfinite(squared))
        return 0.0f;
    return std::sqrt(squared);
}

Vector3 UnitOrZero(const Vector3& v)
{
    const float length = LengthOrZero(v);
    return length > 0.0f ? v * (1.0f / length) : Vector3{};
}

// How many sparks a wanted number (not yet truncated) comes to; more than
// a frame's budget is never granted anyway.
int SparkCount(float wanted)
{
    if (!(wanted >= 1.0f))
        return 0;
    if (wanted >= static_cast<float>(CPEffectManager::kRequestBudget))
        return CPEffectManager::kRequestBudget;
    return static_cast<int>(wanted);
}

float PhysicsValue() { return static_cast<float>(GetGameSettings().physicsValue); }

// A body's car: its player object as a game object and as a player.
struct Car {
    CPGameObject* object = nullptr;
    CPCollisionPlayer* player = nullptr;

    explicit operator bool() const { return player != nullptr; }
};

Car CarOf(const PhBody* body)
{
    if (!body || !body->userData)
        return Car{};
    auto* object = static_cast<CPGameObject*>(body->userData);
    auto* player = ObjectCast<CPCollisionPlayer>(object);
    return player ? Car{object, player} : Car{};
}

Vector3 VelocityOf(const PhBody* body)
{
    if (!body || body->dynamic != 1)
        return Vector3{};
    return Xyz(static_cast<const PhRigidBody*>(body)->GetVelocity());
}

// Dents the car's body where the contact point lies, pushing towards the
// car's own position.
void Dent(const Car& car, const Vector3& point, float strength)
{
    const CPObjectPtr renderObject = car.object->GetRenderObject();
    CPRenderObject* body = renderObject.As<CPRenderObject>();
    if (!body)
        return;
    body->ApplyImpact(point, UnitOrZero(car.object->GetPosition() - point), strength);
}

void PlayImpactSound()
{
    if (const PhImpactSound play = g_impactSound)
        play();
}

// A car against a wall, an obstacle or the ground.
void HitStaticSide(const PhContact& contact)
{
    const Car car = CarOf(contact.bodyA);
    if (!car)
        return;
    const Vector3 point = Xyz(contact.pointOnA);
    const Vector4& normal = contact.normal;
    const bool onFlatGround = normal.x == 0.0f && normal.y == 0.0f && normal.z != 0.0f;
    if (!onFlatGround)
        car.player->SetCollisionHit(1);

    const float strength = kStaticImpactFactor * LengthOrZero(Xyz(contact.relativeVelocity));
    Dent(car, point, strength);

    Quaternion rotation{0.0f, 0.0f, 0.0f, 0.0f};
    car.player->GetCarRotation(rotation);
    const float lift = kSparkLift * std::max(std::fabs(rotation.x), std::fabs(rotation.y));
    const Vector3 direction = kSparkSpeed * UnitOrZero(Vector3{-rotation.x, -rotation.y, lift});
    EmitSparks(point, direction, SparkCount(PhysicsValue() * strength * 0.5f));

    if (car.player->IsLevelPlayer())
        PlayImpactSound();
}

// Two moving bodies, at least one of them a car.
void HitEachOther(const PhContact& contact)
{
    const Car carA = CarOf(contact.bodyA);
    const Car carB = CarOf(contact.bodyB);
    if (!carA && !carB)
        return;
    const Vector3 velocityA = VelocityOf(contact.bodyA);
    const Vector3 velocityB = VelocityOf(contact.bodyB);
    const float speedA = LengthOrZero(velocityA);
    const float speedB = LengthOrZero(velocityB);
    if (carA)
        carA.player->SetCollisionHit(1);
    if (carB)
        carB.player->SetCollisionHit(1);

    const float strength = kCarImpactFactor * LengthOrZero(Xyz(contact.relativeVelocity));
    if (carA)
        Dent(carA, Xyz(contact.pointOnA), strength);
    if (carB)
        Dent(carB, Xyz(contact.pointOnB), strength);

    if (!(GetSparkTimer() > kCarSparkInterval))
        return;
    const bool aIsFaster = speedA > speedB;
    const Vector3 unit = UnitOrZero(aIsFaster ? velocityA : velocityB);
    const Vector3 direction{-2.0f * unit.x, -2.0f * unit.y, 2.0f * (unit.z + 1.0f)};
    EmitSparks(Xyz(contact.pointOnA), direction, SparkCount(PhysicsValue()));
    const Car& faster = aIsFaster ? carA : carB;
    if (faster && faster.player->IsLevelPlayer())
        PlayImpactSound();
    ClearSparkTimer();
}

// One line a frame at most: a stepping fault repeats every step. The world
// remembers the frame it last told of.
void ReportBrokenContact()
{
    const std::uint32_t frame = GetGameClock().frameCount;
    if (CPPhysicsWorld* world = GetPhysicsWorld())
        if (!world->TakeBrokenContactReport(frame))
            return;
    LogLine(
        "CPPhysicsWorld::OnCollision: a contact whose point, velocity or normal is not a number is ignored");
}

} // namespace

void SetImpactSound(PhImpactSound play) { g_impactSound = play; }

PhImpactSound GetImpactSound() { return g_impactSound; }

void CPPhysicsWorld::OnCollision(PhContact* contact)
{
    AdvanceSparkTimer();
    if (!contact || contact->kindA != kDynamicBody)
        return;
    if (contact->kindB != kStaticSide && contact->kindB != kDynamicBody)
        return;
    if (!IsFinite(*contact)) {
        ReportBrokenContact();
        return;
    }
    if (contact->kindB == kStaticSide)
        HitStaticSide(*contact);
    else
        HitEachOther(*contact);
}
