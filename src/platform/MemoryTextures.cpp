#include "platform/MemoryTextures.h"

#include <algorithm>

namespace platform {

MemoryTexture::MemoryTexture(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t width,
                             std::uint32_t height, std::uint32_t levels, std::uint32_t usage,
                             PixelFormat format, ResourcePool pool)
    : Texture(device, owner, pool), m_format(format), m_usage(usage),
      m_levels(MakeSurfaceChain(format, width, height, levels))
{
}

HResult MemoryTexture::GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const
{
    if (!desc || level >= m_levels.size())
        return kInvalidCall;
    desc->format = m_format;
    desc->width = m_levels[level].width;
    desc->height = m_levels[level].height;
    return S_OK;
}

HResult MemoryTexture::LockRect(std::uint32_t level, LockedRect* locked, const PixelRect* rect,
                                std::uint32_t flags)
{
    (void)flags;
    if (!locked || level >= m_levels.size())
        return kInvalidCall;
    return LockSurfaceLevel(m_levels[level], m_format, GetOwner(), locked, rect);
}

HResult MemoryTexture::UnlockRect(std::uint32_t level)
{
    if (level >= m_levels.size() || !m_levels[level].locked)
        return kInvalidCall;
    m_levels[level].locked = false;
    ++m_contentVersion;
    return S_OK;
}

bool MemoryTexture::IsLevelLocked(std::uint32_t level) const
{
    return level < m_levels.size() && m_levels[level].locked;
}

const std::uint8_t* MemoryTexture::GetLevelBytes(std::uint32_t level) const
{
    return level < m_levels.size() ? m_levels[level].bytes.data() : nullptr;
}

std::uint32_t MemoryTexture::GetLevelPitch(std::uint32_t level) const
{
    return level < m_levels.size() ? m_levels[level].pitch : 0;
}

std::uint32_t MemoryTexture::SetLOD(std::uint32_t lod)
{
    const std::uint32_t previous = m_lod;
    m_lod = std::min(lod, GetLevelCount() - 1);
    ++m_lodSetCount;
    return previous;
}

// ---- Cube texture ----

MemoryCubeTexture::MemoryCubeTexture(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t edge,
                                     std::uint32_t levels, std::uint32_t usage, PixelFormat format,
                                     ResourcePool pool)
    : CubeTexture(device, owner, pool), m_format(format), m_usage(usage), m_levelCount(levels)
{
    m_levels.reserve(static_cast<std::size_t>(kFaceCount) * levels);
    for (std::uint32_t face = 0; face < kFaceCount; ++face) {
        std::vector<SurfaceLevel> chain = MakeSurfaceChain(format, edge, edge, levels);
        std::move(chain.begin(), chain.end(), std::back_inserter(m_levels));
    }
}

const SurfaceLevel* MemoryCubeTexture::Find(std::uint32_t face, std::uint32_t level) const
{
    if (face >= kFaceCount || level >= m_levelCount)
        return nullptr;
    return &m_levels[static_cast<std::size_t>(face) * m_levelCount + level];
}

SurfaceLevel* MemoryCubeTexture::Find(std::uint32_t face, std::uint32_t level)
{
    return const_cast<SurfaceLevel*>(static_cast<const MemoryCubeTexture*>(this)->Find(face, level));
}

HResult MemoryCubeTexture::GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const
{
    const SurfaceLevel* found = Find(0, level);
    if (!desc || !found)
        return kInvalidCall;
    desc->format = m_format;
    desc->width = found->width;
    desc->height = found->height;
    return S_OK;
}

HResult MemoryCubeTexture::LockRect(std::uint32_t face, std::uint32_t level, LockedRect* locked,
                                    const PixelRect* rect, std::uint32_t flags)
{
    (void)flags;
    SurfaceLevel* found = Find(face, level);
    if (!locked || !found)
        return kInvalidCall;
    return LockSurfaceLevel(*found, m_format, GetOwner(), locked, rect);
}

HResult MemoryCubeTexture::UnlockRect(std::uint32_t face, std::uint32_t level)
{
    SurfaceLevel* found = Find(face, level);
    if (!found || !found->locked)
        return kInvalidCall;
    found->locked = false;
    ++m_contentVersion;
    return S_OK;
}

bool MemoryCubeTexture::IsLevelLocked(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found && found->locked;
}

const std::uint8_t* MemoryCubeTexture::GetLevelBytes(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found ? found->bytes.data() : nullptr;
}

std::uint32_t MemoryCubeTexture::GetLevelPitch(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found ? found->pitch : 0;
}

const MemoryTexture* AsMemory(const Texture* texture) { return dynamic_cast<const MemoryTexture*>(texture); }

const MemoryCubeTexture* AsMemory(const CubeTexture* texture)
{
    return dynamic_cast<const MemoryCubeTexture*>(texture);
}

} // namespace platform
