#pragma once

#include <cstdint>

#include "platform/SoundTypes.h"

namespace platform {

class SoundDevice;

// The 3D side of a buffer made with kBufferControl3D. It shares its
// buffer's reference count: holding it keeps the buffer alive.
class Sound3DBuffer {
  public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

    virtual HResult GetAllParameters(Sound3DParameters* parameters) const = 0;
    // kApplyImmediate takes effect at once; kApplyDeferred waits for the
    // device's CommitDeferredSettings. Negative or non-finite distances,
    // a maximum below the minimum, cone angles above 360 or an unknown mode
    // are refused.
    virtual HResult SetAllParameters(const Sound3DParameters& parameters, std::uint32_t apply) = 0;

  protected:
    ~Sound3DBuffer() = default;
};

// A secondary buffer: sample memory that plays at a position, a
// frequency, a volume and a pan. Every sound device makes its own; callers
// see only this interface. The play position moves with the platform clock
// while the buffer plays; a buffer played once stops at its end and starts
// from 0 again, a looping one wraps.
//
// The device can lose a buffer's memory at any time: the buffer stops,
// Play and Lock answer kSoundBufferLost until Restore gives the memory
// back, zeroed.
//
// A buffer is shared by counting: it starts with one reference and
// deletes itself when Release drops the last one. It may outlive the
// device that made it; it then only loses the link to it.
class SoundBuffer {
  public:
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release()
    {
        if (m_references == 0)
            return 0;
        if (--m_references > 0)
            return m_references;
        delete this;
        return 0;
    }

    // Null once the device that made the buffer is gone.
    SoundDevice* GetDevice() const { return m_device; }

    // The 3D side, with one reference for the caller; E_NOINTERFACE for a
    // buffer made without kBufferControl3D.
    virtual HResult Query3DBuffer(Sound3DBuffer** buffer) = 0;

    // Locks `bytes` bytes from `offset` (0 bytes: up to the end) for
    // writing. One lock at a time; the range must lie inside the buffer.
    // Unlock takes the address Lock gave and at most the bytes it locked.
    virtual HResult Lock(std::uint32_t offset, std::uint32_t bytes, void** data,
                         std::uint32_t* lockedBytes) = 0;
    virtual HResult Unlock(void* data, std::uint32_t bytesWritten) = 0;

    // flags: kPlayLooping or 0. Playing again only changes the flags.
    virtual HResult Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) = 0;
    // Stops where the buffer is; the position stays.
    virtual HResult Stop() = 0;
    virtual HResult GetStatus(std::uint32_t* status) = 0;
    virtual HResult GetCurrentPosition(std::uint32_t* playPosition, std::uint32_t* writePosition) = 0;
    virtual HResult SetCurrentPosition(std::uint32_t position) = 0;

    virtual HResult SetVolume(std::int32_t volume) = 0;
    virtual HResult GetVolume(std::int32_t* volume) const = 0;
    virtual HResult SetFrequency(std::uint32_t frequency) = 0;
    virtual HResult GetFrequency(std::uint32_t* frequency) const = 0;
    virtual HResult SetPan(std::int32_t pan) = 0;
    virtual HResult GetPan(std::int32_t* pan) const = 0;

    // S_OK for a buffer that is not lost; for a lost one S_OK once the
    // device gives the memory back (zeroed), else kSoundBufferLost.
    virtual HResult Restore() = 0;

  protected:
    explicit SoundBuffer(SoundDevice* device) : m_device(device) {}
    virtual ~SoundBuffer() = default;
    // Cuts the buffer loose from a device that is going.
    void ForgetDevice() { m_device = nullptr; }

  private:
    SoundDevice* m_device;
    std::uint32_t m_references = 1;
};

} // namespace platform
