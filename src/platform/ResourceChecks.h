#pragma once

#include <cstdint>

#include "platform/GraphicsTypes.h"

namespace platform {

// What every graphics device refuses to make, so all answer alike.

// A length that holds whole indices of the format, and some.
bool IndexBufferSizeFits(std::uint32_t length, IndexFormat format);

// A texture within the caps, of a known format, with no more levels than
// its full chain; *chain gets the levels to make (levels 0: the full
// chain).
bool TextureFits(const DeviceCaps& caps, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                 PixelFormat format, std::uint32_t* chain);

} // namespace platform
