#include "Render/FadeEffect.h"

#include "Render/ColourByte.h"
#include "core/GameClock.h"

void CPFadeEffect::Update(float dt)
{
    m_alpha -= dt * m_rate;
    // Also catches NaN.
    if (!(m_alpha >= 0.0f))
        m_alpha = 0.0f;
}

void CPFadeEffect::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    Update(GetFrameTime());
    CopyVertices(out, in, count);
    const std::uint32_t diffuse = (TruncatedLowByte(m_alpha) << 24) | 0xFFFFFFu;
    for (int i = 0; i < count; ++i)
        out[i].diffuse = diffuse;
}

std::unique_ptr<CPVertexEffect> CPFadeEffect::Clone() const { return std::make_unique<CPFadeEffect>(*this); }
