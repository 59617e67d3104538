// The enemy's own step: it turns to the player's car and opens an attack
// when the car is within reach; the attack then chains through the ends of
// its animations (PlayAttackAnimation) until the car leaves.
#include <cmath>

#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/EnemyObject.h"
#include "game/Level.h"
#include "platform/QuaternionMath.h"
#include "platform/VectorMath.h"

namespace {

bool IsMelee(const std::string& animation) { return animation == "melee1" || animation == "melee2"; }

} // namespace

void CPEnemyObject::Start() { EnterState(kIdleState); }

float CPEnemyObject::GetMeleeReach() const
{
    if (meleeCount <= 0 && weapon != "explosion")
        return 0.0f;
    const Vector3& reach = attacks[0].reach;
    return std::sqrt(reach.x * reach.x + reach.y * reach.y);
}

bool CPEnemyObject::HasGun() const
{
    return weapon == "hmgun" || weapon == "rocket" || weapon == "plasma" || weapon == "mgun" ||
           weapon == "lgun" || weapon == "shotgun";
}

void CPEnemyObject::Face(const Vector3& offset)
{
    if (offset.x == 0.0f && offset.y == 0.0f)
        return;
    const float angle = std::atan2(offset.y, offset.x) - std::atan2(baseFacing.y, baseFacing.x);
    m_owner->SetRotation(QuaternionFromAxisAngle(Vector3{0.0f, 0.0f, 1.0f}, angle));
    m_owner->UpdateBounds();
}

void CPEnemyObject::Update(float dt)
{
    // A self-destruction enters the death state without the damage that
    // marks the enemy dead.
    if (dead || m_state == kDeathState || !m_owner)
        return;
    stateTime += dt;
    CPLevel* level = GetCurrentLevel();
    const CPGameObject* player = level ? level->GetPlayer() : nullptr;
    if (!player)
        return;
    const Vector3 offset = player->GetPosition() - m_owner->GetPosition();
    const float distance = std::hypot(offset.x, offset.y);
    const float reach = GetMeleeReach();
    const bool inReach = reach > 0.0f && distance <= reach;
    const bool inRange = HasGun() && fireRange > 0.0f && distance <= fireRange;
    if (inReach || inRange)
        Face(offset);

    if (IsMelee(currentAnimation)) {
        // The blows follow one another by themselves; a car out of reach
        // breaks them off.
        if (!inReach)
            EnterState(kIdleState);
        return;
    }
    if (currentAnimation == "fire_in")
        return;
    if (currentAnimation == "fire") {
        if (firing == 1) {
            // The burst that plays is the last one.
            if (!inRange) {
                firing = 0;
                busy = true;
            }
            return;
        }
        if (!busy)
            StartAttack("fire_out", 1.0f);
        return;
    }
    if (currentAnimation == "fire_out") {
        if (!busy)
            EnterState(kIdleState);
        return;
    }
    if (inReach) {
        meleeName = "melee1";
        StartAttack(meleeName, attacks[0].parameter);
    } else if (inRange) {
        StartAttack("fire_in", 1.0f);
    }
}

void CPEnemyObject::StartAttack(const std::string& animation, float parameter)
{
    PlayAnimation(animation, true, true, parameter);
    busy = true;
}
