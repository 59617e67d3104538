#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Object.h"
#include "core/SoundVolume.h"
#include "platform/Result.h"
#include "platform/SoundTypes.h"

namespace platform {
class SoundBuffer;
class Sound3DBuffer;
class SoundDevice;
} // namespace platform

class CPWaveReader;

// One sound effect: all samples of a WAVE file in one buffer of the sound
// device, optionally placed in 3D. A sound that loaded is listed in the
// global sound list, through which the global sound volume reaches every
// sound. A sound whose file is missing or malformed has no buffer: every
// operation on it does nothing and answers a failure (or false).
class CNSound : public CPObject {
  public:
    // Play flags: once (0) or looping.
    static constexpr std::uint32_t kPlayLooping = platform::kPlayLooping;

    // Loads the file; never fails outward (see IsLoaded). is3D is 1 for a
    // positional sound.
    CNSound(platform::SoundDevice* device, const std::string& path, std::int32_t is3D);
    ~CNSound() override;
    CNSound(const CNSound&) = delete;
    CNSound& operator=(const CNSound&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CNSound); }
    std::string GetTypeName() const override { return "CNSound_" + m_path; }

    // Restores and refills a lost buffer (then plays from the start), sets
    // the base frequency and plays with the device's flags.
    HResult Play(std::uint32_t priority, std::uint32_t flags);
    // Stops where the sound is; the position stays.
    void StopPlaying();
    // Moves the play position to the start.
    void Rewind();
    bool IsPlaying() const;
    // Plays at base frequency * factor (truncated) until the next Play.
    HResult SetFrequencyFactor(float factor);
    // Volume 0..1 by the volume law (Sound/VolumeLaw.h).
    HResult SetVolume(float volume);
    HResult ApplyGlobalVolume();

    static constexpr float kStartVolume = kStartSoundVolume;
    // The volume every listed sound plays at, kStartVolume until set; setting it
    // applies it to every listed sound at once, and later sounds apply it
    // when they load.
    static void SetGlobalVolume(float volume);
    static float GetGlobalVolume();
    static const std::vector<CNSound*>& GetSoundList();

    bool IsLoaded() const { return m_loaded; }
    std::int32_t Is3D() const { return m_is3D; }
    const std::string& GetPath() const { return m_path; }
    std::uint32_t GetSize() const { return m_size; }
    std::uint32_t GetBaseFrequency() const { return m_baseFrequency; }
    platform::SoundBuffer* GetBuffer() const { return m_buffer; }
    // Null for a sound made without 3D.
    platform::Sound3DBuffer* Get3DBuffer() const { return m_3dBuffer; }
    // The sound's copy of the 3D parameters its buffer last took.
    platform::Sound3DParameters& Get3DParameters() { return m_3dParameters; }

  private:
    void FillBuffer(bool repeat);
    // S_OK when the buffer was lost and is back (*restored true), S_FALSE
    // when it was not lost, a failure when it stays lost.
    HResult RestoreBuffer(bool* restored);
    void Set3DModeNormal();
    std::uint8_t SilenceByte() const;
    void Report(int line, HResult code) const;

    platform::SoundBuffer* m_buffer = nullptr;
    std::uint32_t m_size = 0;
    std::unique_ptr<CPWaveReader> m_reader;
    std::int32_t m_is3D = 0;
    std::uint32_t m_baseFrequency = 0;
    std::string m_path;
    bool m_loaded = false;
    platform::Sound3DBuffer* m_3dBuffer = nullptr;
    platform::Sound3DParameters m_3dParameters;
};
