#pragma once

#include <memory>

#include "platform/MemorySoundBuffer.h"
#include "platform/OpenALVoice.h"

namespace platform {

class OpenALContext;

// A buffer of the device that is heard: its samples and readable state in
// memory, as on the headless device, mirrored into an OpenAL source that
// plays them, in 3D for the buffers made so. A buffer whose source could
// not be made, or whose device is gone, keeps working unheard.
class OpenALSoundBuffer final : public MemorySoundBuffer {
  public:
    OpenALSoundBuffer(SoundDevice* device, SoundBufferOwner* owner, OpenALContext& context,
                      const SoundBufferDesc& desc, float rolloff);

    bool IsHeard() const { return m_voice != nullptr; }
    // The listener's rolloff, for a positioned buffer.
    void SetRolloff(float rolloff);
    // Lets go of the source before the context that made it goes.
    void Silence() { m_voice.reset(); }

  protected:
    void OnSamples() override;
    void OnPlay(std::uint32_t position, bool looping, bool starts) override;
    void OnStop() override;
    void OnPosition(std::uint32_t position) override;
    void OnVolume(std::int32_t volume) override;
    void OnFrequency(std::uint32_t frequency) override;
    void OnPan(std::int32_t pan) override;
    void On3D(const Sound3DParameters& parameters) override;

  private:
    std::unique_ptr<OpenALVoice> m_voice;
};

} // namespace platform
