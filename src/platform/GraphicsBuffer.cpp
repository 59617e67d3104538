#include "platform/GraphicsBuffer.h"

#include "platform/HeadlessGraphicsDevice.h"

namespace platform {

GraphicsBuffer::GraphicsBuffer(HeadlessGraphicsDevice* device, std::uint32_t length, std::uint32_t usage,
                               ResourcePool pool)
    : GraphicsResource(device, pool), m_bytes(length), m_usage(usage)
{
}

HResult GraphicsBuffer::Lock(std::uint32_t offset, std::uint32_t size, void** data, std::uint32_t flags)
{
    if (!data)
        return kInvalidCall;
    *data = nullptr;
    if (m_locked)
        return kInvalidCall;
    const std::uint64_t length = m_bytes.size();
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + (size == 0 ? length - offset : size);
    if (offset > length || end > length)
        return kInvalidCall;
    if (GetOwner() && GetOwner()->ConsumeFailure(DeviceFailure::Lock))
        return kInvalidCall;
    m_locked = true;
    m_lastLockFlags = flags;
    ++m_lockCount;
    *data = m_bytes.data() + offset;
    return S_OK;
}

HResult GraphicsBuffer::Unlock()
{
    if (!m_locked)
        return kInvalidCall;
    m_locked = false;
    return S_OK;
}

} // namespace platform
