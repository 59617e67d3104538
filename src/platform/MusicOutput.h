#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/PcmSource.h"

// Where music graphs send what they decode. With no output installed a
// graph keeps only its clock, as on the headless platform.
namespace platform {

// One track decoded from a file and streamed to the output. Its clock is
// the samples heard, so position and end follow what was played.
class MusicTrack {
  public:
    virtual ~MusicTrack() = default;

    // Seconds; 0 when the file does not give its length.
    virtual double GetDuration() const = 0;
    virtual void Play() = 0;
    // Holds the position.
    virtual void Pause() = 0;
    // Seconds heard from the start of the file.
    virtual double GetPosition() = 0;
    virtual bool Seek(double seconds) = 0;
    // Whether the whole file has been heard.
    virtual bool HasEnded() = 0;
    // Hundredths of a decibel, -10000..0.
    virtual void SetVolume(std::int32_t volume) = 0;
};

class MusicOutput {
  public:
    virtual ~MusicOutput() = default;
    // A track that plays the samples; null with the reason in *error when
    // the output cannot take another.
    virtual std::unique_ptr<MusicTrack> OpenTrack(std::unique_ptr<PcmSource> samples, std::string* error) = 0;
};

// The output new graphs decode to; null for none.
void SetMusicOutput(MusicOutput* output);
MusicOutput* GetMusicOutput();

// Installs an output for as long as it lives (null: leaves the one there)
// and clears it again, unless another took its place meanwhile. Held by whoever owns
// the device the output belongs to, so music never outlives it.
class ScopedMusicOutput {
  public:
    explicit ScopedMusicOutput(MusicOutput* output);
    ~ScopedMusicOutput();
    ScopedMusicOutput(const ScopedMusicOutput&) = delete;
    ScopedMusicOutput& operator=(const ScopedMusicOutput&) = delete;

  private:
    MusicOutput* m_output;
};

} // namespace platform
