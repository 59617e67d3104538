#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/AIVehicle.h"
#include "game/RaceTestWorld.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kPi = 3.1415927f;

class RaceFrameTest : public RaceTest {
  protected:
    CPGameObject* Gate(const Vector3& at, float grantedTime)
    {
        auto* gate = new CPGameObject("checkpoint");
        gate->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {5.0f, 5.0f, 5.0f}));
        gate->SetPosition(at);
        gate->UpdateBounds();
        level->AddOwnedObject(CPObjectPtr(gate));
        level->checkpoints.push_back({CPObjectPtr(gate), grantedTime});
        return gate;
    }
};

// ---- places

TEST_F(RaceFrameTest, ThePlayersPlaceAgainstTheRequiredPlace)
{
    const std::int32_t P = CPLevel::kPlayerPlace;
    struct Case {
        std::array<std::int32_t, 3> places;
        std::int32_t required;
        std::vector<std::string> toInterface; // empty: undecided
    };
    const Case cases[] = {
        {{P, -1, -1}, 0, {"place(1st)", "show_message(finish!)"}},
        {{0, P, -1}, 0, {"place(2nd)", "show_message(lost!)"}},
        {{0, P, -1}, 1, {"place(2nd)", "show_message(finish!)"}},
        {{0, 1, P}, 1, {"place(3rd)", "show_message(lost!)"}},
        {{0, 1, P}, 2, {"place(3rd)", "show_message(finish!)"}},
        {{0, 1, 2}, 2, {"show_message(lost!)"}},
        {{0, 1, -1}, 2, {}},
    };
    for (const Case& c : cases) {
        level->race.places = c.places;
        level->race.requiredPlace = c.required;
        level->race.raceDecided = false;
        level->race.raceOver = false;
        Frame();
        Frame();
        EXPECT_EQ(Sent("game_interface"), c.toInterface) << c.places[0] << c.places[1] << c.places[2];
        const bool decided = !c.toInterface.empty();
        EXPECT_EQ(Sent("jeep"),
                  decided ? std::vector<std::string>{"game_over()"} : std::vector<std::string>{});
        EXPECT_EQ(level->race.raceDecided, decided);
        EXPECT_EQ(level->race.raceOver, decided);
    }
}

TEST_F(RaceFrameTest, RecordModeJudgesTheLastLapAgainstTheStoredBest)
{
    level->recordMode = true;
    level->levelNumber = 3;
    level->recordName = "uaz";
    level->race.recordData = {{{1, 2, 3}, {0, 0, 0, 1}, 0.1f}, {{4, 5, 6}, {0, 0, 1, 0}, 0.2f}};
    data.currentRound = 3;
    data.roundTimes[1] = 42.5f;
    level->race.places = {CPLevel::kPlayerPlace, -1, -1};
    Frame();
    // No place is told in record mode; a first run is always a record.
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"show_message(finish!)"}));
    EXPECT_EQ(Sent("jeep"), (std::vector<std::string>{"game_over()"}));
    const CPProgressEntry& entry = data.progress[2];
    EXPECT_EQ(entry.bestTime, 42.5f);
    EXPECT_EQ(entry.name, "uaz");
    ASSERT_EQ(entry.samples.size(), 2u);
    float second[8];
    std::memcpy(second, entry.samples[1].data(), sizeof(second));
    EXPECT_EQ(second[0], 4.0f);
    EXPECT_EQ(second[5], 1.0f);
    EXPECT_EQ(second[7], 0.2f);

    // A slower run leaves the record alone.
    level->race.raceDecided = false;
    level->recordName = "bmw";
    data.roundTimes[1] = 50.0f;
    Frame();
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"show_message(lost!)"}));
    EXPECT_EQ(data.progress[2].bestTime, 42.5f);
    EXPECT_EQ(data.progress[2].name, "uaz");
}

TEST_F(RaceFrameTest, RecordModeSamplesThePlayerAndReplaysTheGhost)
{
    level->recordMode = true;
    level->levelNumber = 1;
    auto* ghost = new CPGameObject("ghost");
    level->SetRecordGhost(CPObjectPtr(ghost));
    CPProgressEntry& entry = data.progress[0];
    for (const CPLevel::RecordSample& s : {CPLevel::RecordSample{{0, 0, 0}, {0, 0, 0, 1}, 1.0f},
                                           CPLevel::RecordSample{{10, 0, 0}, {0, 0, 1, 0}, 2.0f}}) {
        const float values[8] = {s.position.x, s.position.y, s.position.z, s.rotation.x,
                                 s.rotation.y, s.rotation.z, s.rotation.w, s.raceClock};
        CPProgressEntry::Sample packed{};
        std::memcpy(packed.data(), values, sizeof(values));
        entry.samples.push_back(packed);
    }
    player->SetPosition({7, 8, 9});
    level->race.raceClock = 1.23f;
    Frame(0.02f);
    EXPECT_NEAR(ghost->GetPosition().x, 2.5f, 1e-4f);
    EXPECT_EQ(ghost->GetRotation().z, 1.0f);
    ASSERT_EQ(level->race.recordData.size(), 1u);
    EXPECT_EQ(level->race.recordData[0].position.y, 8.0f);
    // The next sample waits for 0.05 s of race clock.
    Frame(0.02f);
    Frame(0.02f);
    EXPECT_EQ(level->race.recordData.size(), 1u);
    Frame(0.02f);
    EXPECT_EQ(level->race.recordData.size(), 2u);
}

// ---- checkpoints and time limits

TEST_F(RaceFrameTest, CheckpointsGrantTimeAndReportTheBonus)
{
    data.texts["bonus_time"] = "Bonus";
    Gate({100, 0, 0}, 20.0f);
    Gate({200, 0, 0}, 15.0f);
    ASSERT_TRUE(level->checkpoints[0].object.As<CPGameObject>()->GetOwnBox().Contains({100, 0, 0}));

    player->SetPosition({100, 0, 0});
    Frame();
    // Nothing was left on the clock: no bonus.
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"checkpoint(checkpoint!|0)"}));
    EXPECT_EQ(level->race.timeLeft, 20.0f);
    EXPECT_EQ(level->race.lastCheckpoint, 0);
    EXPECT_EQ(level->race.checkpointsPassed, 1);
    EXPECT_EQ(level->race.currentCheckpoint, 1u);

    // The same gate again does nothing.
    Frame();
    EXPECT_TRUE(Sent("game_interface").empty());

    data.levelStarted = true;
    level->race.timeLeft = 12.36f;
    player->SetPosition({200, 0, 0});
    Frame(0.02f);
    EXPECT_EQ(Sent("game_interface"),
              (std::vector<std::string>{"bonus_points(time|Bonus|12.300000)", "checkpoint(checkpoint!|1)"}));
    EXPECT_EQ(level->race.timeLeft, 15.0f);
    EXPECT_EQ(level->race.checkpointsPassed, 2);
}

TEST_F(RaceFrameTest, TheFirstGateAgainOnTheThirdLapIsNotAnnounced)
{
    Gate({100, 0, 0}, 20.0f);
    Gate({200, 0, 0}, 15.0f);
    data.currentRound = 3;
    level->race.lastCheckpoint = 1;
    level->race.checkpointsPassed = 2;
    player->SetPosition({100, 0, 0});
    Frame();
    EXPECT_TRUE(Sent("game_interface").empty());
    EXPECT_EQ(level->race.checkpointsPassed, 1);
    EXPECT_EQ(level->race.lastCheckpoint, 0);
}

TEST_F(RaceFrameTest, CheckpointTimeRunsOutOnceAndLosesTheRace)
{
    Gate({100, 0, 0}, 20.0f);
    level->race.lastCheckpoint = 0;
    level->race.timeLeft = 0.03f;
    // The clock stands until the level has started.
    Frame(0.02f);
    EXPECT_EQ(level->race.timeLeft, 0.03f);
    data.levelStarted = true;
    Frame(0.02f);
    EXPECT_TRUE(Sent("game_interface").empty());
    Frame(0.02f);
    EXPECT_EQ(Sent("game_interface"),
              (std::vector<std::string>{"checkpoint(timeout!|1)", "show_message(lost!)"}));
    EXPECT_EQ(Sent("jeep"), (std::vector<std::string>{"game_over()"}));
    EXPECT_EQ(level->race.timeLeft, 0.0f);
    EXPECT_TRUE(level->race.raceOver);
    EXPECT_TRUE(level->race.raceDecided);
    for (int i = 0; i < 3; ++i)
        Frame(0.02f);
    EXPECT_TRUE(Sent("game_interface").empty());
    EXPECT_TRUE(Sent("jeep").empty());

    // Without checkpoints there is no time limit at all.
    level->race.raceOver = level->race.raceDecided = false;
    level->noCheckpoints = true;
    level->race.timeLeft = 0.01f;
    Frame(0.02f);
    EXPECT_EQ(level->race.timeLeft, 0.01f);
}

TEST_F(RaceFrameTest, LevelFailedIsPostedOnceWhenTheLevelTimeRunsOut)
{
    level->race.levelFailedCountdown = CPLevel::kLevelTimeLimit;
    for (int i = 0; i < 6; ++i)
        Frame(100.0f);
    EXPECT_TRUE(Sent("main").empty());
    for (int i = 0; i < 4; ++i)
        Frame(100.0f);
    EXPECT_EQ(Sent("main"), (std::vector<std::string>{"level_failed()"}));
    EXPECT_TRUE(level->race.levelFailedSent);
}

TEST_F(RaceFrameTest, RaceTimesRunOnlyWhileTheRaceRuns)
{
    data.GetLapRecord("0").lapNumber = 2;
    Frame(0.5f);
    EXPECT_EQ(data.roundTimes[0], 0.0f);
    EXPECT_EQ(data.levelTimer, 0.0f);
    level->race.raceRunning = true;
    Frame(0.5f);
    Frame(0.25f);
    EXPECT_EQ(data.roundTimes[0], 0.75f);
    EXPECT_EQ(data.levelTimer, 0.75f);
    EXPECT_EQ(data.GetLapRecord("0").countdowns[2], -0.75f);
    EXPECT_EQ(level->race.elapsedTime, 1.25f);
    EXPECT_EQ(level->race.raceClock, 1.25f);
}

// ---- cars

TEST_F(RaceFrameTest, ThePlayerStepsAtSixtyStepsASecond)
{
    const float step = CPLevel::kFixedStep;
    // 0.04 s frames carry their rest: 2, 2, then 3 steps.
    for (std::size_t expected : {2u, 4u, 7u}) {
        Frame(0.04f);
        EXPECT_EQ(player->steps.size(), expected);
    }
    for (float dt : player->steps)
        EXPECT_EQ(dt, step);
    EXPECT_NEAR(level->race.fixedStepRemainder, 0.12f - 7 * step, 1e-6f);

    // The demo drives no player steps.
    level->demoMode = true;
    Frame(0.1f);
    EXPECT_EQ(player->steps.size(), 7u);
}

TEST_F(RaceFrameTest, OpponentsReportToTheirDriversAndStep)
{
    std::vector<CountingCar*> cars;
    for (int i = 0; i < 7; ++i)
        cars.push_back(AddOpponent());
    ai.AddTraffic();
    CountingCar& first = *cars[0];
    first.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kPi / 2));
    first.SetPosition({3, 4, 5});
    first.rangeMin = 2;
    first.rangeMax = 9;

    level->HoldTraffic();
    Frame(0.05f);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(cars[static_cast<std::size_t>(i)]->steps.size(), i < 5 ? 1u : 0u) << i;
    AI_Vehicle& driver = *ai.GetOpponent(0);
    EXPECT_EQ(driver.car.Get(), &first);
    EXPECT_NEAR(driver.heading.x, 1.0f, 1e-6f);
    EXPECT_NEAR(driver.heading.y, 0.0f, 1e-6f);
    EXPECT_EQ(driver.position.y, 4.0f);
    EXPECT_EQ(driver.rangeMin, 2);
    EXPECT_EQ(driver.rangeMax, 9);
    EXPECT_EQ(cars[0]->steps[0], 0.05f);
    EXPECT_EQ(data.opponentPositions.size(), 5u);
    EXPECT_EQ(data.opponentPositions["0"].x, 3.0f);
    EXPECT_EQ(data.opponentPositions["0"].y, 4.0f);
    EXPECT_FALSE(ai.GetTraffic()[0]->car);

    // Released, the traffic steps too; the sixth car has the first traffic
    // driver, the seventh none.
    level->allOpponents = true;
    Frame(0.05f);
    EXPECT_EQ(cars[6]->steps.size(), 1u);
    EXPECT_EQ(ai.GetTraffic()[0]->car.Get(), cars[5]);
    EXPECT_EQ(data.opponentPositions.size(), 5u);
}

TEST_F(RaceFrameTest, CarsAreDrawnWithTheMainCamera)
{
    CountingCar* opponent = AddOpponent();
    Frame();
    ASSERT_EQ(opponent->drawnWith.size(), 1u);
    EXPECT_EQ(opponent->drawnWith[0], Camera().GetMainCamera());
    EXPECT_EQ(player->drawnWith.size(), 1u);
    level->demoMode = true;
    Frame();
    EXPECT_EQ(player->drawnWith.size(), 1u);
    EXPECT_EQ(opponent->drawnWith.size(), 2u);
}

// ---- camera

TEST_F(RaceFrameTest, CameraFollowsTheTargetInEachViewAndPreset)
{
    const Vector3 at{10, 20, 1};
    player->SetPosition(at);
    // Facing 0.5 rad from +x towards +y: heading 0.5.
    player->SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kPi / 2 + 0.5f));
    level->view.cameraDistance = 7.0f;
    level->view.cameraHeight = 2.0f;
    level->view.currentAngle = 0.25f;
    level->view.distanceDivisor = 4.0f;

    Frame();
    CPCamera& camera = Camera();
    EXPECT_NEAR(level->view.forwardDirection.x, std::cos(0.5f), 1e-6f);
    EXPECT_NEAR(level->view.forwardDirection.y, std::sin(0.5f), 1e-6f);
    EXPECT_NEAR(level->view.referenceHeading, 0.5f, 1e-5f);
    EXPECT_NEAR(camera.referenceYaw, 0.5f, 1e-5f);
    EXPECT_EQ(camera.pitch, 0.25f);
    EXPECT_NEAR(camera.targetTilt, 0.0f, 1e-6f);
    EXPECT_EQ(camera.followPoint.z, 3.0f);
    EXPECT_EQ(camera.targetDistance, 7.0f);
    EXPECT_EQ(camera.distance, 7.0f);
    EXPECT_EQ(camera.distanceDivisor, 4.0f);

    // View 2 looks back: the reference yaw turns half round, into [0, 2 pi].
    level->view.cameraView = 2;
    Frame();
    EXPECT_NEAR(camera.referenceYaw, 0.5f + kPi, 1e-5f);

    // View 1 circles the car lower down, pulled back by speed.
    level->view.cameraView = 1;
    Frame();
    EXPECT_NEAR(camera.followPoint.z, 1.0f + 2.0f * 0.6666667f, 1e-5f);
    EXPECT_EQ(camera.targetDistance, 7.0f);

    // Preset 2 places the eye behind and above the car.
    level->view.cameraView = 0;
    level->view.cameraPreset = 2;
    level->view.presetDistance[2] = -6.0f;
    level->view.presetHeight[2] = 3.0f;
    Frame();
    EXPECT_NEAR(camera.placedEye.x, 10.0f - 6.0f * std::cos(0.5f), 1e-5f);
    EXPECT_NEAR(camera.placedEye.z, 4.0f, 1e-5f);
    EXPECT_NEAR(camera.placedTarget.x, 10.0f - 5.0f * std::cos(0.5f), 1e-5f);
    EXPECT_NEAR(camera.placedUp.z, 1.0f, 1e-6f);
    EXPECT_NEAR(camera.yaw, 0.5f, 1e-5f);
}

TEST_F(RaceFrameTest, CameraPresetsTakeTheirValues)
{
    level->view.presetDistance = {5.0f, 7.0f, 9.0f};
    level->view.presetHeight = {1.0f, 2.0f, 3.0f};
    level->view.presetAngleDivisor = {10.0f, 20.0f};
    level->view.presetDistanceDivisor = {30.0f, 40.0f};
    level->view.camera1Angle = 0.5f;
    level->view.camera2Angle = 0.7f;
    level->cameraTarget = nullptr;
    player->SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kPi / 2 + 0.5f));

    level->SetCameraPreset(1);
    EXPECT_EQ(level->cameraTarget, player);
    EXPECT_EQ(level->view.cameraDistance, 5.0f);
    EXPECT_EQ(level->view.cameraHeight, 1.0f);
    EXPECT_EQ(level->view.angleDivisor, 10.0f);
    EXPECT_EQ(level->view.distanceDivisor, 30.0f);
    EXPECT_EQ(level->view.currentAngle, 0.7f);
    EXPECT_FALSE(Camera().behindView);
    EXPECT_NEAR(Camera().yaw, 0.5f, 1e-5f);

    Camera().yaw = 1.0f;
    level->SetCameraPreset(2);
    EXPECT_EQ(level->view.cameraDistance, 7.0f);
    EXPECT_EQ(level->view.currentAngle, 0.5f);
    EXPECT_TRUE(Camera().behindView);
    EXPECT_EQ(Camera().yaw, 1.0f);

    level->SetCameraPreset(7);
    EXPECT_EQ(level->view.cameraPreset, 7);
    EXPECT_EQ(level->view.cameraDistance, 7.0f);
    EXPECT_TRUE(Camera().behindView);
}

TEST_F(RaceFrameTest, TheDemoTakesANewPresetOrViewEveryOneAndAHalfSeconds)
{
    level->demoMode = true;
    level->view.presetDistance = {5.0f, 7.0f, 9.0f};
    bool sawPreset = false;
    bool sawView = false;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        platform::SeedRand(seed);
        level->view.cameraPreset = 5;
        level->view.cameraView = 3;
        level->view.viewTimer = 9.0f;
        level->view.demoTimer = 1.4f;
        Frame(0.05f);
        EXPECT_EQ(level->view.cameraPreset, 5);
        EXPECT_EQ(level->view.cameraView, 3);
        Frame(0.1f);
        EXPECT_EQ(level->view.demoTimer, 0.0f);
        if (level->view.cameraPreset != 5) {
            sawPreset = true;
            ASSERT_TRUE(level->view.cameraPreset == 0 || level->view.cameraPreset == 1);
            EXPECT_EQ(level->view.cameraDistance, level->view.cameraPreset == 1 ? 5.0f : 7.0f);
            EXPECT_EQ(level->view.cameraView, 3);
        } else {
            sawView = true;
            EXPECT_TRUE(level->view.cameraView >= 0 && level->view.cameraView <= 2);
            // Restarted, then grown by this frame's real time.
            EXPECT_NEAR(level->view.viewTimer, 0.1f, 1e-4f);
            EXPECT_EQ(std::fabs(level->view.orbitDirection), 1.0f);
        }
    }
    EXPECT_TRUE(sawPreset);
    EXPECT_TRUE(sawView);
}

TEST_F(RaceFrameTest, MovingBackwardsAgainstTheTrack)
{
    struct Case {
        float heading;
        bool reversed;
        float reference;
        bool backwards;
    };
    const Case cases[] = {
        {0.0f, false, kPi, true},     {0.0f, false, 1.57f, false},
        {0.0f, false, 4.713f, false}, {0.0f, false, 1.58f, true},
        {0.0f, false, 4.70f, true},   {0.0f, false, 0.1f, false},
        {1.0f, true, 1.0f, true},     {1.0f, true, 1.0f + kPi, false},
        {-kPi, false, 0.0f, true},    {7.0f, false, 7.0f - 6.2831855f, false},
    };
    for (const Case& c : cases) {
        level->race.heading = c.heading;
        level->race.reversed = c.reversed;
        level->view.referenceHeading = c.reference;
        EXPECT_EQ(level->IsMovingBackwards(), c.backwards) << c.heading << " " << c.reference;
    }
}

} // namespace
