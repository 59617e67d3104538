// The enemy's blow or shot at the moment its animation reports it.
#include <cmath>

#include "core/GameObject.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/EnemyObject.h"
#include "game/Level.h"
#include "game/ShotManager.h"
#include "game/Spread.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kAimRaise = 0.3f;
constexpr float kHeavyGunSpread = 0.1f;
constexpr float kShotgunSpread = 0.4f;
constexpr int kShotgunPellets = 8;
constexpr int kVolley = 3;

bool IsPartOf(const CPObject* object, const CPGameObject* root)
{
    for (auto* node = dynamic_cast<const CPGameObject*>(object); node; node = node->GetParentObject()) {
        if (node == root)
            return true;
    }
    return false;
}

} // namespace

Matrix4 CPEnemyObject::EnemyFrame() const
{
    // The model faces the base facing at rotation 0; its present facing
    // is the base facing turned by the object's rotation.
    const Vector3 current = Rotate(baseFacing, m_owner->GetRotation());
    const Vector3 a{current.x, current.y, 0.0f};
    const Vector3 b{baseFacing.x, baseFacing.y, 0.0f};
    float angle = 0.0f;
    if (LengthSquared(a) > 0.0f && LengthSquared(b) > 0.0f) {
        angle = static_cast<float>(ClampedAcos(Dot(Normalize(a), Normalize(b))));
        if (std::fabs(angle) < 0.0001f)
            angle = 0.0f;
        // Turned from the base facing to the current one.
        if (Cross(b, a).z < 0.0f)
            angle = -angle;
    }
    const Vector3& p = m_owner->GetPosition();
    return RotationMatrixZ(angle) * TranslationMatrix(p.x, p.y, p.z);
}

void CPEnemyObject::Strike()
{
    CPLevel* level = GetCurrentLevel();
    if (!m_owner || !level || !level->GetPlayer())
        return;
    const Matrix4 frame = EnemyFrame();
    if (currentAnimation == "melee1")
        Melee(0, "hit1", frame);
    else if (currentAnimation == "melee2")
        Melee(1, "hit2", frame);
    else if (currentAnimation == "fire")
        Fire(frame);
}

void CPEnemyObject::Melee(int record, const char* sound, const Matrix4& frame)
{
    const AttackRecord& attack = attacks[record];
    CPLevel* level = GetCurrentLevel();
    CPGameObject* player = level->GetPlayer();
    const Vector3 reach = TransformNormal(attack.reach, frame);
    const float length = Length(reach);
    const Vector3 strikePoint = TransformPoint(attack.strikeOffset, frame);

    if (weapon == "explosion") {
        if (CPShotManager* manager = GetWeaponManager())
            manager->Launch("rocket_exp2", strikePoint, Vector3{0.0f, 0.0f, 0.0f}, -1.0f, CPObjectPtr());
        EnterState(kDeathState);
        ReportDeath();
        return;
    }
    if (!(length > 0.0f))
        return;
    RayQuery ray;
    ray.ignored = m_owner;
    ray.origin = m_owner->GetPosition();
    ray.direction = reach * (1.0f / length);
    ray.length = length;
    if (!level->IntersectRayAll(ray) || !IsPartOf(ray.hitObject.Get(), player))
        return;
    PlaySound(sound);
    if (CPPhysicData* data = player->GetPhysicData(); data && data->GetRigidBody()) {
        const Vector3 impulse = ray.direction * attack.impulse;
        data->GetRigidBody()->ApplyImpulse(Vector4{impulse.x, impulse.y, impulse.z, 0.0f},
                                           Vector4{strikePoint.x, strikePoint.y, strikePoint.z, 1.0f});
    }
    player->OnDamage(m_owner->GetPosition(), strikePoint, attack.damage, false, false);
}

void CPEnemyObject::Fire(const Matrix4& frame)
{
    const CPGameObject* player = GetCurrentLevel()->GetPlayer();
    const Vector3 muzzle = TransformPoint(attacks[2].reach, frame);
    const Vector3 target = player->GetPosition() + Vector3{0.0f, 0.0f, kAimRaise};
    const Vector3 toTarget = target - muzzle;
    const Vector3 aim = LengthSquared(toTarget) > 0.0f ? Normalize(toTarget) : Vector3{0.0f, 0.0f, 0.0f};
    CPShotManager* manager = GetWeaponManager();
    const CPObjectPtr owner(m_owner);
    const auto launch = [&](const char* kind, const Vector3& direction) {
        if (manager)
            manager->Launch(kind, muzzle, direction, -1.0f, owner);
    };
    if (weapon == "hmgun") {
        launch("trasser22", SpreadDirection(aim, kHeavyGunSpread));
    } else if (weapon == "rocket") {
        if (++volleyCounter >= kVolley) {
            volleyCounter = 0;
            launch(platform::Rand() % 2 == 0 ? "srocket2" : "plazma_shot2", aim);
        } else {
            launch("plazma_shot2", aim);
        }
    } else if (weapon == "plasma") {
        launch("plazma_shot2", aim);
    } else if (weapon == "mgun" || weapon == "lgun") {
        launch("trasser21", aim);
    } else if (weapon == "shotgun") {
        for (int i = 0; i < kShotgunPellets; ++i)
            launch("trasser23", SpreadDirection(aim, kShotgunSpread));
    }
}
