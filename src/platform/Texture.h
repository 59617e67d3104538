#pragma once

#include <cstdint>

#include "platform/GraphicsResource.h"

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

// A 2D texture with its chain of mip levels. Every device makes its own;
// callers see only this interface.
class Texture : public GraphicsResource {
  public:
    virtual std::uint32_t GetLevelCount() const = 0;
    virtual HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const = 0;
    virtual PixelFormat GetFormat() const = 0;
    virtual std::uint32_t GetUsage() const = 0;

    // Locks a level, or a rectangle of it (null: the whole level). Fails for
    // a level out of range, a rectangle outside the level (or off the block
    // grid of a compressed format) and a level that is already locked.
    // Rows are packed: the pitch is the width in bytes (in 4x4 blocks for
    // the compressed formats).
    virtual HResult LockRect(std::uint32_t level, LockedRect* locked, const PixelRect* rect,
                             std::uint32_t flags) = 0;
    virtual HResult UnlockRect(std::uint32_t level) = 0;
    virtual bool IsLevelLocked(std::uint32_t level) const = 0;

    // The most detailed level a managed texture hands to drawing; a value
    // past the last level is cut to it. Returns the previous value.
    virtual std::uint32_t SetLOD(std::uint32_t lod) = 0;
    virtual std::uint32_t GetLOD() const = 0;

  protected:
    using GraphicsResource::GraphicsResource;
};

// A cube texture: six square faces (in the order +x, -x, +y, -y, +z, -z),
// each with the same chain of mip levels.
class CubeTexture : public GraphicsResource {
  public:
    static constexpr std::uint32_t kFaceCount = 6;

    virtual std::uint32_t GetLevelCount() const = 0;
    virtual HResult GetLevelDesc(std::uint32_t level, SurfaceDesc* desc) const = 0;
    virtual PixelFormat GetFormat() const = 0;
    virtual std::uint32_t GetUsage() const = 0;

    virtual HResult LockRect(std::uint32_t face, std::uint32_t level, LockedRect* locked,
                             const PixelRect* rect, std::uint32_t flags) = 0;
    virtual HResult UnlockRect(std::uint32_t face, std::uint32_t level) = 0;
    virtual bool IsLevelLocked(std::uint32_t face, std::uint32_t level) const = 0;

  protected:
    using GraphicsResource::GraphicsResource;
};

} // namespace platform
