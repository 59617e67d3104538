#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/GraphicsBuffer.h"

namespace platform {

// The bytes of a buffer in memory, with its lock. What a lock writes is
// what a draw reads and what a test sees.
class BufferMemory {
  public:
    BufferMemory(std::uint32_t length, std::uint32_t usage)
        : m_bytes(static_cast<std::uint8_t*>(std::calloc(length, 1))), m_length(m_bytes ? length : 0),
          m_usage(usage)
    {
    }

    // `owner` may refuse the lock (a planned failure of the test device).
    HResult Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags,
                 ResourceOwner* owner);
    HResult Unlock();

    bool IsLocked() const { return m_locked; }
    std::uint32_t GetLength() const { return m_length; }
    std::uint32_t GetUsage() const { return m_usage; }
    std::uint32_t GetLastLockFlags() const { return m_lastLockFlags; }
    // Grows with every lock, so a copy kept elsewhere knows when it is stale.
    std::uint32_t GetLockCount() const { return m_lockCount; }
    const std::uint8_t* GetBytes() const { return m_bytes.get(); }
    // False when the memory could not be had: the buffer holds nothing.
    bool HasMemory() const { return m_bytes != nullptr; }

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

// A vertex buffer held in memory: the headless device's, and the copy a
// drawing device keeps of what it hands to the driver.
class MemoryVertexBuffer : public VertexBuffer {
  public:
    MemoryVertexBuffer(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t length,
                       std::uint32_t usage, std::uint32_t format, ResourcePool pool)
        : VertexBuffer(device, owner, pool), m_memory(length, usage), m_format(format)
    {
    }

    HResult Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override
    {
        return m_memory.Lock(offset, size, data, flags, GetOwner());
    }
    HResult Unlock() override { return m_memory.Unlock(); }
    // Final, so that the draw checks, which hold the bound stream as this
    // class, ask it without a virtual call.
    bool IsLocked() const final { return m_memory.IsLocked(); }
    std::uint32_t GetLength() const final { return m_memory.GetLength(); }
    std::uint32_t GetUsage() const override { return m_memory.GetUsage(); }
    std::uint32_t GetFormat() const override { return m_format; }

    std::uint32_t GetLastLockFlags() const { return m_memory.GetLastLockFlags(); }
    std::uint32_t GetLockCount() const { return m_memory.GetLockCount(); }
    const std::uint8_t* GetBytes() const { return m_memory.GetBytes(); }
    bool HasMemory() const { return m_memory.HasMemory(); }

  private:
    BufferMemory m_memory;
    std::uint32_t m_format;
};

// An index buffer held in memory, which can also tell the range of the
// indices a draw reads.
class MemoryIndexBuffer : public IndexBuffer {
  public:
    MemoryIndexBuffer(GraphicsDevice* device, ResourceOwner* owner, std::uint32_t length, std::uint32_t usage,
                      IndexFormat format, ResourcePool pool)
        : IndexBuffer(device, owner, pool), m_memory(length, usage), m_format(format)
    {
    }

    HResult Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) override
    {
        return m_memory.Lock(offset, size, data, flags, GetOwner());
    }
    HResult Unlock() override { return m_memory.Unlock(); }
    // Final, so that the draw checks, which hold the bound indices as this
    // class, ask them without a virtual call.
    bool IsLocked() const final { return m_memory.IsLocked(); }
    std::uint32_t GetLength() const final { return m_memory.GetLength(); }
    std::uint32_t GetUsage() const override { return m_memory.GetUsage(); }
    IndexFormat GetFormat() const final { return m_format; }
    // IndexBuffer::GetIndexCount without its virtual calls.
    std::uint32_t GetMemoryIndexCount() const
    {
        return m_memory.GetLength() / (m_format == IndexFormat::Index16 ? 2u : 4u);
    }

    std::uint32_t GetLastLockFlags() const { return m_memory.GetLastLockFlags(); }
    std::uint32_t GetLockCount() const { return m_memory.GetLockCount(); }
    const std::uint8_t* GetBytes() const { return m_memory.GetBytes(); }
    bool HasMemory() const { return m_memory.HasMemory(); }

    // The smallest and largest index of `count` indices from `start`; the
    // range must lie inside the buffer. Ranges are remembered until the next
    // lock, so the draws of an unchanged buffer read their indices once.
    IndexSpan GetIndexSpan(std::uint32_t start, std::uint32_t count);

  private:
    struct KnownSpan {
        std::uint32_t start = 0;
        std::uint32_t count = 0;
        IndexSpan span;
    };
    static constexpr std::size_t kKnownSpans = 32;
    IndexSpan ReadIndexSpan(std::uint32_t start, std::uint32_t count) const;

    BufferMemory m_memory;
    IndexFormat m_format;
    // In the buffer itself: a draw that meets a new range takes no block.
    std::array<KnownSpan, kKnownSpans> m_knownSpans{};
    std::size_t m_knownCount = 0;
    std::size_t m_nextKnownSpan = 0; // the one to replace when all are taken
    std::uint32_t m_knownAtLock = 0; // the lock count the spans were read at
};

// The memory behind a buffer a device made, for tests and readers of the
// headless device's resources; null for a buffer kept elsewhere.
const MemoryVertexBuffer* AsMemory(const VertexBuffer* buffer);
const MemoryIndexBuffer* AsMemory(const IndexBuffer* buffer);

} // namespace platform
