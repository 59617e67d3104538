#pragma once

#include <cstdint>

#include "platform/SoundTypes.h"

namespace platform {

class SoundBuffer;

// What a buffer's samples sound through: a device that really plays
// gives each buffer one, and the buffer tells it every change the engine
// makes. The buffer stays the keeper of the samples and of the state the
// engine reads back; a voice only follows.
class SoundVoice {
  public:
    virtual ~SoundVoice() = default;

    // The samples changed (unlocked after writing, restored or lost).
    virtual void OnSamples(const SoundBuffer& buffer) = 0;
    // Plays from `position` bytes, looping or not; `starts` is false when
    // the buffer was already playing and only its looping changes.
    virtual void OnPlay(std::uint32_t position, bool looping, bool starts) = 0;
    virtual void OnStop() = 0;
    virtual void OnPosition(std::uint32_t position) = 0;
    // Hundredths of a decibel, kVolumeMin..kVolumeMax.
    virtual void OnVolume(std::int32_t volume) = 0;
    // Samples per second the buffer plays at.
    virtual void OnFrequency(std::uint32_t frequency) = 0;
    virtual void OnPan(std::int32_t pan) = 0;
    virtual void On3D(const Sound3DParameters& parameters) = 0;
};

} // namespace platform
