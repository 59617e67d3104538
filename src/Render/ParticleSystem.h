#pragma once

#include <string>
#include <vector>

#include "Render/EmitterDesc.h"
#include "core/GameObjectParts.h"
#include "core/Task.h"

class CPGameObject;
struct EffectNode;

// A task that, at a fixed interval, asks the effect manager for one chain
// of effect requests, one per emitter: each names an effect prototype and
// carries a start position scattered in a box and a velocity drawn from a
// cone, both placed by the owner's world matrix. Every tick can also damage
// a target and the owner's scripted object; the system ends itself once its
// lifetime has passed.
class CPParticleSystem : public CPTask, public CPRenderPart {
  public:
    // Ticks in one step; a longer frame skips the rest in whole intervals.
    static constexpr int kMaxTicksPerStep = 100;

    static constexpr int kTaskType = 1;

    // Copies the effect manager's emitter records of the names (normalising
    // the direction of each record it finds); unknown names are left out.
    CPParticleSystem(CPGameObject* owner, std::vector<std::string> emitterNames);

    std::uint32_t GetObjectSize() const override { return sizeof(CPParticleSystem); }
    std::string GetTypeName() const override { return "CPParticleSystem"; }
    int GetTaskType() const override { return kTaskType; }

    std::int32_t GetPartKind() const override;

    // Starts with an empty accumulator and age 0.
    bool Begin() override;
    void Step() override;
    // A new system with the same owner, emitter copies and settings, for
    // the caller to own; accumulator and age are its own.
    CPObjectPtr Duplicate() override;

    // Seconds between ticks. Zero or less, or not a number, would tick
    // without end: such values are refused with a line in the log.
    bool SetInterval(float seconds);
    float GetInterval() const { return m_interval; }
    // Seconds after which the system ends itself; 0 or less: never.
    void SetLifetime(float seconds) { m_lifetime = seconds; }
    float GetLifetime() const { return m_lifetime; }
    void SetDamage(float amount) { m_damage = amount; }
    float GetDamage() const { return m_damage; }
    // A game object damaged at every tick; anything else clears it.
    void SetDamageTarget(CPObjectPtr target);
    CPObjectPtr GetDamageTarget() const { return m_damageTarget; }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }

    float GetAge() const { return m_age; }
    float GetAccumulator() const { return m_accumulator; }
    const std::vector<CPEmitterDesc>& GetEmitters() const { return m_emitters; }
    const std::vector<std::string>& GetEmitterNames() const { return m_emitterNames; }

  private:
    // One tick's damage, age and requests; false once the system has ended.
    bool Tick();
    void SkipWholeIntervals();
    void DamageTarget();
    void DamageScriptOwner();
    void Emit();
    void MakeRequest(const CPEmitterDesc& emitter, bool first, const Matrix4& frame,
                     EffectNode& request) const;

    std::vector<CPEmitterDesc> m_emitters;
    std::vector<std::string> m_emitterNames;
    float m_accumulator = 0.0f;
    float m_interval = 0.5f;
    float m_lifetime = -1.0f;
    float m_age = 0.0f;
    float m_damage = 0.0f;
    CPObjectPtr m_damageTarget;
    CPGameObject* m_owner = nullptr; // not counted
};
