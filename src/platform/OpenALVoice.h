#pragma once

#include <cstdint>
#include <vector>

#include "platform/SoundVoice.h"

namespace platform {

class OpenALContext;

// One buffer's OpenAL source and sample buffer. Formats OpenAL does not
// take (24 and 32 bits, float, more than two channels) are converted to
// 16 bits on their way in.
class OpenALVoice final : public SoundVoice {
  public:
    // A voice whose source could not be made stays silent; IsHeard says so.
    OpenALVoice(OpenALContext& context, const WaveFormat& format, bool spatial);
    ~OpenALVoice() override;

    bool IsHeard() const { return m_source != 0; }
    // The listener's rolloff applies to every positioned source.
    void SetRolloff(float rolloff);

    void OnSamples(const SoundBuffer& buffer) override;
    void OnPlay(std::uint32_t position, bool looping, bool starts) override;
    void OnStop() override;
    void OnPosition(std::uint32_t position) override;
    void OnVolume(std::int32_t volume) override;
    void OnFrequency(std::uint32_t frequency) override;
    void OnPan(std::int32_t pan) override;
    void On3D(const Sound3DParameters& parameters) override;

  private:
    bool IsPlaying() const;
    void Upload(const std::vector<std::uint8_t>& bytes);

    OpenALContext& m_context;
    WaveFormat m_format;
    bool m_spatial;
    unsigned int m_source = 0;
    unsigned int m_buffer = 0;
    std::uint32_t m_frames = 0; // whole frames uploaded
    std::vector<std::int16_t> m_converted;
};

} // namespace platform
