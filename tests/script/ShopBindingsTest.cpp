#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "core/ScriptObject.h"
#include "game/GameData.h"
#include "core/ServiceOverride.h"

namespace {

struct RunningScript : CPScriptObject {
    RunningScript() { Begin(); }
};

CPWeaponInfo Weapon(const std::string& key, std::int32_t price, std::int32_t mission)
{
    CPWeaponInfo w;
    w.nameKey = key + "_name";
    w.price = price;
    w.firstMission = mission;
    return w;
}

CPPartInfo Part(std::int32_t price, std::int32_t mission)
{
    CPPartInfo p;
    p.nameKey = "part_name";
    p.price = price;
    p.value = 0.5f;
    p.descriptionKey = "part_desc";
    p.firstMission = mission;
    return p;
}

CPCarSettings FittedWeapons(const char* first, const char* second, const char* third)
{
    CPCarSettings settings;
    settings.weapon1 = first;
    settings.weapon2 = second;
    settings.weapon3 = third;
    return settings;
}

class ShopBindingsTest : public ScriptTest {
  protected:
    ShopBindingsTest()
    {
        data.weapons.Add("mgun", Weapon("mgun", 100, 1));
        data.weapons.Add("gauss", Weapon("gauss", 300, 2));
        data.weapons.Add("laser", Weapon("laser", 500, 15));
        data.weapons.Add("plazma", Weapon("plazma", 900, 16));
        data.weapons.Add("rocket", Weapon("rocket", 200, 1));
        data.bumpers.Add("spike", Part(50, 1));
        data.bumpers.Add("ram", Part(80, 3));
        CPSuperWeaponInfo bomb;
        bomb.price = 100;
        bomb.firstMission = 1;
        data.superWeapons.Add("bomb", bomb);
        data.engines.Add("v8", CPEngineInfo{});
        data.texts["mgun_name"] = "Machine gun";
    }

    // Runs `call` and gives "count: a,b,c" of its two results.
    std::string Names(const std::string& call)
    {
        EXPECT_TRUE(Run("n, t = " + call + "; s = tostring(n) .. ':' .. table.concat(t, ',')")) << log.Text();
        return GlobalString("s");
    }

    CPGameData& data = engine.services->GameData();
};

} // namespace

TEST_F(ShopBindingsTest, ListsHoldWhatIsOnOfferAndNotFittedInStoredOrder)
{
    struct Case {
        const char* what;
        std::int32_t mission;
        bool difficult;
        CPCarSettings fitted;
        const char* expected;
    } cases[] = {
        {"mission 1", 1, false, {}, "2:mgun,rocket"},
        {"mission 2", 2, false, {}, "3:mgun,gauss,rocket"},
        {"difficult in mission 1: up to 15", 1, true, {}, "4:mgun,gauss,laser,rocket"},
        {"difficult in mission 20: still up to 15", 20, true, {}, "4:mgun,gauss,laser,rocket"},
        {"mission 16 without the flag", 16, false, {}, "5:mgun,gauss,laser,plazma,rocket"},
        {"two weapons fitted, third slot empty", 2, false, FittedWeapons("rocket", "", "mgun"), "1:gauss"},
    };
    for (const Case& c : cases) {
        data.currentMission = c.mission;
        data.difficult = c.difficult;
        data.carSettings = c.fitted;
        EXPECT_EQ(Names("GetWeaponNames()"), c.expected) << c.what;
    }
    data.difficult = false;
    data.currentMission = 3;
    data.carSettings.bumper = "ram";
    EXPECT_EQ(Names("GetBumperNames()"), "1:spike");
}

TEST_F(ShopBindingsTest, SuperWeaponsAreOffByNameOnlyWhileFewerThanThreeAreCarried)
{
    struct Case {
        std::int32_t count;
        const char* expected;
    } cases[] = {{0, "1:bomb"}, {2, "1:bomb"}, {3, "0:"}, {7, "0:"}};
    for (const Case& c : cases) {
        data.carSettings.superWeapon = "bomb";
        data.carSettings.superWeaponCount = c.count;
        EXPECT_EQ(Names("GetSuperWeaponNames()"), c.expected) << c.count;
    }
}

TEST_F(ShopBindingsTest, ListsIgnoreArgumentsAndGiveTheTableSecond)
{
    EXPECT_EQ(Names("GetWeaponNames(1, 2, 3)"), "2:mgun,rocket");
}

TEST_F(ShopBindingsTest, ItemInfoPushesDisplayTextsAndFieldsInRecordOrder)
{
    CPWeaponInfo w = Weapon("mgun", 100, 4);
    w.value1 = 7;
    w.groupA1 = 1.5f;
    w.groupA2 = 2;
    w.groupA3 = 2.5f;
    w.groupB1 = 3.5f;
    w.groupB2 = 4;
    w.groupB3 = 4.5f;
    w.value2 = 5.5f;
    w.descriptionKey = "mgun_desc"; // no text: ""
    data.weapons.Add("mgun", w);
    ASSERT_TRUE(Run("s = table.concat({GetWeaponInfo('mgun')}, '|')")) << log.Text();
    EXPECT_EQ(GlobalString("s"), "Machine gun|100|7|1.5|2|2.5|3.5|4|4.5|5.5||4");
    ASSERT_TRUE(Run("s = table.concat({GetBumperInfo('spike')}, '|'); n = select('#', GetEngineInfo('v8'))"));
    EXPECT_EQ(GlobalString("s"), "|50|0.5||1");
    EXPECT_EQ(GlobalNumber("n"), 9.0);
}

TEST_F(ShopBindingsTest, AnUnknownItemGivesNoResultsAndALogLine)
{
    ASSERT_TRUE(Run("n = select('#', GetWeaponInfo('nothing')) + select('#', GetArmorInfo())"));
    EXPECT_EQ(GlobalNumber("n"), 0.0);
    EXPECT_TRUE(log.Contains("GetWeaponInfo: no item named \"nothing\"")) << log.Text();
    ASSERT_TRUE(Run("a = IsValidGameDataName('spike'); b = IsValidGameDataName('nothing')"));
    lua_getglobal(L, "a");
    lua_getglobal(L, "b");
    EXPECT_TRUE(lua_toboolean(L, -2));
    EXPECT_FALSE(lua_toboolean(L, -1));
    lua_pop(L, 2);
}

TEST_F(ShopBindingsTest, SetMoneyStoresAndTellsTheGameMenu)
{
    RunningScript menu;
    registry.Register("gamemenu", "", &menu);
    ASSERT_TRUE(Run("SetMoney(12.5); m = GetMoney()"));
    EXPECT_EQ(GlobalNumber("m"), 12.5);
    ASSERT_TRUE(menu.SetNextCommand());
    EXPECT_EQ(menu.GetCurrentCommandName(), "change_money");
    ASSERT_NE(menu.GetCurrentParams(), nullptr);
    EXPECT_EQ(*menu.GetCurrentParams(), std::vector<std::string>{"12.50"});
    registry.Unregister(&menu);
}

TEST_F(ShopBindingsTest, CarInfoRoundTripsAndCommitCopiesIt)
{
    ASSERT_TRUE(Run("SetCarInfo('w1', 'w2', '', 'e1', 'e2', 'b', 'en', 'ar', 'sw', 2.7, 'mi');"
                    "s = table.concat({GetCarInfo()}, '|')"));
    EXPECT_EQ(GlobalString("s"), "w1|w2||e1|e2|b|en|ar|sw|2|mi");
    EXPECT_NE(data.committedCarSettings, data.carSettings);
    ASSERT_TRUE(Run("CommitCarSettings()"));
    EXPECT_EQ(data.committedCarSettings, data.carSettings);
}

TEST_F(ShopBindingsTest, AutoSettingFitsTheBestAffordablePresetOfTheMission)
{
    // Preset i carries weapon number i; prices 0, 100, 200, 300, 500, 900, 50.
    const std::vector<std::int32_t> prices = {0, 100, 200, 300, 500, 900, 50};
    for (std::size_t i = 0; i < prices.size(); ++i) {
        const std::string key = "p" + std::to_string(i);
        data.weapons.Add(key, Weapon(key, prices[i], 1));
        CPCarSettings preset;
        preset.weapon1 = key;
        data.presets.push_back(preset);
    }
    struct Case {
        const char* what;
        std::int32_t mission;
        float money;
        std::string fitted;
        const char* expectedWeapon;
        float expectedMoney;
    } cases[] = {
        {"mission 2, no money: only the free preset", 2, 0.0f, "", "p0", 0.0f},
        {"mission 2 stops at preset 5; 4 fits", 2, 600.0f, "", "p4", 100.0f},
        {"what is fitted counts as money", 2, 350.0f, "gauss", "p4", 150.0f},
        {"mission 1 tries 2, 1, 0", 1, 250.0f, "", "p2", 50.0f},
        {"mission 9 starts at the last preset", 9, 60.0f, "", "p6", 10.0f},
    };
    RunningScript menu;
    registry.Register("gamemenu", "", &menu);
    for (const Case& c : cases) {
        data.currentMission = c.mission;
        data.money = c.money;
        data.carSettings = CPCarSettings{};
        data.carSettings.weapon1 = c.fitted;
        ASSERT_TRUE(Run("AutoSetting()"));
        EXPECT_EQ(data.carSettings.weapon1, c.expectedWeapon) << c.what;
        EXPECT_EQ(data.money, c.expectedMoney) << c.what;
        ASSERT_TRUE(menu.SetNextCommand()) << c.what;
        EXPECT_EQ(menu.GetCurrentCommandName(), "change_money");
    }
    // Nothing affordable: nothing changes and nothing is sent.
    data.presets.erase(data.presets.begin());
    data.currentMission = 2;
    data.money = 10.0f;
    data.carSettings = CPCarSettings{};
    ASSERT_TRUE(Run("AutoSetting()"));
    EXPECT_EQ(data.carSettings, CPCarSettings{});
    EXPECT_EQ(data.money, 10.0f);
    EXPECT_FALSE(menu.SetNextCommand());
    registry.Unregister(&menu);
}

TEST_F(ShopBindingsTest, ActiveCarMapsThePlayerNameToItsModel)
{
    const char* cases[][2] = {
        {"audi_tt", "audi_tt"},         {"bmw", "bmw_i745"}, {"gaz_3110_main", "gaz_z110"},
        {"volswagen_toureg", "volk_t"}, {"uaz", "uaz_469"},  {"zil_130_", "zil_130"},
        {"zil_130", "zil_130"},         {"truck", "truck"},
    };
    for (const auto& c : cases) {
        data.playerName = c[0];
        ASSERT_TRUE(Run("s = GetActiveCar()"));
        EXPECT_EQ(GlobalString("s"), c[1]) << c[0];
    }
}

TEST_F(ShopBindingsTest, MissionAndRaceAreOneNumber)
{
    ASSERT_TRUE(
        Run("SetCurrentMission(4.9); a = GetCurrentRace(); SetCurrentRace(2); b = GetCurrentMission()"));
    EXPECT_EQ(GlobalNumber("a"), 4.0);
    EXPECT_EQ(GlobalNumber("b"), 2.0);
    EXPECT_EQ(data.currentMission, 2);
}

TEST_F(ShopBindingsTest, WithoutGameDataTheFunctionsGiveNeutralResults)
{
    ServiceOverride<GetGameData, SetGameData> noGameData(nullptr);
    ASSERT_TRUE(
        Run("n, t = GetWeaponNames(); m = GetMoney(); SetMoney(5); AutoSetting(); SetCarInfo();"
            "c = select('#', GetCarInfo()); i = select('#', GetMineInfo('x')); car = GetActiveCar()"));
    EXPECT_EQ(GlobalNumber("n"), 0.0);
    EXPECT_EQ(GlobalNumber("m"), 0.0);
    EXPECT_EQ(GlobalNumber("c"), 11.0);
    EXPECT_EQ(GlobalNumber("i"), 0.0);
    EXPECT_EQ(GlobalString("car"), "");
}
