#pragma once

#include <cstdint>
#include <vector>

// An opponent's laps: the lap it is on, one countdown per lap (seconds)
// and its progress along the track over all laps.
struct CPLapRecord {
    static constexpr std::int32_t kCountdownCount = 20;

    std::int32_t lapNumber = 1;
    std::vector<float> countdowns = std::vector<float>(kCountdownCount, 0.0f);
    std::int32_t trackProgress = -1;

    // Decreases the countdown of the current lap by the frame time. A lap
    // number outside the countdowns (a race of 20 laps or more) has none to
    // decrease, so nothing changes.
    void CountDown(float frameTime)
    {
        if (lapNumber < 0 || lapNumber >= static_cast<std::int32_t>(countdowns.size()))
            return;
        countdowns[static_cast<std::size_t>(lapNumber)] -= frameTime;
    }
};
