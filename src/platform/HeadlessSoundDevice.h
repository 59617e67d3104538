#pragma once

#include <cstddef>
#include <unordered_set>

#include "platform/MemorySoundBuffer.h"
#include "platform/SoundChecks.h"
#include "platform/SoundDevice.h"

namespace platform {

// The headless sound device: buffers hold their samples in memory and
// play positions follow the clock, but nothing is mixed or heard. The
// buffers record what tests ask about (MemorySoundBuffer.h).
class HeadlessSoundDevice final : public SoundDevice, private SoundBufferOwner {
  public:
    HeadlessSoundDevice() = default;
    ~HeadlessSoundDevice() override;

    HResult CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override;

    HResult SetPrimaryFormat(const WaveFormat& format) override;
    const WaveFormat& GetPrimaryFormat() const override { return m_primaryFormat; }

    HResult GetListener(ListenerParameters* parameters) const override { return m_listener.Get(parameters); }
    HResult SetListener(const ListenerParameters& parameters, std::uint32_t apply) override
    {
        return m_listener.Set(parameters, apply);
    }
    HResult CommitDeferredSettings() override;

    std::size_t GetBufferCount() const { return m_buffers.size(); }
    // Test trigger: every buffer loses its memory.
    void LoseAllBuffers();

  private:
    void Forget(MemorySoundBuffer* buffer) override { m_buffers.erase(buffer); }

    std::unordered_set<MemorySoundBuffer*> m_buffers;
    WaveFormat m_primaryFormat{kWaveFormatPcm, 2, 22050, 44100, 2, 8, 0};
    ListenerState m_listener;
};

} // namespace platform
