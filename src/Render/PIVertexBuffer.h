#pragma once

#include <cstdint>
#include <vector>

#include "Render/DeviceListener.h"
#include "Render/MeshVertex.h"
#include "core/Object.h"

namespace platform {
class GraphicsDevice;
class IndexBuffer;
class VertexBuffer;
} // namespace platform

class CPRenderable;

// A small ring of dynamic vertex and index buffers that renderables write
// their geometry into every frame. One slot is locked, filled renderable
// after renderable, unlocked and drawn; the next lock takes the next slot,
// so the device can still draw from the one before.
//
// The buffers live in the device's default pool: they are let go when the
// device is lost and made again after the reset.
class CPIVertexBuffer : public CPObject, public CPDeviceListener {
  public:
    static constexpr int kDefaultSlotCount = 3;
    static constexpr int kDefaultSlotVertices = 65536;
    static constexpr int kDefaultSlotIndices = 3 * 65536;
    // 16-bit indices reach this many vertices from the start of a lock.
    static constexpr int kMaxBaseVertices = 65536;

    // Creation failures are reported; locks then fail until a device reset
    // brings the buffers.
    CPIVertexBuffer(platform::GraphicsDevice* device, int slotCount = kDefaultSlotCount,
                    int slotVertices = kDefaultSlotVertices, int slotIndices = kDefaultSlotIndices);
    ~CPIVertexBuffer() override;
    CPIVertexBuffer(const CPIVertexBuffer&) = delete;
    CPIVertexBuffer& operator=(const CPIVertexBuffer&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPIVertexBuffer); }
    std::string GetTypeName() const override { return "CPIVertexBuffer"; }

    void OnLostDevice() override;
    void OnResetDevice() override;

    // Locks `vertexCount` vertices and `indexCount` indices (0: the whole
    // slot) of the slot given, or of the current one for -1. Discards the
    // old contents unless appending. False, with nothing locked, when a
    // slot is locked already, the request is unusable or a lock fails.
    bool Lock(int vertexCount, int indexCount, bool lockVertices, int slot);
    // Unlocks what Lock locked and moves on to the next slot. The vertex
    // buffer is unlocked whenever it was locked, whatever the flag says, so
    // no slot stays locked for good.
    void Unlock(bool unlockVertices);

    // Writes the renderable's vertices and indices at the cursors, its
    // indices offset by the vertices written before it, once until the
    // written map is emptied. False when it brings no vertices, was written
    // already, or does not fit: nothing locked, no room left in the locked
    // range, or vertices beyond what 16-bit indices reach.
    bool AddRenderable(CPRenderable& renderable);
    // Whether a renderable of these counts fits in the locked range.
    bool HasRoomFor(int vertexCount, int indexCount) const;

    // Forgets which renderables were written and starts the base vertex at
    // 0 again (once a frame, or for every range drawn on its own).
    void ClearWritten();

    bool IsLocked() const { return m_locked != 0; }
    int GetCurrentSlot() const { return m_currentSlot; }
    int GetSlotCount() const { return m_slotCount; }
    int GetSlotVertices() const { return m_slotVertices; }
    int GetSlotIndices() const { return m_slotIndices; }
    void SetAppend(bool append) { m_append = append ? 1 : 0; }
    bool IsAppend() const { return m_append != 0; }
    int GetVerticesWritten() const { return m_verticesWritten; }
    int GetIndicesWritten() const { return m_indicesWritten; }
    int GetNextBaseVertex() const { return m_nextBaseVertex; }
    std::size_t GetWrittenCount() const { return m_written.Size(); }
    // The base vertex a renderable was written at, or -1.
    int FindWritten(const CPRenderable* renderable) const;
    // The slot the last Unlock closed, -1 before any.
    int GetFilledSlot() const { return m_filledSlot; }
    platform::VertexBuffer* GetVertexBuffer(int slot) const;
    platform::IndexBuffer* GetIndexBuffer(int slot) const;

  private:
    bool CreateBuffers();
    void ReleaseBuffers();

    // Renderables written since the last ClearWritten, with their base
    // vertices. Emptied every frame, so emptying keeps the memory: a new
    // generation makes every entry stale at once.
    class WrittenMap {
      public:
        // The base vertex of the renderable, or -1.
        int Find(const CPRenderable* renderable) const;
        void Insert(const CPRenderable* renderable, int base);
        void Clear();
        std::size_t Size() const { return m_size; }

      private:
        struct Entry {
            const CPRenderable* key = nullptr;
            int base = 0;
            std::uint32_t generation = 0;
        };
        std::size_t Home(const CPRenderable* renderable) const;
        void Grow();

        std::vector<Entry> m_entries = std::vector<Entry>(64);
        std::uint32_t m_generation = 1;
        std::size_t m_size = 0;
    };

    WrittenMap m_written;
    int m_nextBaseVertex = 0;
    std::vector<platform::VertexBuffer*> m_vertexBuffers;
    std::vector<platform::IndexBuffer*> m_indexBuffers;
    int m_currentSlot = 0;
    int m_slotCount;
    std::uint8_t m_append = 0;
    std::uint8_t m_locked = 0;
    CPMeshVertex* m_vertexCursor = nullptr;
    std::uint16_t* m_indexCursor = nullptr;
    CPMeshVertex* m_vertexStart = nullptr;
    std::uint16_t* m_indexStart = nullptr;
    std::int32_t m_words[2] = {0, 0};
    int m_indicesWritten = 0;
    int m_verticesWritten = 0;

    platform::GraphicsDevice* m_device;
    int m_slotVertices;
    int m_slotIndices;
    bool m_verticesLocked = false;
    // What the current lock holds, in vertices and indices.
    int m_vertexRoom = 0;
    int m_indexRoom = 0;
    int m_filledSlot = -1;
};
