#include "game/GameData.h"

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

namespace {

class CountedObject : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "CountedObject - "; }
};

CPTimeRecord Time(const std::string& name, int m, int s, int h)
{
    CPTimeRecord record;
    record.name = name;
    record.minutes = m;
    record.seconds = s;
    record.hundredths = h;
    return record;
}

std::vector<std::string> Names(const std::vector<CPTimeRecord>& table)
{
    std::vector<std::string> names;
    for (const CPTimeRecord& record : table)
        names.push_back(record.name);
    return names;
}

template <class Item> Item Priced(std::int32_t price)
{
    Item item;
    item.price = price;
    return item;
}

class GameDataTest : public ::testing::Test {
  protected:
    void FillShop()
    {
        data.weapons.Add("gun", Priced<CPWeaponInfo>(10));
        data.weapons.Add("rocket", Priced<CPWeaponInfo>(20));
        data.equipment.Add("nitro", Priced<CPPartInfo>(40));
        data.equipment.Add("radar", Priced<CPPartInfo>(80));
        data.armour.Add("plate", Priced<CPPartInfo>(160));
        data.bumpers.Add("ram", Priced<CPPartInfo>(320));
        data.engines.Add("v8", Priced<CPEngineInfo>(640));
        data.mines.Add("spike", Priced<CPMineInfo>(1280));
        data.superWeapons.Add("nuke", Priced<CPSuperWeaponInfo>(100));
        data.superWeapons.Add("sun", Priced<CPSuperWeaponInfo>(2000000000));
    }

    // A full table of seven: 1:00.00 to 1:06.00, entered out of order.
    void FillTrack(std::int32_t track)
    {
        for (int s : {3, 0, 6, 1, 5, 2, 4})
            ASSERT_TRUE(data.InsertRecord(track, Time("t" + std::to_string(s), 1, s, 0)));
    }

    CPGameData data;
    LogCapture log;
};

TEST_F(GameDataTest, PriceOfAConfigurationSumsTheFittedItems)
{
    FillShop();
    struct Case {
        const char* what;
        CPCarSettings settings;
        double expected;
    };
    CPCarSettings full;
    full.weapon1 = "gun";
    full.weapon2 = "rocket";
    full.weapon3 = "gun";
    full.equipment1 = "nitro";
    full.equipment2 = "radar";
    full.armour = "plate";
    full.bumper = "ram";
    full.engine = "v8";
    full.mine = "spike";
    CPCarSettings super;
    super.superWeapon = "nuke";
    super.superWeaponCount = 3;
    CPCarSettings unknown;
    unknown.weapon1 = "laser";
    unknown.engine = "gun"; // a weapon's name in the engine slot
    unknown.superWeapon = "none";
    unknown.superWeaponCount = 5;
    CPCarSettings huge;
    huge.superWeapon = "sun";
    huge.superWeaponCount = 3;
    CPCarSettings countOnly;
    countOnly.superWeaponCount = 7;
    const Case cases[] = {
        {"nothing fitted", CPCarSettings(), 0.0},
        {"every slot", full, 10 + 20 + 10 + 40 + 80 + 160 + 320 + 640 + 1280},
        {"super weapon times its count", super, 300.0},
        {"names the tables lack", unknown, 0.0},
        {"a super-weapon cost beyond 32 bits stops at its end", huge, 2147483647.0},
        {"a count without a super weapon", countOnly, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(data.GetCarSettingsPrice(c.settings), c.expected) << c.what;
}

TEST_F(GameDataTest, CommittingCopiesTheWorkingConfiguration)
{
    CPCarSettings settings;
    settings.weapon1 = "gun";
    settings.superWeaponCount = 2;
    data.SetCarSettings(settings);
    EXPECT_EQ(data.committedCarSettings, CPCarSettings());
    data.CommitCarSettings();
    EXPECT_EQ(data.committedCarSettings, settings);
    data.carSettings.weapon1 = "rocket";
    EXPECT_EQ(data.committedCarSettings.weapon1, "gun");
}

TEST_F(GameDataTest, TimesEnterATableBelowSevenInArrivalOrder)
{
    for (int s : {30, 10, 20, 50, 40, 60})
        EXPECT_TRUE(data.InsertRecord(2, Time("s" + std::to_string(s), 0, s, 0)));
    EXPECT_TRUE(data.InsertRecord(2, Time("slow", 9, 0, 0)));
    ASSERT_EQ(data.bestTimes.size(), 2u);
    EXPECT_TRUE(data.bestTimes[0].empty());
    EXPECT_EQ(Names(data.bestTimes[1]),
              (std::vector<std::string>{"s30", "s10", "s20", "s50", "s40", "s60", "slow"}));
}

TEST_F(GameDataTest, AFullTableIsSortedAndKeepsItsSevenBest)
{
    struct Case {
        const char* what;
        CPTimeRecord record;
        bool entered;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> sorted = {"t0", "t1", "t2", "t3", "t4", "t5", "t6"};
    const Case cases[] = {
        {"best of all", Time("new", 0, 59, 99), true, {"new", "t0", "t1", "t2", "t3", "t4", "t5"}},
        {"between", Time("new", 1, 2, 50), true, {"t0", "t1", "t2", "new", "t3", "t4", "t5"}},
        {"equal to a middle one goes after it",
         Time("new", 1, 3, 0),
         true,
         {"t0", "t1", "t2", "t3", "new", "t4", "t5"}},
        {"one hundredth better than the worst",
         Time("new", 1, 5, 99),
         true,
         {"t0", "t1", "t2", "t3", "t4", "t5", "new"}},
        {"equal to the worst", Time("new", 1, 6, 0), false, sorted},
        {"worse than all", Time("new", 2, 0, 0), false, sorted},
    };
    for (const Case& c : cases) {
        data.bestTimes.clear();
        FillTrack(1);
        EXPECT_EQ(data.InsertRecord(1, c.record), c.entered) << c.what;
        EXPECT_EQ(Names(data.bestTimes[0]), c.expected) << c.what;
    }
}

TEST_F(GameDataTest, TrackNumbersOutsideTheTablesAreRefusedOrGrowThem)
{
    EXPECT_FALSE(data.InsertRecord(0, Time("a", 1, 0, 0)));
    EXPECT_FALSE(data.InsertRecord(-3, Time("a", 1, 0, 0)));
    EXPECT_FALSE(data.InsertRecord(CPGameData::kMaxTrack + 1, Time("a", 1, 0, 0)));
    EXPECT_TRUE(data.bestTimes.empty());
    EXPECT_TRUE(log.Contains("no track 0"));

    EXPECT_TRUE(data.InsertRecord(4, Time("a", 1, 0, 0)));
    ASSERT_EQ(data.bestTimes.size(), 4u);
    EXPECT_EQ(data.bestTimes[3].size(), 1u);
}

TEST_F(GameDataTest, AnOverfullTableFromAFileIsCutToItsSevenBest)
{
    data.bestTimes.resize(1);
    for (int s = 9; s >= 0; --s)
        data.bestTimes[0].push_back(Time("t" + std::to_string(s), 1, s, 0));
    // Better than the 8th best but not the 7th: it must not enter.
    EXPECT_FALSE(data.InsertRecord(1, Time("new", 1, 6, 50)));
    EXPECT_EQ(Names(data.bestTimes[0]), (std::vector<std::string>{"t0", "t1", "t2", "t3", "t4", "t5", "t6"}));
}

TEST_F(GameDataTest, ClearGameDataResetsTheRaceAndLetsGoOfTheBonuses)
{
    CountedObject first;
    CountedObject second;
    data.bonuses.push_back(CPObjectPtr(&first));
    data.bonuses.push_back(CPObjectPtr(&second));
    data.bonuses.push_back(CPObjectPtr());
    data.currentRound = 4;
    data.roundTimes = {1.0f, 2.0f};
    data.trackProgress = 77;
    data.clearedWord1 = data.clearedWord2 = 9;
    data.opponentPositions["0"] = Vector2{1.0f, 2.0f};
    data.GetLapRecord("1").lapNumber = 3;
    data.money = 55.0f;

    data.ClearGameData();

    EXPECT_EQ(data.currentRound, 1);
    EXPECT_EQ(data.roundTimes, std::vector<float>(20, 0.0f));
    EXPECT_EQ(data.trackProgress, -1);
    EXPECT_EQ(data.clearedWord1, 0u);
    EXPECT_EQ(data.clearedWord2, 0u);
    EXPECT_TRUE(data.opponentPositions.empty());
    EXPECT_TRUE(data.lapRecords.empty());
    EXPECT_TRUE(data.bonuses.empty());
    EXPECT_EQ(first.GetUseCount(), 0u);
    EXPECT_EQ(second.GetUseCount(), 0u);
    EXPECT_EQ(data.money, 55.0f); // the profile is not race state
}

// The opponents' entries are written as an assignment by key would write
// them, across two races: the entries of the counted opponents are the
// nodes made with the game data, given back by ClearGameData; a key beyond
// them is made as before.
TEST_F(GameDataTest, OpponentPositionsAreWrittenAsByKeyFromTheRoomMadeWithTheGameData)
{
    const std::pair<const char*, Vector2> writes[] = {
        {"3", {1.0f, 2.0f}}, {"0", {3.0f, 4.0f}},  {"3", {5.0f, 6.0f}},
        {"7", {7.0f, 8.0f}}, {"4", {-1.0f, 0.5f}},
    };
    for (int race = 0; race < 2; ++race) {
        SCOPED_TRACE(race);
        std::vector<const Vector2*> room;
        for (const char* key : {"0", "3", "4"})
            room.push_back(&data.opponentPositionRoom.at(key));
        std::map<std::string, Vector2> expected;
        for (const auto& [key, position] : writes) {
            expected[key] = position;
            data.SetOpponentPosition(key, position);
        }
        ASSERT_EQ(data.opponentPositions.size(), expected.size());
        for (const auto& [key, position] : expected) {
            SCOPED_TRACE(key);
            EXPECT_EQ(data.opponentPositions.at(key).x, position.x);
            EXPECT_EQ(data.opponentPositions.at(key).y, position.y);
        }
        EXPECT_EQ(&data.opponentPositions.at("0"), room[0]);
        EXPECT_EQ(&data.opponentPositions.at("3"), room[1]);
        EXPECT_EQ(&data.opponentPositions.at("4"), room[2]);
        EXPECT_EQ(data.opponentPositionRoom.count("0") + data.opponentPositionRoom.count("3"), 0u);
        data.ClearGameData();
        EXPECT_TRUE(data.opponentPositions.empty());
    }
}

TEST_F(GameDataTest, LapRecordsStartFreshAndCountDownOnlyWithinTheirLaps)
{
    CPLapRecord& record = data.GetLapRecord("2");
    EXPECT_EQ(record.lapNumber, 1);
    EXPECT_EQ(record.countdowns, std::vector<float>(20, 0.0f));
    EXPECT_EQ(record.trackProgress, -1);

    for (float& countdown : record.countdowns)
        countdown = 90.0f;
    record.CountDown(0.5f);
    EXPECT_EQ(record.countdowns[1], 89.5f);
    EXPECT_EQ(record.countdowns[0], 90.0f);
    for (std::int32_t lap : {20, 35, -1}) {
        record.lapNumber = lap;
        record.CountDown(0.5f);
    }
    EXPECT_EQ(record.countdowns, [] {
        std::vector<float> expected(20, 90.0f);
        expected[1] = 89.5f;
        return expected;
    }());
    EXPECT_EQ(&data.GetLapRecord("2"), &record);
}

TEST_F(GameDataTest, MissingTextKeysGiveEmptyTextsAndAreAdded)
{
    data.texts["title1"] = "Night run";
    EXPECT_EQ(data.GetText("title1"), "Night run");
    EXPECT_EQ(data.GetText("title2"), "");
    EXPECT_EQ(data.texts.count("title2"), 1u);
}

TEST_F(GameDataTest, ANewProfileNameResetsTheProfile)
{
    data.SetProfile("ann");
    data.saveSlot = 3;
    data.currentMission = 5;
    data.points = 40;
    data.progress[2].bestTime = 71.5f;
    data.progress[2].state = 1;
    data.progress[2].name = "ann";
    data.progress[2].samples.resize(3);

    data.SetProfile("ann");
    EXPECT_EQ(data.currentMission, 5);
    EXPECT_EQ(data.saveSlot, 3);

    data.SetProfile("bob");
    EXPECT_EQ(data.profileName, "bob");
    EXPECT_EQ(data.saveSlot, -1);
    EXPECT_EQ(data.currentMission, 1);
    EXPECT_EQ(data.points, 0);
    EXPECT_EQ(data.progress[2].bestTime, 0.0f);
    EXPECT_EQ(data.progress[2].state, 4);
    EXPECT_EQ(data.progress[2].name, "");
    EXPECT_EQ(data.progress[2].samples.size(), 3u); // the recorded run stays
}

TEST_F(GameDataTest, SmallSetters)
{
    data.SetRoundTime(42.5f);
    EXPECT_EQ(data.GetRoundTime(), 42.5f);
    EXPECT_EQ(data.roundTimeCopy, 42.5f);
    data.SetPlayerType(false);
    EXPECT_EQ(data.playerType, 9);
    data.SetPlayerType(true);
    EXPECT_EQ(data.playerType, 10);
    data.levelTimer = 12.0f;
    data.ClearLevelTimers();
    EXPECT_EQ(data.levelTimer, 0.0f);
}

TEST(ShopTableTest, KeepsTheStoredOrderAndReplacesARepeatedKey)
{
    CPShopTable<CPPartInfo> table;
    table.Add("b", Priced<CPPartInfo>(1));
    table.Add("a", Priced<CPPartInfo>(2));
    table.Add("b", Priced<CPPartInfo>(3));
    ASSERT_EQ(table.GetCount(), 2u);
    EXPECT_EQ(table.GetKey(0), "b");
    EXPECT_EQ(table.GetItem(0).price, 3);
    EXPECT_EQ(table.GetKey(1), "a");
    ASSERT_NE(table.Find("a"), nullptr);
    EXPECT_EQ(table.Find("a")->price, 2);
    EXPECT_EQ(table.Find("c"), nullptr);
}

} // namespace
