#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPGameObject;
class CPLevel;

// Watches the race of the current level from outside the game: the laps
// and lap times of every car, the player's and each opponent's, over the
// level's track points, on the race's own clock (the game's running time
// while the game times the race). Once the game times the race, the laps
// of every car it counts for a place (the player and the first five
// opponents) are the ones the game counts, taken at the frame the game
// counts them, so that a car the game places ahead never shows a worse
// time than one it places behind.
// The game races the player and the first five opponents; the cars after
// them are traffic, which drives the same laps but takes no place. The
// places are the game's own as far as it gives them (its three podium
// places, in the order it filled them), then the watch's order.
// This is what the host prints when the run ends.
class RaceWatch {
  public:
    struct Car {
        std::string name;
        bool player = false;
        bool racer = false; // takes a place: the player and the first five opponents
        std::int32_t nearest = -1;
        std::int32_t progress = 0; // track points advanced in the running lap
        std::vector<float> laps;   // times of the completed laps
        float lapStart = 0.0f;
        float finishTime = -1.0f; // race clock at the finish; -1 while racing
        std::int32_t totalProgress = 0;
        std::string lapKey; // the key of an opponent's laps in the game data
    };

    // Seconds the others still get once the player has finished.
    static constexpr float kGraceAfterPlayer = 60.0f;

    // One frame of the race: follows the current level (a new level starts
    // a new watch), advances the clock by dt and counts laps.
    void Update(CPLevel* level, float dt);

    bool IsWatching() const { return m_level != nullptr; }
    // A race was watched, the current level's or the last one before it went.
    bool HasRace() const { return !m_cars.empty(); }
    // Every car finished, the player finished long enough ago, or the
    // level's time ran out.
    bool IsOver() const { return m_over; }
    float GetClock() const { return m_clock; }
    std::int32_t GetRounds() const { return m_rounds; }
    const std::vector<Car>& GetCars() const { return m_cars; }
    // Indices into GetCars(): the racers in their places (the game's
    // podium first, then finishers by finish time, then the others by laps
    // and progress), then the traffic in the same order.
    std::vector<std::size_t> GetPlaces() const;
    // How many of the cars race for a place.
    std::size_t GetRacerCount() const;

    // "Lap 2/3  place 4/6  1:02.35" for the one updating line.
    std::string FormatProgress() const;
    // The player's laps, then the places with each car's laps and time,
    // the traffic apart without a place.
    std::string FormatTable() const;
    // What the player's car did in combat over the whole run, from the
    // game's tally: "Combat: 42 shots fired, 7 hits, 1 enemy killed, 1 car
    // wrecked, 2 bonuses taken". Empty without game data.
    static std::string FormatCombat();
    // "m:ss.hh"
    static std::string FormatTime(float seconds);

  private:
    void Attach(CPLevel& level);
    // Follows the car over the track points; counts its laps itself only
    // when countLaps is set.
    void Track(Car& car, const CPGameObject& object, std::int32_t count, bool countLaps);
    // The laps the game has counted for its player, with the game's times.
    void TakeGameLaps(Car& car);
    // The laps the game has counted for an opponent, each ended at the
    // given race clock.
    void TakeOpponentLaps(Car& car, float crossing);
    void AdvanceClock(const CPLevel& level, float dt);

    CPLevel* m_level = nullptr;
    std::vector<Car> m_cars;
    // The level's podium as the game fills it: 10 the player, 0 to 4 an
    // opponent's index, -1 empty.
    std::vector<std::int32_t> m_podium;
    std::int32_t m_rounds = 1;
    float m_clock = 0.0f;
    float m_playerFinish = -1.0f;
    bool m_over = false;
    bool m_timedByGame = false;
};
