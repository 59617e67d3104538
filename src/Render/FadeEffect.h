#pragma once

#include "Render/VertexEffect.h"

// Fades white vertices out: the alpha starts at 255 and falls by the rate
// every second, down to 0 (a negative rate brightens without limit).
class CPFadeEffect : public CPVertexEffect {
  public:
    static constexpr float kStartAlpha = 255.0f;

    explicit CPFadeEffect(float rate) : m_rate(rate) {}

    void Update(float dt) override;
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override;
    std::unique_ptr<CPVertexEffect> Clone() const override;
    void Reset() override { m_alpha = kStartAlpha; }

    float GetRate() const { return m_rate; }
    float GetAlpha() const { return m_alpha; }

  private:
    float m_rate;
    float m_alpha = kStartAlpha;
};
