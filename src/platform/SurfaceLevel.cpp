#include "platform/SurfaceLevel.h"

#include <algorithm>

#include "platform/GraphicsResource.h"
#include "platform/Texture.h"

namespace platform {

namespace {

// Rows and columns of storage units: pixels, or 4x4 blocks when compressed.
std::uint32_t Units(PixelFormat format, std::uint32_t pixels)
{
    return IsBlockCompressed(format) ? (pixels + 3) / 4 : pixels;
}

} // namespace

std::uint32_t FullSurfaceChainLength(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

std::vector<SurfaceLevel> MakeSurfaceChain(PixelFormat format, std::uint32_t width, std::uint32_t height,
                                           std::uint32_t count)
{
    std::vector<SurfaceLevel> levels(count);
    for (SurfaceLevel& level : levels) {
        level.width = width;
        level.height = height;
        level.pitch = Units(format, width) * FormatUnitBytes(format);
        level.bytes.assign(static_cast<std::size_t>(level.pitch) * Units(format, height), 0);
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    return levels;
}

HResult LockSurfaceLevel(SurfaceLevel& level, PixelFormat format, ResourceOwner* owner, LockedRect* locked,
                         const PixelRect* rect)
{
    if (!locked)
        return kInvalidCall;
    *locked = LockedRect{};
    if (level.locked)
        return kInvalidCall;
    std::uint32_t column = 0;
    std::uint32_t row = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
            static_cast<std::uint32_t>(rect->right) > level.width ||
            static_cast<std::uint32_t>(rect->bottom) > level.height)
            return kInvalidCall;
        if (IsBlockCompressed(format) && (rect->left % 4 != 0 || rect->top % 4 != 0))
            return kInvalidCall;
        column = Units(format, static_cast<std::uint32_t>(rect->left));
        row = Units(format, static_cast<std::uint32_t>(rect->top));
    }
    if (owner && owner->RefusesLock())
        return kInvalidCall;
    level.locked = true;
    locked->pitch = static_cast<std::int32_t>(level.pitch);
    locked->bits = level.bytes.data() + static_cast<std::size_t>(row) * level.pitch +
                   static_cast<std::size_t>(column) * FormatUnitBytes(format);
    return S_OK;
}

} // namespace platform
