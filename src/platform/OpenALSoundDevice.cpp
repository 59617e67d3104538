#include "platform/OpenALSoundDevice.h"

#include <AL/al.h>

#include "platform/OpenALContext.h"
#include "platform/OpenALMusicTrack.h"
#include "platform/OpenALVoice.h"

namespace platform {

OpenALSoundDevice::OpenALSoundDevice(std::unique_ptr<OpenALContext> context) : m_context(std::move(context))
{
    // Music is fed by a thread where it is heard as it plays; a device
    // that mixes on demand feeds it when asked, so its mix is repeatable.
    m_music = std::make_unique<OpenALMusicPump>(*m_context, !m_context->IsLoopback());
    ApplyListener();
    if (!GetMusicOutput())
        SetMusicOutput(this);
}

OpenALSoundDevice::~OpenALSoundDevice()
{
    if (GetMusicOutput() == this)
        SetMusicOutput(nullptr);
    // The sources belong to the context, which goes last.
    m_music.reset();
    DropVoices();
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

std::unique_ptr<SoundVoice> OpenALSoundDevice::MakeVoice(const SoundBuffer& buffer)
{
    auto voice = std::make_unique<OpenALVoice>(*m_context, buffer.GetFormat(),
                                               (buffer.GetFlags() & kBufferControl3D) != 0);
    if (!voice->IsHeard()) {
        ++m_silentBuffers;
        return nullptr;
    }
    voice->SetRolloff(CurrentListener().rolloffFactor);
    return voice;
}

HResult OpenALSoundDevice::SetListener(const ListenerParameters& parameters, std::uint32_t apply)
{
    const HResult result = HeadlessSoundDevice::SetListener(parameters, apply);
    if (Succeeded(result) && apply == kApplyImmediate)
        ApplyListener();
    return result;
}

HResult OpenALSoundDevice::CommitDeferredSettings()
{
    const HResult result = HeadlessSoundDevice::CommitDeferredSettings();
    ApplyListener();
    return result;
}

void OpenALSoundDevice::ApplyListener()
{
    const ListenerParameters& listener = CurrentListener();
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
    for (SoundBuffer* buffer : Buffers())
        if (SoundVoice* voice = buffer->GetVoice())
            static_cast<OpenALVoice*>(voice)->SetRolloff(listener.rolloffFactor);
}

bool OpenALSoundDevice::Render(float* out, std::uint32_t frames) { return m_context->Render(out, frames); }

} // namespace platform
