#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>

#include "platform/MemorySoundBuffer.h"
#include "platform/MusicOutput.h"
#include "platform/SoundChecks.h"
#include "platform/SoundDevice.h"

namespace platform {

class OpenALContext;
class OpenALMusicPump;
class OpenALSoundBuffer;

// The sound device that is heard: its buffers (OpenALSoundBuffer.h) play
// through OpenAL sources, in 3D for the buffers made so. The engine's
// left-handed coordinates (z ahead) become OpenAL's right-handed ones
// here. It is also an output music can be decoded to; whoever owns the
// device installs that (MusicOutput.h) and clears it before the device
// goes.
class OpenALSoundDevice final : public SoundDevice, public MusicOutput, private SoundBufferOwner {
  public:
    // The system's default output; null with the reason in *error when no
    // output device opens.
    static std::unique_ptr<OpenALSoundDevice> Open(std::string* error);
    // A device that mixes into memory, `rate` stereo float frames a
    // second, drawn out with Render; null with the reason in *error where
    // the library cannot mix so.
    static std::unique_ptr<OpenALSoundDevice> OpenLoopback(std::uint32_t rate, std::string* error);
    ~OpenALSoundDevice() override;

    HResult CreateSoundBuffer(const SoundBufferDesc& desc, SoundBuffer** buffer) override;

    HResult SetPrimaryFormat(const WaveFormat& format) override;
    const WaveFormat& GetPrimaryFormat() const override { return m_primaryFormat; }

    HResult GetListener(ListenerParameters* parameters) const override { return m_listener.Get(parameters); }
    HResult SetListener(const ListenerParameters& parameters, std::uint32_t apply) override;
    HResult CommitDeferredSettings() override;

    MusicOutput* GetMusicOutput() override { return this; }

    // Loopback devices only: mixes the next `frames` frames into `out`
    // (left and right interleaved). False on an output device.
    bool Render(float* out, std::uint32_t frames);
    // Buffers that could not be given a source of their own and are not
    // heard.
    std::uint32_t GetSilentBufferCount() const { return m_silentBuffers; }

    std::unique_ptr<MusicTrack> OpenTrack(std::unique_ptr<PcmSource> samples, std::string* error) override;

  private:
    explicit OpenALSoundDevice(std::unique_ptr<OpenALContext> context);
    void Forget(MemorySoundBuffer* buffer) override;
    void ApplyListener();
    static OpenALSoundBuffer& Heard(MemorySoundBuffer* buffer);

    std::unique_ptr<OpenALContext> m_context;
    std::unique_ptr<OpenALMusicPump> m_music;
    // Every buffer made here and alive: all of them OpenALSoundBuffer.
    std::unordered_set<MemorySoundBuffer*> m_buffers;
    WaveFormat m_primaryFormat{kWaveFormatPcm, 2, 22050, 44100, 2, 8, 0};
    ListenerState m_listener;
    std::uint32_t m_silentBuffers = 0;
};

} // namespace platform
