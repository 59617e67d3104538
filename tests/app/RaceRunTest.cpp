// The headless race run: input played back by frame, the autopilot, the
// seed, the race watch that ends the run and prints the table, and the run
// on the fixture level with broken data.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

#include "SampleOutput.h"

#include "app/GameHost.h"
#include "app/InputScript.h"
#include "app/RaceWatch.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/AIGunner.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Spline.h"
#include "platform/Dialog.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/Random.h"
#include "script/ScriptHost.h"

namespace fs = std::filesystem;

namespace {

const std::string kFixtureLevel = std::string(RS_FIXTURES_DIR) + "/level";
const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A copy of a data folder the test may break, without the profiles that
// someone playing the sample may have saved there.
void CopyData(const std::string& from, const ScratchFolder& to)
{
    fs::copy(from, to.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const fs::path saves = fs::path(to.GetPath()) / "Data" / "Saves";
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(saves, ignored))
        if (entry.path().extension() == ".sav")
            fs::remove(entry.path(), ignored);
}

std::unique_ptr<GameHost> MakeHost(const std::string& dataRoot, int frames, unsigned seed = 1,
                                   bool autopilot = false)
{
    GameHost::Options options;
    options.frames = frames;
    options.dataRoot = dataRoot;
    options.seed = seed;
    options.autopilot = autopilot;
    return std::make_unique<GameHost>(options);
}

} // namespace

TEST(InputScriptTest, ReadsEventsByFrameAndNamesTheFirstBadLine)
{
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Parse(
        "# comment\n\n 30 press 0 # left\n20 move 320.5 180\n30 release 0\n5 keydown 200\n", error))
        << error;
    ASSERT_EQ(script.GetEvents().size(), 4u);
    EXPECT_EQ(script.GetEvents()[0].frame, 5);
    EXPECT_EQ(script.GetEvents()[1].kind, InputScript::Kind::kMove);
    EXPECT_FLOAT_EQ(script.GetEvents()[1].x, 320.5f);
    // Events of one frame keep their file order.
    EXPECT_EQ(script.GetEvents()[2].kind, InputScript::Kind::kPress);
    EXPECT_EQ(script.GetEvents()[3].kind, InputScript::Kind::kRelease);

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"x move 1 2", "line 1: a frame number"},
        {"-1 move 1 2", "line 1: a frame number"},
        {"1 move 1 2\n2 jump", "line 2: the event must be"},
        {"1 move 1", "line 1: move needs x and y"},
        {"1 press 8", "line 1: press needs a mouse button"},
        {"1 keyup 256", "line 1: keyup needs a scan code"},
        {"1 press 0 0", "line 1: unexpected \"0\""},
    };
    for (const auto& entry : bad) {
        InputScript kept;
        ASSERT_TRUE(kept.Parse("0 press 1", error));
        EXPECT_FALSE(kept.Parse(entry.text, error)) << entry.text;
        EXPECT_EQ(error.rfind(entry.error, 0), 0u) << entry.text << " gave " << error;
        EXPECT_EQ(kept.GetEvents().size(), 1u) << "a failed parse keeps the events it had";
    }
    EXPECT_FALSE(script.Load("/nonexistent/input.txt", error));
}

TEST(InputScriptTest, PlaysEachFrameItsEventsOnce)
{
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Parse("2 move 10 20\n2 press 0\n3 keydown 28\n4 release 0\n4 keyup 28\n", error));
    platform::HeadlessInputDevice device;
    script.Play(0, device);
    script.Play(1, device);
    EXPECT_FALSE(device.IsButtonDown(0));
    script.Play(2, device);
    EXPECT_TRUE(device.IsButtonDown(0));
    EXPECT_EQ(device.GetMouseX(), 10.0f);
    EXPECT_EQ(device.GetMouseY(), 20.0f);
    // A frame skipped leaves its events behind.
    script.Play(4, device);
    EXPECT_FALSE(device.IsKeyDown(28));
    EXPECT_FALSE(device.IsButtonDown(0));
}

class FixtureRace : public ::testing::Test {
  protected:
    void SetUp() override { CopyData(kFixtureLevel, data); }
    void TearDown() override
    {
        host.reset();
        platform::ClearPostedQuit();
    }
    std::string Log() const { return data.Read("log.txt"); }

    ScratchFolder data;
    std::unique_ptr<GameHost> host;
};

// The watch counts a lap each time a car comes round the track points to
// the start, on the race clock, and ends the race a minute after the
// player's finish when the others do not finish.
TEST_F(FixtureRace, TheWatchCountsLapsOnTheRaceClockAndEndsAfterThePlayerFinishes)
{
    host = MakeHost(data.GetPath(), 0);
    ASSERT_TRUE(host->StartLevel("sample"));
    CPLevel* level = host->GetLevel();
    GetGameData()->roundCount = 2;
    const auto count = static_cast<int>(level->trackPoints.size());
    ASSERT_GT(count, 30);
    CPGameObject* player = level->GetPlayer();
    ASSERT_NE(player, nullptr);

    RaceWatch watch;
    const float dt = 0.5f;
    int point = level->race.startPoint;
    int frames = 0;
    // One track point a frame. The ring's last point lies on its first
    // (nearest ties go to the later point), so a lap takes count - 1 frames.
    while (!watch.IsOver() && frames < 10 * count) {
        player->SetPosition(level->trackPoints[static_cast<std::size_t>(point)]->start);
        watch.Update(level, dt);
        point = (point + 1) % count;
        if (point == 0)
            point = 1;
        ++frames;
    }
    ASSERT_TRUE(watch.IsOver()) << "start " << level->race.startPoint << " of " << count << ", laps "
                                << watch.GetCars()[0].laps.size() << ", progress "
                                << watch.GetCars()[0].progress;
    const RaceWatch::Car& car = watch.GetCars()[0];
    ASSERT_EQ(car.laps.size(), 2u);
    const float lap = static_cast<float>(count - 1) * dt;
    // The race clock starts before the first frame, on which the car
    // already stands at the start.
    EXPECT_FLOAT_EQ(car.laps[0], lap + dt);
    EXPECT_FLOAT_EQ(car.laps[1], lap);
    EXPECT_FLOAT_EQ(car.finishTime, 2 * lap + dt);
    EXPECT_NEAR(watch.GetClock(), car.finishTime + RaceWatch::kGraceAfterPlayer, dt);
    // The opponents stood still: the player first, the others unfinished.
    EXPECT_EQ(watch.GetPlaces()[0], 0u);
    const std::string table = watch.FormatTable();
    EXPECT_NE(table.find("      1  player (zil_130_)         2/2"), std::string::npos) << table;
    EXPECT_NE(table.find("DNF"), std::string::npos) << table;
}

TEST_F(FixtureRace, TheAutopilotOpensThePlayersThrottle)
{
    host = MakeHost(data.GetPath(), 5, 1, true);
    ASSERT_TRUE(host->StartLevel("sample"));
    auto* player = dynamic_cast<CPPlayer*>(host->GetLevel()->GetPlayer());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->GetThrottle(), 0.0f);
    EXPECT_EQ(host->Run(), 5);
    EXPECT_GT(player->GetThrottle(), 0.0f);
}

// The whole run, table and random state, follows from the seed.
TEST_F(FixtureRace, TheSameSeedGivesTheSameRun)
{
    std::string tables[3];
    int draws[3] = {};
    const unsigned seeds[3] = {7, 7, 8};
    for (int i = 0; i < 3; ++i) {
        host = MakeHost(data.GetPath(), 240, seeds[i], true);
        ASSERT_TRUE(host->StartLevel("sample"));
        host->Run();
        tables[i] = host->GetRaceWatch().FormatTable();
        draws[i] = platform::Rand();
        host.reset();
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_EQ(draws[0], draws[1]);
    EXPECT_NE(draws[0], draws[2]);
}

// A mesh cut short: the log names it, the level still runs, and the run
// still ends at its frame limit.
TEST_F(FixtureRace, ATruncatedMeshIsLoggedAndTheRunStillEnds)
{
    const std::string mesh = data.Path("Data/Meshes/box.msh");
    const std::string bytes = ReadFile(mesh);
    ASSERT_GT(bytes.size(), 16u);
    data.Write("Data/Meshes/box.msh", bytes.substr(0, bytes.size() / 2));
    host = MakeHost(data.GetPath(), 120, 1, true);
    ASSERT_TRUE(host->StartLevel("sample"));
    EXPECT_EQ(host->Run(), 120);
    EXPECT_NE(Log().find("box.msh"), std::string::npos) << Log();
    EXPECT_TRUE(host->GetRaceWatch().IsWatching());
}

// A start script with an error in its heads-up display: the error is
// logged, the display's object stops, everything else goes on.
TEST_F(FixtureRace, AScriptErrorInTheDisplayIsLoggedAndTheRaceGoesOn)
{
    data.Write("Data/Scripts/main.lua", "frames = 0\n"
                                        "CreateScriptObject('game_interface', '', function(self)\n"
                                        "  SetText(nil, 'lap', NoSuchFunction())\n"
                                        "end)\n"
                                        "CreateScriptObject('counter', '', function(self)\n"
                                        "  frames = frames + 1\n"
                                        "end)\n");
    host = MakeHost(data.GetPath(), 30, 1, true);
    ASSERT_TRUE(host->StartLevel("sample"));
    EXPECT_EQ(host->Run(), 30);
    EXPECT_NE(Log().find("Script object \"game_interface\" stopped"), std::string::npos) << Log();
    lua_State* L = host->GetScriptHost().GetState();
    lua_getglobal(L, "frames");
    EXPECT_EQ(lua_tonumber(L, -1), 30.0);
    lua_pop(L, 1);
}

// The sample game's menu: the input file moves the mouse onto Start and
// clicks it, and the start script answers the button.
TEST(SampleRun, TheInputFilePressesTheMenusStartButton)
{
    ScratchFolder data;
    CopyData(kSample, data);
    GameHost::Options options;
    options.frames = 40;
    options.dataRoot = data.GetPath();
    std::string error;
    ASSERT_TRUE(options.input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-race.input", error))
        << error;
    testing::internal::CaptureStdout();
    auto host = std::make_unique<GameHost>(options);
    host->Run();
    host.reset();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("script: race on level1, 3 laps"), std::string::npos) << out;
}

namespace {

// A run of the sample game on a copy of its data, the menu clicked by the
// sample input file.
class SampleGame : public ::testing::Test {
  protected:
    void SetUp() override { CopyData(kSample, data); }
    void TearDown() override
    {
        host.reset();
        platform::ClearPostedQuit();
    }
    void Start(int frames, unsigned seed = 1)
    {
        GameHost::Options options;
        options.frames = frames;
        options.dataRoot = data.GetPath();
        options.seed = seed;
        options.autopilot = true;
        std::string error;
        ASSERT_TRUE(options.input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-race.input", error))
            << error;
        host = std::make_unique<GameHost>(options);
    }
    // Whether this build can play the sample race at all.
    bool CanRace() const
    {
        lua_State* L = host->GetScriptHost().GetState();
        lua_getglobal(L, "InitLevel");
        const bool bound = lua_isfunction(L, -1);
        lua_pop(L, 1);
        return bound && data.Exists("Data/Levels/level1.lvl");
    }
    // Runs to the end, stdout captured.
    std::string RunCaptured()
    {
        testing::internal::CaptureStdout();
        host->Run();
        std::string out = testing::internal::GetCapturedStdout();
        return out + host->GetRaceWatch().FormatTable();
    }

    ScratchFolder data;
    std::unique_ptr<GameHost> host;
};

} // namespace

// The race's end as the scripts answer it: the place's prize is added to
// the money, the races passed counted, and the profile saved; the save
// loads back with the same money (kept as the profile's points) and the
// same records.
TEST_F(SampleGame, TheEndOfTheRaceAwardsThePrizeAndSavesAProfileThatLoadsBack)
{
    Start(40);
    CPGameData* gameData = GetGameData();
    gameData->money = 1500.0f;
    testing::internal::CaptureStdout();
    host->Run(); // the menu's Start is clicked, the profile made
    gameData->progress[2].bestTime = 61.5f;
    GetObjectRegistry()->SendCommandByName("game_interface", "place", "2nd");
    GetObjectRegistry()->SendCommandByName("jeep", "game_over", "");
    host->RunFrame();
    host->RunFrame();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("script: race over, place 2nd, prize 600, money 2100.00, shots 0, profile saved"),
              std::string::npos)
        << out;
    EXPECT_EQ(gameData->money, 2100.0f);
    EXPECT_EQ(gameData->racesPassed, 1);
    ASSERT_TRUE(data.Exists("Data/Saves/save0.sav"));

    CPGameData loaded;
    ASSERT_TRUE(loaded.LoadSave("save0.sav"));
    EXPECT_EQ(loaded.profileName, "Sample");
    EXPECT_EQ(loaded.points, 2100);
    EXPECT_EQ(loaded.racesPassed, 1);
    for (std::size_t i = 0; i < loaded.progress.size(); ++i) {
        EXPECT_EQ(loaded.progress[i].bestTime, gameData->progress[i].bestTime) << i;
        EXPECT_EQ(loaded.progress[i].state, gameData->progress[i].state) << i;
    }
    EXPECT_EQ(loaded.progress[2].bestTime, 61.5f);
}

// A save that cannot be written (here the saves folder is a file, so
// nothing can be written in it) is reported to the scripts, which tell the
// player instead of claiming the profile saved.
TEST_F(SampleGame, AProfileThatCannotBeSavedIsReportedAsNotSaved)
{
    fs::remove_all(fs::path(data.GetPath()) / "Data" / "Saves");
    data.Write("Data/Saves", "not a folder");
    Start(40);
    testing::internal::CaptureStdout();
    host->Run();
    GetObjectRegistry()->SendCommandByName("game_interface", "place", "1st");
    GetObjectRegistry()->SendCommandByName("jeep", "game_over", "");
    host->RunFrame();
    host->RunFrame();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("script: race over, place 1st, prize 1000, "), std::string::npos) << out;
    EXPECT_NE(out.find(", the profile could not be saved"), std::string::npos) << out;
    EXPECT_EQ(out.find("profile saved"), std::string::npos) << out;
    EXPECT_EQ(data.Read("Data/Saves"), "not a folder");
}

// The whole sample race: three laps, eight cars, ended by the race itself
// inside the frame limit, every car placed with lap times a car could
// drive; the same seed prints the same table.
TEST_F(SampleGame, TheSampleRaceEndsWithEveryCarPlacedAndRepeatsWithTheSeed)
{
    Start(-1, 5);
    if (!CanRace())
        GTEST_SKIP() << "the sample level or the level bindings are not in this build";
    const std::string first = RunCaptured();
    const RaceWatch& watch = host->GetRaceWatch();
    ASSERT_TRUE(watch.IsOver()) << first;
    EXPECT_EQ(watch.GetRounds(), 3);
    ASSERT_EQ(watch.GetCars().size(), 8u);
    const CPLevel* level = GetCurrentLevel();
    ASSERT_NE(level, nullptr);
    // The track's length from its points; no car is faster than 100 m/s
    // nor slower than 2 m/s on a lap it finished.
    const float trackLength = static_cast<float>(level->trackPoints.size() - 1) * CPSpline::kLineLength;
    std::size_t finished = 0;
    for (const RaceWatch::Car& car : watch.GetCars()) {
        if (car.finishTime >= 0.0f)
            ++finished;
        for (std::size_t lap = 1; lap < car.laps.size(); ++lap) {
            EXPECT_GT(car.laps[lap], trackLength / 100.0f) << car.name;
            EXPECT_LT(car.laps[lap], trackLength / 2.0f) << car.name;
        }
    }
    EXPECT_EQ(watch.GetCars()[0].laps.size(), 3u) << first;
    EXPECT_GE(finished, 3u) << first;
    EXPECT_TRUE(data.Exists("Data/Saves/save0.sav"));
    host.reset();

    Start(-1, 5);
    EXPECT_EQ(RunCaptured(), first);
}

namespace {

// The place a "script: race over, place X, ..." line gives: 1 to 3, or 0
// for none.
int ResultPlace(const std::string& out)
{
    const std::string mark = "script: race over, place ";
    const std::size_t at = out.rfind(mark);
    if (at == std::string::npos)
        return -1;
    const std::string place = out.substr(at + mark.size(), 3);
    for (int n = 1; n <= 3; ++n)
        if (place == std::string(n == 1 ? "1st" : n == 2 ? "2nd" : "3rd"))
            return n;
    return 0;
}

} // namespace

// The printed table places the player where the race's own result does:
// the traffic after the fifth opponent races the same laps but takes no
// place, so it stands apart, unnumbered, and the places count the racers
// only.
TEST_F(SampleGame, TheTablePlacesThePlayerWhereTheRaceDid)
{
    Start(-1, 5);
    if (!CanRace())
        GTEST_SKIP() << "the sample level or the level bindings are not in this build";
    const std::string out = RunCaptured();
    const RaceWatch& watch = host->GetRaceWatch();
    ASSERT_TRUE(watch.IsOver()) << out;
    const int result = ResultPlace(out);
    ASSERT_GE(result, 0) << out;
    const std::vector<std::size_t> places = watch.GetPlaces();
    const auto player = static_cast<int>(std::find(places.begin(), places.end(), 0u) - places.begin()) + 1;
    if (result > 0)
        EXPECT_EQ(player, result) << out;
    else
        EXPECT_GT(player, 3) << out;

    // Six racers, numbered; the two traffic cars last, without a number.
    ASSERT_EQ(watch.GetRacerCount(), 6u);
    for (std::size_t i = 0; i < places.size(); ++i)
        EXPECT_EQ(watch.GetCars()[places[i]].racer, i < 6) << i;
    const std::string table = watch.FormatTable();
    const std::size_t traffic = table.find("  Traffic, not placed\n");
    ASSERT_NE(traffic, std::string::npos) << table;
    EXPECT_NE(table.find("      6  "), std::string::npos) << table;
    EXPECT_EQ(table.find("      7  "), std::string::npos) << table;
    EXPECT_NE(table.find("      -  ", traffic), std::string::npos) << table;
    // No racer shows a better finish time than a car placed ahead of it.
    EXPECT_EQ(sample_output::PlaceTimeContradiction(table), "") << table;
}

// The README's one race, on the default seed, as the sample input fires
// the player's gun: the field races off the grid unhurt, the opponents'
// fire wrecks a car now and then but not the field, the player's bursts
// bring down the soldier and land on the cars ahead, and no two racers
// drive the same laps.
TEST_F(SampleGame, TheOneRaceIsFoughtOnceTheFieldIsUnderWayAndEveryRacerDrivesItsOwnLaps)
{
    Start(-1);
    if (!CanRace())
        GTEST_SKIP() << "the sample level or the level bindings are not in this build";
    const std::string out = RunCaptured();
    const RaceWatch& watch = host->GetRaceWatch();
    ASSERT_TRUE(watch.IsOver()) << out;

    const std::vector<double> wrecks = sample_output::WreckTimes(out);
    for (double time : wrecks)
        EXPECT_GE(time, ai_gunner::kHoldFire) << out;
    EXPECT_LE(wrecks.size(), 6u) << out;

    const CPCombatTally& combat = GetGameData()->combat;
    const std::string line = RaceWatch::FormatCombat();
    EXPECT_NE(out.find("script: enemy soldier killed"), std::string::npos) << out;
    EXPECT_GE(combat.hits, 10) << line;
    EXPECT_GE(combat.carsWrecked, 1) << line;
    EXPECT_GE(combat.bonusesTaken, 1) << line;

    // A traffic car crosses the line just ahead of the player in this race;
    // the table still places the player where the race did.
    const std::vector<std::size_t> places = watch.GetPlaces();
    const auto player = static_cast<int>(std::find(places.begin(), places.end(), 0u) - places.begin()) + 1;
    EXPECT_EQ(player, ResultPlace(out)) << out;
    // A rival crosses the line about a frame behind the player: the race
    // places it behind, and the printed times say the same.
    EXPECT_EQ(sample_output::PlaceTimeContradiction(watch.FormatTable()), "") << watch.FormatTable();
    EXPECT_EQ(sample_output::PlacedFinishTimes(watch.FormatTable()).size(), 6u) << watch.FormatTable();

    // The five racing opponents' best laps, to the hundredth the table shows.
    const std::vector<long> best = sample_output::RivalsBestLaps(watch);
    ASSERT_EQ(best.size(), 5u) << out;
    EXPECT_EQ(std::adjacent_find(best.begin(), best.end()), best.end()) << out;
}
