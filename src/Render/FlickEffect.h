#pragma once

#include <cstdint>

#include "Render/VertexEffect.h"

// Flickers the alpha: a sine of the effect's time swings a level between
// low and high, and every vertex's alpha is scaled by level / 255 (its
// colour becomes white). Each instance starts at a random phase.
class CPFlickEffect : public CPVertexEffect {
  public:
    // Draws one random number for the phase.
    CPFlickEffect(float frequency, std::uint8_t low, std::uint8_t high);

    void Update(float dt) override;
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override;
    std::unique_ptr<CPVertexEffect> Clone() const override;

    float GetFrequency() const { return m_frequency; }
    std::uint8_t GetBase() const { return m_base; }
    std::uint8_t GetHigh() const { return m_high; }
    std::int32_t GetValue() const { return m_value; }
    float GetAmplitude() const { return m_amplitude; }
    float GetTime() const { return m_time; }

  private:
    float m_frequency;
    std::uint8_t m_base;
    std::uint8_t m_high;
    std::int32_t m_value = 0;
    float m_amplitude;
    float m_time;
};
