#pragma once

#include <array>
#include <cstdint>
#include <unordered_set>

#include "platform/Effect.h"
#include "platform/GraphicsTypes.h"

namespace platform {

class Texture;

// What the pass of an effect being drawn asks of the window's device in
// place of the shaders that never run: the effect's first texture ("tex0")
// on the lit vertex colour, colour and alpha alike, and the render states
// the pass names (blending, depth writes, alpha test, ...) over those set
// on the device, until the pass ends.
class GlEffectPass {
  public:
    // Only textures this device made can be drawn; the effect holds its
    // textures untyped, so the device names its 2D textures here.
    void AddTexture(const Texture* texture) { m_textures.insert(texture); }
    void ForgetTexture(const void* texture)
    {
        m_textures.erase(texture);
        if (m_texture == texture)
            m_texture = nullptr;
    }

    bool IsActive() const { return m_active; }
    Texture* GetTexture() const { return m_texture; }
    // The value the pass gives the state, else the device's own.
    std::uint32_t StateOr(RenderState state, std::uint32_t deviceValue) const;

    void OnEffectPass(const Effect& effect, const EffectPass& pass);
    void OnEffectPassEnd() { m_active = false; }

  private:
    static constexpr std::size_t kMaxStates = 16;
    struct Assignment {
        RenderState state;
        std::uint32_t value;
    };

    std::unordered_set<const void*> m_textures;
    bool m_active = false;
    Texture* m_texture = nullptr;
    std::array<Assignment, kMaxStates> m_states{};
    std::size_t m_stateCount = 0;
};

} // namespace platform
