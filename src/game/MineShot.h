#pragma once

#include <string>
#include <vector>

#include "game/Shot.h"

class CPPlayer;

// A mine laid on the road. It lies still and harmless for its arming time,
// so the car that laid it gets away; armed, it goes off under the first car
// whose box comes within its trigger radius: that car takes the damage and
// is thrown upwards, and the blast kind is launched where the mine lay.
//
// Parameters: arming time in seconds, trigger radius, damage, blast kind
// ("none" for none), lift (the upward speed the blast gives a car), sound.
class CPMineShot : public CPShot {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(CPMineShot); }

    CPObjectPtr Clone() override;
    bool Update() override;
    bool Init(const std::vector<std::string>& params) override;
    void Start(const Vector3& position, const Vector3& direction, float value) override;

    bool IsArmed() const { return m_age >= m_armTime; }
    float GetTriggerRadius() const { return m_radius; }

  private:
    // The car over the mine, the human player's first; null when none is.
    CPPlayer* CarOver() const;
    void GoOff(CPPlayer& car);

    float m_armTime = 0.0f;
    float m_radius = 0.0f;
    float m_damage = 0.0f;
    std::string m_blastKind;
    float m_lift = 0.0f;
    float m_age = 0.0f;
};
