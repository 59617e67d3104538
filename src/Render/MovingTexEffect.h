#pragma once

#include "Render/VertexEffect.h"

// Scrolls the first texture pair: offsets grow by the rates every second
// and stay within [0, 1]. Each instance starts at a random phase.
class CPMovingTexEffect : public CPVertexEffect {
  public:
    // Draws one random number for the phase.
    CPMovingTexEffect(float rateU, float rateV);

    void Update(float dt) override;
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override;
    std::unique_ptr<CPVertexEffect> Clone() const override;

    float GetRateU() const { return m_rateU; }
    float GetRateV() const { return m_rateV; }
    float GetOffsetU() const { return m_offsetU; }
    float GetOffsetV() const { return m_offsetV; }

  private:
    float m_rateU;
    float m_rateV;
    float m_offsetU;
    float m_offsetV;
};

// Brings an offset into [0, 1] as stepping by whole units would: above 1
// it comes down to (0, 1] (so 1 stays 1), below 0 it comes up to [0, 1).
// Any size of offset takes the same few steps.
float WrapTextureOffset(float offset);
