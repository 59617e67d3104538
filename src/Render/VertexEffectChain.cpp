#include "Render/VertexEffectChain.h"

#include <cstring>

CPVertexEffectChain::CPVertexEffectChain(const CPVertexEffectChain& other)
{
    m_effects.reserve(other.m_effects.size());
    for (const auto& effect : other.m_effects)
        m_effects.push_back(effect->Clone());
}

CPVertexEffectChain& CPVertexEffectChain::operator=(const CPVertexEffectChain& other)
{
    if (this == &other)
        return *this;
    CPVertexEffectChain copy(other);
    m_effects.swap(copy.m_effects);
    return *this;
}

void CPVertexEffectChain::Add(std::unique_ptr<CPVertexEffect> effect)
{
    if (effect)
        m_effects.push_back(std::move(effect));
}

void CPVertexEffectChain::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    if (m_effects.empty()) {
        if (out != in && count > 0)
            std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(CPMeshVertex));
        return;
    }
    m_effects.front()->Apply(out, in, count);
    for (std::size_t i = 1; i < m_effects.size(); ++i)
        m_effects[i]->Apply(out, out, count);
}

void CPVertexEffectChain::Reset()
{
    for (const auto& effect : m_effects)
        effect->Reset();
}
