#include "platform/OpenALSoundDevice.h"

#include <AL/al.h>

#include <new>

#include "platform/OpenALContext.h"
#include "platform/OpenALMusicTrack.h"
#include "platform/OpenALSoundBuffer.h"

namespace platform {

OpenALSoundDevice::OpenALSoundDevice(std::unique_ptr<OpenALContext> context) : m_context(std::move(context))
{
    // Music is fed by a thread where it is heard as it plays; a device
    // that mixes on demand feeds it when asked, so its mix is repeatable.
    m_music = std::make_unique<OpenALMusicPump>(*m_context, !m_context->IsLoopback());
    ApplyListener();
}

OpenALSoundDevice::~OpenALSoundDevice()
{
    // The sources belong to the context, which goes last.
    m_music.reset();
    for (MemorySoundBuffer* buffer : m_buffers) {
        Heard(buffer).Silence();
        Detach(buffer);
    }
}

std::unique_ptr<MusicTrack> OpenALSoundDevice::OpenTrack(std::unique_ptr<PcmSource> samples,
                                                         std::string* error)
{
    return m_music->Open(std::move(samples), error);
}

std::unique_ptr<OpenALSoundDevice> OpenALSoundDevice::Open(std::string* error)
{
    std::unique_ptr<OpenALContext> context = OpenALContext::OpenOutput(error);
    if (!context)
        return nullptr;
    return std::unique_ptr<OpenALSoundDevice>(new OpenALSoundDevice(std::move(context)));
}

std::unique_ptr<OpenALSoundDevice> OpenALSoundDevice::OpenLoopback(std::uint32_t rate, std::string* error)
{
    std::unique_ptr<OpenALContext> context = OpenALContext::OpenLoopback(rate, error);
    if (!context)
        return nullptr;
    return std::unique_ptr<OpenALSoundDevice>(new OpenALSoundDevice(std::move(context)));
}

HResult OpenALSoundDevice::CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer)
{
    if (!buffer)
        return E_INVALIDARG;
    *buffer = nullptr;
    const HResult fits = CheckBufferDesc(desc);
    if (Failed(fits))
        return fits;
    OpenALSoundBuffer* created = nullptr;
    try {
        created = new OpenALSoundBuffer(this, this, *m_context, desc, m_listener.Current().rolloffFactor);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!created->IsHeard())
        ++m_silentBuffers;
    m_buffers.insert(created);
    *buffer = created;
    return S_OK;
}

OpenALSoundBuffer& OpenALSoundDevice::Heard(MemorySoundBuffer* buffer)
{
    return *static_cast<OpenALSoundBuffer*>(buffer);
}

void OpenALSoundDevice::Forget(MemorySoundBuffer* buffer) { m_buffers.erase(buffer); }

HResult OpenALSoundDevice::SetPrimaryFormat(const WaveFormat& format)
{
    if (!IsPrimaryFormat(format))
        return kSoundBadFormat;
    m_primaryFormat = format;
    return S_OK;
}

HResult OpenALSoundDevice::SetListener(const ListenerParameters& parameters, std::uint32_t apply)
{
    const HResult result = m_listener.Set(parameters, apply);
    if (Succeeded(result) && apply == kApplyImmediate)
        ApplyListener();
    return result;
}

HResult OpenALSoundDevice::CommitDeferredSettings()
{
    m_listener.Commit();
    for (MemorySoundBuffer* buffer : m_buffers)
        buffer->CommitDeferred();
    ApplyListener();
    return S_OK;
}

void OpenALSoundDevice::ApplyListener()
{
    const ListenerParameters& listener = m_listener.Current();
    m_context->MakeCurrent();
    alListener3f(AL_POSITION, listener.position.x, listener.position.y, -listener.position.z);
    alListener3f(AL_VELOCITY, listener.velocity.x, listener.velocity.y, -listener.velocity.z);
    const ALfloat orientation[] = {listener.front.x, listener.front.y, -listener.front.z,
                                   listener.top.x,   listener.top.y,   -listener.top.z};
    alListenerfv(AL_ORIENTATION, orientation);
    alDopplerFactor(listener.dopplerFactor);
    // Distances are in the engine's units, metres times the distance
    // factor; the speed of sound follows them.
    alSpeedOfSound(343.3f / listener.distanceFactor);
    for (MemorySoundBuffer* buffer : m_buffers)
        Heard(buffer).SetRolloff(listener.rolloffFactor);
}

bool OpenALSoundDevice::Render(float* out, std::uint32_t frames) { return m_context->Render(out, frames); }

} // namespace platform
