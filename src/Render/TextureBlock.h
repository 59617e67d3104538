#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Object.h"

class CPTexture;
class CPTextureLibrary;

// The textures of a material, in order. Blocks are shared: the texture
// library makes one per distinct sequence of textures.
class CPTextureBlock : public CPObject {
  public:
    explicit CPTextureBlock(const std::vector<CPTexture*>& textures);
    ~CPTextureBlock() override;
    CPTextureBlock(const CPTextureBlock&) = delete;
    CPTextureBlock& operator=(const CPTextureBlock&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPTextureBlock); }
    std::string GetTypeName() const override { return "CPTextureBlock"; }

    int GetTextureCount() const { return static_cast<int>(m_textures.size()); }
    CPTexture* GetTexture(int index) const;
    // Whether the block holds exactly these textures in this order.
    bool Holds(const std::vector<CPTexture*>& textures) const;

  private:
    friend class CPTextureLibrary;
    std::vector<CPObjectPtr> m_textures;
    // The library that lists this block, told when it goes.
    CPTextureLibrary* m_library = nullptr;
};
