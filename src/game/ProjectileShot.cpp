#include "game/ProjectileShot.h"

#include "Render/RenderObjectLoader.h"
#include "core/GameClock.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/ShotManager.h"
#include "platform/Math.h"
#include "platform/VectorMath.h"

namespace {

constexpr std::size_t kParamCount = 7;

// The level's scene and the player's car, and the opponents' cars too:
// every car in the race can be shot. Each hit shortens the ray, so what
// lies behind the nearest hit is not taken.
bool HitsSomething(CPLevel& level, RayQuery& ray)
{
    bool hit = level.IntersectRayAll(ray);
    for (CPGameObject* car : level.GetOpponents())
        if (car && car->IntersectRay(ray))
            hit = true;
    if (hit)
        ray.hitPoint = ray.origin + ray.direction * ray.length;
    return hit;
}

} // namespace

bool CPProjectileShot::Init(const std::vector<std::string>& params)
{
    if (params.size() < kParamCount) {
        LogLine("CPShot " + m_kindName +
                ": a projectile needs model, speed, range, hit kind, gravity, damage and sound");
        return false;
    }
    float speed = 0.0f;
    float range = 0.0f;
    float gravity = 0.0f;
    float damage = 0.0f;
    if (!ParseNumber(params[1], speed) || !ParseNumber(params[2], range) ||
        !ParseNumber(params[4], gravity) || !ParseNumber(params[5], damage) || speed <= 0.0f ||
        range <= 0.0f) {
        LogLine("CPShot " + m_kindName +
                ": speed and range must be numbers above 0, gravity and damage numbers");
        return false;
    }
    m_model = params[0] == "none" ? std::string() : params[0];
    m_speed = speed;
    m_range = range;
    m_hitKind = params[3] == "none" ? std::string() : params[3];
    m_gravity = gravity;
    m_damage = damage;
    if (!m_model.empty() && !LoadModel())
        return false;
    return CPShot::Init(params);
}

bool CPProjectileShot::LoadModel()
{
    CPRenderObjectLoader* loader = GetRenderObjectLoader();
    CPObjectPtr model = loader ? loader->LoadRenderObject(m_model, 0) : CPObjectPtr();
    if (!model.As<CPGameObject>()) {
        LogLine("CPShot " + m_kindName + ": no model \"" + m_model + "\"");
        return false;
    }
    AddChild(model);
    return true;
}

CPObjectPtr CPProjectileShot::Clone()
{
    auto* shot = new CPProjectileShot();
    shot->CopySetupFrom(*this);
    shot->m_model = m_model;
    shot->m_speed = m_speed;
    shot->m_range = m_range;
    shot->m_hitKind = m_hitKind;
    shot->m_gravity = m_gravity;
    shot->m_damage = m_damage;
    return CPObjectPtr(shot);
}

void CPProjectileShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    CPShot::Start(position, direction, value);
    m_head = position;
    m_travelled = 0.0f;
    m_velocity = LengthSquared(direction) > 0.0f ? Normalize(direction) * m_speed : Vector3{0.0f, 0.0f, 0.0f};
    // A shot leaves a moving car with the car's own speed besides its
    // launch speed, so that a rocket lobbed from a car at speed comes down
    // where the gun aimed it as the car sees the road, on the car ahead
    // rather than far behind it.
    const auto* car = dynamic_cast<const CPPlayer*>(m_shooter);
    if (car && LengthSquared(m_velocity) > 0.0f) {
        const Vector4 carVelocity = car->GetCarVelocity();
        const Vector3 carried{carVelocity.x, carVelocity.y, carVelocity.z};
        if (IsFinite(carried))
            m_velocity += carried;
    }
}

bool CPProjectileShot::Update()
{
    const float dt = GetFrameTime();
    const Vector3 step = m_velocity * dt;
    m_velocity.z -= m_gravity * dt;
    const float length = Length(step);
    // A shot that cannot move (no direction) ends; a paused frame keeps it.
    if (!(length > 0.0f))
        return length == 0.0f && dt <= 0.0f;

    RayQuery ray;
    ray.ignored = m_shooter;
    ray.origin = m_head;
    ray.direction = step * (1.0f / length);
    ray.length = length;
    CPLevel* level = GetCurrentLevel();
    if (level && HitsSomething(*level, ray)) {
        Hit(ray);
        return false;
    }
    m_head += step;
    m_travelled += length;
    SetPosition(m_head);
    UpdateBounds();
    return m_travelled < m_range;
}

void CPProjectileShot::CountPlayersHit(const CPGameObject* target) const
{
    // The shooter is compared, not followed: its car may have gone with an
    // earlier level.
    const CPLevel* level = GetCurrentLevel();
    if (!target || !level || !m_shooter || m_shooter != level->GetPlayer())
        return;
    // The road and the scenery take shots too; only a car or an enemy is a hit.
    if (!dynamic_cast<const CPPlayer*>(target) && !target->GetEnemy())
        return;
    if (CPGameData* data = GetGameData())
        ++data->combat.hits;
}

void CPProjectileShot::Hit(const RayQuery& ray)
{
    CPObjectPtr target = ray.hitOwner ? ray.hitOwner : ray.hitObject;
    const float damage = m_launchValue >= 0.0f ? m_launchValue : m_damage;
    auto* object = target.As<CPGameObject>();
    if (auto* car = dynamic_cast<CPPlayer*>(object))
        car->lastHitBy = m_shooter;
    if (object && damage > 0.0f)
        object->OnDamage(m_head, ray.hitPoint, damage, false, false);
    CountPlayersHit(object);
    if (m_hitKind.empty())
        return;
    if (CPShotManager* manager = GetWeaponManager())
        manager->Launch(m_hitKind, ray.hitPoint, -ray.direction, kNoLaunchValue, CPObjectPtr());
}
