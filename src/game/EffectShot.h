#pragma once

#include <string>
#include <vector>

#include "game/Shot.h"

// A shot that stays where it was started for a while: explosions, blood,
// oil and sparks. Starting it asks the effect manager for its effect at
// the position, moving along the direction.
//
// Parameters: effect name ("none" for none), lifetime in seconds, sound.
class CPEffectShot : public CPShot {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(CPEffectShot); }

    CPObjectPtr Clone() override;
    bool Update() override;
    bool Init(const std::vector<std::string>& params) override;
    void Start(const Vector3& position, const Vector3& direction, float value) override;

    const std::string& GetEffectName() const { return m_effectName; }
    float GetLifetime() const { return m_lifetime; }
    float GetAge() const { return m_age; }

  private:
    std::string m_effectName;
    float m_lifetime = 0.0f;
    float m_age = 0.0f;
};
