#pragma once

#include "platform/SoundTypes.h"

namespace platform {

// What every sound device refuses, so all answer alike.

// A buffer the device can make and play: S_OK, or the code to refuse it
// with. Sizes outside kBufferBytesMin..kBufferBytesMax and a missing
// format are E_INVALIDARG; formats that are not PCM or float with a
// consistent block size and a rate a buffer can play are kSoundBadFormat;
// a 3D buffer of more than one channel is E_INVALIDARG.
HResult CheckBufferDesc(const SoundBufferDesc& desc);
// Only playable PCM is mixed to.
bool IsPrimaryFormat(const WaveFormat& format);
bool IsValid(const Sound3DParameters& parameters);

// The one listener of a device, with the values that wait for the next
// commit.
class ListenerState {
  public:
    const ListenerParameters& Current() const { return m_listener; }
    HResult Get(ListenerParameters* parameters) const;
    // Checks and takes the values, at once or at the next Commit.
    HResult Set(const ListenerParameters& parameters, std::uint32_t apply);
    void Commit();

  private:
    ListenerParameters m_listener;
    ListenerParameters m_deferred;
    bool m_hasDeferred = false;
};

} // namespace platform
