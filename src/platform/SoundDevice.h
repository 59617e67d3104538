#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SoundTypes.h"
#include "platform/SoundVoice.h"

namespace platform {

class SoundBuffer;
class SoundDevice;
class HeadlessSoundDevice;

// The 3D side of a buffer made with kBufferControl3D. It shares its
// buffer's reference count: holding it keeps the buffer alive.
class Sound3DBuffer {
  public:
    std::uint32_t AddRef();
    std::uint32_t Release();

    HResult GetAllParameters(Sound3DParameters* parameters) const;
    // kApplyImmediate takes effect at once; kApplyDeferred waits for the
    // device's CommitDeferredSettings. Negative or non-finite distances,
    // a maximum below the minimum, cone angles above 360 or an unknown mode
    // are refused.
    HResult SetAllParameters(const Sound3DParameters& parameters, std::uint32_t apply);

    std::uint32_t GetSetCount() const { return m_setCount; }
    std::uint32_t GetLastApply() const { return m_lastApply; }

  private:
    friend class SoundBuffer;
    friend class HeadlessSoundDevice;
    explicit Sound3DBuffer(SoundBuffer* owner) : m_owner(owner) {}
    void Commit();

    SoundBuffer* m_owner;
    Sound3DParameters m_parameters;
    Sound3DParameters m_deferred;
    bool m_hasDeferred = false;
    std::uint32_t m_setCount = 0;
    std::uint32_t m_lastApply = kApplyImmediate;
};

// A secondary buffer: sample memory that plays at a position, a
// frequency, a volume and a pan. The play position moves with the platform
// clock while the buffer plays; a buffer played once stops at its end and
// starts from 0 again, a looping one wraps. Nothing reaches a speaker.
//
// The device can lose a buffer's memory at any time (tests trigger it
// with Lose or the device's LoseAllBuffers): the buffer stops, Play and
// Lock answer kSoundBufferLost until Restore gives the memory back, zeroed.
class SoundBuffer {
  public:
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release();

    // The 3D side, with one reference for the caller; E_NOINTERFACE for a
    // buffer made without kBufferControl3D.
    HResult Query3DBuffer(Sound3DBuffer** buffer);

    // Locks `bytes` bytes from `offset` (0 bytes: up to the end) for
    // writing. One lock at a time; the range must lie inside the buffer.
    // Unlock takes the address Lock gave and at most the bytes it locked.
    HResult Lock(std::uint32_t offset, std::uint32_t bytes, void** data, std::uint32_t* lockedBytes);
    HResult Unlock(void* data, std::uint32_t bytesWritten);

    // flags: kPlayLooping or 0. Playing again only changes the flags.
    HResult Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags);
    // Stops where the buffer is; the position stays.
    HResult Stop();
    HResult GetStatus(std::uint32_t* status);
    HResult GetCurrentPosition(std::uint32_t* playPosition, std::uint32_t* writePosition);
    HResult SetCurrentPosition(std::uint32_t position);

    HResult SetVolume(std::int32_t volume);
    HResult GetVolume(std::int32_t* volume) const;
    HResult SetFrequency(std::uint32_t frequency);
    HResult GetFrequency(std::uint32_t* frequency) const;
    HResult SetPan(std::int32_t pan);
    HResult GetPan(std::int32_t* pan) const;

    // S_OK for a buffer that is not lost; for a lost one S_OK once the
    // device gives the memory back (zeroed), else kSoundBufferLost.
    HResult Restore();

    // What the device holds, for the host and for tests.
    const std::vector<std::uint8_t>& GetBytes() const { return m_bytes; }
    const WaveFormat& GetFormat() const { return m_format; }
    std::uint32_t GetFlags() const { return m_flags; }
    Spatial3DAlgorithm GetAlgorithm() const { return m_algorithm; }
    std::uint32_t GetPriority() const { return m_priority; }
    std::uint32_t GetPlayCount() const { return m_playCount; }
    bool IsLost() const { return m_lost; }
    SoundDevice* GetDevice() const;

    // Test triggers of the headless device: lose the memory now; have the next `count` Restore
    // calls answer `code` (kSoundBufferLost: the device still holds the
    // memory back).
    void Lose();
    void FailRestores(std::uint32_t count, HResult code = kSoundBufferLost);

    // The voice the buffer sounds through; null on the headless device.
    SoundVoice* GetVoice() const { return m_voice.get(); }

  private:
    friend class HeadlessSoundDevice;
    friend class Sound3DBuffer;
    SoundBuffer(HeadlessSoundDevice* device, const SoundBufferDesc& desc);
    ~SoundBuffer();

    void Advance();
    std::uint32_t CurrentFrequency() const;
    void SetVoice(std::unique_ptr<SoundVoice> voice);

    HeadlessSoundDevice* m_device;
    std::vector<std::uint8_t> m_bytes;
    WaveFormat m_format;
    std::uint32_t m_flags;
    Spatial3DAlgorithm m_algorithm;
    Sound3DBuffer m_3d;
    std::uint32_t m_references = 1;

    bool m_locked = false;
    void* m_lockedData = nullptr;
    std::uint32_t m_lockedBytes = 0;
    bool m_lost = false;
    bool m_playing = false;
    bool m_looping = false;
    std::uint32_t m_priority = 0;
    std::uint32_t m_playCount = 0;
    std::uint32_t m_position = 0;
    std::uint32_t m_positionTime = 0; // clock time m_position was taken at
    std::uint32_t m_carry = 0;        // sample-milliseconds not yet a whole block
    std::int32_t m_volume = kVolumeMax;
    std::uint32_t m_frequency = kFrequencyOriginal;
    std::int32_t m_pan = 0;
    std::uint32_t m_restoreFailures = 0;
    HResult m_restoreFailureCode = kSoundBufferLost;
    std::unique_ptr<SoundVoice> m_voice;
};

// What the engine plays sound through: it makes secondary buffers and
// holds the primary format and the listener. The host picks the
// implementation (the headless one in HeadlessSoundDevice.h); the engine
// sees only this. Buffers may outlive the device; they then only lose the
// link to it.
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
    // Applies every deferred listener and 3D buffer setting.
    virtual HResult CommitDeferredSettings() = 0;

  protected:
    SoundDevice() = default;
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;
};

} // namespace platform
