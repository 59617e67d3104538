#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsTypes.h"

namespace platform {

// Unpacks one level of a block-compressed texture (Dxt1, Dxt3, Dxt5) of
// width x height pixels into 32-bit B, G, R, A bytes, row by row. `blocks`
// holds the level's 4x4 blocks packed row of blocks after row of blocks.
// False for any other format.
bool DecodeBlocks(PixelFormat format, const std::uint8_t* blocks, std::uint32_t width, std::uint32_t height,
                  std::vector<std::uint8_t>& bgra);

} // namespace platform
