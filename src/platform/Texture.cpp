#include "platform/Texture.h"

#include <algorithm>

#include "platform/HeadlessGraphicsDevice.h"

namespace platform {

Texture::Texture(HeadlessGraphicsDevice* device, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                 std::uint32_t usage, PixelFormat format, ResourcePool pool)
    : GraphicsResource(device, pool), m_format(format), m_usage(usage),
      m_levels(MakeSurfaceChain(format, width, height, levels))
{
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
    return LockSurfaceLevel(m_levels[level], m_format, GetOwner(), locked, rect);
}

HResult Texture::UnlockRect(std::uint32_t level)
{
    if (level >= m_levels.size() || !m_levels[level].locked)
        return kInvalidCall;
    m_levels[level].locked = false;
    ++m_contentVersion;
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

std::uint32_t Texture::SetLOD(std::uint32_t lod)
{
    const std::uint32_t previous = m_lod;
    m_lod = std::min(lod, GetLevelCount() - 1);
    ++m_lodSetCount;
    return previous;
}

// ---- Cube texture ----

CubeTexture::CubeTexture(HeadlessGraphicsDevice* device, std::uint32_t edge, std::uint32_t levels,
                         std::uint32_t usage, PixelFormat format, ResourcePool pool)
    : GraphicsResource(device, pool), m_format(format), m_usage(usage), m_levelCount(levels)
{
    m_levels.reserve(static_cast<std::size_t>(kFaceCount) * levels);
    for (std::uint32_t face = 0; face < kFaceCount; ++face) {
        std::vector<SurfaceLevel> chain = MakeSurfaceChain(format, edge, edge, levels);
        std::move(chain.begin(), chain.end(), std::back_inserter(m_levels));
    }
}

const SurfaceLevel* CubeTexture::Find(std::uint32_t face, std::uint32_t level) const
{
    if (face >= kFaceCount || level >= m_levelCount)
        return nullptr;
    return &m_levels[static_cast<std::size_t>(face) * m_levelCount + level];
}

SurfaceLevel* CubeTexture::Find(std::uint32_t face, std::uint32_t level)
{
    return const_cast<SurfaceLevel*>(static_cast<const CubeTexture*>(this)->Find(face, level));
}

HResult CubeTexture::GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const
{
    const SurfaceLevel* found = Find(0, level);
    if (!desc || !found)
        return kInvalidCall;
    desc->format = m_format;
    desc->width = found->width;
    desc->height = found->height;
    return S_OK;
}

HResult CubeTexture::LockRect(std::uint32_t face, std::uint32_t level, LockedRect* locked,
                              const PixelRect* rect, std::uint32_t flags)
{
    (void)flags;
    SurfaceLevel* found = Find(face, level);
    if (!locked || !found)
        return kInvalidCall;
    return LockSurfaceLevel(*found, m_format, GetOwner(), locked, rect);
}

HResult CubeTexture::UnlockRect(std::uint32_t face, std::uint32_t level)
{
    SurfaceLevel* found = Find(face, level);
    if (!found || !found->locked)
        return kInvalidCall;
    found->locked = false;
    ++m_contentVersion;
    return S_OK;
}

bool CubeTexture::IsLevelLocked(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found && found->locked;
}

const std::uint8_t* CubeTexture::GetLevelBytes(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found ? found->bytes.data() : nullptr;
}

std::uint32_t CubeTexture::GetLevelPitch(std::uint32_t face, std::uint32_t level) const
{
    const SurfaceLevel* found = Find(face, level);
    return found ? found->pitch : 0;
}

} // namespace platform
