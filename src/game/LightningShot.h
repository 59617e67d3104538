#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/Shot.h"

// The lightning strike: a textured band that grows from where it was
// started along its direction until it meets a car, where it launches its
// hit kind, or until it has grown 20 units. The band is a quad of its own
// render object, turned each frame to face the game camera. It is made
// directly, never cloned from a pool.
//
// Parameters: target kind ("enemy" or other), speed, power, width,
// texture, effect, material option, hit kind, one unused value, sound.
// Missing or unreadable values keep their defaults.
class CPLightningShot : public CPShot {
  public:
    static constexpr float kMaxTravel = 20.0f;

    std::uint32_t GetObjectSize() const override { return sizeof(CPLightningShot); }

    // A lightning is made directly; the answer is always empty.
    CPObjectPtr Clone() override { return CPObjectPtr(); }
    bool Update() override { return Advance() == 1; }
    bool Init(const std::vector<std::string>& params) override;
    void Start(const Vector3& position, const Vector3& direction, float value) override;

    // One frame of growth: 1 while it grows, 0 when it met a car (the hit
    // kind is launched there), -1 once it has grown past 20 units.
    virtual int Advance();

    float GetSpeed() const { return m_speed; }
    float GetPower() const { return m_power; }
    float GetWidth() const { return m_width; }
    float GetTravelled() const { return m_travelled; }
    bool IsTargetEnemy() const { return m_targetIsEnemy; }
    std::int32_t GetMaterialOption() const { return m_materialOption; }
    const std::string& GetHitKind() const { return m_hitKind; }
    const std::string& GetTextureName() const { return m_textureName; }
    const std::string& GetEffectName() const { return m_effectName; }
    const Vector3& GetOrigin() const { return m_origin; }
    const Vector3& GetHead() const { return m_head; }

  private:
    void BuildQuad();
    void PlaceQuad();
    Vector3 EyePoint() const;

    float m_speed = 10.0f;
    float m_power = 0.0f;
    float m_powerParameter = 0.0f;
    float m_travelled = 0.0f;
    std::string m_hitKind;
    std::string m_textureName;
    std::string m_effectName;
    bool m_targetIsEnemy = true;
    std::int32_t m_materialOption = 0;
    Vector3 m_origin;
    Vector3 m_head;
    Vector3 m_unitDirection;
    float m_width = 0.5f;
};
