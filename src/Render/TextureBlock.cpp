#include "Render/TextureBlock.h"

#include "Render/PTexture.h"
#include "Render/TextureLibrary.h"

CPTextureBlock::CPTextureBlock(const std::vector<CPTexture*>& textures)
    : m_textures(textures.begin(), textures.end())
{
}

CPTextureBlock::~CPTextureBlock()
{
    m_textures.clear();
    if (m_library)
        m_library->Forget(this);
}

CPTexture* CPTextureBlock::GetTexture(int index) const
{
    if (index < 0 || index >= GetTextureCount())
        return nullptr;
    return static_cast<CPTexture*>(m_textures[static_cast<std::size_t>(index)].Get());
}

bool CPTextureBlock::Holds(const std::vector<CPTexture*>& textures) const
{
    if (textures.size() != m_textures.size())
        return false;
    for (std::size_t i = 0; i < textures.size(); ++i)
        if (m_textures[i].Get() != textures[i])
            return false;
    return true;
}
