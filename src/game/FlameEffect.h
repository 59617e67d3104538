#pragma once

#include <string>

#include "Render/EffectPrototype.h"

// The effect the flame thrower asks for ("firethrower"): each request
// becomes one flame particle, a shot of the flame kind launched through the
// shot manager with the request's velocity, its first word as the lifetime
// and the car the request holds as the shooter that hears the particle's
// hits. The shot manager steps and recycles the particles, so the effect
// keeps nothing itself and stays out of the effect manager's active list.
class CPFlameEffect : public CPEffectPrototype {
  public:
    explicit CPFlameEffect(std::string shotKind = "flame");

    std::uint32_t GetObjectSize() const override { return sizeof(CPFlameEffect); }
    std::string GetTypeName() const override { return "CPFlameEffect - " + m_shotKind; }

    void SpawnInstance(CPInstanceDesc& instance) override;
    void ClearInstances() override {}

    const std::string& GetShotKind() const { return m_shotKind; }

  private:
    std::string m_shotKind;
};
