#include "platform/SoundChecks.h"

#include <cmath>

namespace platform {
namespace {

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

bool IsValid(const ListenerParameters& p)
{
    if (!IsFinite(p.position) || !IsFinite(p.velocity) || !IsFinite(p.front) || !IsFinite(p.top))
        return false;
    return p.distanceFactor > 0.0f && p.rolloffFactor >= 0.0f && p.rolloffFactor <= 10.0f &&
           p.dopplerFactor >= 0.0f && p.dopplerFactor <= 10.0f;
}

} // namespace

HResult CheckBufferDesc(const SoundBufferDesc& desc)
{
    if (!desc.format || desc.bufferBytes < kBufferBytesMin || desc.bufferBytes > kBufferBytesMax)
        return E_INVALIDARG;
    if (!IsPlayableFormat(*desc.format))
        return kSoundBadFormat;
    if ((desc.flags & kBufferControl3D) != 0 && desc.format->channels != 1)
        return E_INVALIDARG;
    return S_OK;
}

bool IsPrimaryFormat(const WaveFormat& format)
{
    return format.formatTag == kWaveFormatPcm && IsPlayableFormat(format);
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

HResult ListenerState::Get(ListenerParameters* parameters) const
{
    if (!parameters)
        return E_INVALIDARG;
    *parameters = m_listener.Current();
    return S_OK;
}

HResult ListenerState::Set(const ListenerParameters& parameters, std::uint32_t apply)
{
    if ((apply != kApplyImmediate && apply != kApplyDeferred) || !IsValid(parameters))
        return E_INVALIDARG;
    m_listener.Take(parameters, apply);
    return S_OK;
}

} // namespace platform
