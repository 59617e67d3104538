#pragma once

#include <cstdint>
#include <string>
#include <tuple>

// One entry of a track's best-time table. The smaller time is the better.
struct CPTimeRecord {
    std::string name;
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
    std::int32_t hundredths = 0;

    bool operator<(const CPTimeRecord& other) const
    {
        return std::tie(minutes, seconds, hundredths) <
               std::tie(other.minutes, other.seconds, other.hundredths);
    }
};
