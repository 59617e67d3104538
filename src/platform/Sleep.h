#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Suspends the calling thread for about the given number of milliseconds.
void SleepMilliseconds(std::uint32_t milliseconds);

// Replaces what SleepMilliseconds does, so tests neither wait nor lose the
// count of pauses. An empty function restores the real pause.
void SetSleepFunction(std::function<void(std::uint32_t)> sleep);
// The pause set last; empty for the real one.
std::function<void(std::uint32_t)> GetSleepFunction();

} // namespace platform
