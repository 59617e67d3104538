#include "platform/HeadlessSoundDevice.h"

#include <new>

namespace platform {

HeadlessSoundDevice::~HeadlessSoundDevice()
{
    for (MemorySoundBuffer* buffer : m_buffers)
        Detach(buffer);
}

HResult HeadlessSoundDevice::CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer)
{
    if (!buffer)
        return E_INVALIDARG;
    *buffer = nullptr;
    const HResult fits = CheckBufferDesc(desc);
    if (Failed(fits))
        return fits;
    MemorySoundBuffer* created = nullptr;
    try {
        created = new MemorySoundBuffer(this, this, desc);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_buffers.insert(created);
    *buffer = created;
    return S_OK;
}

HResult HeadlessSoundDevice::SetPrimaryFormat(const WaveFormat& format)
{
    if (!IsPrimaryFormat(format))
        return kSoundBadFormat;
    m_primaryFormat = format;
    return S_OK;
}

HResult HeadlessSoundDevice::CommitDeferredSettings()
{
    m_listener.Commit();
    for (MemorySoundBuffer* buffer : m_buffers)
        buffer->CommitDeferred();
    return S_OK;
}

void HeadlessSoundDevice::LoseAllBuffers()
{
    for (MemorySoundBuffer* buffer : m_buffers)
        buffer->Lose();
}

} // namespace platform
