#pragma once

#include <cstdint>
#include <vector>

#include "platform/SoundTypes.h"

namespace platform {

class OpenALContext;

// One sound buffer's OpenAL source and sample buffer, told every change
// of the buffer it sounds for. Formats OpenAL does not take (24 and 32
// bits, float, more than two channels) are converted to 16 bits on their
// way in.
class OpenALVoice final {
  public:
    // A voice whose source could not be made stays silent; IsHeard says so.
    OpenALVoice(OpenALContext& context, const WaveFormat& format, bool spatial);
    ~OpenALVoice();
    OpenALVoice(const OpenALVoice&) = delete;
    OpenALVoice& operator=(const OpenALVoice&) = delete;

    bool IsHeard() const { return m_source != 0; }
    // The listener's rolloff applies to every positioned source.
    void SetRolloff(float rolloff);

    // The buffer's samples changed (unlocked after writing, restored or lost).
    void OnSamples(const std::vector<std::uint8_t>& bytes);
    void OnPlay(std::uint32_t position, bool looping, bool starts);
    void OnStop();
    void OnPosition(std::uint32_t position);
    void OnVolume(std::int32_t volume);
    void OnFrequency(std::uint32_t frequency);
    void OnPan(std::int32_t pan);
    void On3D(const Sound3DParameters& parameters);

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
