#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The record of one level's record mode: the best time, who set it and the
// run itself as 32-byte samples kept as raw bytes.
struct CPProgressEntry {
    using Sample = std::array<std::uint8_t, 32>;

    float bestTime = 0.0f; // seconds; 0 while there is none
    std::int32_t state = 4;
    std::string name;
    std::vector<Sample> samples;
};
