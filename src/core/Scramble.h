#pragma once

#include <cstddef>
#include <cstdint>

// The additive byte scrambling of data files and pack entries. Byte i of a
// buffer is shifted by byte (i mod kScrambleKeySize) of the program's key,
// counting from the buffer's first byte.
constexpr std::size_t kScrambleKeySize = 1933;

void ScrambleBuffer(std::uint8_t* data, std::size_t size);
void UnscrambleBuffer(std::uint8_t* data, std::size_t size);
