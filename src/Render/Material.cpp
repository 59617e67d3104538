#include "Render/Material.h"

#include <atomic>

#include "Render/PEffect.h"
#include "Render/PRender.h"
#include "Render/TextureBlock.h"

namespace {
std::atomic<std::uint32_t> g_madeMaterials{0};
}

CPMaterial::CPMaterial(int option, CPEffect* effect, CPTextureBlock* textureBlock)
    : m_renderer(GetRender()), m_effect(effect), m_textureBlock(textureBlock), m_option(option),
      m_slot(g_madeMaterials++)
{
}

std::string CPMaterial::GetTypeName() const
{
    const CPEffect* effect = GetEffect();
    return "CPMaterial - " + (effect ? effect->GetName() : std::string());
}

CPEffect* CPMaterial::GetEffect() const { return static_cast<CPEffect*>(m_effect.Get()); }

CPTextureBlock* CPMaterial::GetTextureBlock() const
{
    return static_cast<CPTextureBlock*>(m_textureBlock.Get());
}

bool CPMaterial::IsMadeOf(int option, const CPEffect* effect, const CPTextureBlock* textureBlock) const
{
    return m_option == option && m_effect.Get() == effect && m_textureBlock.Get() == textureBlock;
}
