#include "platform/MemoryBuffers.h"

#include <algorithm>
#include <cstring>

namespace platform {

HResult BufferMemory::Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags,
                           ResourceOwner* owner)
{
    if (!data)
        return kInvalidCall;
    *data = nullptr;
    if (m_locked)
        return kInvalidCall;
    const std::uint64_t length = m_length;
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + (size == 0 ? length - offset : size);
    if (offset > length || end > length)
        return kInvalidCall;
    if (owner && owner->RefusesLock())
        return kInvalidCall;
    m_locked = true;
    m_lastLockFlags = flags;
    ++m_lockCount;
    *data = m_bytes.get() + offset;
    return S_OK;
}

HResult BufferMemory::Unlock()
{
    if (!m_locked)
        return kInvalidCall;
    m_locked = false;
    return S_OK;
}

IndexBuffer::IndexSpan MemoryIndexBuffer::GetIndexSpan(std::uint32_t start, std::uint32_t count)
{
    // Every write goes through a lock, so a new lock may have changed any index.
    if (m_knownAtLock != GetLockCount()) {
        m_knownCount = 0;
        m_nextKnownSpan = 0;
        m_knownAtLock = GetLockCount();
    }
    for (std::size_t i = 0; i < m_knownCount; ++i) {
        const KnownSpan& known = m_knownSpans[i];
        if (known.start == start && known.count == count)
            return known.span;
    }
    const IndexSpan span = ReadIndexSpan(start, count);
    if (m_knownCount < kKnownSpans) {
        m_knownSpans[m_knownCount++] = {start, count, span};
    } else {
        m_knownSpans[m_nextKnownSpan] = {start, count, span};
        m_nextKnownSpan = (m_nextKnownSpan + 1) % kKnownSpans;
    }
    return span;
}

IndexBuffer::IndexSpan MemoryIndexBuffer::ReadIndexSpan(std::uint32_t start, std::uint32_t count) const
{
    IndexSpan span{UINT32_MAX, 0};
    const std::uint8_t* bytes = GetBytes();
    for (std::uint64_t i = start; i < static_cast<std::uint64_t>(start) + count; ++i) {
        std::uint32_t index = 0;
        if (GetIndexSize() == 2) {
            std::uint16_t small = 0;
            std::memcpy(&small, bytes + i * 2, 2);
            index = small;
        } else {
            std::memcpy(&index, bytes + i * 4, 4);
        }
        span.lowest = std::min(span.lowest, index);
        span.highest = std::max(span.highest, index);
    }
    return span;
}

const MemoryVertexBuffer* AsMemory(const VertexBuffer* buffer)
{
    return dynamic_cast<const MemoryVertexBuffer*>(buffer);
}

const MemoryIndexBuffer* AsMemory(const IndexBuffer* buffer)
{
    return dynamic_cast<const MemoryIndexBuffer*>(buffer);
}

} // namespace platform
