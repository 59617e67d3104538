#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace platform {

class MemoryTexture;

// A sampler's states, by SamplerState.
struct SamplerSettings {
    std::uint32_t values[static_cast<std::size_t>(SamplerState::Count)] = {};
};

// Copies every level of the texture into the GL_TEXTURE_2D bound on the
// active unit. Compressed levels go up as they are when the context takes
// them (`compressedOk`), else unpacked through `scratch`.
void UploadTexture(const MemoryTexture& texture, bool compressedOk, std::vector<std::uint8_t>& scratch);

// Sets filtering and addressing of the bound GL_TEXTURE_2D.
void ApplySampler(const SamplerSettings& settings, bool hasMips, float maxAnisotropy);

} // namespace platform
