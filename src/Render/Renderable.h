#pragma once

#include <cstdint>

#include "Render/MeshVertex.h"
#include "core/Object.h"

// Everything the render list batches: mesh render objects, sprites and
// animated objects. A batch asks each renderable how many vertices and
// 16-bit indices it brings, reserves that much, and has it write them.
class CPRenderable : public CPObject {
  public:
    // A disabled renderable adds nothing to a batch.
    virtual bool IsDisabled() const = 0;
    virtual void SetDisabled(bool disabled) = 0;

    // What the writers below write at most, in vertices and indices.
    virtual int GetVertexCount() = 0;
    virtual int GetIndexCount() = 0;

    // Writes the vertices to `vertices` and the indices, offset by `base`,
    // to `indices`; the offset indices wrap at 65536. The last argument is
    // not read.
    virtual void WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base,
                               int unused) = 0;
    // Whether WriteVertices always writes every index GetIndexCount
    // announced; the buffer then need not clear the range beforehand.
    virtual bool WritesAllIndices() const { return false; }
    // Copies the own indices unchanged and reports the first and the last
    // one; writes nothing (and leaves first and last) when there is nothing
    // to draw.
    virtual void WriteIndices(std::uint16_t* indices, int unused, std::uint16_t& first,
                              std::uint16_t& last) = 0;

    // The material that draws the renderable (a reference taken), or empty.
    virtual void GetMaterial(CPObjectPtr& material) const = 0;

    // Whether this is a mesh render object. The render list and the batches
    // ask it of every renderable of every frame; the class's own mark
    // answers it without a cast.
    bool IsMeshObject() const { return m_meshObject != 0; }

  protected:
    CPRenderable() = default;
    // Only the mesh render object marks itself, as it is made.
    explicit CPRenderable(bool meshObject) : m_meshObject(meshObject ? 1 : 0) {}

  private:
    std::uint8_t m_meshObject = 0;
};
