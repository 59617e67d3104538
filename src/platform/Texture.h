#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsResource.h"
#include "platform/SurfaceLevel.h"

namespace platform {

struct SurfaceDesc {
    PixelFormat format = PixelFormat::Unknown;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct LockedRect {
    std::int32_t pitch = 0; // bytes from one row (of blocks) to the next
    void* bits = nullptr;
};

// Part of a level to lock; right and bottom are exclusive.
struct PixelRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A 2D texture with its chain of mip levels, each backed by real memory.
// Rows are packed: the pitch is the width in bytes (in 4x4 blocks for the
// compressed formats).
class Texture : public GraphicsResource {
  public:
    std::uint32_t GetLevelCount() const { return static_cast<std::uint32_t>(m_levels.size()); }
    HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const;
    PixelFormat GetFormat() const { return m_format; }
    std::uint32_t GetUsage() const { return m_usage; }

    // Locks a level, or a rectangle of it (null: the whole level). Fails for
    // a level out of range, a rectangle outside the level (or off the block
    // grid of a compressed format) and a level that is already locked.
    HResult LockRect(std::uint32_t level, LockedRect* locked, const PixelRect* rect, std::uint32_t flags);
    HResult UnlockRect(std::uint32_t level);
    bool IsLevelLocked(std::uint32_t level) const;

    // The packed bytes of a level, for readers that do not lock.
    const std::uint8_t* GetLevelBytes(std::uint32_t level) const;
    std::uint32_t GetLevelPitch(std::uint32_t level) const;

    // The most detailed level a managed texture hands to drawing; a value
    // past the last level is cut to it. Returns the previous value.
    std::uint32_t SetLOD(std::uint32_t lod);
    std::uint32_t GetLOD() const { return m_lod; }
    // How many times SetLOD was called, for tests of who sets it.
    std::uint32_t GetLODSetCount() const { return m_lodSetCount; }
    // Grows with every unlock, so a device that keeps a copy of the pixels
    // elsewhere knows when it is stale.
    std::uint32_t GetContentVersion() const { return m_contentVersion; }

  private:
    friend class HeadlessGraphicsDevice;
    Texture(HeadlessGraphicsDevice* device, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
            std::uint32_t usage, PixelFormat format, ResourcePool pool);

    PixelFormat m_format;
    std::uint32_t m_usage;
    std::vector<SurfaceLevel> m_levels;
    std::uint32_t m_lod = 0;
    std::uint32_t m_lodSetCount = 0;
    std::uint32_t m_contentVersion = 0;
};

// A cube texture: six square faces (in the order +x, -x, +y, -y, +z, -z),
// each with the same chain of mip levels in real memory.
class CubeTexture : public GraphicsResource {
  public:
    static constexpr std::uint32_t kFaceCount = 6;

    std::uint32_t GetLevelCount() const { return m_levelCount; }
    HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const;
    PixelFormat GetFormat() const { return m_format; }
    std::uint32_t GetUsage() const { return m_usage; }

    HResult LockRect(std::uint32_t face, std::uint32_t level, LockedRect* locked, const PixelRect* rect,
                     std::uint32_t flags);
    HResult UnlockRect(std::uint32_t face, std::uint32_t level);
    bool IsLevelLocked(std::uint32_t face, std::uint32_t level) const;
    const std::uint8_t* GetLevelBytes(std::uint32_t face, std::uint32_t level) const;
    std::uint32_t GetLevelPitch(std::uint32_t face, std::uint32_t level) const;
    std::uint32_t GetContentVersion() const { return m_contentVersion; }

  private:
    friend class HeadlessGraphicsDevice;
    CubeTexture(HeadlessGraphicsDevice* device, std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                PixelFormat format, ResourcePool pool);
    const SurfaceLevel* Find(std::uint32_t face, std::uint32_t level) const;
    SurfaceLevel* Find(std::uint32_t face, std::uint32_t level);

    PixelFormat m_format;
    std::uint32_t m_usage;
    std::uint32_t m_levelCount;
    std::vector<SurfaceLevel> m_levels; // face by face
    std::uint32_t m_contentVersion = 0;
};

} // namespace platform
