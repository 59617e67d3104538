#include <gtest/gtest.h>

#include "game/RaceTestWorld.h"

namespace {

class RaceLapsTest : public RaceTest {
  protected:
    void SetUp() override
    {
        RaceTest::SetUp();
        level->InitRaceTrack();
        SetStartLine();
        level->InitRaceTrack();
        Place(*player, 0);
        level->race.playerNearestPoint = 0;
        ClearSent();
    }
};

TEST_F(RaceLapsTest, TrackPointsRunInTheDrivingDirectionRoundTheWholeRing)
{
    const CPSpline& path = *level->GetPathSpline();
    const std::int32_t n = TrackSize();
    ASSERT_EQ(static_cast<std::size_t>(n), path.GetRingSize());
    EXPECT_EQ(level->trackPoints[0], path.GetFirstLine());
    // Driving runs from a line to its previous line.
    for (std::int32_t i = 0; i + 1 < n; ++i)
        EXPECT_EQ(level->trackPoints[static_cast<std::size_t>(i + 1)],
                  level->trackPoints[static_cast<std::size_t>(i)]->previous);

    level->race.reversed = true;
    level->InitRaceTrack();
    ASSERT_EQ(TrackSize(), n);
    EXPECT_EQ(level->trackPoints[1], path.GetFirstLine()->next);
}

TEST_F(RaceLapsTest, NearestPointsOfPlayerStartAndOpponents)
{
    CountingCar* a = AddOpponent();
    CountingCar* both = AddOpponent(CPPlayer::kBothSides);
    CountingCar* far = AddOpponent();
    Place(*player, 7);
    Place(*a, 12);
    Place(*both, 20);
    far->SetPosition({5000.0f, 5000.0f, 0.0f});
    level->race.opponentNearestPoint[1] = 99;
    level->InitRaceTrack();
    EXPECT_EQ(level->race.playerNearestPoint, 7);
    EXPECT_EQ(level->race.startPoint, 0);
    EXPECT_EQ(level->race.playerProgress, 0);
    EXPECT_EQ(level->race.opponentNearestPoint[0], 12);
    // Cars that count for both sides are not placed on the track.
    EXPECT_EQ(level->race.opponentNearestPoint[1], 99);
    // Nothing within about 316 units is no point at all.
    EXPECT_EQ(level->race.opponentNearestPoint[2], -1);
    EXPECT_EQ(level->race.finishLineDirection.z, 0.0f);
}

TEST_F(RaceLapsTest, AJumpOfMoreThanFourteenPointsWrapsRoundTheStart)
{
    const std::int32_t n = TrackSize();
    struct Case {
        std::int32_t from, to, step;
    };
    // A wrap takes n - 1 off or on, so the step across the start counts
    // one point short.
    const Case cases[] = {
        {20, 34, 14},  {20, 35, 15 - (n - 1)}, {34, 20, -14}, {35, 20, -15 + (n - 1)},
        {n - 1, 0, 0}, {0, n - 1, 0},
    };
    for (const Case& c : cases) {
        data.currentRound = 2;
        level->race.playerNearestPoint = c.from;
        level->race.playerProgress = 30;
        data.trackProgress = 100;
        Place(*player, c.to);
        level->UpdateLaps();
        EXPECT_EQ(level->race.playerProgress, 30 + c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(data.trackProgress, 100 + c.step) << c.from << " -> " << c.to;
        EXPECT_EQ(level->race.playerNearestPoint, c.to);
        EXPECT_EQ(data.currentRound, 2);
    }
}

TEST_F(RaceLapsTest, ScriptedDriveCountsLapsAndFinishesFirst)
{
    data.roundCount = 3;
    const std::int32_t n = TrackSize();
    std::int32_t at = 0;
    level->race.raceRunning = true;

    DriveAll({player}, at, n);
    EXPECT_EQ(data.currentRound, 2);
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"show_message(krug_proiden!)"}));
    EXPECT_EQ(level->race.playerProgress, 0);
    EXPECT_EQ(data.trackProgress, n - 1);
    // The lap ends in its n-th frame, whose time already counts for the
    // next lap.
    EXPECT_NEAR(data.roundTimes[0], (n - 1) * 0.02f, 1e-4f);
    EXPECT_FLOAT_EQ(data.roundTimes[1], 0.02f);

    DriveAll({player}, at, n);
    EXPECT_EQ(data.currentRound, 3);
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"show_message(posledniy_krug!)"}));
    EXPECT_EQ(data.trackProgress, 2 * (n - 1));

    DriveAll({player}, at, n);
    EXPECT_EQ(level->race.places[0], CPLevel::kPlayerPlace);
    EXPECT_TRUE(Sent("game_interface").empty());
    // The place is told in the frame after the finish.
    Frame();
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"place(1st)", "show_message(finish!)"}));
    EXPECT_EQ(Sent("jeep"), (std::vector<std::string>{"game_over()"}));
    EXPECT_TRUE(level->race.raceOver);
    EXPECT_TRUE(level->race.raceDecided);
    // Later frames count on but tell nothing more.
    DriveAll({player}, at, n + 1);
    EXPECT_TRUE(Sent("game_interface").empty());
    EXPECT_TRUE(Sent("jeep").empty());
}

TEST_F(RaceLapsTest, ALapNeedsThePlayerOnTheFinishLine)
{
    const std::int32_t n = TrackSize();
    std::int32_t at = 0;
    DriveAll({player}, at, n - 1);
    // At the start point, but 3 units short of the line, which runs across
    // the last piece of the track.
    const Vector3 start = TrackPoint(0);
    const Vector3 along = Normalize(start - TrackPoint(1));
    player->SetPosition(start + along * 3.0f);
    Frame();
    EXPECT_EQ(level->race.playerNearestPoint, 0);
    EXPECT_EQ(data.currentRound, 1);
    player->SetPosition(start + along * 1.5f);
    Frame();
    EXPECT_EQ(data.currentRound, 2);
}

TEST_F(RaceLapsTest, StandingBehindTheStartCountsNoProgress)
{
    // Backing from the start over the line and coming back again.
    Place(*player, -3);
    Frame();
    // Three points back count two (the step across the start is one short).
    EXPECT_EQ(data.trackProgress, -1 - 2);
    Place(*player, 0);
    Frame();
    EXPECT_EQ(data.trackProgress, 0);
    EXPECT_EQ(data.currentRound, 1);
}

TEST_F(RaceLapsTest, WithoutTrackPointsNoLapIsEverCompleted)
{
    level->SetSplines(CPObjectPtr(), CPObjectPtr(), CPObjectPtr());
    level->InitRaceTrack();
    ASSERT_TRUE(level->trackPoints.empty());
    EXPECT_EQ(level->race.startPoint, -1);
    player->SetPosition(level->race.startPosition);
    for (int i = 0; i < 5; ++i)
        Frame();
    EXPECT_EQ(data.currentRound, 1);
    EXPECT_EQ(level->race.playerNearestPoint, -1);
    EXPECT_EQ(level->race.places[0], -1);
}

TEST_F(RaceLapsTest, SameFrameFinishGoesToThePlayerThenOpponentsByIndex)
{
    CountingCar* first = AddOpponent();
    CountingCar* second = AddOpponent();
    CountingCar* third = AddOpponent();
    level->InitRaceTrack();
    level->race.requiredPlace = 1;
    data.roundCount = 1;
    const std::int32_t n = TrackSize();
    std::int32_t at = 0;
    // The third opponent runs a point behind and finishes a frame later.
    third->SetPosition(TrackPoint(-1));
    for (std::int32_t i = 0; i < n; ++i) {
        ++at;
        for (CPGameObject* car : {static_cast<CPGameObject*>(player), static_cast<CPGameObject*>(second),
                                  static_cast<CPGameObject*>(first)})
            Place(*car, at);
        Place(*third, at - 1);
        Frame();
    }
    EXPECT_EQ(level->race.places, (std::array<std::int32_t, 3>{CPLevel::kPlayerPlace, 0, 1}));
    EXPECT_EQ(data.GetLapRecord("0").lapNumber, 2);
    Place(*third, at);
    Frame();
    EXPECT_EQ(level->race.places, (std::array<std::int32_t, 3>{CPLevel::kPlayerPlace, 0, 1}));
    EXPECT_EQ(data.GetLapRecord("2").lapNumber, 2);
    EXPECT_EQ(Sent("game_interface"), (std::vector<std::string>{"place(1st)", "show_message(finish!)"}));
}

TEST_F(RaceLapsTest, OpponentsOnlyTheFirstFiveAndNotTheOwnCar)
{
    std::vector<CountingCar*> cars;
    for (int i = 0; i < 7; ++i)
        cars.push_back(AddOpponent(i == 1 ? CPPlayer::kOwnCar : CPPlayer::kLightSide));
    level->InitRaceTrack();
    for (CountingCar* car : cars)
        Place(*car, 3);
    Frame();
    EXPECT_EQ(data.GetLapRecord("0").trackProgress, -1 + 3);
    EXPECT_EQ(level->race.opponentProgress[0], 3);
    EXPECT_EQ(level->race.opponentProgress[1], 0);
    EXPECT_EQ(level->race.opponentProgress[4], 3);
    EXPECT_EQ(level->race.opponentProgress[5], 0);
    EXPECT_EQ(data.lapRecords.count("1"), 0u);
    EXPECT_EQ(data.lapRecords.count("5"), 0u);
}

} // namespace
