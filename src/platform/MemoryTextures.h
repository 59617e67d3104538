#pragma once

#include <cstdint>
#include <vector>

#include "platform/SurfaceLevel.h"
#include "platform/Texture.h"

namespace platform {

// A 2D texture whose levels lie in memory: the headless device's, and the
// copy a drawing device keeps of what it hands to the driver.
class MemoryTexture : public Texture {
  public:
    MemoryTexture(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t width, std::uint32_t height,
                  std::uint32_t levels, std::uint32_t usage, PixelFormat format, ResourcePool pool);

    std::uint32_t GetLevelCount() const override { return static_cast<std::uint32_t>(m_levels.size()); }
    HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const override;
    PixelFormat GetFormat() const override { return m_format; }
    std::uint32_t GetUsage() const override { return m_usage; }
    HResult LockRect(std::uint32_t level, LockedRect* locked, const PixelRect* rect,
                     std::uint32_t flags) override;
    HResult UnlockRect(std::uint32_t level) override;
    bool IsLevelLocked(std::uint32_t level) const override;
    std::uint32_t SetLOD(std::uint32_t lod) override;
    std::uint32_t GetLOD() const override { return m_lod; }

    // The packed bytes of a level, for readers that do not lock.
    const std::uint8_t* GetLevelBytes(std::uint32_t level) const;
    std::uint32_t GetLevelPitch(std::uint32_t level) const;
    // How many times SetLOD was called, for tests of who sets it.
    std::uint32_t GetLODSetCount() const { return m_lodSetCount; }
    // Grows with every unlock, so a copy kept elsewhere knows when it is
    // stale.
    std::uint32_t GetContentVersion() const { return m_contentVersion; }

  private:
    PixelFormat m_format;
    std::uint32_t m_usage;
    std::vector<SurfaceLevel> m_levels;
    std::uint32_t m_lod = 0;
    std::uint32_t m_lodSetCount = 0;
    std::uint32_t m_contentVersion = 0;
};

// A cube texture whose faces lie in memory.
class MemoryCubeTexture : public CubeTexture {
  public:
    MemoryCubeTexture(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t edge, std::uint32_t levels,
                      std::uint32_t usage, PixelFormat format, ResourcePool pool);

    std::uint32_t GetLevelCount() const override { return m_levelCount; }
    HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const override;
    PixelFormat GetFormat() const override { return m_format; }
    std::uint32_t GetUsage() const override { return m_usage; }
    HResult LockRect(std::uint32_t face, std::uint32_t level, LockedRect* locked, const PixelRect* rect,
                     std::uint32_t flags) override;
    HResult UnlockRect(std::uint32_t face, std::uint32_t level) override;
    bool IsLevelLocked(std::uint32_t face, std::uint32_t level) const override;

    const std::uint8_t* GetLevelBytes(std::uint32_t face, std::uint32_t level) const;
    std::uint32_t GetLevelPitch(std::uint32_t face, std::uint32_t level) const;
    std::uint32_t GetContentVersion() const { return m_contentVersion; }

  private:
    const SurfaceLevel* Find(std::uint32_t face, std::uint32_t level) const;
    SurfaceLevel* Find(std::uint32_t face, std::uint32_t level);

    PixelFormat m_format;
    std::uint32_t m_usage;
    std::uint32_t m_levelCount;
    std::vector<SurfaceLevel> m_levels; // face by face
    std::uint32_t m_contentVersion = 0;
};

// The memory behind a texture a device made, for tests and readers of the
// headless device's resources; null for a texture kept elsewhere.
const MemoryTexture* AsMemory(const Texture* texture);
const MemoryCubeTexture* AsMemory(const CubeTexture* texture);

} // namespace platform
