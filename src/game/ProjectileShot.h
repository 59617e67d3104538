#pragma once

#include <string>
#include <vector>

#include "game/Shot.h"

// A shot that flies: bullets, tracers, rockets, plasma and gibs. Each frame
// it moves along its velocity (pulled down by its gravity) and tests the
// stretch against the level and the player's car; on a hit it damages what
// it hit by its launch value (its own damage when the launch value is
// negative, as the enemies launch), launches its hit kind at the hit point
// and ends. It also ends, silently, once it has flown its range.
//
// Parameters: model ("none" for none; a scene file in "Data\Meshes"
// otherwise), speed, range, hit kind ("none" for none), gravity, damage,
// sound.
class CPProjectileShot : public CPShot {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(CPProjectileShot); }

    CPObjectPtr Clone() override;
    bool Update() override;
    bool Init(const std::vector<std::string>& params) override;
    void Start(const Vector3& position, const Vector3& direction, float value) override;

    float GetSpeed() const { return m_speed; }
    float GetRange() const { return m_range; }
    float GetGravity() const { return m_gravity; }
    float GetDamage() const { return m_damage; }
    const std::string& GetHitKind() const { return m_hitKind; }
    const std::string& GetModel() const { return m_model; }
    const Vector3& GetHead() const { return m_head; }
    float GetTravelled() const { return m_travelled; }

  private:
    bool LoadModel();
    void Hit(const RayQuery& ray);
    // Counts the hit in the game's combat tally when the human player's car
    // fired the shot and it struck a car or an enemy.
    void CountPlayersHit(const CPGameObject* target) const;

    std::string m_model;
    float m_speed = 0.0f;
    float m_range = 0.0f;
    std::string m_hitKind;
    float m_gravity = 0.0f;
    float m_damage = 0.0f;
    Vector3 m_head;
    Vector3 m_velocity;
    float m_travelled = 0.0f;
};
