// The sample game played through the real host on a copy of the sample
// data, its screens clicked as a player clicks them: the main menu's
// Exit ends the game, the profile screen makes, loads and deletes
// profiles in the save slots, the shop fits what the money buys, the
// fire key fires the player's gun in the race, and the recorded
// playthrough plays the whole game.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

#include "SampleOutput.h"

#include "app/GameHost.h"
#include "app/InputScript.h"
#include "app/RaceWatch.h"
#include "core/Singletons.h"
#include "game/AIGunner.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/Dialog.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

// Where the screens' buttons show on the game's headless screen of
// 640 x 480 (the screens are laid out on 1024 x 768 and centred).
struct Spot {
    int x;
    int y;
};
constexpr Spot kStart{320, 180};
constexpr Spot kProfile{320, 240};
constexpr Spot kShop{320, 300};
constexpr Spot kExit{320, 360};
constexpr Spot kSlot1{186, 80};
constexpr Spot kSlot3{186, 200};
constexpr Spot kNew{476, 80};
constexpr Spot kLoad{476, 140};
constexpr Spot kDelete{476, 200};
constexpr Spot kBack{476, 260};
constexpr Spot kBuy{186, 440};
constexpr Spot kShopBack{476, 440};
constexpr int kFireKey = 0x1D; // LCtrl, as Actions.cfg binds "fire"

class SamplePlay : public ::testing::Test {
  protected:
    void SetUp() override
    {
        fs::copy(kSample, data.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        std::error_code ignored;
        // A log left in the sample folder by an earlier run is not this game's.
        fs::remove(fs::path(data.GetPath()) / "log.txt", ignored);
        for (const auto& entry : fs::directory_iterator(fs::path(data.GetPath()) / "Data" / "Saves", ignored))
            if (entry.path().extension() == ".sav")
                fs::remove(entry.path(), ignored);
    }
    void TearDown() override
    {
        host.reset();
        platform::ClearPostedQuit();
    }

    // A click: the mouse moves there, then the left button goes down and up.
    void Click(Spot spot)
    {
        input +=
            std::to_string(frame) + " move " + std::to_string(spot.x) + " " + std::to_string(spot.y) + "\n";
        input += std::to_string(frame + 10) + " press 0\n" + std::to_string(frame + 12) + " release 0\n";
        frame += 30;
    }
    void Key(int code, int heldFrames)
    {
        input += std::to_string(frame) + " keydown " + std::to_string(code) + "\n";
        input += std::to_string(frame + heldFrames) + " keyup " + std::to_string(code) + "\n";
        frame += heldFrames + 10;
    }

    // Starts the host on the input written so far; runs `frames` frames.
    void Play(int frames)
    {
        GameHost::Options options;
        options.frames = frames;
        options.dataRoot = data.GetPath();
        options.autopilot = true;
        std::string error;
        ASSERT_TRUE(options.input.Parse(input, error)) << error;
        host = std::make_unique<GameHost>(options);
        testing::internal::CaptureStdout();
        ranFrames = host->Run();
        out = testing::internal::GetCapturedStdout();
    }

    ScratchFolder data;
    std::unique_ptr<GameHost> host;
    std::string input;
    int frame = 20;
    int ranFrames = 0;
    std::string out;
};

TEST_F(SamplePlay, TheMenusExitEndsTheGame)
{
    Click(kExit);
    Play(600);
    EXPECT_TRUE(host->IsQuitAsked());
    EXPECT_LT(ranFrames, 600);
    EXPECT_NE(out.find("script: exit"), std::string::npos) << out;
}

// A new profile takes the first free slot with the starting money; Delete
// frees the chosen slot again, Load reads a profile saved before.
TEST_F(SamplePlay, TheProfileScreenMakesLoadsAndDeletesProfiles)
{
    {
        CPGameData saved;
        saved.SetProfile("Kim");
        saved.points = 4242;
        saved.racesPassed = 3;
        platform::SetDataRoot(data.GetPath());
        ASSERT_TRUE(saved.WriteSave("save2.sav"));
    }
    Click(kProfile);
    Click(kNew);
    Play(frame + 10);
    EXPECT_NE(out.find("script: new profile Driver1, money 1500"), std::string::npos) << out;
    CPGameData made;
    ASSERT_TRUE(made.LoadSave("save0.sav"));
    EXPECT_EQ(made.profileName, "Driver1");
    EXPECT_EQ(made.points, 1500);
    host.reset();

    input.clear();
    frame = 20;
    Click(kProfile);
    Click(kSlot3);
    Click(kLoad);
    Click(kSlot1);
    Click(kDelete);
    Click(kBack);
    Play(frame + 10);
    EXPECT_NE(out.find("script: profile Kim loaded, money 4242, races 3"), std::string::npos) << out;
    EXPECT_NE(out.find("script: slot 1 deleted"), std::string::npos) << out;
    CPGameData* game = GetGameData();
    EXPECT_EQ(game->profileName, "Kim");
    EXPECT_EQ(game->money, 4242.0f);
    EXPECT_EQ(fs::file_size(fs::path(data.GetPath()) / "Data" / "Saves" / "save0.sav"), 0u);
}

// The shop's first item is the rocket launcher (the roof gun is fitted
// already): Buy fits it into the second weapon slot for the race and
// takes its price from the starting money.
TEST_F(SamplePlay, TheShopFitsWhatTheMoneyBuys)
{
    Click(kShop);
    Click(kBuy);
    Click(kBuy); // too little money left for a second one
    Click(kShopBack);
    Play(frame + 10);
    EXPECT_NE(out.find("script: bought rlauncher for 1200, money 300"), std::string::npos) << out;
    CPGameData* game = GetGameData();
    EXPECT_EQ(game->money, 300.0f);
    EXPECT_EQ(game->committedCarSettings.weapon1, "mgun");
    EXPECT_EQ(game->committedCarSettings.weapon2, "rlauncher");
    CPGameData saved;
    ASSERT_TRUE(saved.LoadSave("save0.sav"));
    EXPECT_EQ(saved.points, 300);
}

// Holding the fire key in the race fires the roof gun: ten shots a
// second, each taking a two-hundredth of its ammunition.
TEST_F(SamplePlay, TheFireKeyFiresThePlayersGun)
{
    Click(kStart);
    frame += 120; // the race is under way
    Key(kFireKey, 60);
    Play(frame + 10);
    ASSERT_NE(out.find("script: race on level1"), std::string::npos) << out;
    CPLevel* level = GetCurrentLevel();
    ASSERT_NE(level, nullptr);
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->weapons.weaponName, "mgun");
    // One second held: ten shots, one at once and then one every tenth.
    EXPECT_NEAR(player->weapons.ammunition[0], 1.0f - 10.0f / 200.0f, 1.5f / 200.0f);
    EXPECT_FALSE(player->weapons.firePressed);
}

// The recorded playthrough (scripts/sample-game.input): a new profile, the
// rockets and the mines bought, the race on the day circuit with both guns
// and the super weapon fired, a mine laid and the soldier by the road
// shot, its results, Continue on to the gloom circuit, its results,
// Continue back to the menu and Exit, which ends the run before its frame
// limit. What the player's car did in combat is the game's tally.
TEST_F(SamplePlay, TheRecordedPlaythroughPlaysTheWholeGame)
{
    GameHost::Options options;
    options.dataRoot = data.GetPath();
    options.autopilot = true;
    options.wholeGame = true;
    std::string error;
    ASSERT_TRUE(options.input.Load(std::string(RS_SOURCE_DIR) + "/scripts/sample-game.input", error))
        << error;
    host = std::make_unique<GameHost>(options);
    testing::internal::CaptureStdout();
    ranFrames = host->Run();
    out = testing::internal::GetCapturedStdout();

    EXPECT_TRUE(host->IsQuitAsked()) << out;
    EXPECT_LT(ranFrames, GameHost::kGameFrames);
    EXPECT_NE(out.find("script: new profile Driver1, money 1500"), std::string::npos) << out;
    EXPECT_NE(out.find("script: bought rlauncher for 1200, money 300"), std::string::npos) << out;
    EXPECT_NE(out.find("script: bought mine1 for 300, money 0"), std::string::npos) << out;
    EXPECT_NE(out.find("script: super weapon"), std::string::npos) << out;
    EXPECT_NE(out.find("script: mine\n"), std::string::npos) << out;
    EXPECT_NE(out.find("script: checkpoint checkpoint!"), std::string::npos) << out;
    // Both races end with a place: the second starts afresh, not with the
    // first one's laps and places.
    const std::size_t first = out.find("script: race on level1");
    const std::size_t second = out.find("script: race on level2");
    ASSERT_NE(first, std::string::npos) << out;
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_LT(first, second);
    const std::size_t over1 = out.find("script: race over", first);
    const std::size_t over2 = out.find("script: race over", second);
    ASSERT_NE(over1, std::string::npos) << out;
    ASSERT_NE(over2, std::string::npos) << out;
    EXPECT_LT(over1, second);
    const std::string firstResult = out.substr(over1, out.find('\n', over1) - over1);
    const std::string secondResult = out.substr(over2, out.find('\n', over2) - over2);
    // Where the computer brings the player home on level1 is the race's
    // own outcome; the second race ends with a place of its own, not with
    // the first one's laps and places.
    EXPECT_NE(firstResult.find("place "), std::string::npos) << firstResult;
    EXPECT_EQ(secondResult.find("place none"), std::string::npos) << secondResult;
    // The trigger pulled three times with the gun and once with the rockets.
    const std::size_t shots = firstResult.find("shots ");
    ASSERT_NE(shots, std::string::npos) << firstResult;
    EXPECT_EQ(std::atoi(firstResult.c_str() + shots + 6), 4) << firstResult;
    EXPECT_NE(out.find("script: exit", over2), std::string::npos) << out;

    // The soldier on the first straight falls to the gun's first burst:
    // its death is the game's ("enemy_death" to the scripts), its reward
    // paid, the kill counted.
    const std::size_t killed = out.find("script: enemy soldier killed", first);
    EXPECT_NE(killed, std::string::npos) << out;
    EXPECT_LT(killed, over1) << out;

    // Some ten shots a second for eight seconds from the gun, rockets
    // besides.
    const CPGameData* game = GetGameData();
    EXPECT_GE(game->combat.shotsFired, 70);
    EXPECT_EQ(game->kills, 1);
    EXPECT_NE(RaceWatch::FormatCombat().find(", 1 enemy killed, "), std::string::npos)
        << RaceWatch::FormatCombat();
    // The table printed at the end places the player where the second
    // race's result did.
    const std::vector<std::size_t> places = host->GetRaceWatch().GetPlaces();
    const std::size_t place = std::find(places.begin(), places.end(), 0u) - places.begin() + 1;
    const std::string ordinal = place == 1 ? "1st" : place == 2 ? "2nd" : place == 3 ? "3rd" : "none";
    EXPECT_NE(secondResult.find("place " + ordinal + ","), std::string::npos)
        << secondResult << "\n"
        << host->GetRaceWatch().FormatTable();
    const std::string combat = RaceWatch::FormatCombat();
    EXPECT_EQ(combat.rfind("Combat: " + std::to_string(game->combat.shotsFired) + " shots fired, ", 0), 0u)
        << combat;
    EXPECT_NE(combat.find(" bonus"), std::string::npos) << combat;
    // The opponents' cars take hits, so the closing line counts some.
    const std::size_t hits = combat.find(" fired, ");
    ASSERT_NE(hits, std::string::npos) << combat;
    EXPECT_GE(std::atoi(combat.c_str() + hits + 8), 1) << combat;
    EXPECT_EQ(game->committedCarSettings.superWeaponCount, 0);

    CPGameData saved;
    ASSERT_TRUE(saved.LoadSave("save0.sav"));
    EXPECT_EQ(saved.profileName, "Driver1");
    EXPECT_EQ(saved.racesPassed, 2);
    EXPECT_EQ(static_cast<float>(saved.points), game->money);
    EXPECT_GE(saved.points, 300);

    // The player's fire wrecks a rival, which is put back and races on. No
    // car is wrecked while the field leaves the grid, and wrecks stay the
    // odd event of a race, not the field shot to pieces.
    EXPECT_NE(out.find(" wrecked at "), std::string::npos) << out;
    const std::vector<double> wrecks = sample_output::WreckTimes(out);
    for (double time : wrecks)
        EXPECT_GE(time, ai_gunner::kHoldFire) << out;
    EXPECT_LE(wrecks.size(), 12u) << out;
    EXPECT_GE(game->combat.hits, 10) << combat;
    // The last race's five racing opponents each drive laps of their own.
    const std::vector<long> best = sample_output::RivalsBestLaps(host->GetRaceWatch());
    ASSERT_EQ(best.size(), 5u) << host->GetRaceWatch().FormatTable();
    EXPECT_EQ(std::adjacent_find(best.begin(), best.end()), best.end()) << host->GetRaceWatch().FormatTable();
    EXPECT_EQ(sample_output::PlaceTimeContradiction(host->GetRaceWatch().FormatTable()), "")
        << host->GetRaceWatch().FormatTable();
    EXPECT_GE(game->combat.carsWrecked, 1);
    EXPECT_NE(combat.find(" " + std::to_string(game->combat.carsWrecked) +
                          (game->combat.carsWrecked == 1 ? " car wrecked, " : " cars wrecked, ")),
              std::string::npos)
        << combat;

    // Everything the game shows loads and is drawn: no file it asks for is
    // missing, no stand-in is put in place of one, nothing is left undrawn.
    host.reset();
    const std::string log = data.Read("log.txt");
    for (const char* fault : {"Cannot load", "stands in", "not drawn"})
        EXPECT_EQ(log.find(fault), std::string::npos) << fault << " in the log:\n" << log;
}

} // namespace
