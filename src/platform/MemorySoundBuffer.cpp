#include "platform/MemorySoundBuffer.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/SoundChecks.h"

namespace platform {
namespace {

// The write position runs this far ahead of the play position while a
// buffer plays, as a mixer's would.
constexpr std::uint32_t kWriteLeadMilliseconds = 10;

} // namespace

void SoundBufferOwner::Detach(MemorySoundBuffer* buffer)
{
    buffer->m_owner = nullptr;
    buffer->ForgetDevice();
}

MemorySoundBuffer* AsMemory(SoundBuffer* buffer) { return dynamic_cast<MemorySoundBuffer*>(buffer); }
const MemorySoundBuffer* AsMemory(const SoundBuffer* buffer)
{
    return dynamic_cast<const MemorySoundBuffer*>(buffer);
}

// ---- the 3D side ----

HResult MemorySoundBuffer::Side3D::GetAllParameters(Sound3DParameters* out) const
{
    if (!out)
        return E_INVALIDARG;
    *out = values.Current();
    return S_OK;
}

HResult MemorySoundBuffer::Side3D::SetAllParameters(const Sound3DParameters& parameters, std::uint32_t apply)
{
    if (apply != kApplyImmediate && apply != kApplyDeferred)
        return E_INVALIDARG;
    if (!IsValid(parameters))
        return E_INVALIDARG;
    ++setCount;
    lastApply = apply;
    if (values.Take(parameters, apply))
        m_owner.On3D(values.Current());
    return S_OK;
}

void MemorySoundBuffer::CommitDeferred()
{
    if (m_3d.values.Commit())
        On3D(m_3d.values.Current());
}

// ---- the buffer ----

MemorySoundBuffer::MemorySoundBuffer(SoundDevice* device, SoundBufferOwner* owner,
                                     const SoundBufferDesc& desc)
    : SoundBuffer(device), m_owner(owner), m_bytes(desc.bufferBytes), m_format(*desc.format),
      m_flags(desc.flags), m_algorithm(desc.algorithm)
{
}

MemorySoundBuffer::~MemorySoundBuffer()
{
    if (m_owner)
        m_owner->Forget(this);
}

HResult MemorySoundBuffer::Query3DBuffer(Sound3DBuffer** buffer)
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

HResult MemorySoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, void** data,
                                std::uint32_t* lockedBytes)
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

HResult MemorySoundBuffer::Unlock(void* data, std::uint32_t bytesWritten)
{
    if (!m_locked)
        return kSoundInvalidCall;
    if (data != m_lockedData || bytesWritten > m_lockedBytes)
        return E_INVALIDARG;
    m_locked = false;
    m_lockedData = nullptr;
    m_lockedBytes = 0;
    OnSamples();
    return S_OK;
}

std::uint32_t MemorySoundBuffer::CurrentFrequency() const
{
    return m_frequency == kFrequencyOriginal ? m_format.samplesPerSecond : m_frequency;
}

void MemorySoundBuffer::Advance()
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

HResult MemorySoundBuffer::Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags)
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
    OnPlay(m_position, m_looping, starts);
    return S_OK;
}

HResult MemorySoundBuffer::Stop()
{
    Advance();
    m_playing = false;
    OnStop();
    return S_OK;
}

HResult MemorySoundBuffer::GetStatus(std::uint32_t* status)
{
    if (!status)
        return E_INVALIDARG;
    Advance();
    *status = (m_playing ? kStatusPlaying : 0u) | (m_lost ? kStatusBufferLost : 0u) |
              (m_playing && m_looping ? kStatusLooping : 0u);
    return S_OK;
}

HResult MemorySoundBuffer::GetCurrentPosition(std::uint32_t* playPosition, std::uint32_t* writePosition)
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

HResult MemorySoundBuffer::SetCurrentPosition(std::uint32_t position)
{
    if (position >= m_bytes.size())
        return E_INVALIDARG;
    Advance();
    m_position = position - position % m_format.blockAlign;
    m_carry = 0;
    OnPosition(m_position);
    return S_OK;
}

HResult MemorySoundBuffer::SetVolume(std::int32_t volume)
{
    if ((m_flags & kBufferControlVolume) == 0)
        return kSoundControlUnavailable;
    if (volume < kVolumeMin || volume > kVolumeMax)
        return E_INVALIDARG;
    m_volume = volume;
    OnVolume(m_volume);
    return S_OK;
}

HResult MemorySoundBuffer::GetVolume(std::int32_t* volume) const
{
    if (!volume)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlVolume) == 0)
        return kSoundControlUnavailable;
    *volume = m_volume;
    return S_OK;
}

HResult MemorySoundBuffer::SetFrequency(std::uint32_t frequency)
{
    if ((m_flags & kBufferControlFrequency) == 0)
        return kSoundControlUnavailable;
    if (frequency != kFrequencyOriginal && (frequency < kFrequencyMin || frequency > kFrequencyMax))
        return E_INVALIDARG;
    Advance();
    m_frequency = frequency;
    OnFrequency(CurrentFrequency());
    return S_OK;
}

HResult MemorySoundBuffer::GetFrequency(std::uint32_t* frequency) const
{
    if (!frequency)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlFrequency) == 0)
        return kSoundControlUnavailable;
    *frequency = CurrentFrequency();
    return S_OK;
}

HResult MemorySoundBuffer::SetPan(std::int32_t pan)
{
    if ((m_flags & kBufferControlPan) == 0)
        return kSoundControlUnavailable;
    if (pan < kPanLeft || pan > kPanRight)
        return E_INVALIDARG;
    m_pan = pan;
    OnPan(m_pan);
    return S_OK;
}

HResult MemorySoundBuffer::GetPan(std::int32_t* pan) const
{
    if (!pan)
        return E_INVALIDARG;
    if ((m_flags & kBufferControlPan) == 0)
        return kSoundControlUnavailable;
    *pan = m_pan;
    return S_OK;
}

HResult MemorySoundBuffer::Restore()
{
    if (!m_lost)
        return S_OK;
    if (m_restoreFailures > 0) {
        --m_restoreFailures;
        return m_restoreFailureCode;
    }
    m_lost = false;
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    OnSamples();
    return S_OK;
}

void MemorySoundBuffer::Lose()
{
    Advance();
    m_lost = true;
    m_playing = false;
    m_locked = false;
    m_lockedData = nullptr;
    m_lockedBytes = 0;
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    OnStop();
    OnSamples();
}

void MemorySoundBuffer::FailRestores(std::uint32_t count, HResult code)
{
    m_restoreFailures = count;
    m_restoreFailureCode = code;
}

} // namespace platform
