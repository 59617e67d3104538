#pragma once

#include <cstdint>

#include "game/ShopItems.h"

class CPPlayer;

// The per-frame state of a car: the wreck and its smoke, the defeat of the
// player's own car, drifting and the bend arrows, the countdowns, the
// engine's heat, the release after a stun and the sound of a collision. The
// car object owns it and forwards its state update to it.
class CPPlayerState {
  public:
    explicit CPPlayerState(CPPlayer& car) : m_car(car) {}
    CPPlayerState(const CPPlayerState&) = delete;
    CPPlayerState& operator=(const CPPlayerState&) = delete;

    // The per-frame state of the car (frame time in seconds).
    void UpdateState(float dt);

    // Copy of the committed configuration's engine record (its fourth
    // value is the heat rate, its fifth the cool rate, per second).
    CPEngineInfo engineParameters;
    float engineTemperature = 0.0f;
    std::int32_t arrowDirection = 0;
    float driftTime = 0.0f;
    float defeatTimer = 0.0f;
    bool gameOverSent = false;
    float smokeTimer = 0.0f;
    float slamTimer = 0.0f;

  private:
    void UpdateWreck(float dt);
    void UpdateDefeat(float dt);
    void UpdateDriftAndArrows();
    void UpdateCountdowns(float dt);
    void UpdateEngineTemperature(float dt);
    void UpdateStunRelease(float dt);
    void UpdateCollisionSound(float dt);

    CPPlayer& m_car;
};
