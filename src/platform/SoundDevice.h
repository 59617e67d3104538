#pragma once

#include <cstdint>

#include "platform/SoundBuffer.h"
#include "platform/SoundTypes.h"

namespace platform {

class MusicOutput;

// What the engine plays sound through: it makes secondary buffers and
// holds the primary format and the listener. The host picks the
// implementation (the headless one in HeadlessSoundDevice.h); the engine
// sees only this. Each device makes buffers of its own kind and works
// only on those.
class SoundDevice {
  public:
    virtual ~SoundDevice() = default;

    // A secondary buffer; on success *buffer holds one reference for the
    // caller. Refuses sizes outside kBufferBytesMin..kBufferBytesMax
    // (E_INVALIDARG), a missing format (E_INVALIDARG), formats that are not
    // PCM or float with a consistent block size and a rate the buffer can
    // play (kSoundBadFormat), and a 3D buffer of more than one channel
    // (E_INVALIDARG).
    virtual HResult CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) = 0;

    // The format the device mixes to; only playable PCM is taken.
    virtual HResult SetPrimaryFormat(const WaveFormat& format) = 0;
    virtual const WaveFormat& GetPrimaryFormat() const = 0;

    // Reads the listener's position, orientation and factors.
    virtual HResult GetListener(ListenerParameters* parameters) const = 0;
    // Moves the listener, at once or at the next CommitDeferredSettings.
    virtual HResult SetListener(const ListenerParameters& parameters, std::uint32_t apply) = 0;
    // Applies every deferred listener and 3D buffer setting of the
    // device's own buffers.
    virtual HResult CommitDeferredSettings() = 0;

    // Where music is decoded to when it is heard through this device; null
    // for a device that hears nothing. Whoever owns the device installs
    // it (MusicOutput.h).
    virtual MusicOutput* GetMusicOutput() { return nullptr; }

  protected:
    SoundDevice() = default;
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;
};

} // namespace platform
