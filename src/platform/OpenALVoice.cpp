#include "platform/OpenALVoice.h"

#include <AL/al.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/OpenALContext.h"

namespace platform {
namespace {

bool IsDirectFormat(const WaveFormat& format)
{
    return format.formatTag == kWaveFormatPcm && (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           format.channels <= 2;
}

ALenum AlFormat(std::uint16_t channels, std::uint16_t bits)
{
    if (channels == 1)
        return bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

// One sample of any playable format as a value in -1..1.
float SampleAt(const std::uint8_t* at, const WaveFormat& format)
{
    switch (format.bitsPerSample) {
    case 8:
        return (static_cast<int>(at[0]) - 128) / 128.0f;
    case 16: {
        std::int16_t value;
        std::memcpy(&value, at, 2);
        return value / 32768.0f;
    }
    case 24: {
        const std::int32_t value = static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) << 8 |
                                                             static_cast<std::uint32_t>(at[1]) << 16 |
                                                             static_cast<std::uint32_t>(at[2]) << 24);
        return static_cast<float>(value / 2147483648.0);
    }
    default:
        break;
    }
    if (format.formatTag == kWaveFormatFloat) {
        float value;
        std::memcpy(&value, at, 4);
        return std::isfinite(value) ? value : 0.0f;
    }
    std::int32_t value;
    std::memcpy(&value, at, 4);
    return static_cast<float>(value / 2147483648.0);
}

// The engine's z runs ahead of the listener, OpenAL's behind it.
void SetVector(ALuint source, ALenum what, const Vector3& v) { alSource3f(source, what, v.x, v.y, -v.z); }

} // namespace

OpenALVoice::OpenALVoice(OpenALContext& context, const WaveFormat& format, bool spatial)
    : m_context(context), m_format(format), m_spatial(spatial)
{
    m_context.MakeCurrent();
    alGetError();
    alGenSources(1, &m_source);
    if (alGetError() != AL_NO_ERROR) {
        m_source = 0;
        return;
    }
    alGenBuffers(1, &m_buffer);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &m_source);
        m_source = 0;
        m_buffer = 0;
        return;
    }
    // A buffer without 3D control plays beside the listener, panned only
    // by its pan.
    alSourcei(m_source, AL_SOURCE_RELATIVE, spatial ? AL_FALSE : AL_TRUE);
    alSource3f(m_source, AL_POSITION, 0.0f, 0.0f, 0.0f);
}

OpenALVoice::~OpenALVoice()
{
    if (!m_source)
        return;
    m_context.MakeCurrent();
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    alDeleteSources(1, &m_source);
    alDeleteBuffers(1, &m_buffer);
}

bool OpenALVoice::IsPlaying() const
{
    ALint state = AL_STOPPED;
    alGetSourcei(m_source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

void OpenALVoice::Upload(const std::vector<std::uint8_t>& bytes)
{
    const std::uint32_t block = m_format.blockAlign;
    m_frames = block ? static_cast<std::uint32_t>(bytes.size() / block) : 0;
    if (m_frames == 0)
        return;
    if (IsDirectFormat(m_format)) {
        alBufferData(m_buffer, AlFormat(m_format.channels, m_format.bitsPerSample), bytes.data(),
                     static_cast<ALsizei>(m_frames * block), static_cast<ALsizei>(m_format.samplesPerSecond));
        return;
    }
    const std::uint16_t channels = std::min<std::uint16_t>(m_format.channels, 2);
    const std::uint32_t sampleBytes = m_format.bitsPerSample / 8u;
    m_converted.resize(static_cast<std::size_t>(m_frames) * channels);
    for (std::uint32_t frame = 0; frame < m_frames; ++frame)
        for (std::uint16_t channel = 0; channel < channels; ++channel) {
            const float value = SampleAt(bytes.data() + frame * block + channel * sampleBytes, m_format);
            m_converted[frame * channels + channel] =
                static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
        }
    alBufferData(m_buffer, AlFormat(channels, 16), m_converted.data(),
                 static_cast<ALsizei>(m_converted.size() * sizeof(std::int16_t)),
                 static_cast<ALsizei>(m_format.samplesPerSecond));
    return;
}

void OpenALVoice::OnSamples(const std::vector<std::uint8_t>& bytes)
{
    if (!m_source)
        return;
    m_context.MakeCurrent();
    // OpenAL takes new samples only into a buffer no source holds.
    const bool playing = IsPlaying();
    ALint offset = 0;
    alGetSourcei(m_source, AL_SAMPLE_OFFSET, &offset);
    alSourceStop(m_source);
    alSourcei(m_source, AL_BUFFER, 0);
    Upload(bytes);
    if (m_frames == 0)
        return;
    alSourcei(m_source, AL_BUFFER, static_cast<ALint>(m_buffer));
    if (!playing)
        return;
    alSourcei(m_source, AL_SAMPLE_OFFSET, offset);
    alSourcePlay(m_source);
}

void OpenALVoice::OnPlay(std::uint32_t position, bool looping, bool starts)
{
    if (!m_source || m_frames == 0)
        return;
    m_context.MakeCurrent();
    alSourcei(m_source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    // A buffer whose end the clock has passed starts over even if the
    // mixer is still sounding its last samples.
    if (!starts && IsPlaying())
        return;
    const std::uint32_t frame = m_format.blockAlign ? position / m_format.blockAlign : 0;
    alSourceRewind(m_source);
    alSourcei(m_source, AL_SAMPLE_OFFSET, static_cast<ALint>(std::min(frame, m_frames - 1)));
    alSourcePlay(m_source);
}

void OpenALVoice::OnStop()
{
    if (!m_source)
        return;
    m_context.MakeCurrent();
    alSourceStop(m_source);
}

void OpenALVoice::OnPosition(std::uint32_t position)
{
    if (!m_source || m_frames == 0 || !IsPlaying())
        return; // a stopped buffer starts from its position when played
    m_context.MakeCurrent();
    const std::uint32_t frame = m_format.blockAlign ? position / m_format.blockAlign : 0;
    alSourcei(m_source, AL_SAMPLE_OFFSET, static_cast<ALint>(std::min(frame, m_frames - 1)));
}

void OpenALVoice::OnVolume(std::int32_t volume)
{
    if (!m_source)
        return;
    m_context.MakeCurrent();
    alSourcef(m_source, AL_GAIN, GainOf(volume));
}

void OpenALVoice::OnFrequency(std::uint32_t frequency)
{
    if (!m_source || m_format.samplesPerSecond == 0)
        return;
    m_context.MakeCurrent();
    alSourcef(m_source, AL_PITCH, static_cast<float>(frequency) / m_format.samplesPerSecond);
}

void OpenALVoice::OnPan(std::int32_t pan)
{
    if (!m_source || m_spatial)
        return;
    // Panning places the sound on a half circle in front of the listener.
    m_context.MakeCurrent();
    const float angle = static_cast<float>(pan) / kPanRight * 1.5707964f;
    alSource3f(m_source, AL_POSITION, std::sin(angle), 0.0f, pan == 0 ? 0.0f : -std::cos(angle));
}

void OpenALVoice::On3D(const Sound3DParameters& p)
{
    if (!m_source || !m_spatial)
        return;
    m_context.MakeCurrent();
    const bool relative = p.mode != kMode3DNormal;
    alSourcei(m_source, AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
    SetVector(m_source, AL_POSITION, p.mode == kMode3DDisabled ? Vector3{} : p.position);
    SetVector(m_source, AL_VELOCITY, p.velocity);
    SetVector(m_source, AL_DIRECTION, p.coneOrientation);
    alSourcef(m_source, AL_CONE_INNER_ANGLE, static_cast<float>(p.insideConeAngle));
    alSourcef(m_source, AL_CONE_OUTER_ANGLE, static_cast<float>(p.outsideConeAngle));
    alSourcef(m_source, AL_CONE_OUTER_GAIN, GainOf(p.coneOutsideVolume));
    alSourcef(m_source, AL_REFERENCE_DISTANCE, p.minDistance);
    alSourcef(m_source, AL_MAX_DISTANCE, p.maxDistance);
}

void OpenALVoice::SetRolloff(float rolloff)
{
    if (!m_source || !m_spatial)
        return;
    m_context.MakeCurrent();
    alSourcef(m_source, AL_ROLLOFF_FACTOR, rolloff);
}

} // namespace platform
