#pragma once

#include <cstdint>

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

// A setting a device takes at once (kApplyImmediate) or holds until its
// next commit (kApplyDeferred); a value taken at once drops what was held.
// The caller checks `apply` and the values first.
template <typename T> class DeferredSetting {
  public:
    const T& Current() const { return m_current; }
    // True when the value took effect now.
    bool Take(const T& value, std::uint32_t apply)
    {
        if (apply == kApplyDeferred) {
            m_held = value;
            m_holding = true;
            return false;
        }
        m_current = value;
        m_holding = false;
        return true;
    }
    // True when held values took effect.
    bool Commit()
    {
        if (!m_holding)
            return false;
        m_current = m_held;
        m_holding = false;
        return true;
    }

  private:
    T m_current{};
    T m_held{};
    bool m_holding = false;
};

// The one listener of a device, with the values that wait for the next
// commit.
class ListenerState {
  public:
    const ListenerParameters& Current() const { return m_listener.Current(); }
    HResult Get(ListenerParameters* parameters) const;
    // Checks and takes the values, at once or at the next Commit.
    HResult Set(const ListenerParameters& parameters, std::uint32_t apply);
    void Commit() { m_listener.Commit(); }

  private:
    DeferredSetting<ListenerParameters> m_listener;
};

} // namespace platform
