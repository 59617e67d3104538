#pragma once

#include <cstdint>
#include <string>

// Numbers of the interface text files. Text that is no number reads as 0,
// as do values that are not finite, so coordinates always stay usable.
float ParseFloatText(const std::string& text);
// An integer clamped to the 32-bit range.
std::int32_t ParseIntText(const std::string& text);
// A decimal colour word: signed or unsigned, kept to its low 32 bits, so
// -1 and 4294967295 are both opaque white.
std::uint32_t ParseColourText(const std::string& text);
