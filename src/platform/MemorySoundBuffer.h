#pragma once

#include <cstdint>
#include <vector>

#include "platform/SoundBuffer.h"
#include "platform/SoundChecks.h"

namespace platform {

class MemorySoundBuffer;

// What a sound device is to the buffers it makes: told when one goes.
class SoundBufferOwner {
  public:
    virtual void Forget(MemorySoundBuffer* buffer) = 0;

  protected:
    ~SoundBufferOwner() = default;
    // Cuts a buffer loose from a device that is going; it then just holds
    // its samples and its state.
    static void Detach(MemorySoundBuffer* buffer);
};

// A buffer whose samples and state lie in memory: the headless device's,
// and what a device that is heard keeps of what it hands to its mixer.
// Its state is what the engine reads back, and it records what tests ask
// about (priority, plays, 3D settings); a device that plays the samples
// derives from it and follows every change through the protected hooks.
class MemorySoundBuffer : public SoundBuffer {
  public:
    MemorySoundBuffer(SoundDevice* device, SoundBufferOwner* owner, const SoundBufferDesc& desc);

    HResult Query3DBuffer(Sound3DBuffer** buffer) override;
    HResult Lock(std::uint32_t offset, std::uint32_t bytes, void** data, std::uint32_t* lockedBytes) override;
    HResult Unlock(void* data, std::uint32_t bytesWritten) override;
    HResult Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override;
    HResult Stop() override;
    HResult GetStatus(std::uint32_t* status) override;
    HResult GetCurrentPosition(std::uint32_t* playPosition, std::uint32_t* writePosition) override;
    HResult SetCurrentPosition(std::uint32_t position) override;
    HResult SetVolume(std::int32_t volume) override;
    HResult GetVolume(std::int32_t* volume) const override;
    HResult SetFrequency(std::uint32_t frequency) override;
    HResult GetFrequency(std::uint32_t* frequency) const override;
    HResult SetPan(std::int32_t pan) override;
    HResult GetPan(std::int32_t* pan) const override;
    HResult Restore() override;

    // For the device that made the buffer: applies the deferred 3D values.
    void CommitDeferred();

    // What the buffer holds, for the host and for tests.
    const std::vector<std::uint8_t>& GetBytes() const { return m_bytes; }
    const WaveFormat& GetFormat() const { return m_format; }
    std::uint32_t GetFlags() const { return m_flags; }
    Spatial3DAlgorithm GetAlgorithm() const { return m_algorithm; }
    std::uint32_t GetPriority() const { return m_priority; }
    std::uint32_t GetPlayCount() const { return m_playCount; }
    bool IsLost() const { return m_lost; }
    // How often the 3D values were set, and how the last ones applied.
    std::uint32_t Get3DSetCount() const { return m_3d.setCount; }
    std::uint32_t GetLast3DApply() const { return m_3d.lastApply; }
    const Sound3DParameters& Get3DParameters() const { return m_3d.values.Current(); }

    // Test triggers: lose the memory now; have the next `count` Restore
    // calls answer `code` (kSoundBufferLost: the device still holds the
    // memory back).
    void Lose();
    void FailRestores(std::uint32_t count, HResult code = kSoundBufferLost);

  protected:
    ~MemorySoundBuffer() override;

    // Every change the engine makes, for a device that plays the samples.
    // The samples changed (unlocked after writing, restored or lost).
    virtual void OnSamples() {}
    // Plays from `position` bytes, looping or not; `starts` is false when
    // the buffer was already playing and only its looping changes.
    virtual void OnPlay(std::uint32_t position, bool looping, bool starts)
    {
        (void)position;
        (void)looping;
        (void)starts;
    }
    virtual void OnStop() {}
    virtual void OnPosition(std::uint32_t position) { (void)position; }
    // Hundredths of a decibel, kVolumeMin..kVolumeMax.
    virtual void OnVolume(std::int32_t volume) { (void)volume; }
    // Samples per second the buffer plays at.
    virtual void OnFrequency(std::uint32_t frequency) { (void)frequency; }
    virtual void OnPan(std::int32_t pan) { (void)pan; }
    virtual void On3D(const Sound3DParameters& parameters) { (void)parameters; }

    std::int32_t CurrentVolume() const { return m_volume; }
    std::int32_t CurrentPan() const { return m_pan; }
    std::uint32_t CurrentFrequency() const;

  private:
    friend class SoundBufferOwner;

    // The 3D side, living inside its buffer.
    class Side3D final : public Sound3DBuffer {
      public:
        explicit Side3D(MemorySoundBuffer& owner) : m_owner(owner) {}
        std::uint32_t AddRef() override { return m_owner.AddRef(); }
        std::uint32_t Release() override { return m_owner.Release(); }
        HResult GetAllParameters(Sound3DParameters* parameters) const override;
        HResult SetAllParameters(const Sound3DParameters& parameters, std::uint32_t apply) override;

        DeferredSetting<Sound3DParameters> values;
        std::uint32_t setCount = 0;
        std::uint32_t lastApply = kApplyImmediate;

      private:
        MemorySoundBuffer& m_owner;
    };

    void Advance();

    SoundBufferOwner* m_owner;
    std::vector<std::uint8_t> m_bytes;
    WaveFormat m_format;
    std::uint32_t m_flags;
    Spatial3DAlgorithm m_algorithm;
    Side3D m_3d{*this};

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
};

// The memory behind a buffer a device made, for tests and readers of the
// headless device's buffers; null for a buffer kept elsewhere.
MemorySoundBuffer* AsMemory(SoundBuffer* buffer);
const MemorySoundBuffer* AsMemory(const SoundBuffer* buffer);

} // namespace platform
