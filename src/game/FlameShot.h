#pragma once

#include <string>
#include <vector>

#include "game/Shot.h"

// One flame particle of the flame thrower. It flies with the velocity it
// was started with (the direction, whose length is its speed), rising or
// falling by its gravity, for the launch value's seconds; each frame it
// reports the stretch it covered to its shooter, when the shooter handles
// shot hits, which may spend it by setting its life to 1000.
//
// Parameters: gravity (negative rises), sound.
class CPFlameShot : public CPShot {
  public:
    // Seconds a flame lives when launched without a lifetime.
    static constexpr float kDefaultLifetime = 1.0f;

    std::uint32_t GetObjectSize() const override { return sizeof(CPFlameShot); }

    CPObjectPtr Clone() override;
    bool Update() override;
    bool Init(const std::vector<std::string>& params) override;
    void Start(const Vector3& position, const Vector3& direction, float value) override;

    float GetLife() const { return m_life; }
    float GetLifetime() const { return m_lifetime; }
    const Vector3& GetHead() const { return m_head; }

  private:
    float m_gravity = 0.0f;
    Vector3 m_head;
    Vector3 m_velocity;
    float m_life = 0.0f;
    float m_lifetime = kDefaultLifetime;
};
