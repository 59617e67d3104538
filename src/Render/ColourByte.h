#pragma once

#include <cstdint>

// The low 8 bits of a value truncated toward zero, as colour bytes are cut
// from computed levels. Defined for every finite value, also far beyond
// the integer range; 0 for NaN and infinities.
std::uint32_t TruncatedLowByte(double value);
