#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// A moment of the local calendar, field by field, as the game stores it in
// its save files.
struct LocalDateTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;     // 1 to 12
    std::uint16_t dayOfWeek = 0; // 0 is Sunday
    std::uint16_t day = 0;       // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

// The current local date and time.
LocalDateTime GetLocalDateTime();

// Replaces where the local time comes from, so tests can fix it. An empty
// function restores the system's clock and time zone.
void SetLocalTimeSource(std::function<LocalDateTime()> source);
// The source set last; empty for the system's.
std::function<LocalDateTime()> GetLocalTimeSource();

} // namespace platform
