#pragma once

#include "Render/VertexEffect.h"

// Environment-map coordinates from position and normal:
// tex2 = position.xy / scale + normal.xy / 2. Has no clock.
class CPEnvironmentEffect : public CPVertexEffect {
  public:
    // The scale must not be zero (the factory refuses it).
    explicit CPEnvironmentEffect(float scale) : m_scale(scale) {}

    void Update(float) override {}
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override;
    std::unique_ptr<CPVertexEffect> Clone() const override;

    float GetScale() const { return m_scale; }

  private:
    float m_scale;
};
