#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
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
    std::uint32_t GetLength() const { return m_length; }
    std::uint32_t GetUsage() const { return m_usage; }
    std::uint32_t GetLastLockFlags() const { return m_lastLockFlags; }
    std::uint32_t GetLockCount() const { return m_lockCount; }
    const std::uint8_t* GetBytes() const { return m_bytes.get(); }
    // False when the memory could not be had: the buffer holds nothing.
    bool HasMemory() const { return m_bytes != nullptr; }

  protected:
    GraphicsBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage,
                   ResourcePool pool);

  private:
    struct FreeBytes {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };
    // Cleared memory straight from the system: a large buffer of which a
    // frame only writes the start (a dynamic ring slot) only takes up the
    // pages written.
    std::unique_ptr<std::uint8_t[], FreeBytes> m_bytes;
    std::uint32_t m_length = 0;
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
    VertexBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage,
                 std::uint32_t format, ResourcePool pool)
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

    // The smallest and largest index of `count` indices from `start`; the
    // range must lie inside the buffer. Ranges are remembered until the next
    // lock, so the draws of an unchanged buffer read their indices once.
    struct IndexSpan {
        std::uint32_t lowest = 0;
        std::uint32_t highest = 0;
    };
    IndexSpan GetIndexSpan(std::uint32_t start, std::uint32_t count);

  private:
    friend class HeadlessGraphicsDevice;
    struct KnownSpan {
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        IndexSpan span;
    };
    static constexpr std::size_t kKnownSpans = 32;
    IndexSpan ReadIndexSpan(std::uint32_t start, std::uint32_t count) const;

    IndexBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage, IndexFormat format,
                ResourcePool pool)
        : GraphicsBuffer(device, length, usage, pool), m_format(format)
    {
    }
    IndexFormat m_format;
    std::vector<KnownSpan> m_knownSpans;
    std::size_t m_nextKnownSpan = 0; // the one to replace when all are taken
    std::uint32_t m_knownAtLock = 0; // the lock count the spans were read at
};

} // namespace platform
