#pragma once

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Object.h"

namespace platform {
class Texture;
}

class CPTexture;
class CPTextureBlock;

// Hands out shared textures and texture blocks. A texture is loaded once
// per requested name (options included) and a name that cannot be loaded
// gets its own copy of "error.tga", so it is tried only once. Everything
// the library makes stays until the library goes, which deletes it.
class CPTextureLibrary {
  public:
    static constexpr const char* kErrorTexture = "error.tga";

    CPTextureLibrary();
    ~CPTextureLibrary();
    CPTextureLibrary(const CPTextureLibrary&) = delete;
    CPTextureLibrary& operator=(const CPTextureLibrary&) = delete;

    // The texture of that name, loaded on first request.
    CPTexture* GetTexture(const std::string& name);
    // The block of the named textures in that order, made on first request.
    CPTextureBlock* GetTextureBlock(const std::vector<std::string>& names);

    // The texture listed under the name, or null; loads nothing.
    CPTexture* FindTexture(const std::string& name) const;
    std::size_t GetTextureCount() const { return m_textures.size(); }
    std::size_t GetBlockCount() const { return m_blocks.size(); }

    // A video player shows its frame texture through the entry `key`
    // ("video" or "video1", as materials request it), under `videoName`.
    // The entry is made when no material has asked for it yet.
    CPTexture* PublishVideoTexture(const std::string& key, const std::string& videoName,
                                   platform::Texture* frame);

    // Called by a texture or block that goes: its own entry is removed,
    // never another's.
    void Forget(const CPTexture* texture);
    void Forget(const CPTextureBlock* block);

  private:
    CPTexture* Adopt(const std::string& key, CPTexture* texture);

    std::unordered_map<std::string, CPObjectPtr> m_textures;
    std::list<CPObjectPtr> m_blocks;
};

// The engine's texture library; null until the start-up code stores one.
CPTextureLibrary* GetTextureLibrary();
void SetTextureLibrary(CPTextureLibrary* library);
