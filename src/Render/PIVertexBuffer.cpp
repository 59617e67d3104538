#include "Render/PIVertexBuffer.h"

#include <algorithm>

#include "Render/Renderable.h"
#include "core/Log.h"
#include "platform/GraphicsDevice.h"

using namespace platform;

namespace {

const char* const kSourceName = "Render\\PIVertexBuffer";
constexpr int kLineCreateVertexBuffer = 58;
constexpr int kLineCreateIndexBuffer = 66;
constexpr int kLineLockVertices = 167;
constexpr int kLineLockIndices = 190;

constexpr std::uint32_t kVertexSize = sizeof(CPMeshVertex);
constexpr std::uint32_t kIndexSize = sizeof(std::uint16_t);

} // namespace

CPIVertexBuffer::CPIVertexBuffer(GraphicsDevice* device, int slotCount, int slotVertices, int slotIndices)
    : m_slotCount(std::max(slotCount, 1)), m_device(device), m_slotVertices(std::max(slotVertices, 1)),
      m_slotIndices(std::max(slotIndices, 1))
{
    if (slotCount < 1 || slotVertices < 1 || slotIndices < 1)
        LogLine("CPIVertexBuffer: a ring needs at least one slot of one vertex and one index; made larger");
    m_vertexBuffers.assign(static_cast<std::size_t>(m_slotCount), nullptr);
    m_indexBuffers.assign(static_cast<std::size_t>(m_slotCount), nullptr);
    CreateBuffers();
}

CPIVertexBuffer::~CPIVertexBuffer() { ReleaseBuffers(); }

bool CPIVertexBuffer::CreateBuffers()
{
    if (!m_device) {
        LogLine("CPIVertexBuffer: no graphics device; nothing can be drawn from this buffer");
        return false;
    }
    const std::uint32_t usage = usage::kDynamic | usage::kWriteOnly;
    for (int slot = 0; slot < m_slotCount; ++slot) {
        HResult result =
            m_device->CreateVertexBuffer(static_cast<std::uint32_t>(m_slotVertices) * kVertexSize, usage,
                                         kMeshVertexFormat, ResourcePool::Default, &m_vertexBuffers[slot]);
        if (Failed(result)) {
            ReportDXError(kSourceName, kLineCreateVertexBuffer, result);
            ReleaseBuffers();
            return false;
        }
        result =
            m_device->CreateIndexBuffer(static_cast<std::uint32_t>(m_slotIndices) * kIndexSize, usage,
                                        IndexFormat::Index16, ResourcePool::Default, &m_indexBuffers[slot]);
        if (Failed(result)) {
            ReportDXError(kSourceName, kLineCreateIndexBuffer, result);
            ReleaseBuffers();
            return false;
        }
    }
    return true;
}

void CPIVertexBuffer::ReleaseBuffers()
{
    if (m_locked)
        Unlock(true);
    for (VertexBuffer*& buffer : m_vertexBuffers) {
        if (buffer)
            buffer->Release();
        buffer = nullptr;
    }
    for (IndexBuffer*& buffer : m_indexBuffers) {
        if (buffer)
            buffer->Release();
        buffer = nullptr;
    }
}

void CPIVertexBuffer::OnLostDevice() { ReleaseBuffers(); }

void CPIVertexBuffer::OnResetDevice() { CreateBuffers(); }

bool CPIVertexBuffer::Lock(int vertexCount, int indexCount, bool lockVertices, int slot)
{
    if (m_locked)
        return false;
    if (slot < -1 || slot >= m_slotCount || vertexCount < 0 || indexCount < 0) {
        LogLine("CPIVertexBuffer::Lock: slot " + std::to_string(slot) + " of " + std::to_string(m_slotCount) +
                " or the counts " + std::to_string(vertexCount) + ", " + std::to_string(indexCount) +
                " cannot be locked");
        return false;
    }
    if (slot != -1)
        m_currentSlot = slot;
    const std::uint32_t flags = lock::kNoSysLock | (m_append ? 0u : lock::kDiscard);
    m_words[0] = m_words[1] = 0;
    m_indicesWritten = 0;
    m_verticesWritten = 0;

    VertexBuffer* vertices = m_vertexBuffers[m_currentSlot];
    IndexBuffer* indices = m_indexBuffers[m_currentSlot];
    if (!indices || (lockVertices && !vertices)) {
        LogLine("CPIVertexBuffer::Lock: the buffers are gone until the device is reset");
        return false;
    }
    void* vertexData = nullptr;
    if (lockVertices) {
        const HResult result =
            vertices->Lock(0, static_cast<std::uint32_t>(vertexCount) * kVertexSize, &vertexData, flags);
        if (Failed(result)) {
            // The index buffer is left alone, so nothing stays locked.
            ReportDXError(kSourceName, kLineLockVertices, result);
            return false;
        }
    }
    void* indexData = nullptr;
    const HResult result =
        indices->Lock(static_cast<std::uint32_t>(m_indicesWritten) * kIndexSize,
                      static_cast<std::uint32_t>(indexCount) * kIndexSize, &indexData, flags);
    if (Failed(result)) {
        ReportDXError(kSourceName, kLineLockIndices, result);
        if (lockVertices)
            vertices->Unlock();
        return false;
    }
    m_vertexCursor = static_cast<CPMeshVertex*>(vertexData);
    m_indexCursor = static_cast<std::uint16_t*>(indexData);
    m_vertexStart = m_vertexCursor;
    m_indexStart = m_indexCursor;
    m_verticesLocked = lockVertices;
    m_vertexRoom = lockVertices ? (vertexCount == 0 ? m_slotVertices : vertexCount) : 0;
    m_indexRoom = indexCount == 0 ? m_slotIndices : indexCount;
    m_locked = 1;
    return true;
}

void CPIVertexBuffer::Unlock(bool)
{
    if (!m_locked)
        return;
    if (m_verticesLocked && m_vertexBuffers[m_currentSlot])
        m_vertexBuffers[m_currentSlot]->Unlock();
    if (m_indexBuffers[m_currentSlot])
        m_indexBuffers[m_currentSlot]->Unlock();
    m_filledSlot = m_currentSlot;
    m_currentSlot = (m_currentSlot + 1) % m_slotCount;
    m_locked = 0;
    m_verticesLocked = false;
    m_vertexCursor = m_vertexStart = nullptr;
    m_indexCursor = m_indexStart = nullptr;
    m_vertexRoom = m_indexRoom = 0;
}

bool CPIVertexBuffer::HasRoomFor(int vertexCount, int indexCount) const
{
    return m_locked && m_verticesLocked && vertexCount >= 0 && indexCount >= 0 &&
           vertexCount <= m_vertexRoom - m_verticesWritten && indexCount <= m_indexRoom - m_indicesWritten &&
           vertexCount <= kMaxBaseVertices - m_nextBaseVertex;
}

bool CPIVertexBuffer::AddRenderable(CPRenderable& renderable)
{
    const int vertexCount = renderable.GetVertexCount();
    if (vertexCount <= 0)
        return false;
    if (m_written.Find(&renderable) >= 0)
        return false;
    if (!m_locked || !m_verticesLocked) {
        LogLine("CPIVertexBuffer::AddRenderable: no vertex range is locked; " + renderable.GetTypeName() +
                " not written");
        return false;
    }
    const int indexCount = renderable.GetIndexCount();
    if (!HasRoomFor(vertexCount, indexCount)) {
        LogLine("CPIVertexBuffer::AddRenderable: " + renderable.GetTypeName() + " of " +
                std::to_string(vertexCount) + " vertices and " + std::to_string(indexCount) +
                " indices does not fit in the locked range; not written");
        return false;
    }
    m_written.Insert(&renderable, m_nextBaseVertex);
    // A renderable that writes less than it announced (a disabled or empty
    // mesh) leaves its indices pointing at its first vertex: degenerate
    // triangles that draw nothing, never stale indices.
    if (!renderable.WritesAllIndices())
        std::fill_n(m_indexCursor, indexCount, static_cast<std::uint16_t>(m_nextBaseVertex));
    renderable.WriteVertices(m_vertexCursor, m_indexCursor, static_cast<std::uint16_t>(m_nextBaseVertex), 1);
    m_vertexCursor += vertexCount;
    m_indexCursor += indexCount;
    m_indicesWritten += indexCount;
    m_verticesWritten += vertexCount;
    m_nextBaseVertex += vertexCount;
    return true;
}

void CPIVertexBuffer::ClearWritten()
{
    m_written.Clear();
    m_nextBaseVertex = 0;
}

int CPIVertexBuffer::FindWritten(const CPRenderable* renderable) const { return m_written.Find(renderable); }

// ---- Written map ----

std::size_t CPIVertexBuffer::WrittenMap::Home(const CPRenderable* renderable) const
{
    const auto bits = reinterpret_cast<std::uintptr_t>(renderable);
    return static_cast<std::size_t>((bits >> 4) * 0x9E3779B97F4A7C15ull >> 20) & (m_entries.size() - 1);
}

int CPIVertexBuffer::WrittenMap::Find(const CPRenderable* renderable) const
{
    const std::size_t mask = m_entries.size() - 1;
    for (std::size_t i = Home(renderable);; i = (i + 1) & mask) {
        const Entry& entry = m_entries[i];
        if (entry.generation != m_generation)
            return -1;
        if (entry.key == renderable)
            return entry.base;
    }
}

void CPIVertexBuffer::WrittenMap::Insert(const CPRenderable* renderable, int base)
{
    if ((m_size + 1) * 2 > m_entries.size())
        Grow();
    const std::size_t mask = m_entries.size() - 1;
    std::size_t i = Home(renderable);
    while (m_entries[i].generation == m_generation && m_entries[i].key != renderable)
        i = (i + 1) & mask;
    if (m_entries[i].generation != m_generation)
        ++m_size;
    m_entries[i] = {renderable, base, m_generation};
}

void CPIVertexBuffer::WrittenMap::Clear()
{
    m_size = 0;
    if (++m_generation != 0)
        return;
    for (Entry& entry : m_entries)
        entry.generation = 0;
    m_generation = 1;
}

void CPIVertexBuffer::WrittenMap::Grow()
{
    std::vector<Entry> old(m_entries.size() * 2);
    old.swap(m_entries);
    const std::uint32_t live = m_generation;
    m_size = 0;
    for (const Entry& entry : old)
        if (entry.generation == live)
            Insert(entry.key, entry.base);
}

VertexBuffer* CPIVertexBuffer::GetVertexBuffer(int slot) const
{
    return slot >= 0 && slot < m_slotCount ? m_vertexBuffers[slot] : nullptr;
}

IndexBuffer* CPIVertexBuffer::GetIndexBuffer(int slot) const
{
    return slot >= 0 && slot < m_slotCount ? m_indexBuffers[slot] : nullptr;
}
