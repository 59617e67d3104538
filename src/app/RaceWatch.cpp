#include "app/RaceWatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "game/Level.h"

namespace {

// A car whose nearest track point jumps by more than this wrapped round
// the start (the game's own lap counting uses the same bound).
constexpr std::int32_t kWrapJump = 14;
// How close to a whole lap a car must have come for the start to count.
constexpr std::int32_t kLapSlack = 20;

std::int32_t RoundsOfGame()
{
    const CPGameData* data = GetGameData();
    return data && data->roundCount > 0 ? data->roundCount : 1;
}

// The time the game has run the race for: its player's lap times, the
// running one's too, summed in the order the finish time sums them, so
// that the player's finish and this clock at its crossing are one number.
float RunningTimeOfGame(const CPGameData& data)
{
    const auto laps =
        std::min(static_cast<std::size_t>(std::max(data.currentRound, 0)), data.roundTimes.size());
    float total = 0.0f;
    for (std::size_t i = 0; i < laps; ++i)
        total += data.roundTimes[i];
    return total;
}

} // namespace

void RaceWatch::Attach(CPLevel& level)
{
    m_level = &level;
    m_cars.clear();
    m_clock = 0.0f;
    m_playerFinish = -1.0f;
    m_over = false;
    m_timedByGame = false;
    m_podium.clear();
    // The lap times are taken in frames; their room is made here.
    const auto lapRoom = static_cast<std::size_t>(std::clamp(RoundsOfGame(), 1, 64));
    Car player;
    player.laps.reserve(lapRoom);
    player.name = "player (" + level.playerModel + ")";
    player.player = true;
    player.racer = true;
    m_cars.push_back(std::move(player));
    for (std::size_t i = 0; i < level.GetOpponents().size(); ++i) {
        Car car;
        car.laps.reserve(lapRoom);
        car.name =
            i < level.opponentModels.size() ? level.opponentModels[i] : "opponent " + std::to_string(i + 1);
        car.racer = i < CPLevel::kCountedOpponents;
        car.lapKey = std::to_string(i);
        m_cars.push_back(std::move(car));
    }
}

void RaceWatch::Track(Car& car, const CPGameObject& object, std::int32_t count, bool countLaps)
{
    const std::int32_t point = m_level->NearestTrackPointOf(object);
    if (point < 0)
        return;
    if (car.nearest >= 0 && point != car.nearest) {
        std::int32_t step = point - car.nearest;
        if (step < -kWrapJump)
            step += count - 1;
        if (step > kWrapJump)
            step -= count - 1;
        car.progress += step;
        car.totalProgress += step;
    }
    car.nearest = point;
    if (!countLaps || car.finishTime >= 0.0f || point != m_level->race.startPoint ||
        car.progress < count - kLapSlack)
        return;
    car.laps.push_back(m_clock - car.lapStart);
    car.lapStart = m_clock;
    car.progress = 0;
    if (static_cast<std::int32_t>(car.laps.size()) >= m_rounds)
        car.finishTime = m_clock;
}

void RaceWatch::TakeGameLaps(Car& car)
{
    const CPGameData* data = GetGameData();
    if (!data)
        return;
    const auto done = static_cast<std::size_t>(std::max(data->currentRound - 1, 0));
    while (car.finishTime < 0.0f && car.laps.size() < done && car.laps.size() < data->roundTimes.size()) {
        car.laps.push_back(data->roundTimes[car.laps.size()]);
        car.progress = 0;
        if (static_cast<std::int32_t>(car.laps.size()) >= m_rounds) {
            float total = 0.0f;
            for (float lap : car.laps)
                total += lap;
            car.finishTime = total;
        }
    }
}

void RaceWatch::TakeOpponentLaps(Car& car, float crossing)
{
    const CPGameData* data = GetGameData();
    if (!data)
        return;
    const auto found = data->lapRecords.find(car.lapKey);
    if (found == data->lapRecords.end())
        return;
    const auto done = static_cast<std::size_t>(std::max(found->second.lapNumber - 1, 0));
    while (car.finishTime < 0.0f && car.laps.size() < done) {
        car.laps.push_back(crossing - car.lapStart);
        car.lapStart = crossing;
        car.progress = 0;
        if (static_cast<std::int32_t>(car.laps.size()) >= m_rounds)
            car.finishTime = crossing;
    }
}

void RaceWatch::AdvanceClock(const CPLevel& level, float dt)
{
    // Once the game times the race, the watch keeps the game's clock: it
    // runs on the same frames, and the player's laps are the game's own,
    // as the results screen shows them.
    if (level.race.raceRunning)
        m_timedByGame = true;
    const CPGameData* data = GetGameData();
    if (m_timedByGame && level.race.raceRunning && data) {
        m_clock = RunningTimeOfGame(*data);
        return;
    }
    // After the player's finish the clock runs on whatever the scripts do
    // with the timing, so that the grace for the others always ends.
    if (!m_timedByGame || level.race.raceRunning || m_playerFinish >= 0.0f)
        m_clock += dt;
}

void RaceWatch::Update(CPLevel* level, float dt)
{
    if (!level) {
        m_level = nullptr;
        return;
    }
    if (level != m_level)
        Attach(*level);
    if (m_over || level->stopped)
        return;
    m_rounds = RoundsOfGame();
    m_podium.assign(level->race.places.begin(), level->race.places.end());
    // The game counts this frame's laps before it adds the frame's time,
    // so a lap it counted now ended at the clock as it stood.
    const float crossing = m_clock;
    AdvanceClock(*level, dt);
    const auto count = static_cast<std::int32_t>(level->trackPoints.size());
    if (count == 0)
        return;
    if (const CPGameObject* player = level->GetPlayer()) {
        Track(m_cars[0], *player, count, !m_timedByGame);
        if (m_timedByGame)
            TakeGameLaps(m_cars[0]);
    }
    const std::vector<CPGameObject*>& opponents = level->GetOpponents();
    for (std::size_t i = 0; i < opponents.size() && i + 1 < m_cars.size(); ++i) {
        Car& car = m_cars[i + 1];
        const bool byGame = m_timedByGame && car.racer;
        Track(car, *opponents[i], count, !byGame);
        if (byGame)
            TakeOpponentLaps(car, crossing);
    }

    if (m_playerFinish < 0.0f && m_cars[0].finishTime >= 0.0f)
        m_playerFinish = m_clock;
    const bool allFinished =
        std::all_of(m_cars.begin(), m_cars.end(), [](const Car& car) { return car.finishTime >= 0.0f; });
    const bool graceOver = m_playerFinish >= 0.0f && m_clock - m_playerFinish >= kGraceAfterPlayer;
    m_over = allFinished || graceOver || level->race.levelFailedSent;
}

std::size_t RaceWatch::GetRacerCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_cars.begin(), m_cars.end(), [](const Car& car) { return car.racer; }));
}

std::vector<std::size_t> RaceWatch::GetPlaces() const
{
    // A car's rank on the game's podium (0 to 2), 3 when it holds none:
    // the player is 10 there, opponent i (car i + 1) is i.
    const auto podiumRank = [this](std::size_t index) {
        const std::int32_t who = index == 0 ? CPLevel::kPlayerPlace : static_cast<std::int32_t>(index - 1);
        const auto found = std::find(m_podium.begin(), m_podium.end(), who);
        return static_cast<std::size_t>(found - m_podium.begin());
    };
    std::vector<std::size_t> order(m_cars.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Car& x = m_cars[a];
        const Car& y = m_cars[b];
        if (x.racer != y.racer)
            return x.racer;
        const std::size_t xRank = x.racer ? podiumRank(a) : m_podium.size();
        const std::size_t yRank = y.racer ? podiumRank(b) : m_podium.size();
        if (xRank != yRank)
            return xRank < yRank;
        const bool xDone = x.finishTime >= 0.0f;
        const bool yDone = y.finishTime >= 0.0f;
        if (xDone != yDone)
            return xDone;
        if (xDone)
            return x.finishTime < y.finishTime;
        if (x.laps.size() != y.laps.size())
            return x.laps.size() > y.laps.size();
        return x.progress > y.progress;
    });
    return order;
}

std::string RaceWatch::FormatTime(float seconds)
{
    // Hundredths cut, not rounded, as the game's own time split does.
    const auto hundredths = static_cast<long>(static_cast<double>(std::max(seconds, 0.0f)) * 100.0);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
    return text;
}

std::string RaceWatch::FormatCombat()
{
    const CPGameData* data = GetGameData();
    if (!data)
        return std::string();
    const auto count = [](std::int32_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    const CPCombatTally& combat = data->combat;
    return "Combat: " + count(combat.shotsFired, "shot", "shots") + " fired, " +
           count(combat.hits, "hit", "hits") + ", " + count(data->kills, "enemy", "enemies") + " killed, " +
           count(combat.carsWrecked, "car", "cars") + " wrecked, " +
           count(combat.bonusesTaken, "bonus", "bonuses") + " taken\n";
}

std::string RaceWatch::FormatProgress() const
{
    if (m_cars.empty())
        return std::string();
    const std::vector<std::size_t> places = GetPlaces();
    const std::size_t place = std::find(places.begin(), places.end(), 0) - places.begin() + 1;
    const int lap = std::min<int>(static_cast<int>(m_cars[0].laps.size()) + 1, m_rounds);
    char text[96];
    std::snprintf(text, sizeof text, "Lap %d/%d  place %zu/%zu  %s", lap, m_rounds, place, GetRacerCount(),
                  FormatTime(m_clock).c_str());
    return text;
}

std::string RaceWatch::FormatTable() const
{
    if (m_cars.empty())
        return "No race was run.\n";
    std::string out = "Player's laps\n  Lap  Time\n";
    char line[160];
    for (std::size_t i = 0; i < m_cars[0].laps.size(); ++i) {
        std::snprintf(line, sizeof line, "  %3zu  %s\n", i + 1, FormatTime(m_cars[0].laps[i]).c_str());
        out += line;
    }
    out += "\nFinal places\n  Place  Car                       Laps  Time      Best lap\n";
    const std::vector<std::size_t> places = GetPlaces();
    const std::size_t racers = GetRacerCount();
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (i == racers)
            out += "  Traffic, not placed\n";
        const Car& car = m_cars[places[i]];
        const std::string place = i < racers ? std::to_string(i + 1) : "-";
        const std::string time = car.finishTime >= 0.0f ? FormatTime(car.finishTime) : "DNF";
        const std::string best =
            car.laps.empty() ? "-" : FormatTime(*std::min_element(car.laps.begin(), car.laps.end()));
        std::snprintf(line, sizeof line, "  %5s  %-24s  %d/%d   %-8s  %s\n", place.c_str(), car.name.c_str(),
                      static_cast<int>(car.laps.size()), m_rounds, time.c_str(), best.c_str());
        out += line;
    }
    return out;
}
