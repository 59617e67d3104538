#include "platform/gl/GlEffectPass.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Texture.h"

namespace platform {

namespace {

// The render states an effect pass of ours may name.
bool StateByName(std::string_view name, RenderState* state)
{
    static const struct {
        const char* name;
        RenderState state;
    } kNames[] = {
        {"ZEnable", RenderState::ZEnable},
        {"ZWriteEnable", RenderState::ZWriteEnable},
        {"ZFunc", RenderState::ZFunc},
        {"AlphaTestEnable", RenderState::AlphaTestEnable},
        {"AlphaRef", RenderState::AlphaRef},
        {"AlphaFunc", RenderState::AlphaFunc},
        {"AlphaBlendEnable", RenderState::AlphaBlendEnable},
        {"SrcBlend", RenderState::SrcBlend},
        {"DestBlend", RenderState::DestBlend},
        {"CullMode", RenderState::CullMode},
        {"Lighting", RenderState::Lighting},
        {"FogEnable", RenderState::FogEnable},
    };
    for (const auto& entry : kNames) {
        if (SameIgnoringCase(name, entry.name)) {
            *state = entry.state;
            return true;
        }
    }
    return false;
}

// "true", "false" or a whole number, as effect files write state values.
bool StateValue(const std::string& text, std::uint32_t* value)
{
    if (SameIgnoringCase(text, "true")) {
        *value = 1;
        return true;
    }
    if (SameIgnoringCase(text, "false")) {
        *value = 0;
        return true;
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0')
        return false;
    *value = static_cast<std::uint32_t>(number);
    return true;
}

} // namespace

std::uint32_t GlEffectPass::StateOr(RenderState state, std::uint32_t deviceValue) const
{
    if (!m_active)
        return deviceValue;
    for (std::size_t i = 0; i < m_stateCount; ++i)
        if (m_states[i].state == state)
            return m_states[i].value;
    return deviceValue;
}

void GlEffectPass::OnEffectPass(const Effect& effect, const EffectPass& pass)
{
    m_active = true;
    m_texture = nullptr;
    const EffectParameter* first = effect.ParameterByName("tex0");
    if (first && first->type == EffectValueType::Texture && m_textures.count(first->texture))
        m_texture = static_cast<Texture*>(const_cast<void*>(first->texture));
    m_stateCount = 0;
    for (const auto& assignment : pass.states) {
        if (m_stateCount == kMaxStates)
            break;
        Assignment& next = m_states[m_stateCount];
        if (StateByName(assignment.first, &next.state) && StateValue(assignment.second, &next.value))
            ++m_stateCount;
    }
}

} // namespace platform
