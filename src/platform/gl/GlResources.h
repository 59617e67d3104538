#pragma once

#include <cstdint>

#include "platform/MemoryBuffers.h"
#include "platform/MemoryTextures.h"

namespace platform {

// The GL object behind a resource of the window's device, and which
// version of the resource's memory it holds. The object is made when a
// draw first needs it and deleted with the resource (or with the device,
// while the context still stands, when the resource outlives it).
struct GlObject {
    enum class Kind : std::uint8_t { Buffer, Texture };

    explicit GlObject(Kind kind) : kind(kind) {}
    void Delete();

    Kind kind;
    unsigned name = 0;
    std::uint32_t version = ~0u;
    std::uint32_t lod = ~0u;
};

// A vertex buffer of the window's device: its bytes in memory (what a lock
// writes) and a GL buffer that gets them before a draw after a change.
class GlVertexBuffer : public MemoryVertexBuffer {
  public:
    using MemoryVertexBuffer::MemoryVertexBuffer;
    ~GlVertexBuffer() override { m_gl.Delete(); }
    GlObject& Gl() { return m_gl; }

  private:
    GlObject m_gl{GlObject::Kind::Buffer};
};

class GlIndexBuffer : public MemoryIndexBuffer {
  public:
    using MemoryIndexBuffer::MemoryIndexBuffer;
    ~GlIndexBuffer() override { m_gl.Delete(); }
    GlObject& Gl() { return m_gl; }

  private:
    GlObject m_gl{GlObject::Kind::Buffer};
};

// A 2D texture of the window's device: its levels in memory and a GL
// texture that gets them before a draw after a change.
class GlTexture : public MemoryTexture {
  public:
    using MemoryTexture::MemoryTexture;
    ~GlTexture() override { m_gl.Delete(); }
    GlObject& Gl() { return m_gl; }

  private:
    GlObject m_gl{GlObject::Kind::Texture};
};

} // namespace platform
