#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds since the program started, wrapping like a 32-bit counter.
std::uint32_t Milliseconds();

// Replaces the time source, so tests can drive time by hand. An empty
// function restores the steady system clock.
void SetClockSource(std::function<std::uint32_t()> source);
// The time source set last; empty for the system clock.
std::function<std::uint32_t()> GetClockSource();

} // namespace platform
