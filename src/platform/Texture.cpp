#include "platform/Texture.h"

#include <algorithm>

#include "platform/GraphicsDevice.h"

namespace platform {

namespace {

// Rows and columns of storage units: pixels, or 4x4 blocks when compressed.
std::uint32_t Units(PixelFormat format, std::uint32_t pixels)
{
    return IsBlockCompressed(format) ? (pixels + 3) / 4 : pixels;
}

} // namespace

std::uint32_t Texture::FullChainLength(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++levels;
    }
    return levels;
}

Texture::Texture(GraphicsDevice* device, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                 std::uint32_t usage, PixelFormat format, ResourcePool pool)
    : GraphicsResource(device, pool), m_format(format), m_usage(usage), m_levels(levels)
{
    for (Level& level : m_levels) {
        level.width = width;
        level.height = height;
        level.pitch = Units(format, width) * FormatUnitBytes(format);
        level.bytes.assign(static_cast<std::size_t>(level.pitch) * Units(format, height), 0);
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
}

HResult Texture::GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const
{
    if (!desc || level >= m_levels.size())
        return kInvalidCall;
    desc->format = m_format;
    desc->width = m_levels[level].width;
    desc->height = m_levels[level].height;
    return S_OK;
}

HResult Texture::LockRect(std::uint32_t level, LockedRect* locked, const PixelRect* rect, std::uint32_t flags)
{
    (void)flags;
    if (!locked || level >= m_levels.size())
        return kInvalidCall;
    *locked = LockedRect{};
    Level& target = m_levels[level];
    if (target.locked)
        return kInvalidCall;
    std::uint32_t column = 0;
    std::uint32_t row = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
            static_cast<std::uint32_t>(rect->right) > target.width ||
            static_cast<std::uint32_t>(rect->bottom) > target.height)
            return kInvalidCall;
        if (IsBlockCompressed(m_format) && (rect->left % 4 != 0 || rect->top % 4 != 0))
            return kInvalidCall;
        column = Units(m_format, static_cast<std::uint32_t>(rect->left));
        row = Units(m_format, static_cast<std::uint32_t>(rect->top));
    }
    if (GetDevice() && GetDevice()->ConsumeFailure(DeviceFailure::Lock))
        return kInvalidCall;
    target.locked = true;
    locked->pitch = static_cast<std::int32_t>(target.pitch);
    locked->bits = target.bytes.data() + static_cast<std::size_t>(row) * target.pitch +
                   static_cast<std::size_t>(column) * FormatUnitBytes(m_format);
    return S_OK;
}

HResult Texture::UnlockRect(std::uint32_t level)
{
    if (level >= m_levels.size() || !m_levels[level].locked)
        return kInvalidCall;
    m_levels[level].locked = false;
    return S_OK;
}

bool Texture::IsLevelLocked(std::uint32_t level) const
{
    return level < m_levels.size() && m_levels[level].locked;
}

const std::uint8_t* Texture::GetLevelBytes(std::uint32_t level) const
{
    return level < m_levels.size() ? m_levels[level].bytes.data() : nullptr;
}

std::uint32_t Texture::GetLevelPitch(std::uint32_t level) const
{
    return level < m_levels.size() ? m_levels[level].pitch : 0;
}

} // namespace platform
