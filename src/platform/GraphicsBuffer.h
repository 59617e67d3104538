#pragma once

#include <cstdint>

#include "platform/GraphicsResource.h"

namespace platform {

// Vertex or index memory of a device. Every device makes its own; callers
// see only these interfaces.
class GraphicsBuffer : public GraphicsResource {
  public:
    // Locks `size` bytes from `offset` (size 0: up to the end) and hands out
    // their address. Fails when the buffer is already locked or the range
    // runs past the end.
    virtual HResult Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags) = 0;
    virtual HResult Unlock() = 0;

    virtual bool IsLocked() const = 0;
    virtual std::uint32_t GetLength() const = 0;
    virtual std::uint32_t GetUsage() const = 0;

  protected:
    using GraphicsResource::GraphicsResource;
};

class VertexBuffer : public GraphicsBuffer {
  public:
    virtual std::uint32_t GetFormat() const = 0;

  protected:
    using GraphicsBuffer::GraphicsBuffer;
};

class IndexBuffer : public GraphicsBuffer {
  public:
    virtual IndexFormat GetFormat() const = 0;
    std::uint32_t GetIndexSize() const { return GetFormat() == IndexFormat::Index16 ? 2 : 4; }
    std::uint32_t GetIndexCount() const { return GetLength() / GetIndexSize(); }

    // The smallest and largest of a run of indices.
    struct IndexSpan {
        std::uint32_t lowest = 0;
        std::uint32_t highest = 0;
    };

  protected:
    using GraphicsBuffer::GraphicsBuffer;
};

} // namespace platform
