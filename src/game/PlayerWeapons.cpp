// The car's weapons: selection, aiming, firing with ammunition and
// cooldown, muzzle flashes, cartridge cases and the flame thrower's burn.
#include <cmath>
#include <vector>

#include "Render/EffectManager.h"
#include "core/GameClock.h"
#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerWeapons.h"
#include "game/ShotManager.h"
#include "game/Spread.h"
#include "game/WeaponKind.h"
#include "physics/PhysicData.h"
#include "platform/Math.h"

namespace {

constexpr float kFlareTime = 0.1f;
constexpr float kFlameInterval = 0.2f;
constexpr float kBarrelSpin = 10.5f;
constexpr float kHeavyGunSpread = 0.1f;
constexpr float kShotgunSpread = 0.4f;
// g / 17^2: the rocket leaves at a speed of 17.
constexpr float kBallisticFactor = 9.8f * 0.0034602077f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kFlameSpeed = 14.0f;
const Vector3 kForward{0.0f, -1.0f, 0.0f};

Vector3 WorldPosition(const CPGameObject& object)
{
    const Matrix4& world = object.GetWorldMatrix();
    return {world.m[3][0], world.m[3][1], world.m[3][2]};
}

Vector3 Flat(const Vector3& v) { return {v.x, v.y, 0.0f}; }

const std::string* WeaponOfSlot(const CPCarSettings& settings, std::int32_t slot)
{
    switch (slot) {
    case 0:
        return &settings.weapon1;
    case 1:
        return &settings.weapon2;
    case 2:
        return &settings.weapon3;
    default:
        return nullptr;
    }
}

bool HasBody(const CPGameObject& object)
{
    const CPPhysicData* data = object.GetPhysicData();
    return data && (data->GetRigidBody() || data->GetKinematicBody());
}

} // namespace

// --- Selection -------------------------------------------------------------------

void CPPlayerWeapons::SelectWeapon()
{
    if (m_car.wrecked)
        return;
    if (auto* previous = weaponObject.As<CPGameObject>())
        previous->SetVisible(false);
    if (weaponSlot < 0) {
        UpdateWeapon(aim, nullptr);
        return;
    }
    const CPGameData* data = GetGameData();
    const std::string* name = data ? WeaponOfSlot(data->committedCarSettings, weaponSlot) : nullptr;
    if (!name) {
        LogLine("CPPlayer::SelectWeapon: no weapon in slot " + std::to_string(weaponSlot) +
                (data ? "" : " (no game data)"));
        weaponObject = CPObjectPtr();
        UpdateWeapon(aim, nullptr);
        return;
    }
    weaponName = *name;
    weaponObject = m_car.FindObjectInTree(weaponName);
    if (auto* weapon = weaponObject.As<CPGameObject>())
        weapon->SetVisible(true);
    const CPWeaponInfo* record = data->weapons.Find(weaponName);
    if (!record && !weaponName.empty())
        LogLine("CPPlayer::SelectWeapon: no weapon \"" + weaponName + "\" in the weapon table");
    weaponParameters = record ? *record : CPWeaponInfo();

    const std::string flareName = "flare_" + weaponName;
    const char* suffixes[] = {"", "_01", "_02", "_03"};
    for (std::size_t i = 0; i < flares.size(); ++i) {
        flares[i] = m_car.FindObjectInTree(flareName + suffixes[i]);
        if (auto* flare = flares[i].As<CPGameObject>())
            flare->SetVisible(false);
    }
    flareIndex = 3;
    flareShown = false;
    weaponKind = static_cast<std::int32_t>(WeaponKindOfName(weaponName));
    // Each slot keeps its own ammunition: a slot taken up afresh is judged
    // by its own, not by the one it replaces.
    weaponDisabled = ammunition[weaponSlot] < 0.0f;
    UpdateWeapon(aim, nullptr);
}

void CPPlayerWeapons::SetFirePressed(bool pressed)
{
    firePressed = pressed && weaponSlot >= 0 && !weaponDisabled;
    if (firePressed && weaponKind == static_cast<std::int32_t>(CPWeaponKind::kFlameThrower))
        flameTimer = 0.0f;
}

// --- The weapon step ----------------------------------------------------------------

void CPPlayerWeapons::UpdateWeapon(const Vector3& aimPoint, CPGameObject* target)
{
    if (m_car.wrecked)
        return;
    aim = aimPoint;
    aimTarget = target;
    if (!weaponObject.As<CPGameObject>())
        return;
    const float dt = GetFrameTime();
    fireCooldown -= dt;
    BurnHitSet(dt);
    SpinBarrel(dt);
    AimWeapon();
    if (weaponDisabled || !firePressed || !(fireCooldown < 0.0f))
        return;
    // A slot changed without a new selection has no ammunition of its own.
    if (weaponSlot < 0 || weaponSlot >= static_cast<std::int32_t>(ammunition.size()))
        return;
    FireWeapon();
}

void CPPlayerWeapons::BurnHitSet(float dt)
{
    if (weaponKind == static_cast<std::int32_t>(CPWeaponKind::kFlameThrower)) {
        flameTimer -= dt;
        while (flameTimer <= 0.0f) {
            for (CPObject* object : hitSet) {
                auto* burning = ObjectCast<CPGameObject>(object);
                if (!burning)
                    continue;
                const Vector3 toObject = burning->GetPosition() - m_car.GetPosition();
                burning->OnDamage(m_car.GetPosition(), m_car.GetPosition() + toObject, GetShotDamage(), false,
                                  false);
                burning->StartFlame(1.0f);
            }
            flameTimer += kFlameInterval;
        }
    }
    // Only what the flame reached in this frame burns. Clearing a set
    // wipes its whole bucket table even when it holds nothing, every frame
    // of every car.
    if (!hitSet.empty())
        hitSet.clear();
}

void CPPlayerWeapons::SpinBarrel(float dt)
{
    if (weaponKind != static_cast<std::int32_t>(CPWeaponKind::kHeavyGun) || !firePressed)
        return;
    barrelAngle += dt * kBarrelSpin;
    auto* weapon = weaponObject.As<CPGameObject>();
    if (auto* barrel = weapon->FindObjectInTree("stvol").As<CPGameObject>())
        barrel->SetRotation(QuaternionFromAxisAngle({0.0f, 1.0f, 0.0f}, barrelAngle));
}

void CPPlayerWeapons::AimWeapon()
{
    auto* weapon = weaponObject.As<CPGameObject>();
    m_car.UpdateBounds();
    weapon->UpdateBounds();
    Vector3 aimPoint = aim;
    if (aimTarget && HasBody(*aimTarget))
        aimPoint.z = aimTarget->GetOwnBox().centre.z;

    const Vector3 toAim = Flat(aimPoint - WorldPosition(*weapon));
    const Vector3 forward = Flat(Rotate(kForward, m_car.GetRotation()));
    float heading = 0.0f;
    if (LengthSquared(toAim) > 0.0f && LengthSquared(forward) > 0.0f) {
        const Vector3 a = Normalize(forward);
        const Vector3 b = Normalize(toAim);
        heading = static_cast<float>(ClampedAcos(Dot(a, b)));
        if (Cross(a, b).z < 0.0f)
            heading = -heading;
    }
    Quaternion rotation = QuaternionFromAxisAngle({0.0f, 0.0f, 1.0f}, heading);
    if (weaponKind == static_cast<std::int32_t>(CPWeaponKind::kRockets)) {
        const float s = std::fmin(kBallisticFactor * Length(toAim), 1.0f);
        const float elevation = kHalfPi - static_cast<float>(ClampedAsin(s)) * 0.5f;
        // Nose up first (the weapon looks along -y), then the heading.
        rotation = Multiply(QuaternionFromAxisAngle({1.0f, 0.0f, 0.0f}, -elevation), rotation);
    }
    weapon->SetRotation(rotation);
    // The car keeps the turret's boxes of its own placement this frame.
    weapon->UpdatePlacement();
}

// --- Firing --------------------------------------------------------------------------

void CPPlayerWeapons::FireWeapon()
{
    float& left = ammunition[weaponSlot];
    const float perUnit = static_cast<float>(GetShotsPerUnit()) * ammunitionUseFactor;
    // A record without shots per unit could not price a shot.
    const float cost = perUnit > 0.0f ? static_cast<float>(GetPellets()) / perUnit : INFINITY;
    const float before = left;
    if (left >= cost) {
        const Vector3 start = AdvanceFlare();
        const auto* weapon = weaponObject.As<CPGameObject>();
        const Vector3 direction = Normalize(TransformNormal(kForward, weapon->GetWorldMatrix()));
        LaunchByKind(start, direction);
        fireCooldown = 1.0f / (fireRateFactor * GetFireRate());
        left -= cost;
    }
    if (!(before - cost >= cost))
        weaponDisabled = true;
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByName("gamemenu", "update_game_interface", "");
}

Vector3 CPPlayerWeapons::AdvanceFlare()
{
    if (auto* shown = flares[flareIndex].As<CPGameObject>())
        shown->SetVisible(false);
    flareIndex = (flareIndex + 1) % static_cast<std::int32_t>(flares.size());
    flareTime = kFlareTime;
    flareShown = true;
    auto* flare = flares[flareIndex].As<CPGameObject>();
    if (!flare)
        return WorldPosition(*weaponObject.As<CPGameObject>());
    flare->SetVisible(true);
    flare->UpdateBounds();
    return WorldPosition(*flare);
}

void CPPlayerWeapons::LaunchByKind(const Vector3& start, const Vector3& direction)
{
    const auto kind = static_cast<CPWeaponKind>(weaponKind);
    if (kind == CPWeaponKind::kFlameThrower) {
        SpawnFlame(start, direction);
        return;
    }
    const std::string shot = ShotOfWeaponKind(kind);
    if (shot.empty())
        return;
    auto* weapon = weaponObject.As<CPGameObject>();
    CPShotManager* manager = GetWeaponManager();
    const float damage = GetShotDamage();
    CPGameData* data = m_car.IsOwnCar() ? GetGameData() : nullptr;
    const auto launch = [&](const Vector3& along) {
        if (manager)
            manager->Launch(shot, start, along, damage, weaponObject);
        if (data)
            ++data->combat.shotsFired;
    };
    switch (kind) {
    case CPWeaponKind::kHeavyGun:
        launch(SpreadDirection(direction, kHeavyGunSpread));
        EjectCartridgeCase(weapon);
        break;
    case CPWeaponKind::kShotgun:
        for (std::int32_t i = 0; i < GetPellets(); ++i) {
            launch(SpreadDirection(direction, kShotgunSpread));
            EjectCartridgeCase(weapon);
        }
        break;
    case CPWeaponKind::kGun:
    case CPWeaponKind::kTwinGun:
        launch(direction);
        EjectCartridgeCase(weapon);
        break;
    default:
        launch(direction);
        break;
    }
}

void CPPlayerWeapons::SpawnFlame(const Vector3& start, const Vector3& direction)
{
    EffectNode request;
    request.name = "firethrower";
    request.position = start;
    request.word1 = 0.8f + 0.3f * RandomFraction();
    Vector3 offset;
    offset.x = 0.2f * RandomFraction() - 0.1f;
    offset.y = 0.2f * RandomFraction() - 0.1f;
    offset.z = 0.2f * RandomFraction() - 0.1f;
    request.velocity = (direction + offset) * kFlameSpeed;
    // The effect reports its particles to the car it holds.
    request.heldObject = CPObjectPtr(&m_car);
    if (CPEffectManager* manager = GetEffectManager())
        manager->SpawnEffect(request);
}

void CPPlayerWeapons::EjectCartridgeCase(CPGameObject* weapon)
{
    if (!weapon)
        return;
    EffectNode request;
    request.name = "gilze";
    request.position = WorldPosition(*weapon);
    request.velocity =
        TransformNormal({-1.0f, 0.0f, 2.0f}, weapon->GetWorldMatrix()) * (4.0f + RandomFraction());
    request.vectorC = {0.0f, 0.0f, -24.8f};
    request.word1 = 0.2f;
    request.word2 = 0.0f;
    request.word3 = 1.0f + RandomFraction();
    if (CPEffectManager* manager = GetEffectManager())
        manager->SpawnEffect(request);
}

// --- The flame's hits -------------------------------------------------------------------

void CPPlayerWeapons::OnShotHit(CPShotHit& hit)
{
    CPLevel* level = GetCurrentLevel();
    const Vector3 segment = hit.currentPoint - hit.previousPoint;
    const float length = Length(segment);
    if (!level || !(length > 0.0f))
        return;
    RayQuery ray;
    ray.ignored = hit.shooter ? hit.shooter : &m_car;
    ray.origin = hit.previousPoint;
    ray.direction = segment * (1.0f / length);
    ray.length = length;
    if (!level->IntersectRayAll(ray))
        return;
    CPObject* struck = ray.hitOwner ? ray.hitOwner.Get() : ray.hitObject.Get();
    if (!struck || struck == hit.shooter || struck == static_cast<CPObject*>(&m_car))
        return;
    hitSet.insert(struck);
    if (hit.life)
        *hit.life = 1000.0f;
}
