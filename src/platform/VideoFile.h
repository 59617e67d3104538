#pragma once

#include <cstddef>
#include <cstdint>

// What the main header of a RIFF "AVI " file says of its video: the frame
// size, the number of frames and the time each frame is shown.
namespace platform {

// Frame edges past this are taken for a damaged header.
constexpr std::uint32_t kMaxVideoEdge = 16384;

struct VideoFileHeader {
    std::uint32_t microsecondsPerFrame = 0;
    std::uint32_t frameCount = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    // 0 when the file does not give its frame time.
    double DurationSeconds() const;
};

// Whether the bytes start like a RIFF "AVI " file.
bool IsVideoFile(const std::uint8_t* bytes, std::size_t size);

// Reads the "avih" header inside the "hdrl" list. False when the bytes are
// not an AVI file, the header is missing or cut short, or the frame size
// is 0 or past kMaxVideoEdge in either direction.
bool ReadVideoFileHeader(const std::uint8_t* bytes, std::size_t size, VideoFileHeader& header);

} // namespace platform
