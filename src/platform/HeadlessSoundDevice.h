#pragma once

#include <cstddef>
#include <memory>
#include <unordered_set>

#include "platform/SoundDevice.h"

namespace platform {

// The headless sound device: buffers hold their samples and play
// positions follow the clock, but nothing is mixed or heard.
class HeadlessSoundDevice : public SoundDevice {
  public:
    HeadlessSoundDevice() = default;
    ~HeadlessSoundDevice() override;

    HResult CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override;

    HResult SetPrimaryFormat(const WaveFormat& format) override;
    const WaveFormat& GetPrimaryFormat() const override { return m_primaryFormat; }

    HResult GetListener(ListenerParameters* parameters) const override;
    HResult SetListener(const ListenerParameters& parameters, std::uint32_t apply) override;
    HResult CommitDeferredSettings() override;

    std::size_t GetBufferCount() const { return m_buffers.size(); }
    // Test trigger: every buffer loses its memory.
    void LoseAllBuffers();

  protected:
    // A device that really plays gives each new buffer a voice; the
    // headless one none.
    virtual std::unique_ptr<SoundVoice> MakeVoice(const SoundBuffer&) { return nullptr; }
    // Every buffer lets go of its voice, before the device that made them
    // goes.
    void DropVoices();
    const ListenerParameters& CurrentListener() const { return m_listener; }
    const std::unordered_set<SoundBuffer*>& Buffers() const { return m_buffers; }

  private:
    friend class SoundBuffer;
    void Forget(SoundBuffer* buffer) { m_buffers.erase(buffer); }

    std::unordered_set<SoundBuffer*> m_buffers;
    WaveFormat m_primaryFormat{kWaveFormatPcm, 2, 22050, 44100, 2, 8, 0};
    ListenerParameters m_listener;
    ListenerParameters m_deferredListener;
    bool m_hasDeferredListener = false;
};

} // namespace platform
