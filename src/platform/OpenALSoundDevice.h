#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/HeadlessSoundDevice.h"
#include "platform/MusicOutput.h"

namespace platform {

class OpenALContext;
class OpenALMusicPump;

// The sound device that is heard: every buffer keeps its samples and its
// readable state as on the headless device, and mirrors them into an
// OpenAL source that plays them, in 3D for the buffers made so. The
// engine's left-handed coordinates (z ahead) become OpenAL's right-handed
// ones here. It is also the output music is decoded to: the first such
// device made is installed as the music output while it lives.
class OpenALSoundDevice : public HeadlessSoundDevice, public MusicOutput {
  public:
    // The system's default output; null with the reason in *error when no
    // output device opens.
    static std::unique_ptr<OpenALSoundDevice> Open(std::string* error);
    // A device that mixes into memory, `rate` stereo float frames a
    // second, drawn out with Render; null with the reason in *error where
    // the library cannot mix so.
    static std::unique_ptr<OpenALSoundDevice> OpenLoopback(std::uint32_t rate, std::string* error);
    ~OpenALSoundDevice() override;

    HResult SetListener(const ListenerParameters& parameters, std::uint32_t apply) override;
    HResult CommitDeferredSettings() override;

    // Loopback devices only: mixes the next `frames` frames into `out`
    // (left and right interleaved). False on an output device.
    bool Render(float* out, std::uint32_t frames);
    // Buffers that could not be given a source of their own and are not
    // heard.
    std::uint32_t GetSilentBufferCount() const { return m_silentBuffers; }

    std::unique_ptr<MusicTrack> OpenTrack(std::unique_ptr<PcmSource> samples, std::string* error) override;

  protected:
    std::unique_ptr<SoundVoice> MakeVoice(const SoundBuffer& buffer) override;

  private:
    explicit OpenALSoundDevice(std::unique_ptr<OpenALContext> context);
    void ApplyListener();

    std::unique_ptr<OpenALContext> m_context;
    std::unique_ptr<OpenALMusicPump> m_music;
    std::uint32_t m_silentBuffers = 0;
};

} // namespace platform
