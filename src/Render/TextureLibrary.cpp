#include "Render/TextureLibrary.h"

#include "Render/PTexture.h"
#include "Render/TextureBlock.h"
#include "core/Log.h"

namespace {
CPTextureLibrary* g_textureLibrary = nullptr;
}

CPTextureLibrary* GetTextureLibrary() { return g_textureLibrary; }

void SetTextureLibrary(CPTextureLibrary* library) { g_textureLibrary = library; }

CPTextureLibrary::CPTextureLibrary() : m_textures(100) {}

CPTextureLibrary::~CPTextureLibrary()
{
    // Blocks first: they hold the textures. Each one leaves the list as it
    // is deleted, so the list is walked from a copy.
    std::vector<CPObject*> blocks;
    for (const CPObjectPtr& block : m_blocks)
        blocks.push_back(block.Get());
    for (CPObject* block : blocks)
        delete block;
    std::vector<CPObject*> textures;
    for (const auto& entry : m_textures)
        textures.push_back(entry.second.Get());
    for (CPObject* texture : textures)
        delete texture;
}

CPTexture* CPTextureLibrary::FindTexture(const std::string& name) const
{
    auto found = m_textures.find(name);
    return found == m_textures.end() ? nullptr : static_cast<CPTexture*>(found->second.Get());
}

CPTexture* CPTextureLibrary::Adopt(const std::string& key, CPTexture* texture)
{
    texture->m_library = this;
    m_textures[key] = CPObjectPtr(texture);
    return texture;
}

CPTexture* CPTextureLibrary::GetTexture(const std::string& name)
{
    if (CPTexture* known = FindTexture(name))
        return known;
    auto* texture = new CPTexture;
    if (!texture->Load(name)) {
        delete texture;
        texture = new CPTexture;
        if (texture->Load(kErrorTexture))
            LogLine("Texture \"" + name + "\" cannot be loaded; \"" + kErrorTexture + "\" stands in for it");
        else
            LogLine("Texture \"" + name + "\" cannot be loaded, nor can \"" + kErrorTexture +
                    "\": it is drawn without a texture");
    }
    return Adopt(name, texture);
}

CPTextureBlock* CPTextureLibrary::GetTextureBlock(const std::vector<std::string>& names)
{
    std::vector<CPTexture*> textures;
    textures.reserve(names.size());
    for (const std::string& name : names)
        textures.push_back(GetTexture(name));
    for (const CPObjectPtr& entry : m_blocks) {
        auto* block = static_cast<CPTextureBlock*>(entry.Get());
        if (block->Holds(textures))
            return block;
    }
    auto* block = new CPTextureBlock(textures);
    block->m_library = this;
    m_blocks.emplace_back(block);
    return block;
}

CPTexture* CPTextureLibrary::PublishVideoTexture(const std::string& key, const std::string& videoName,
                                                 platform::Texture* frame)
{
    CPTexture* entry = FindTexture(key);
    if (!entry)
        entry = Adopt(key, new CPTexture);
    entry->ShowVideo(frame, videoName);
    return entry;
}

void CPTextureLibrary::Forget(const CPTexture* texture)
{
    for (auto entry = m_textures.begin(); entry != m_textures.end(); ++entry) {
        if (entry->second.Get() == texture) {
            m_textures.erase(entry);
            return;
        }
    }
}

void CPTextureLibrary::Forget(const CPTextureBlock* block)
{
    for (auto entry = m_blocks.begin(); entry != m_blocks.end(); ++entry) {
        if (entry->Get() == block) {
            m_blocks.erase(entry);
            return;
        }
    }
}
