#include "platform/ResourceChecks.h"

#include "platform/SurfaceLevel.h"

namespace platform {

bool IndexBufferSizeFits(std::uint32_t length, IndexFormat format)
{
    const std::uint32_t indexSize = format == IndexFormat::Index16 ? 2 : 4;
    return length != 0 && length % indexSize == 0;
}

bool TextureFits(const DeviceCaps& caps, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                 PixelFormat format, std::uint32_t* chain)
{
    if (width == 0 || height == 0 || width > caps.maxTextureWidth || height > caps.maxTextureHeight ||
        FormatUnitBytes(format) == 0)
        return false;
    const std::uint32_t fullChain = FullSurfaceChainLength(width, height);
    if (levels > fullChain)
        return false;
    *chain = levels == 0 ? fullChain : levels;
    return true;
}

} // namespace platform
