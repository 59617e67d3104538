#include "platform/GraphicsBuffer.h"

#include <algorithm>
#include <cstring>

#include "platform/HeadlessGraphicsDevice.h"

namespace platform {

GraphicsBuffer::GraphicsBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage,
                               ResourcePool pool)
    : GraphicsResource(device, pool), m_bytes(static_cast<std::uint8_t*>(std::calloc(length, 1))),
      m_length(m_bytes ? length : 0), m_usage(usage)
{
}

HResult GraphicsBuffer::Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags)
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
    if (GetOwner() && GetOwner()->ConsumeFailure(DeviceFailure::Lock))
        return kInvalidCall;
    m_locked = true;
    m_lastLockFlags = flags;
    ++m_lockCount;
    *data = m_bytes.get() + offset;
    return S_OK;
}

HResult GraphicsBuffer::Unlock()
{
    if (!m_locked)
        return kInvalidCall;
    m_locked = false;
    return S_OK;
}

IndexBuffer::IndexSpan IndexBuffer::GetIndexSpan(std::uint32_t start, std::uint32_t count)
{
    // Every write goes through a lock, so a new lock may have changed any index.
    if (m_knownAtLock != GetLockCount()) {
        m_knownSpans.clear();
        m_nextKnownSpan = 0;
        m_knownAtLock = GetLockCount();
    }
    for (const KnownSpan& known : m_knownSpans) {
        if (known.start == start && known.count == count)
            return known.span;
    }
    const IndexSpan span = ReadIndexSpan(start, count);
    if (m_knownSpans.size() < kKnownSpans) {
        m_knownSpans.push_back({start, count, span});
    } else {
        m_knownSpans[m_nextKnownSpan] = {start, count, span};
        m_nextKnownSpan = (m_nextKnownSpan + 1) % kKnownSpans;
    }
    return span;
}

IndexBuffer::IndexSpan IndexBuffer::ReadIndexSpan(std::uint32_t start, std::uint32_t count) const
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

} // namespace platform
