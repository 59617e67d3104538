#pragma once

// Readings of what a sample race printed and what its watch saw, shared by
// the tests of the one race and of the whole playthrough.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
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

// The finish times of the placed racers of a printed table, in their
// places, in hundredths; -1 for one that did not finish.
inline std::vector<long> PlacedFinishTimes(const std::string& table)
{
    std::vector<long> times;
    std::istringstream lines(table.substr(std::min(table.find("\nFinal places\n"), table.size())));
    std::string line;
    std::getline(lines, line); // the blank line before the heading
    std::getline(lines, line); // the heading
    std::getline(lines, line); // the columns
    // "  Place  Car (24 wide)  Laps  Time  Best lap"
    constexpr std::size_t kLapsColumn = 2 + 5 + 2 + 24 + 2;
    while (std::getline(lines, line) && line.size() > kLapsColumn) {
        int place = 0;
        if (std::sscanf(line.c_str(), "%d", &place) != 1)
            break; // the traffic, unplaced
        int laps = 0;
        int rounds = 0;
        int minutes = 0;
        int seconds = 0;
        int hundredths = 0;
        if (std::sscanf(line.c_str() + kLapsColumn, "%d/%d %d:%d.%d", &laps, &rounds, &minutes, &seconds,
                        &hundredths) == 5)
            times.push_back((minutes * 60L + seconds) * 100L + hundredths);
        else
            times.push_back(-1);
    }
    return times;
}

// Where a printed table shows a racer with a better finish time than a car
// it places ahead of it, or a finisher behind one that did not finish:
// "place 3 at 35437 is better than place 2 at 35439"; empty when the
// places and the times agree.
inline std::string PlaceTimeContradiction(const std::string& table)
{
    const std::vector<long> times = PlacedFinishTimes(table);
    for (std::size_t behind = 1; behind < times.size(); ++behind) {
        for (std::size_t ahead = 0; ahead < behind; ++ahead) {
            const bool dnfAhead = times[ahead] < 0 && times[behind] >= 0;
            const bool faster = times[ahead] >= 0 && times[behind] >= 0 && times[behind] < times[ahead];
            if (dnfAhead || faster)
                return "place " + std::to_string(behind + 1) + " at " + std::to_string(times[behind]) +
                       " is better than place " + std::to_string(ahead + 1) + " at " +
                       std::to_string(times[ahead]);
        }
    }
    return std::string();
}

} // namespace sample_output
