#include "game/AIGunner.h"

#include <array>
#include <cmath>
#include <vector>

#include "core/GameClock.h"
#include "core/ObjectCast.h"
#include "core/Singletons.h"
#include "game/AIVehicle.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceFrame.h"
#include "platform/Math.h"
#include "platform/VectorMath.h"

namespace {

constexpr float kRange = 60.0f;
// The cosine of the sights' half angle, about 15 degrees.
constexpr float kSights = 0.966f;
// Where a gun with nothing in its sights looks: the road ahead.
constexpr float kIdleAim = 30.0f;

Vector3 Flat(const Vector3& v) { return {v.x, v.y, 0.0f}; }

bool Takes(const CPPlayer& shooter, const CPPlayer* car, const Vector3& forward, float& best)
{
    if (!car || car == &shooter || car->wrecked)
        return false;
    const Vector3 to = Flat(car->GetPosition() - shooter.GetPosition());
    const float distance = Length(to);
    if (!(distance > 0.0f) || distance > kRange || distance >= best)
        return false;
    if (Dot(to * (1.0f / distance), forward) < kSights)
        return false;
    best = distance;
    return true;
}

} // namespace

namespace ai_gunner {

namespace {

// The nearest car ahead that the shooter's gun takes, of those `each`
// hands to its visitor in order; the earlier car wins a tie.
template <typename EachCandidate> CPPlayer* NearestTaken(const CPPlayer& shooter, EachCandidate&& each)
{
    const Vector3 nose = Flat(race::Forward(shooter));
    if (!(LengthSquared(nose) > 0.0f))
        return nullptr;
    const Vector3 forward = Normalize(nose);
    float best = kRange + 1.0f;
    CPPlayer* target = nullptr;
    each([&](CPPlayer* car) {
        if (Takes(shooter, car, forward, best))
            target = car;
    });
    return target;
}

} // namespace

CPPlayer* TargetOf(const CPPlayer& shooter, CPLevel& level)
{
    return NearestTaken(shooter, [&level](auto&& take) {
        take(ObjectCast<CPPlayer>(level.GetPlayer()));
        for (CPGameObject* opponent : level.GetOpponents())
            take(ObjectCast<CPPlayer>(opponent));
    });
}

namespace {

// The cars a gun may take, the player's first, then the opponents in
// their order: each one's car object or null, cast once for all the guns
// of a frame.
struct Candidates {
    static constexpr std::size_t kRoom = 16;
    std::array<CPPlayer*, kRoom> cars{};
    std::size_t count = 0;

    // False when the level has more cars than the room.
    bool Take(CPLevel& level)
    {
        const std::vector<CPGameObject*>& opponents = level.GetOpponents();
        if (opponents.size() + 1 > kRoom)
            return false;
        cars[0] = ObjectCast<CPPlayer>(level.GetPlayer());
        for (std::size_t i = 0; i < opponents.size(); ++i)
            cars[i + 1] = ObjectCast<CPPlayer>(opponents[i]);
        count = opponents.size() + 1;
        return true;
    }
};

CPPlayer* TargetAmong(const CPPlayer& shooter, const Candidates& candidates)
{
    return NearestTaken(shooter, [&candidates](auto&& take) {
        for (std::size_t i = 0; i < candidates.count; ++i)
            take(candidates.cars[i]);
    });
}

} // namespace

bool HoldsTrigger(AI_Vehicle& driver, bool targetInSights, float dt)
{
    if (driver.burstLeft > 0.0f) {
        driver.burstLeft -= dt;
        if (driver.burstLeft <= 0.0f)
            driver.restLeft = kRest;
        return targetInSights;
    }
    if (driver.restLeft > 0.0f) {
        driver.restLeft -= dt;
        return false;
    }
    if (!targetInSights)
        return false;
    driver.burstLeft = kBurst;
    return true;
}

void Step(const std::vector<AI_Vehicle*>& drivers)
{
    CPLevel* level = GetCurrentLevel();
    const CPGameData* data = GetGameData();
    if (!level)
        return;
    // Before the race is under way the guns turn but do not fire.
    const bool underWay = data && data->levelStarted && level->race.elapsedTime >= kHoldFire;
    const float dt = GetFrameTime();
    Candidates candidates;
    const bool listed = candidates.Take(*level);
    for (AI_Vehicle* driver : drivers) {
        auto* car = driver ? driver->car.As<CPPlayer>() : nullptr;
        // Unarmed cars (no weapon selected) and wrecks hold no trigger.
        if (!car || car->wrecked || !car->weapons.weaponObject.As<CPGameObject>())
            continue;
        CPPlayer* target = listed ? TargetAmong(*car, candidates) : TargetOf(*car, *level);
        const Vector3 aim =
            target ? target->GetPosition() : car->GetPosition() + race::Forward(*car) * kIdleAim;
        car->weapons.SetFirePressed(underWay && HoldsTrigger(*driver, target != nullptr, dt));
        car->UpdateWeapon(aim, target);
    }
}

} // namespace ai_gunner
