#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Object.h"

class CPEffect;
class CPRender;
class CPTextureBlock;

// What a renderable draws with: an effect, its textures and an option
// (the material's type, which the draw loop interprets). Materials are
// shared: the material library makes one per distinct combination.
class CPMaterial : public CPObject {
  public:
    CPMaterial(int option, CPEffect* effect, CPTextureBlock* textureBlock);
    CPMaterial(const CPMaterial&) = delete;
    CPMaterial& operator=(const CPMaterial&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPMaterial); }
    std::string GetTypeName() const override;

    CPEffect* GetEffect() const;
    CPTextureBlock* GetTextureBlock() const;
    int GetOption() const { return m_option; }
    // Where the material stands among all the materials made, from 0: a
    // render list keeps the material's batch in this place.
    std::uint32_t GetSlot() const { return m_slot; }
    // The renderer of the time the material was made.
    CPRender* GetRenderer() const { return m_renderer; }
    // Whether the material is made of exactly these parts.
    bool IsMadeOf(int option, const CPEffect* effect, const CPTextureBlock* textureBlock) const;

    // Values kept for the draw loop; nothing here reads them.
    std::vector<std::uint32_t>& Words() { return m_words; }
    std::uint8_t& Flag() { return m_flag; }

  private:
    CPRender* m_renderer;
    CPObjectPtr m_effect;
    CPObjectPtr m_textureBlock;
    std::vector<std::uint32_t> m_words;
    int m_option;
    std::uint32_t m_slot;
    std::uint8_t m_flag = 0;
};
