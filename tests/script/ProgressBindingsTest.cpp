#include <string>

#include "LevelFixture.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "physics/KinematicBody.h"
#include "physics/PhysicData.h"

namespace {

class ProgressBindingsTest : public LevelScriptTest {
  protected:
    // The values a chunk leaves in the global list "r", as "a,b,c".
    std::string Results(const std::string& call)
    {
        EXPECT_TRUE(Run("local t = {" + call +
                        "}; local s = {}"
                        " for i = 1, table.getn(t) do s[i] = tostring(t[i]) end"
                        " r = table.concat(s, ',')"))
            << call << "\n"
            << log.Text();
        return GlobalString("r");
    }
};

} // namespace

TEST_F(ProgressBindingsTest, TimesShowAsMinutesSecondsAndHundredths)
{
    struct Case {
        float time;
        const char* shown;
    } cases[] = {
        {125.5f, "2,5,50"}, {59.99f, "0,59,99"}, {60.0f, "1,0,0"}, {0.0f, "0,0,0"}, {3599.5f, "59,59,50"},
    };
    for (const Case& c : cases) {
        data.roundTimes.assign(CPGameData::kRoundTimeCount, 0.0f);
        data.roundTimes[0] = c.time;
        EXPECT_EQ(Results("GetTimeAttack()"), c.shown) << c.time;
    }
}

TEST_F(ProgressBindingsTest, RoundTimesOfTheRace)
{
    data.roundTimes.assign(CPGameData::kRoundTimeCount, 0.0f);
    data.roundTimes[0] = 70.25f;
    data.roundTimes[1] = 65.5f;
    data.roundTimes[2] = 12.0f; // the lap being driven
    data.currentRound = 3;
    EXPECT_EQ(Results("GetTime()"), "0,12,0");
    EXPECT_EQ(Results("GetTimeBest()"), "1,5,50");
    data.currentRound = 1;
    EXPECT_EQ(Results("GetTimeBest()"), "0,0,0");
    // A round number past the table or before the first shows nothing.
    data.currentRound = 500;
    EXPECT_EQ(Results("GetTime()"), "0,0,0");
    data.currentRound = 0;
    EXPECT_EQ(Results("GetTime()"), "0,0,0");

    data.currentRound = 2;
    Do("n, t = UpdateRoundsTime()");
    EXPECT_EQ(GlobalNumber("n"), 40.0);
    EXPECT_EQ(Results("t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[12], t[40]"),
              "1,10,25,true,1,5,50,true,false,false");
}

TEST_F(ProgressBindingsTest, ClearedGameFlagsOnlyTheFirstRound)
{
    data.roundTimes.assign(CPGameData::kRoundTimeCount, 5.0f);
    data.currentRound = 4;
    Do("ClearGameData(); n, t = UpdateRoundsTime()");
    EXPECT_EQ(Results("t[4], t[8], t[1], t[2], t[3]"), "true,false,0,0,0");
}

TEST_F(ProgressBindingsTest, BestTimeOfTheRecordRunIsTheLevelsProgressEntry)
{
    data.progress[2].bestTime = 83.25f;
    level->levelNumber = 3;
    EXPECT_EQ(Results("GetBestTimeAttack()"), "1,23,25");
    level->levelNumber = 0;
    EXPECT_EQ(Results("GetBestTimeAttack()"), "0,0,0");
    level->race.timeLeft = 9.5f;
    EXPECT_EQ(Results("GetCheckpointTime()"), "0,9,50");
}

TEST_F(ProgressBindingsTest, RecordsOfATrackAsNameAndTimeText)
{
    data.bestTimes.resize(2);
    for (int i = 0; i < 7; ++i)
        data.bestTimes[1].push_back(CPTimeRecord{"P" + std::to_string(i), 1, 5 + i, 20});
    data.bestTimes[1][6].name.clear();
    Do("t = GetRecords(2)");
    EXPECT_EQ(Results("table.getn(t), t[1][1], t[1][2], t[7][1], t[7][2]"), "7,P0,01:05:20,,");
    EXPECT_EQ(Results("table.getn(GetRecords(1)), table.getn(GetRecords(99)), table.getn(GetRecords(-1))"),
              "0,0,0");
}

TEST_F(ProgressBindingsTest, PlayersBestRoundEntersTheTableOnlyWhenGoodEnough)
{
    data.profileName = "ANNA";
    data.bestTimes.resize(1);
    for (int i = 0; i < 7; ++i)
        data.bestTimes[0].push_back(CPTimeRecord{"R", 1, i, 0});
    data.roundTimes.assign(CPGameData::kRoundTimeCount, 0.0f);
    data.roundCount = 2;
    data.roundTimes[0] = 90.0f;
    data.roundTimes[1] = 80.0f;
    EXPECT_EQ(Results("CheckPlayerRecords(1)"), "false");
    data.roundTimes[1] = 62.5f;
    EXPECT_EQ(Results("CheckPlayerRecords(1)"), "true");
    EXPECT_EQ(data.bestTimes[0][3].name, "ANNA");
    EXPECT_EQ(data.bestTimes[0][3].hundredths, 50);
    // A huge round count looks no further than the table of round times.
    data.roundTimes.assign(CPGameData::kRoundTimeCount, 95.0f);
    data.roundCount = 2000000000;
    EXPECT_EQ(Results("CheckPlayerRecords(1)"), "false");
}

TEST_F(ProgressBindingsTest, CountersRulesAndFlagsGoWhereTheGameReadsThem)
{
    Do("SetNumRacesPassed(4); SetPoints(120.9); SetKills(7); SetNumRounds(3); SetPlaceToFinish(2)"
       "; SetPlayerType(false); SetDifficulty(1); SetLevelStarted(1); SetUpdateTime(true); SetReversed(0)"
       "; SetRoundTime(12.5); SetMaxAbilityCount(3); SetPlayerMana(40); SetPlayerName('Bo')");
    EXPECT_EQ(data.racesPassed, 4);
    EXPECT_EQ(data.points, 120);
    EXPECT_EQ(data.kills, 7);
    EXPECT_EQ(data.roundCount, 3);
    EXPECT_EQ(level->race.requiredPlace, 2);
    EXPECT_EQ(data.playerType, CPGameData::kPlayerTypeOther);
    EXPECT_EQ(GetGameSettings().difficulty, 1);
    EXPECT_TRUE(data.levelStarted);
    EXPECT_TRUE(level->race.raceRunning);
    EXPECT_TRUE(level->race.reversed); // 0 is true in Lua
    EXPECT_FLOAT_EQ(data.roundTime, 12.5f);
    EXPECT_FLOAT_EQ(data.roundTimeCopy, 12.5f);
    EXPECT_EQ(Results("GetNumRacesPassed(), GetPoints(), GetRoundsNumber(), GetCurrentRound(), GetScore()"),
              "4,120,3,1,7");
    EXPECT_EQ(Results("IsLevelStarted(), IsRaceStarted(), GetRoundTime(), GetPlayerName(), GetPlayerMana()"),
              "true,true,12.5,Bo,40");
    level->noCheckpoints = true;
    EXPECT_EQ(Results("IsSingleMode(), IsTimeMode(), GetDifficult()"), "true,false,0");
    player->abilities = 2;
    EXPECT_EQ(Results("ActivateAbilities()"), "2,3");
    GetGameSettings().difficulty = 0;
}

TEST_F(ProgressBindingsTest, WithoutALevelTheLevelQuestionsAnswerNothingOrNo)
{
    level.reset();
    EXPECT_EQ(Results("ActivateAbilities()"), "");
    EXPECT_EQ(Results("IsRaceStarted()"), "");
    EXPECT_EQ(Results("IsSingleMode(), IsTimeMode()"), "false,false");
    Do("SetUpdateTime(true); SetReversed(true); SetPlaceToFinish(3); ClearLevelTimers()");
    data.levelTimer = 5.0f;
    Do("ClearLevelTimers()");
    EXPECT_FLOAT_EQ(data.levelTimer, 5.0f);
}

TEST_F(ProgressBindingsTest, TheShownCheckpointMovesToTheGroundWithItsFarViewAndBody)
{
    PhKinematicBody body;
    auto* checkpoint = new CPGameObject("checkpoint");
    TreeOwner owner{checkpoint};
    // The level lets go of the checkpoint before it is deleted.
    struct ForgetShown {
        std::unique_ptr<CPLevel>& level;
        ~ForgetShown()
        {
            if (level)
                level->shownCheckpoint = CPObjectPtr();
        }
    } forget{level};
    auto* farView = new CPGameObject("checkpoint_far");
    checkpoint->AddLod(CPObjectPtr(checkpoint), 0);
    checkpoint->AddLod(CPObjectPtr(farView), 100);
    checkpoint->SetBoundingBox(CPBoundingBox(Vector3{}, Vector3{1, 1, 1}));
    auto* physics = new CPPhysicData(checkpoint);
    physics->SetKinematicBody(&body);
    checkpoint->SetPhysicData(CPObjectPtr(physics));
    checkpoint->SetPosition(Vector3{1, 2, 3});
    checkpoint->UpdateBounds();

    // Nothing is shown yet: nothing moves.
    Do("ChangeCheckpointPosition(40, 50)");
    EXPECT_FLOAT_EQ(checkpoint->GetPosition().x, 1.0f);

    level->shownCheckpoint = CPObjectPtr(checkpoint);
    struct Case {
        const char* arguments;
        Vector3 position;
    } cases[] = {
        {"40, -50", {40, -50, 0}},
        {"'7.5', 2", {7.5f, 2, 0}},
        {"nil, {}", {0, 0, 0}},
    };
    for (const Case& c : cases) {
        checkpoint->SetPosition(Vector3{1, 2, 3});
        checkpoint->UpdateBounds();
        Do(std::string("ChangeCheckpointPosition(") + c.arguments + ")");
        for (const CPGameObject* moved : {checkpoint, farView}) {
            EXPECT_FLOAT_EQ(moved->GetPosition().x, c.position.x) << c.arguments;
            EXPECT_FLOAT_EQ(moved->GetPosition().y, c.position.y) << c.arguments;
            EXPECT_FLOAT_EQ(moved->GetPosition().z, 0.0f) << c.arguments;
        }
        EXPECT_FLOAT_EQ(body.position.x, c.position.x) << c.arguments;
        EXPECT_FLOAT_EQ(body.position.z, 0.0f) << c.arguments;
        // The bounds follow: the box's centre is the new place.
        EXPECT_FLOAT_EQ(checkpoint->GetOwnBox().centre.x, c.position.x) << c.arguments;
    }

    level.reset(); // no level: nothing to move, no error
    Do("ChangeCheckpointPosition(1, 1)");
    EXPECT_FLOAT_EQ(checkpoint->GetPosition().x, 0.0f);
}

TEST_F(ProgressBindingsTest, ScoreTableAnswersAreFixed)
{
    EXPECT_EQ(Results("AddScore(5)"), "5");
    EXPECT_EQ(Results("AddScore(5, 'last')"), "last");
    EXPECT_EQ(Results("type(AddScore()), type(GetAICount())"), "function,function");
    EXPECT_EQ(Results("IsInTable(3), GetScoreLine(1)"), "false,,0");
    EXPECT_EQ(Results("SetScoreLine('x', 1, 2)"), "");
    EXPECT_EQ(Results("GetAICount(1, 2, 9)"), "9");
}

TEST_F(ProgressBindingsTest, PlayerNameOfACarObjectAndOfNoObject)
{
    SetGlobal("car", player);
    EXPECT_EQ(Results("GetPlayerName(car), GetPlayerName(nil), GetPlayerName(5)"), "PLAYER,,");
    data.playerName = "Mia";
    data.profileName = "prof";
    EXPECT_EQ(Results("GetPlayerName(), GetProfileName()"), "Mia,prof");
}

TEST_F(ProgressBindingsTest, ClockAndSettingsReadings)
{
    GetGameClock().gameTime = 12.25;
    GetGameSettings().screenWidth = 800;
    GetGameSettings().weather = 0;
    EXPECT_EQ(Results("GetFullTime(), GetCurrentResolution(), IsWeather()"), "12.25,800,false");
    GetGameSettings().screenWidth = 640;
    GetGameSettings().weather = 1;
}
