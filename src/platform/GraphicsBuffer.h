#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsResource.h"

namespace platform {

// Vertex or index memory of the device. The bytes are real: what a lock
// writes is what a draw reads and what a test sees.
class GraphicsBuffer : public GraphicsResource {
  public:
    // Locks `size` bytes from `offset` (size 0: up to the end) and hands out
    // their address. Fails when the buffer is already locked or the range
    // runs past the end.
    HResult Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags);
    HResult Unlock();

    bool IsLocked() const { return m_locked; }
    std::uint32_t GetLength() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    std::uint32_t GetUsage() const { return m_usage; }
    std::uint32_t GetLastLockFlags() const { return m_lastLockFlags; }
    std::uint32_t GetLockCount() const { return m_lockCount; }
    const std::uint8_t* GetBytes() const { return m_bytes.data(); }

  protected:
    GraphicsBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage, ResourcePool pool);

  private:
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_usage;
    bool m_locked = false;
    std::uint32_t m_lastLockFlags = 0;
    std::uint32_t m_lockCount = 0;
};

class VertexBuffer : public GraphicsBuffer {
  public:
    std::uint32_t GetFormat() const { return m_format; }

  private:
    friend class HeadlessGraphicsDevice;
    VertexBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage, std::uint32_t format,
                 ResourcePool pool)
        : GraphicsBuffer(device, length, usage, pool), m_format(format)
    {
    }
    std::uint32_t m_format;
};

class IndexBuffer : public GraphicsBuffer {
  public:
    IndexFormat GetFormat() const { return m_format; }
    std::uint32_t GetIndexSize() const { return m_format == IndexFormat::Index16 ? 2 : 4; }
    std::uint32_t GetIndexCount() const { return GetLength() / GetIndexSize(); }

  private:
    friend class HeadlessGraphicsDevice;
    IndexBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage, IndexFormat format,
                ResourcePool pool)
        : GraphicsBuffer(device, length, usage, pool), m_format(format)
    {
    }
    IndexFormat m_format;
};

} // namespace platform
