#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsTypes.h"
#include "platform/Result.h"

namespace platform {

class ResourceOwner;
struct LockedRect;
struct PixelRect;

// One mip level of a texture or of a cube face: packed rows of pixels (or
// of 4x4 blocks for the compressed formats) in real memory.
struct SurfaceLevel {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t pitch = 0;
    std::vector<std::uint8_t> bytes;
    bool locked = false;
};

// Levels a full chain from width x height down to 1x1 holds.
std::uint32_t FullSurfaceChainLength(std::uint32_t width, std::uint32_t height);

// A chain of `count` levels, each half the one above, zero-filled.
std::vector<SurfaceLevel> MakeSurfaceChain(PixelFormat format, std::uint32_t width, std::uint32_t height,
                                           std::uint32_t count);

// Locks a level, or a rectangle of it (null: the whole level). Fails for a
// rectangle outside the level or off the block grid of a compressed
// format, for a level already locked and when the owning device refuses
// the lock.
HResult LockSurfaceLevel(SurfaceLevel& level, PixelFormat format, ResourceOwner* owner, LockedRect* locked,
                         const PixelRect* rect);

} // namespace platform
