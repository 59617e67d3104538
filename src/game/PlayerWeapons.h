#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "core/Object.h"
#include "game/ShopItems.h"
#include "game/ShotHit.h"
#include "platform/MathTypes.h"

class CPGameObject;
class CPPlayer;

// A car's weapons and mines: the selected weapon with its muzzle flashes,
// the trigger, the aim, the ammunition of each slot, the firing cooldown,
// the flame thrower's burn and the mines laid behind the car. The car
// object owns it and forwards the operations the scripts and the level
// call it by. The weapon object and the flares are parts of the car's own
// tree, which deletes them.
class CPPlayerWeapons {
  public:
    explicit CPPlayerWeapons(CPPlayer& car) : m_car(car) {}
    CPPlayerWeapons(const CPPlayerWeapons&) = delete;
    CPPlayerWeapons& operator=(const CPPlayerWeapons&) = delete;

    // Shows the weapon of the selected slot of the committed car
    // configuration, takes its record from the game data's weapon table,
    // finds and hides its four muzzle flashes and sets its kind; a slot
    // with negative ammunition is disabled. Then runs the weapon step.
    // Nothing for a wrecked car; a negative slot shows no weapon.
    void SelectWeapon();
    // The trigger: held only when pressed, a slot is selected and the
    // weapon is not disabled; pressing the flame thrower restarts its
    // damage clock.
    void SetFirePressed(bool pressed);
    // The per-frame weapon step: burns what the flame reached, turns the
    // weapon to the aim point (at the target's centre height when the
    // target has a body) and fires while the trigger is held.
    void UpdateWeapon(const Vector3& aimPoint, CPGameObject* target);
    // A flame particle's step: what it met first (not this car) joins the
    // hit set and the particle is spent.
    void OnShotHit(CPShotHit& hit);
    // Throws one "gilze" cartridge case out of the weapon.
    void EjectCartridgeCase(CPGameObject* weapon);
    // Lays one mine behind the car when the mine key asked for one and the
    // car has mines left; the mine count of the record goes down by one.
    void LayMine();

    // The values of the weapon record the firing reads.
    std::int32_t GetPellets() const { return weaponParameters.value1; }
    float GetShotDamage() const { return weaponParameters.groupA3; }
    std::int32_t GetShotsPerUnit() const { return weaponParameters.groupB2; }
    float GetFireRate() const { return weaponParameters.groupB3; }

    float flameTimer = 0.0f;
    float barrelAngle = 0.0f;
    std::int32_t weaponSlot = 0;
    std::string weaponName;
    bool weaponDisabled = false;
    CPObjectPtr weaponObject;
    std::array<CPObjectPtr, 4> flares{};
    std::int32_t flareIndex = 0;
    float flareTime = 0.0f;
    bool flareShown = false;
    Vector3 aim;
    std::array<float, 3> ammunition{1.0f, 1.0f, 1.0f};
    // The mine key was pressed (one mine a press) and the car has mines
    // left to lay.
    bool mineShot = false;
    bool mineReady = false;
    // The committed mine item: its name is the shot kind that is laid.
    std::string mineName;
    bool firePressed = false;
    std::int32_t weaponKind = 0;
    float fireCooldown = 0.0f;
    // Objects the flame thrower reached this frame (not counted).
    std::unordered_set<CPObject*> hitSet{100};
    float ammunitionUseFactor = 1.0f;
    float fireRateFactor = 1.0f;
    // The target of the last weapon step (not counted).
    CPGameObject* aimTarget = nullptr;
    // Copy of the selected weapon's record.
    CPWeaponInfo weaponParameters;
    // Copy of the committed configuration's mine record.
    CPMineInfo mineParameters;

  private:
    void BurnHitSet(float dt);
    void SpinBarrel(float dt);
    void AimWeapon();
    void FireWeapon();
    // Shows the next muzzle flash and answers where the shot starts.
    Vector3 AdvanceFlare();
    void LaunchByKind(const Vector3& start, const Vector3& direction);
    void SpawnFlame(const Vector3& start, const Vector3& direction);

    CPPlayer& m_car;
};
