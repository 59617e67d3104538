#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MathTypes.h"

struct CPLine;

// Where the race stands: its clocks, the laps of the player and the
// opponents, the places, the checkpoints passed and the time left, and how
// it ended. The level's race steps read and write it; the loader and the
// race start set it up.
class CPRaceProgress {
  public:
    static constexpr std::size_t kMaxOpponentSlots = 20;

    // A sample of the player car in record mode.
    struct RecordSample {
        Vector3 position;
        Quaternion rotation;
        float raceClock = 0.0f;
    };

    float raceClock = 0.0f;
    float lastSampleTime = 0.0f;
    std::int32_t ghostSampleIndex = 0;
    float elapsedTime = 0.0f;
    float startClock = 0.0f;
    // Multimedia timer at the previous race frame, milliseconds.
    std::uint32_t lastRealTime = 0;
    // Wall-clock length of the last race frame, seconds.
    float realFrameTime = 0.0f;
    bool levelFailedSent = false;
    float levelFailedCountdown = 0.0f;
    bool raceRunning = false;
    std::vector<RecordSample> recordData;

    // Laps: where the cars stand on the track points.
    std::int32_t playerNearestPoint = 0;
    std::int32_t playerProgress = 0;
    std::int32_t startPoint = 0;
    Vector3 finishLineDirection;
    Vector3 startPosition;
    std::vector<std::int32_t> opponentNearestPoint = std::vector<std::int32_t>(kMaxOpponentSlots, 0);
    std::vector<std::int32_t> opponentProgress = std::vector<std::int32_t>(kMaxOpponentSlots, 0);
    // The point the lap count found for a car (-1 for none) and where the
    // car stood when it asked: whoever follows the car reads the point while
    // the car stands there, instead of searching the track again.
    struct TrackFix {
        Vector3 position;
        std::int32_t point = -1;
        bool taken = false;
    };
    TrackFix playerFix;
    std::array<TrackFix, kMaxOpponentSlots> opponentFix{};
    // The player's heading along the path and the line its search starts
    // from; kept between frames.
    float heading = 0.0f;
    CPLine* headingLine = nullptr;
    bool reversed = false;

    // Places and the end of the race.
    std::array<std::int32_t, 3> places{-1, -1, -1};
    bool raceDecided = false;
    bool raceOver = false;
    std::int32_t requiredPlace = 0;

    // Checkpoints and speed zones.
    float speedZoneCooldown = 0.0f;
    float timeLeft = 0.0f;
    std::int32_t lastCheckpoint = -1;
    std::int32_t checkpointsPassed = 0;
    // The checkpoint the scripts show next (an index into the level's
    // checkpoints; the size of the list when none is left).
    std::size_t currentCheckpoint = 0;

    // Frame time not yet consumed by the player's fixed-step update.
    float fixedStepRemainder = 0.0f;
};
