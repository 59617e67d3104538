#pragma once

// Readings of what a sample race printed and what its watch saw, shared by
// the tests of the one race and of the whole playthrough.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/RaceWatch.h"

namespace sample_output {

// The race-clock seconds of every "script: ... wrecked at M:SS.hh" line;
// -1 for one whose time does not read.
inline std::vector<double> WreckTimes(const std::string& out)
{
    const std::string mark = " wrecked at ";
    std::vector<double> times;
    for (std::size_t at = out.find(mark); at != std::string::npos; at = out.find(mark, at + 1)) {
        int minutes = 0;
        double seconds = 0.0;
        if (std::sscanf(out.c_str() + at + mark.size(), "%d:%lf", &minutes, &seconds) == 2)
            times.push_back(minutes * 60.0 + seconds);
        else
            times.push_back(-1.0);
    }
    return times;
}

// The best laps of the opponents who race for places, in hundredths as the
// table shows them, from the fastest.
inline std::vector<long> RivalsBestLaps(const RaceWatch& watch)
{
    std::vector<long> best;
    for (const RaceWatch::Car& car : watch.GetCars())
        if (car.racer && !car.player && !car.laps.empty())
            best.push_back(std::lround(*std::min_element(car.laps.begin(), car.laps.end()) * 100.0f));
    std::sort(best.begin(), best.end());
    return best;
}

} // namespace sample_output
