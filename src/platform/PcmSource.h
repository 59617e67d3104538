#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Decoded samples of a file, read in order as 16-bit interleaved frames of
// one or two channels (wider layouts keep their front pair).
class PcmSource {
  public:
    virtual ~PcmSource() = default;

    virtual std::uint32_t GetRate() const = 0;
    // 1 or 2.
    virtual std::uint32_t GetChannels() const = 0;
    // Frames in the file; 0 when it does not say.
    virtual std::int64_t GetFrames() const = 0;
    // Reads up to `frames` frames; 0 at the end or on an error.
    virtual std::uint32_t Read(std::int16_t* out, std::uint32_t frames) = 0;
    virtual bool Seek(std::int64_t frame) = 0;
};

// A music track: what libsndfile reads (WAVE, FLAC, Ogg Vorbis...).
std::unique_ptr<PcmSource> OpenSoundFile(const std::string& hostPath, std::string* error);
// The sound of a video file, decoded with FFmpeg's libraries.
std::unique_ptr<PcmSource> OpenVideoSound(const std::string& hostPath, std::string* error);

} // namespace platform
