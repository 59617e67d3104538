#include "Render/MovingTexEffect.h"

#include <cmath>

#include "core/GameClock.h"
#include "platform/Random.h"

CPMovingTexEffect::CPMovingTexEffect(float rateU, float rateV) : m_rateU(rateU), m_rateV(rateV)
{
    const float phase = static_cast<float>(platform::Rand());
    m_offsetU = phase * rateU;
    m_offsetV = phase * rateV;
}

float WrapTextureOffset(float offset)
{
    // fmod is exact, so this is the value repeated subtraction reaches,
    // without looping forever on offsets too large to step down by 1.
    if (offset > 1.0f) {
        offset = std::fmod(offset, 1.0f);
        if (offset == 0.0f)
            offset = 1.0f;
    }
    if (offset < 0.0f) {
        offset = std::fmod(offset, 1.0f);
        if (offset < 0.0f)
            offset += 1.0f;
    }
    return offset;
}

void CPMovingTexEffect::Update(float dt)
{
    m_offsetU = WrapTextureOffset(m_offsetU + dt * m_rateU);
    m_offsetV = WrapTextureOffset(m_offsetV + dt * m_rateV);
}

void CPMovingTexEffect::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    Update(GetFrameTime());
    CopyVertices(out, in, count);
    for (int i = 0; i < count; ++i) {
        out[i].uv1.x += m_offsetU;
        out[i].uv1.y += m_offsetV;
    }
}

std::unique_ptr<CPVertexEffect> CPMovingTexEffect::Clone() const
{
    return std::make_unique<CPMovingTexEffect>(*this);
}
