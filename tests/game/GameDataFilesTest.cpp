#include "game/GameData.h"

#include <gtest/gtest.h>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/GameSettings.h"
#include "support/ScratchFolder.h"

namespace {

class GameDataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        folder.Write("Data/Levels/readme.txt", "");
    }
    void TearDown() override { GetGameSettings().difficulty = 0; }

    ScratchFolder folder;
    LogCapture log;
    CPGameData data;
};

// ---- mission list

const char* const kMission = "// checkpoints\n"
                             "1.5 2 3 4 zombie,30;ghoul,70 25 repair,100\n"
                             "  0.25 -1 0 7 \"big rat,10\" 0 \"\"  \n"
                             "sources\n"
                             "gate north 1 2.5 ghoul,50;bat,50\n"
                             "pit north 0 0.5 bat,100\n"
                             "cave 3 yes 1 zombie,100\n";

CPSourcePositions LevelSources()
{
    return CPSourcePositions{{"gate", Vector3{1.0f, 2.0f, 3.0f}},
                             {"pit", Vector3{-4.0f, 5.0f, 0.5f}},
                             {"cave", Vector3{9.0f, 9.0f, 9.0f}}};
}

void ExpectNames(const CPWeightedNames& names, const std::vector<std::tuple<std::string, int, int>>& expected)
{
    ASSERT_EQ(names.size(), expected.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i].name, std::get<0>(expected[i]));
        EXPECT_EQ(names[i].lower, std::get<1>(expected[i]));
        EXPECT_EQ(names[i].upper, std::get<2>(expected[i]));
    }
}

TEST_F(GameDataFilesTest, MissionListGivesCheckpointsAndSourcesByGroup)
{
    folder.Write("Data/Levels/mission1.txt", kMission);
    const CPSourcePositions positions = LevelSources();
    ASSERT_TRUE(data.LoadMissionInfo("Mission1.txt", &positions));

    ASSERT_EQ(data.checkpoints.size(), 2u);
    const CPCheckpointInfo& first = data.checkpoints[0];
    EXPECT_EQ(first.value, 1.5f);
    EXPECT_EQ(first.values[0], 2);
    EXPECT_EQ(first.values[1], 3);
    EXPECT_EQ(first.values[2], 4);
    ExpectNames(first.enemies, {{"zombie", 0, 30}, {"ghoul", 30, 100}});
    EXPECT_EQ(first.bonusChance, 25);
    ExpectNames(first.bonuses, {{"repair", 0, 100}});
    const CPCheckpointInfo& second = data.checkpoints[1];
    EXPECT_EQ(second.value, 0.25f);
    EXPECT_EQ(second.values[0], -1);
    ExpectNames(second.enemies, {{"big rat", 0, 10}});
    EXPECT_EQ(second.bonusChance, 0);
    EXPECT_TRUE(second.bonuses.empty());

    ASSERT_EQ(data.enemySources.size(), 2u);
    const std::vector<CPSourceInfo>& north = data.enemySources.at("north");
    ASSERT_EQ(north.size(), 2u);
    EXPECT_EQ(north[0].position.x, 1.0f);
    EXPECT_EQ(north[0].position.z, 3.0f);
    EXPECT_EQ(north[0].flag, 1);
    EXPECT_EQ(north[0].value, 2.5f);
    ExpectNames(north[0].enemies, {{"ghoul", 0, 50}, {"bat", 50, 100}});
    EXPECT_EQ(north[1].position.x, -4.0f);
    EXPECT_EQ(north[1].flag, 0);
    const std::vector<CPSourceInfo>& three = data.enemySources.at("3");
    ASSERT_EQ(three.size(), 1u);
    EXPECT_EQ(three[0].flag, 1); // any token but "0"
    EXPECT_EQ(three[0].position.y, 9.0f);
}

TEST_F(GameDataFilesTest, MissionListWithoutSourcesGivesOnlyCheckpoints)
{
    folder.Write("Data/Levels/m.txt", "1 2 3 4 a,1 5 b,1\n2 2 3 4 a,1 5 b,1\n");
    data.enemySources["old"].push_back(CPSourceInfo());
    const CPSourcePositions positions = LevelSources();
    ASSERT_TRUE(data.LoadMissionInfo("m.txt", &positions));
    EXPECT_EQ(data.checkpoints.size(), 2u);
    EXPECT_TRUE(data.enemySources.empty());
}

TEST_F(GameDataFilesTest, SourcesTheLevelLacksStandAtTheOrigin)
{
    folder.Write("Data/Levels/m.txt", "sources\nnowhere g 1 0 a,1\n");
    const CPSourcePositions positions = LevelSources();
    ASSERT_TRUE(data.LoadMissionInfo("m.txt", &positions));
    const CPSourceInfo& source = data.enemySources.at("g").at(0);
    EXPECT_EQ(source.position.x, 0.0f);
    EXPECT_EQ(source.position.y, 0.0f);
    EXPECT_TRUE(log.Contains("no source \"nowhere\""));

    // Without a level at all every source stands at the origin.
    folder.Write("Data/Levels/m.txt", "sources\ngate g 1 0 a,1\n");
    ASSERT_TRUE(data.LoadMissionInfo("m.txt", nullptr));
    EXPECT_EQ(data.enemySources.at("g").at(0).position.x, 0.0f);
    EXPECT_TRUE(log.Contains("no level is loaded"));
}

TEST_F(GameDataFilesTest, AMissionListThatCannotBeReadKeepsTheSources)
{
    // An empty file is readable: it is a mission without checkpoints (below).
    const CPSourcePositions positions = LevelSources();
    folder.Write("Data/Levels/good.txt", kMission);
    ASSERT_TRUE(data.LoadMissionInfo("good.txt", &positions));
    EXPECT_FALSE(data.LoadMissionInfo("absent.txt", &positions));
    EXPECT_TRUE(data.checkpoints.empty());
    ASSERT_EQ(data.enemySources.size(), 2u);
    EXPECT_EQ(data.enemySources.at("north").size(), 2u);
    EXPECT_TRUE(log.Contains("cannot be read"));
}

TEST_F(GameDataFilesTest, AMalformedMissionLineIsDroppedAlone)
{
    struct Case {
        const char* what;
        const char* text;
        const char* logged;
        std::size_t checkpoints;
        std::size_t sources; // in group "north"
    };
    const Case cases[] = {
        {"checkpoint line cut short", "1 2 3 4 a,1 5 b,1\n1 2 3 4 a,1\n2 2 3 4 a,1 5 b,1\n",
         "line 2 \"1 2 3 4 a,1\": it has 5 of 7", 2, 0},
        {"source line cut short", "1 2 3 4 a,1 5 b,1\nsources\ngate north\npit north 0 0.5 bat,100\n",
         "line 3", 1, 1},
        {"negative weight", "1 2 3 4 a,-1 5 b,1\n1 2 3 4 a,1 5 b,1\nsources\npit north 0 0.5 bat,100\n",
         "negative", 1, 1},
    };
    const CPSourcePositions positions = LevelSources();
    for (const Case& c : cases) {
        folder.Write("Data/Levels/bad.txt", c.text);
        EXPECT_FALSE(data.LoadMissionInfo("bad.txt", &positions)) << c.what;
        EXPECT_EQ(data.checkpoints.size(), c.checkpoints) << c.what;
        const std::size_t sources =
            data.enemySources.count("north") ? data.enemySources.at("north").size() : 0;
        EXPECT_EQ(sources, c.sources) << c.what;
        EXPECT_TRUE(log.Contains(c.logged)) << c.what << "\n" << log.Text();
        EXPECT_TRUE(log.Contains("the line is dropped")) << c.what;
    }
    // The kept checkpoint is the whole line after the dropped one.
    folder.Write("Data/Levels/bad.txt", "1 2 3 4 a,1\n2.5 7 8 9 a,1 5 b,1\n");
    EXPECT_FALSE(data.LoadMissionInfo("bad.txt", &positions));
    ASSERT_EQ(data.checkpoints.size(), 1u);
    EXPECT_EQ(data.checkpoints[0].value, 2.5f);
    EXPECT_EQ(data.checkpoints[0].values[2], 9);
}

TEST_F(GameDataFilesTest, AnEmptyMissionListIsAMissionWithoutCheckpoints)
{
    const CPSourcePositions positions = LevelSources();
    folder.Write("Data/Levels/good.txt", kMission);
    ASSERT_TRUE(data.LoadMissionInfo("good.txt", &positions));
    folder.Write("Data/Levels/empty.txt", "");
    EXPECT_TRUE(data.LoadMissionInfo("empty.txt", &positions));
    EXPECT_TRUE(data.checkpoints.empty());
    EXPECT_TRUE(data.enemySources.empty());
}

// ---- player.dat

TEST_F(GameDataFilesTest, PlayerFileFillsAndCommitsTheStartingCar)
{
    folder.Write("DATA/player.dat",
                 "gun\nnone\nrocket\nspike\nplate\n// no bumper\nnone\nv8\nnuke\n2\nnitro\n"
                 "none\n");
    data.carSettings.weapon2 = "stale";
    ASSERT_TRUE(data.LoadPlayer());
    CPCarSettings expected;
    expected.weapon1 = "gun";
    expected.weapon3 = "rocket";
    expected.mine = "spike";
    expected.armour = "plate";
    expected.engine = "v8";
    expected.superWeapon = "nuke";
    expected.superWeaponCount = 2;
    expected.equipment1 = "nitro";
    EXPECT_EQ(data.carSettings, expected);
    EXPECT_EQ(data.committedCarSettings, expected);
}

TEST_F(GameDataFilesTest, APlayerFileThatCannotBeUsedGivesAnEmptyCar)
{
    struct Case {
        const char* what;
        const char* text; // null: no file
        const char* logged;
    };
    const Case cases[] = {
        {"missing", nullptr, "cannot be read"},
        {"ten lines", "a\nb\nc\nd\ne\nf\ng\nh\n1\ni\n", "has 10 of 11 lines"},
    };
    for (const Case& c : cases) {
        if (c.text)
            folder.Write("DATA/player.dat", c.text);
        data.carSettings.weapon1 = data.committedCarSettings.weapon1 = "stale";
        EXPECT_FALSE(data.LoadPlayer()) << c.what;
        EXPECT_EQ(data.carSettings, CPCarSettings()) << c.what;
        EXPECT_EQ(data.committedCarSettings, CPCarSettings()) << c.what;
        EXPECT_TRUE(log.Contains(c.logged)) << c.what;
    }
}

// ---- coeff.dat

void SetCoefficients(CPGameData& data, float value)
{
    data.firstCoefficient = data.bonusCoefficient = data.damageCoefficient = data.levelTimeCoefficient =
        value;
}

TEST_F(GameDataFilesTest, CoefficientLinesTwoAndThreeAreDamageThenBonus)
{
    folder.Write("DATA/coeff.dat", "0.5\n1.25\n2\n0.75\n9\n");
    for (int difficulty : {0, 1}) {
        // Only both switches together skip the file.
        GetGameSettings().difficulty = difficulty;
        data.difficult = difficulty == 0;
        SetCoefficients(data, 3.0f);
        ASSERT_TRUE(data.LoadDifficulty());
        EXPECT_EQ(data.firstCoefficient, 0.5f);
        EXPECT_EQ(data.damageCoefficient, 1.25f);
        EXPECT_EQ(data.bonusCoefficient, 2.0f);
        EXPECT_EQ(data.levelTimeCoefficient, 0.75f);
    }
}

TEST_F(GameDataFilesTest, TheDifficultSettingMakesEveryCoefficientOne)
{
    GetGameSettings().difficulty = 2;
    data.difficult = true;
    SetCoefficients(data, 3.0f);
    EXPECT_TRUE(data.LoadDifficulty()); // no file needed
    EXPECT_EQ(data.firstCoefficient, 1.0f);
    EXPECT_EQ(data.bonusCoefficient, 1.0f);
    EXPECT_EQ(data.damageCoefficient, 1.0f);
    EXPECT_EQ(data.levelTimeCoefficient, 1.0f);
}

TEST_F(GameDataFilesTest, ACoefficientFileThatCannotBeUsedChangesNothing)
{
    const char* texts[] = {nullptr, "0.5\n1.5\n2.5\n"};
    for (const char* text : texts) {
        if (text)
            folder.Write("DATA/coeff.dat", text);
        SetCoefficients(data, 3.0f);
        EXPECT_FALSE(data.LoadDifficulty());
        EXPECT_EQ(data.firstCoefficient, 3.0f);
        EXPECT_EQ(data.damageCoefficient, 3.0f);
        EXPECT_EQ(data.bonusCoefficient, 3.0f);
        EXPECT_EQ(data.levelTimeCoefficient, 3.0f);
    }
    EXPECT_TRUE(log.Contains("has 3 of 4 lines"));
}

// ---- scores.dat

CPTimeRecord Time(const std::string& name, int m, int s, int h)
{
    CPTimeRecord record;
    record.name = name;
    record.minutes = m;
    record.seconds = s;
    record.hundredths = h;
    return record;
}

TEST_F(GameDataFilesTest, ScoresAreWrittenScrambledTrackByTrack)
{
    data.bestTimes.resize(3);
    data.bestTimes[0] = {Time("ann", 1, 2, 3), Time("", 0, 59, 99)};
    for (int i = 0; i < 7; ++i)
        data.bestTimes[2].push_back(Time("r" + std::to_string(i), 2, i, 0));
    ASSERT_TRUE(data.SaveScores());

    // The bytes on disk are scrambled: a plain read does not show the name.
    CPFileReader plain("Data\\scores.dat", false);
    ASSERT_EQ(plain.Load(), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.GetData()) + 8, 3).find("ann"),
              std::string::npos);

    CPFileReader reader("Data\\scores.dat", true);
    ASSERT_EQ(reader.Load(), S_OK);
    std::vector<int> tracks;
    std::vector<std::string> names;
    while (reader.GetRemaining() > 0) {
        tracks.push_back(reader.ReadInt());
        names.push_back(reader.ReadString());
        reader.ReadInt();
        reader.ReadInt();
        reader.ReadInt();
    }
    EXPECT_FALSE(reader.HasReadError());
    EXPECT_EQ(tracks, (std::vector<int>{0, 0, 2, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(names[0], "ann");
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(names[8], "r6");
    // 9 records of 4 + 4 + name + 12 bytes, names 3 + 0 + 7 * 2 bytes.
    EXPECT_EQ(reader.GetDataSize(), 9u * 20u + 17u);
}

TEST_F(GameDataFilesTest, ScoresComeBackAsTheyWereSaved)
{
    data.bestTimes.resize(3);
    data.bestTimes[0] = {Time("ann", 1, 2, 3), Time("bob", 0, 59, 99)};
    data.bestTimes[2] = {Time("cy", 4, 5, 6)};
    ASSERT_TRUE(data.SaveScores());

    CPGameData loaded;
    ASSERT_TRUE(loaded.LoadScores());
    ASSERT_EQ(loaded.bestTimes.size(), 3u);
    ASSERT_EQ(loaded.bestTimes[0].size(), 2u);
    EXPECT_EQ(loaded.bestTimes[0][1].name, "bob");
    EXPECT_EQ(loaded.bestTimes[0][1].seconds, 59);
    EXPECT_EQ(loaded.bestTimes[0][1].hundredths, 99);
    EXPECT_TRUE(loaded.bestTimes[1].empty());
    ASSERT_EQ(loaded.bestTimes[2].size(), 1u);
    EXPECT_EQ(loaded.bestTimes[2][0].minutes, 4);

    // No best times at all save as an empty file, which loads as no times.
    CPGameData empty;
    ASSERT_TRUE(empty.SaveScores());
    EXPECT_TRUE(folder.Exists("Data/scores.dat"));
    ASSERT_TRUE(loaded.LoadScores());
    EXPECT_EQ(loaded.bestTimes.size(), 3u);
    EXPECT_TRUE(loaded.bestTimes[0].empty());
}

TEST_F(GameDataFilesTest, AScoresFileThatCannotBeUsedLeavesTheTablesAlone)
{
    struct Case {
        const char* what;
        int cut;   // bytes cut from the end of two good records
        int track; // track field of the second record
        const char* logged;
    };
    const Case cases[] = {
        {"ends inside a record", 5, 1, "ends inside record 2"},
        {"ends inside a name", 14, 1, "ends inside record 2"},
        {"negative track", 0, -1, "names track -1"},
        {"track beyond any table", 0, 5000, "names track 5000"},
    };
    for (const Case& c : cases) {
        CPFileWriter writer("Data\\scores.dat", true);
        for (int track : {0, c.track}) {
            writer.WriteInt(track);
            writer.WriteString("name");
            writer.WriteInt(1);
            writer.WriteInt(2);
            writer.WriteInt(3);
        }
        ASSERT_EQ(writer.Save(), S_OK);
        const std::string bytes = folder.Read("Data/scores.dat");
        folder.Write("Data/scores.dat", bytes.substr(0, bytes.size() - static_cast<std::size_t>(c.cut)));

        data.bestTimes = {{Time("kept", 9, 9, 9)}};
        EXPECT_FALSE(data.LoadScores()) << c.what;
        ASSERT_EQ(data.bestTimes.size(), 1u) << c.what;
        EXPECT_EQ(data.bestTimes[0][0].name, "kept") << c.what;
        EXPECT_TRUE(log.Contains(c.logged)) << c.what;
    }
    EXPECT_FALSE(CPGameData().LoadScores()); // only when there is a file at all
}

TEST_F(GameDataFilesTest, AScoresFileThatCannotBeWrittenIsLeftAsItWas)
{
    // A folder in the file's place cannot be replaced by a file.
    folder.Write("Data/scores.dat/keep.txt", "old bytes");
    data.bestTimes = {{Time("ann", 1, 2, 3)}};
    EXPECT_FALSE(data.SaveScores());
    EXPECT_EQ(folder.Read("Data/scores.dat/keep.txt"), "old bytes");
    EXPECT_TRUE(log.Contains("scores.dat"));
}

} // namespace

// ---- texts.txt

namespace {

TEST_F(GameDataFilesTest, TextsFillTheTableByKeyAndSkipOnlyLinesWithoutAKey)
{
    data.texts["kept"] = "from before";
    data.texts["menu_exit"] = "old";
    folder.Write("Data/texts.txt", "// screen texts\n"
                                   "\n"
                                   "menu_start = Start race\n"
                                   "  menu_exit=Exit  \n"
                                   "no value here\n"
                                   " = nameless\n"
                                   "sum = 1 = 1\n"
                                   "empty =\n");
    EXPECT_FALSE(data.LoadTexts(CPGameData::kTextFile));
    EXPECT_EQ(data.GetText("menu_start"), "Start race");
    EXPECT_EQ(data.GetText("menu_exit"), "Exit");
    EXPECT_EQ(data.GetText("sum"), "1 = 1");
    EXPECT_EQ(data.GetText("empty"), "");
    EXPECT_EQ(data.GetText("kept"), "from before");
    EXPECT_TRUE(log.Contains("line 5 is not \"key = value\""));
    EXPECT_TRUE(log.Contains("line 6 is not \"key = value\""));

    folder.Write("Data/texts.txt", "menu_start = Go\n");
    EXPECT_TRUE(data.LoadTexts(CPGameData::kTextFile));
    EXPECT_EQ(data.GetText("menu_start"), "Go");
}

TEST_F(GameDataFilesTest, ATextFileThatCannotBeReadLeavesTheTable)
{
    data.texts["menu_start"] = "Start";
    EXPECT_FALSE(data.LoadTexts(CPGameData::kTextFile));
    EXPECT_EQ(data.GetText("menu_start"), "Start");
    EXPECT_TRUE(log.Contains("cannot be read: the screens' texts stay empty"));
}

} // namespace

// ---- shop.txt

namespace {

TEST_F(GameDataFilesTest, TheShopFileFillsEveryTableInItsOrderAndSkipsBadLines)
{
    folder.Write("Data/shop.txt",
                 "// kind key fields of the record\n"
                 "weapon mgun mgun_name 500 1 0.5 2 8.0 0.25 100 10.0 1.5 mgun_text 1\n"
                 "weapon rlauncher rl_name 2000 1 0 0 45 0 4 1.5 0 rl_text 2\n"
                 "mine mine1 mine_name 300 5 1.0 2.0 3 4.0 5.0 6.0 mine_text 1\n"
                 "super super1 super_name 800 super_text 1\n"
                 "bumper bump1 bump_name 150 0.5 bump_text 1\n"
                 "equipment nitro1 nitro_name 250 1.0 nitro_text 2\n"
                 "armour arm1 arm_name 400 0.75 arm_text 1\n"
                 "engine eng1 eng_name 900 1 2 3 4 5 eng_text 3\n"
                 "weapon short mgun_name 500 1\n"            // line 10: too few fields
                 "weapon gun2 n 5x 1 0 0 1 0 1 1 0 d 1\n"    // line 11: a price that is no number
                 "rocket r1 n 1 d 1\n"                       // line 12: no such kind
                 "weapon long n 1 1 0 0 1 0 1 1 0 d 1 9\n"); // line 13: one field too many
    EXPECT_FALSE(data.LoadShop(CPGameData::kShopFile));

    ASSERT_EQ(data.weapons.GetCount(), 2u);
    EXPECT_EQ(data.weapons.GetKey(0), "mgun");
    EXPECT_EQ(data.weapons.GetKey(1), "rlauncher");
    const CPWeaponInfo* gun = data.weapons.Find("mgun");
    ASSERT_NE(gun, nullptr);
    EXPECT_EQ(gun->nameKey, "mgun_name");
    EXPECT_EQ(gun->price, 500);
    EXPECT_EQ(gun->value1, 1);
    EXPECT_EQ(gun->groupA1, 0.5f);
    EXPECT_EQ(gun->groupA2, 2);
    EXPECT_EQ(gun->groupA3, 8.0f);
    EXPECT_EQ(gun->groupB1, 0.25f);
    EXPECT_EQ(gun->groupB2, 100);
    EXPECT_EQ(gun->groupB3, 10.0f);
    EXPECT_EQ(gun->value2, 1.5f);
    EXPECT_EQ(gun->descriptionKey, "mgun_text");
    EXPECT_EQ(gun->firstMission, 1);

    ASSERT_NE(data.mines.Find("mine1"), nullptr);
    EXPECT_EQ(data.mines.Find("mine1")->value4, 3);
    EXPECT_EQ(data.mines.Find("mine1")->value7, 6.0f);
    ASSERT_NE(data.superWeapons.Find("super1"), nullptr);
    EXPECT_EQ(data.superWeapons.Find("super1")->price, 800);
    ASSERT_NE(data.bumpers.Find("bump1"), nullptr);
    EXPECT_EQ(data.bumpers.Find("bump1")->value, 0.5f);
    ASSERT_NE(data.equipment.Find("nitro1"), nullptr);
    EXPECT_EQ(data.equipment.Find("nitro1")->firstMission, 2);
    ASSERT_NE(data.armour.Find("arm1"), nullptr);
    ASSERT_NE(data.engines.Find("eng1"), nullptr);
    EXPECT_EQ(data.engines.Find("eng1")->values[4], 5.0f);
    EXPECT_EQ(data.engines.Find("eng1")->descriptionKey, "eng_text");

    for (const char* line : {"line 10 ", "line 11 ", "line 12 ", "line 13 "})
        EXPECT_TRUE(log.Contains(std::string(line) + "is not an item of the shop")) << line;
    EXPECT_EQ(data.weapons.Find("gun2"), nullptr);
}

TEST_F(GameDataFilesTest, AShopFileThatCannotBeReadLeavesTheShopEmpty)
{
    EXPECT_FALSE(data.LoadShop(CPGameData::kShopFile));
    EXPECT_EQ(data.weapons.GetCount(), 0u);
    EXPECT_TRUE(log.Contains("cannot be read: the shop offers nothing"));
}

} // namespace
