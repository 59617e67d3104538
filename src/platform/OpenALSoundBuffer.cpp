#include "platform/OpenALSoundBuffer.h"

namespace platform {

OpenALSoundBuffer::OpenALSoundBuffer(SoundDevice* device, SoundBufferOwner* owner, OpenALContext& context,
                                     const SoundBufferDesc& desc, float rolloff)
    : MemorySoundBuffer(device, owner, desc)
{
    const bool spatial = (desc.flags & kBufferControl3D) != 0;
    m_voice = std::make_unique<OpenALVoice>(context, GetFormat(), spatial);
    if (!m_voice->IsHeard()) {
        m_voice.reset();
        return;
    }
    // The source starts from the buffer's own state.
    m_voice->SetRolloff(rolloff);
    m_voice->OnSamples(GetBytes());
    m_voice->OnVolume(CurrentVolume());
    m_voice->OnFrequency(CurrentFrequency());
    m_voice->OnPan(CurrentPan());
    if (spatial)
        m_voice->On3D(Get3DParameters());
}

void OpenALSoundBuffer::SetRolloff(float rolloff)
{
    if (m_voice)
        m_voice->SetRolloff(rolloff);
}

void OpenALSoundBuffer::OnSamples()
{
    if (m_voice)
        m_voice->OnSamples(GetBytes());
}

void OpenALSoundBuffer::OnPlay(std::uint32_t position, bool looping, bool starts)
{
    if (m_voice)
        m_voice->OnPlay(position, looping, starts);
}

void OpenALSoundBuffer::OnStop()
{
    if (m_voice)
        m_voice->OnStop();
}

void OpenALSoundBuffer::OnPosition(std::uint32_t position)
{
    if (m_voice)
        m_voice->OnPosition(position);
}

void OpenALSoundBuffer::OnVolume(std::int32_t volume)
{
    if (m_voice)
        m_voice->OnVolume(volume);
}

void OpenALSoundBuffer::OnFrequency(std::uint32_t frequency)
{
    if (m_voice)
        m_voice->OnFrequency(frequency);
}

void OpenALSoundBuffer::OnPan(std::int32_t pan)
{
    if (m_voice)
        m_voice->OnPan(pan);
}

void OpenALSoundBuffer::On3D(const Sound3DParameters& parameters)
{
    if (m_voice)
        m_voice->On3D(parameters);
}

} // namespace platform
