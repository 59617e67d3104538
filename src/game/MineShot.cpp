#include "game/MineShot.h"

#include "core/GameClock.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/ShotManager.h"
#include "physics/PhysicData.h"

namespace {

constexpr std::size_t kParamCount = 6;

bool Touches(const CPGameObject* object, const Vector3& point, float radius, CPPlayer*& car)
{
    auto* candidate = dynamic_cast<CPPlayer*>(const_cast<CPGameObject*>(object));
    if (!candidate || candidate->wrecked || !candidate->GetOwnBox().IntersectsSphere(point, radius))
        return false;
    car = candidate;
    return true;
}

} // namespace

bool CPMineShot::Init(const std::vector<std::string>& params)
{
    if (params.size() < kParamCount) {
        LogLine("CPShot " + m_kindName +
                ": a mine needs arming time, radius, damage, blast kind, lift and sound");
        return false;
    }
    float armTime = 0.0f;
    float radius = 0.0f;
    float damage = 0.0f;
    float lift = 0.0f;
    if (!ParseNumber(params[0], armTime) || !ParseNumber(params[1], radius) ||
        !ParseNumber(params[2], damage) || !ParseNumber(params[4], lift) || armTime < 0.0f ||
        radius <= 0.0f) {
        LogLine("CPShot " + m_kindName +
                ": a mine's arming time must be a number of 0 or more, its radius above 0, damage and lift "
                "numbers");
        return false;
    }
    m_armTime = armTime;
    m_radius = radius;
    m_damage = damage;
    m_blastKind = params[3] == "none" ? std::string() : params[3];
    m_lift = lift;
    return CPShot::Init(params);
}

CPObjectPtr CPMineShot::Clone()
{
    auto* shot = new CPMineShot();
    shot->CopySetupFrom(*this);
    shot->m_armTime = m_armTime;
    shot->m_radius = m_radius;
    shot->m_damage = m_damage;
    shot->m_blastKind = m_blastKind;
    shot->m_lift = m_lift;
    return CPObjectPtr(shot);
}

void CPMineShot::Start(const Vector3& position, const Vector3& direction, float value)
{
    CPShot::Start(position, direction, value);
    m_age = 0.0f;
}

bool CPMineShot::Update()
{
    m_age += GetFrameTime();
    if (!IsArmed())
        return true;
    CPPlayer* car = CarOver();
    if (!car)
        return true;
    GoOff(*car);
    return false;
}

CPPlayer* CPMineShot::CarOver() const
{
    CPLevel* level = GetCurrentLevel();
    if (!level)
        return nullptr;
    CPPlayer* car = nullptr;
    if (Touches(level->GetPlayer(), m_startPosition, m_radius, car))
        return car;
    for (const CPGameObject* opponent : level->GetOpponents())
        if (Touches(opponent, m_startPosition, m_radius, car))
            return car;
    return nullptr;
}

void CPMineShot::GoOff(CPPlayer& car)
{
    const float value = m_launchValue >= 0.0f ? m_launchValue : m_damage;
    if (value > 0.0f)
        car.OnDamage(m_startPosition, m_startPosition, value, false, false);
    // The blast lifts the car from below the mine, off its centre, so it
    // comes down turned about as well.
    const CPPhysicData* data = car.GetPhysicData();
    if (data && m_lift > 0.0f)
        car.ApplyBodyImpulse(m_startPosition, Vector3{0.0f, 0.0f, m_lift * data->GetMass()});
    if (m_blastKind.empty())
        return;
    if (CPShotManager* manager = GetWeaponManager())
        manager->Launch(m_blastKind, m_startPosition, Vector3{0.0f, 0.0f, 1.0f}, kNoLaunchValue,
                        CPObjectPtr());
}
