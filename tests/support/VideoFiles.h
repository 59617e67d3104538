#pragma once

#include <cstdint>
#include <vector>

namespace videofiles {

// A RIFF "AVI " file: the "hdrl" list with its 56-byte main header
// (frame time, frame count, width, height) and an empty "movi" list.
std::vector<std::uint8_t> Avi(std::uint32_t width, std::uint32_t height, std::uint32_t frames,
                              std::uint32_t microsecondsPerFrame);

} // namespace videofiles
