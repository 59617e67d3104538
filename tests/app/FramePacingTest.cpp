// How much game time a frame steps: fixed headless, the measured length of
// the last frame in a window, so a race keeps real time at any frame rate.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/FramePacer.h"
#include "app/GameHost.h"
#include "app/RaceWatch.h"
#include "core/GameClock.h"
#include "game/Level.h"
#include "platform/Clock.h"
#include "platform/Dialog.h"

namespace {

// A clock a test moves by hand; sleeping moves it too.
struct HandClock {
    double now = 0.0;
    std::vector<double> sleeps;

    FramePacer::Clock Clock()
    {
        return [this] { return now; };
    }
    FramePacer::Sleep Sleep()
    {
        return [this](double seconds) {
            sleeps.push_back(seconds);
            now += seconds;
        };
    }
};

} // namespace

TEST(FramePacer, HeadlessFramesStepTheFixedTimeWhateverTheMachine)
{
    FramePacer pacer(1.0f / 60.0f);
    EXPECT_FALSE(pacer.IsMeasured());
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(pacer.NextFrame(), 1.0f / 60.0f);
}

TEST(FramePacer, MeasuredFramesStepTheLastFramesLengthCutShortAfterAStall)
{
    HandClock clock;
    clock.now = 100.0;
    FramePacer pacer(1.0f / 60.0f, clock.Clock(), clock.Sleep(), 0);
    ASSERT_TRUE(pacer.IsMeasured());
    // The first frame has no last one to measure.
    EXPECT_FLOAT_EQ(pacer.NextFrame(), 1.0f / 60.0f);
    const struct {
        double advance;
        float step;
    } frames[] = {
        {0.020, 0.020f},                    // a plain frame
        {0.004, 0.004f},                    // a fast one
        {2.500, FramePacer::kMaxFrameTime}, // a stall (a level loading) is not handed on whole
        {0.033, 0.033f},                    // and the next frame is measured from its end
        {-0.010, 0.0f},                     // a clock that went back gives no time, not negative time
        {0.016, 0.016f},
    };
    for (const auto& frame : frames) {
        clock.now += frame.advance;
        EXPECT_NEAR(pacer.NextFrame(), frame.step, 1e-6) << "after " << frame.advance << " s";
    }
    EXPECT_TRUE(clock.sleeps.empty()) << "no cap, no waiting";
}

TEST(FramePacer, AFrameRateCapWaitsOutTheRestOfTheShortestFrame)
{
    HandClock clock;
    FramePacer pacer(1.0f / 60.0f, clock.Clock(), clock.Sleep(), 50);
    pacer.NextFrame();
    clock.now += 0.005; // a frame drawn in 5 ms waits 15 ms more
    EXPECT_NEAR(pacer.NextFrame(), 0.020, 1e-6);
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_NEAR(clock.sleeps[0], 0.015, 1e-9);
    clock.now += 0.030; // a slow frame does not wait
    EXPECT_NEAR(pacer.NextFrame(), 0.030, 1e-6);
    EXPECT_EQ(clock.sleeps.size(), 1u);
}

namespace {

// Twenty seconds of the sample race on a clock that a frame of the given
// rate moves (frames alternately shorter and longer, as real ones are),
// through the real host.
struct PacedRace {
    double realSeconds = 0.0;
    float raceClock = 0.0f;
    float watchClock = 0.0f;
    double gameTime = 0.0;
    double clockMilliseconds = 0.0;
    double fieldProgress = 0.0;
};

PacedRace RunPacedRace(double framesPerSecond)
{
    constexpr double kRaceSeconds = 20.0;
    double realTime = 0.0;
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
    options.autopilot = true;
    options.realClock = [&realTime] { return realTime; };
    GameHost host(options);
    const double period = 1.0 / framesPerSecond;
    long frame = 0;
    auto step = [&] {
        realTime += (frame++ % 2 == 0 ? 0.6 : 1.4) * period;
        host.Run();
    };
    for (int i = 0; i < 10; ++i)
        step();
    EXPECT_TRUE(host.StartLevel("level1"));
    PacedRace race;
    const double startReal = realTime;
    const double startGame = GetGameClock().gameTime;
    const std::uint32_t startMilliseconds = platform::Milliseconds();
    while (realTime - startReal < kRaceSeconds)
        step();
    race.realSeconds = realTime - startReal;
    race.gameTime = GetGameClock().gameTime - startGame;
    race.clockMilliseconds = static_cast<double>(platform::Milliseconds() - startMilliseconds);
    if (const CPLevel* level = host.GetLevel())
        race.raceClock = level->race.raceClock;
    race.watchClock = host.GetRaceWatch().GetClock();
    // The field's mean: who bumps whom in the pack at the start follows the
    // moments the drivers steer, which a frame rate moves; the road the
    // field covers does not.
    const auto& cars = host.GetRaceWatch().GetCars();
    for (const auto& car : cars)
        race.fieldProgress += car.totalProgress;
    if (!cars.empty())
        race.fieldProgress /= static_cast<double>(cars.size());
    platform::ClearPostedQuit();
    return race;
}

} // namespace

TEST(FramePacing, TheRaceKeepsRealTimeAt30And60And300FramesASecond)
{
    std::vector<PacedRace> races;
    for (double rate : {30.0, 60.0, 300.0}) {
        const PacedRace race = RunPacedRace(rate);
        SCOPED_TRACE(std::to_string(static_cast<int>(rate)) + " frames a second");
        const double real = race.realSeconds;
        EXPECT_NEAR(race.raceClock, real, real * 0.01) << "the level's race clock";
        EXPECT_NEAR(race.watchClock, real, real * 0.01) << "the race watch's clock";
        EXPECT_NEAR(race.gameTime, real, real * 0.01) << "the game time";
        EXPECT_NEAR(race.clockMilliseconds, real * 1000.0, real * 10.0) << "the multimedia clock";
        races.push_back(race);
    }
    // The cars cover the same road in the same real time: what the physics
    // and the drivers do per second does not follow the frame rate.
    ASSERT_GT(races[1].fieldProgress, 20.0) << "the cars did not get going";
    for (const PacedRace& race : races)
        EXPECT_NEAR(race.fieldProgress, races[1].fieldProgress, races[1].fieldProgress * 0.1);
}
