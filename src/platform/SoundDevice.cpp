#include "platform/SoundDevice.h"

#include "platform/HeadlessSoundDevice.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/Clock.h"

namespace platform {
namespace {

// The write position runs this far ahead of the play position while a
// buffer plays, as a mixer's would.
constexpr std::uint32_t kWriteLeadMilliseconds = 10;

bool IsFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool IsPlayableFormat(const WaveFormat& format)
{
    const bool pcm =
        format.formatTag == kWaveFormatPcm && (format.bitsPerSample == 8 || format.bitsPerSample == 16 ||
                                               format.bitsPerSample == 24 || format.bitsPerSample == 32);
    const bool floating = format.formatTag == kWaveFormatFloat && format.bitsPerSample == 32;
    if (!pcm && !floating)
        return false;
    if (format.channels < 1 || format.channels > 8)
        return false;
    if (format.blockAlign != format.channels * format.bitsPerSample / 8)
        return false;
    return format.samplesPerSecond >= kFrequencyMin && format.samplesPerSecond <= kFrequencyMax;
}

bool IsValid(const Sound3DParameters& p)
{
    if (!IsFinite(p.position) || !IsFinite(p.velocity) || !IsFinite(p.coneOrientation))
        return false;
    if (!std::isfinite(p.minDistance) || !std::isfinite(p.maxDistance) || p.minDistance < 0.0f ||
        p.maxDistance < p.minDistance)
        return false;
    if (p.insideConeAngle > 360 || p.outsideConeAngle > 360 || p.insideConeAngle > p.outsideConeAngle)
        return false;
    if (p.coneOutsideVolume < kVolumeMin || p.coneOutsideVolume > kVolumeMax)
        return false;
    return p.mode <= kMode3DDisabled;
}

bool IsValid(const ListenerParameters& p)
{
    if (!IsFinite(p.position) || !IsFinite(p.velocity) || !IsFinite(p.front) || !IsFinite(p.top))
        return false;
    return p.distanceFactor > 0.0f && p.rolloffFactor >= 0.0f && p.rolloffFactor <= 10.0f &&
           p.dopplerFactor >= 0.0f && p.dopplerFactor <= 10.0f;
}

} // namespace

// ---- Sound3DBuffer ----

std::uint32_t Sound3DBuffer::AddRef() { return m_owner->AddRef(); }
std::uint32_t Sound3DBuffer::Release() { return m_owner->Release(); }

HResult Sound3DBuffer::GetAllParameters(Sound3DParameters* parameters) const
{
    if (!parameters)
        return E_INVALIDARG;
    *parameters = m_parameters;
    return S_OK;
}

HResult Sound3DBuffer::SetAllParameters(const Sound3DParameters& parameters, std::uint32_t apply)
{
    if (apply != kApplyImmediate && apply != kApplyDeferred)
        return E_INVALIDARG;
    if (!IsValid(parameters))
        return E_INVALIDARG;
    ++m_setCount;
    m_lastApply = apply;
    if (apply == kApplyDeferred) {
        m_deferred = parameters;
        m_hasDeferred = true;
        return S_OK;
    }
    m_parameters = parameters;
    m_hasDeferred = false;
    if (SoundVoice* voice = m_owner->GetVoice())
        voice->On3D(m_parameters);
    return S_OK;
}

void Sound3DBuffer::Commit()
{
    if (!m_hasDeferred)
        return;
    m_parameters = m_deferred;
    m_hasDeferred = false;
    if (SoundVoice* voice = m_owner->GetVoice())
        voice->On3D(m_parameters);
}

// ---- SoundBuffer ----

SoundDevice* SoundBuffer::GetDevice() const { return m_device; }

SoundBuffer::SoundBuffer(HeadlessSoundDevice* device, const SoundBufferDesc& desc)
    : m_device(device), m_bytes(desc.bufferBytes), m_format(*desc.format), m_flags(desc.flags),
      m_algorithm(desc.algorithm), m_3d(this)
{
}

SoundBuffer::~SoundBuffer()
{
    if (m_device)
        m_device->Forget(this);
}

std::uint32_t SoundBuffer::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HResult SoundBuffer::Query3DBuffer(Sound3DBuffer** buffer)
{
    if (!buffer)
        return E_INVALIDARG;
    *buffer = nullptr;
    if ((m_flags & kBufferControl3D) == 0)
        return E_NOINTERFACE;
    AddRef();
    *buffer = &m_3d;
    return S_OK;
}

HResult SoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, void** data, std::uint32_t* lockedBytes)
{
    if (!data || !lockedBytes)
        return E_INVALIDARG;
    *data = nullptr;
    *lockedBytes = 0;
    if (m_lost)
        return kSoundBufferLost;
    if (m_locked)
        return kSoundInvalidCall;
    const std::uint32_t size = static_cast<std::uint32_t>(m_bytes.size());
    if (offset >= size)
        return E_INVALIDARG;
    if (bytes == 0)
        bytes = size - offset;
    if (bytes > size - offset)
        return E_INVALIDARG;
    m_locked = true;
    m_lockedData = m_bytes.data() + offset;
    m_lockedBytes = bytes;
    *data = m_lockedData;
    *lockedBytes = bytes;
    return S_OK;
}

HResult SoundBuffer::Unlock(void* data, std::uint32_t bytesWritten)
{
    if (!m_locked)
        return kSoundInvalidCall;
    if (data != m_lockedData || bytesWritten > m_lockedBytes)
        return E_INVALIDARG;
    m_locked = false;
    m_lockedData = nullptr;
    m_lockedBytes = 0;
    if (m_voice)
        m_voice->OnSamples(*this);
    return S_OK;
}

std::uint32_t SoundBuffer::CurrentFrequency() const
{
    return m_frequency == kFrequencyOriginal ? m_format.samplesPerSecond : m_frequency;
}

void SoundBuffer::Advance()
{
    const std::uint32_t now = Milliseconds();
    const std::uint32_t elapsed = now - m_positionTime;
    m_positionTime = now;
    if (!m_playing || elapsed == 0)
        return;
    const std::uint64_t sampleMilliseconds =
        static_cast<std::uint64_t>(elapsed) * CurrentFrequency() + m_carry;
    m_carry = static_cast<std::uint32_t>(sampleMilliseconds % 1000);
    const std::uint64_t position = m_position + (sampleMilliseconds / 1000) * m_format.blockAlign;
    if (position < m_bytes.size()) {
        m_position = static_cast<std::uint32_t>(position);
        return;
    }
    if (m_looping) {
        m_position = static_cast<std::uint32_t>(position % m_bytes.size());
        return;
    }
    // A buffer played once stops at its end and starts over next time.
    m_playing = false;
    m_position = 0;
    m_carry = 0;
}

HResult SoundBuffer::Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags)
{
    if (reserved != 0 || (flags & ~kPlayLooping) != 0)
        return E_INVALIDARG;
    if (m_lost)
        return kSoundBufferLost;
    Advance();
    const bool starts = !m_playing;
    if (starts) {
        m_playing = true;
        m_carry = 0;
    }
    m_looping = (flags & kPlayLooping) != 0;
    m_priority = priority;
    ++m_playCount;
    if (m_voice)
        m_voice->OnPlay(m_position, m_looping, starts);
    return S_OK;
}

HResult SoundBuffer::Stop()
{
    Advance();
    m_playing = false;
    if (m_voice)
        m_voice->OnStop();
    return S_OK;
}

HResult SoundBuffer::GetStatus(std::uint32_t* status)
{
    if (!status)
        return E_INVALIDARG;
    Advance();
    *status = (m_playing ? kStatusPlaying : 0u) | (m_lost ? kStatusBufferLost : 0u) |
              (m_playing && m_looping ? kStatusLooping : 0u);
    return S_OK;
}

HResult SoundBuffer::GetCurrentPosition(std::uint32_t* playPosition, std::uint32_t* writePosition)
{
    Advance();
    if (playPosition)
        *playPosition = m_position;
    if (writePosition) {
        std::uint32_t lead = 0;
        if (m_playing)
            lead = CurrentFrequency() * kWriteLeadMilliseconds / 1000 * m_format.blockAlign;
        *writePosition =
            static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_position) + lead) % m_bytes.size());
    }
    return S_OK;
}

HResult SoundBuffer::SetCurrentPosition(std::uint32_t position)
{
    if (position >= m_bytes.size())
        return E_INVALIDARG;
    Advance();
    m_position = position - position % m_format.blockAlign;
    m_carry = 0;
    if (m_voice)
        m_voice->OnPosition(m_position);
    return S_OK;
}

HResult SoundBuffer::SetVolume(std::int32_t volume)
{
    if ((m_flags & kBufferControlVolume) == 0)
        return kSoundControlUnavailable;
    if (volume < kVolumeMin || volume > kVolumeMax)
        return E_INVALIDARG;
    m_volume = volume;
    if (m_voice)
        m_voice->OnVolume(m_volume);
    return S_OK;
}

HResult SoundBuffer::GetVolume(std::int32_t* volume) const
{
    if (!volume)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlVolume) == 0)
        return kSoundControlUnavailable;
    *volume = m_volume;
    return S_OK;
}

HResult SoundBuffer::SetFrequency(std::uint32_t frequency)
{
    if ((m_flags & kBufferControlFrequency) == 0)
        return kSoundControlUnavailable;
    if (frequency != kFrequencyOriginal && (frequency < kFrequencyMin || frequency > kFrequencyMax))
        return E_INVALIDARG;
    Advance();
    m_frequency = frequency;
    if (m_voice)
        m_voice->OnFrequency(CurrentFrequency());
    return S_OK;
}

HResult SoundBuffer::GetFrequency(std::uint32_t* frequency) const
{
    if (!frequency)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlFrequency) == 0)
        return kSoundControlUnavailable;
    *frequency = CurrentFrequency();
    return S_OK;
}

HResult SoundBuffer::SetPan(std::int32_t pan)
{
    if ((m_flags & kBufferControlPan) == 0)
        return kSoundControlUnavailable;
    if (pan < kPanLeft || pan > kPanRight)
        return E_INVALIDARG;
    m_pan = pan;
    if (m_voice)
        m_voice->OnPan(m_pan);
    return S_OK;
}

HResult SoundBuffer::GetPan(std::int32_t* pan) const
{
    if (!pan)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlPan) == 0)
        return kSoundControlUnavailable;
    *pan = m_pan;
    return S_OK;
}

HResult SoundBuffer::Restore()
{
    if (!m_lost)
        return S_OK;
    if (m_restoreFailures > 0) {
        --m_restoreFailures;
        return m_restoreFailureCode;
    }
    m_lost = false;
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    if (m_voice)
        m_voice->OnSamples(*this);
    return S_OK;
}

void SoundBuffer::Lose()
{
    Advance();
    m_lost = true;
    m_playing = false;
    m_locked = false;
    m_lockedData = nullptr;
    m_lockedBytes = 0;
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    if (m_voice) {
        m_voice->OnStop();
        m_voice->OnSamples(*this);
    }
}

void SoundBuffer::SetVoice(std::unique_ptr<SoundVoice> voice)
{
    m_voice = std::move(voice);
    if (!m_voice)
        return;
    m_voice->OnSamples(*this);
    m_voice->OnVolume(m_volume);
    m_voice->OnFrequency(CurrentFrequency());
    m_voice->OnPan(m_pan);
    if (m_flags & kBufferControl3D)
        m_voice->On3D(m_3d.m_parameters);
}

void SoundBuffer::FailRestores(std::uint32_t count, HResult code)
{
    m_restoreFailures = count;
    m_restoreFailureCode = code;
}

// ---- HeadlessSoundDevice ----

HeadlessSoundDevice::~HeadlessSoundDevice()
{
    for (SoundBuffer* buffer : m_buffers)
        buffer->m_device = nullptr;
}

HResult HeadlessSoundDevice::CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer)
{
    if (!buffer)
        return E_INVALIDARG;
    *buffer = nullptr;
    if (!desc.format || desc.bufferBytes < kBufferBytesMin || desc.bufferBytes > kBufferBytesMax)
        return E_INVALIDARG;
    if (!IsPlayableFormat(*desc.format))
        return kSoundBadFormat;
    if ((desc.flags & kBufferControl3D) != 0 && desc.format->channels != 1)
        return E_INVALIDARG;
    SoundBuffer* created = nullptr;
    try {
        created = new SoundBuffer(this, desc);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_buffers.insert(created);
    created->SetVoice(MakeVoice(*created));
    *buffer = created;
    return S_OK;
}

HResult HeadlessSoundDevice::SetPrimaryFormat(const WaveFormat& format)
{
    if (format.formatTag != kWaveFormatPcm || !IsPlayableFormat(format))
        return kSoundBadFormat;
    m_primaryFormat = format;
    return S_OK;
}

HResult HeadlessSoundDevice::GetListener(ListenerParameters* parameters) const
{
    if (!parameters)
        return E_INVALIDARG;
    *parameters = m_listener;
    return S_OK;
}

HResult HeadlessSoundDevice::SetListener(const ListenerParameters& parameters, std::uint32_t apply)
{
    if ((apply != kApplyImmediate && apply != kApplyDeferred) || !IsValid(parameters))
        return E_INVALIDARG;
    if (apply == kApplyDeferred) {
        m_deferredListener = parameters;
        m_hasDeferredListener = true;
        return S_OK;
    }
    m_listener = parameters;
    m_hasDeferredListener = false;
    return S_OK;
}

HResult HeadlessSoundDevice::CommitDeferredSettings()
{
    if (m_hasDeferredListener) {
        m_listener = m_deferredListener;
        m_hasDeferredListener = false;
    }
    for (SoundBuffer* buffer : m_buffers)
        buffer->m_3d.Commit();
    return S_OK;
}

void HeadlessSoundDevice::DropVoices()
{
    for (SoundBuffer* buffer : m_buffers)
        buffer->m_voice.reset();
}

void HeadlessSoundDevice::LoseAllBuffers()
{
    for (SoundBuffer* buffer : m_buffers)
        buffer->Lose();
}

} // namespace platform
