#pragma once

#include <cstdint>

#include "platform/MathTypes.h"

class CPGameObject;
class CPPlayer;

// What the track's bonuses do to a car: the pick-ups (repair, speed-up,
// slow-down, ability up and down, the gloom portal), the barriers of the
// sides (sphere, lift, light, halo) and the timed states they leave behind
// (the gloom, the slow-down, the doubled damage). The car object owns it and
// forwards the check the race calls it by.
class CPPlayerBonuses {
  public:
    explicit CPPlayerBonuses(CPPlayer& car) : m_car(car) {}
    CPPlayerBonuses(const CPPlayerBonuses&) = delete;
    CPPlayerBonuses& operator=(const CPPlayerBonuses&) = delete;

    // Tests the car against every object of the game data's bonus list
    // while the race runs: pick-ups act and leave the list, barriers act on
    // the cars of their side.
    void CheckBonuses();

    // Per-frame steps of the states the bonuses leave.
    void UpdateDamageBonus(float dt);
    void UpdateGloom(float dt);
    void UpdateSlow(float dt);

    bool inGloom = false;
    float gloomTimer = 0.0f;
    bool slowed = false;
    float slowTimer = 0.0f;
    std::int32_t repelCount = 0;
    double repelWindowStart = 0.0;
    Vector3 repelDirection;
    double haloTime = 0.0;
    float damageBonusTimer = 0.0f;
    bool damageBonus = false;

  private:
    // Pick-ups and barriers.
    bool ApplyBonus(CPGameObject& bonus);
    void RepairBonus(CPGameObject& bonus);
    void FastBonus(CPGameObject& bonus);
    void SlowBonus(CPGameObject& bonus);
    void AbilityBonus(CPGameObject& bonus, int change);
    void GloomBonus(CPGameObject& bonus);
    void RepelFromSphere(CPGameObject& barrier);
    void LiftByVBii();
    void StunByLight();
    void PushFromHalo(CPGameObject& halo);
    void TellPlayer(const char* text) const;
    void GiveOffGloomSparks();
    bool RearFlareHidden();

    CPPlayer& m_car;
};
