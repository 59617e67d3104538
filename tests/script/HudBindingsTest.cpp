#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "Render/PerspectiveCamera.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/Player.h"
#include "interface/Interface.h"
#include "interface/InterfaceTestWorld.h"
#include "interface/TextItem.h"
#include "interface/Window.h"
#include "platform/Math.h"

namespace {

const char* const kWindowNames[] = {
    "krest",    "steel",     "steelfibre",   "titan",         "energy",       "engine1",
    "engine2",  "engine3",   "analyzer",     "repair",        "laser",        "bullets",
    "firerate", "damage",    "regeneration", "analyzer2",     "repair2",      "laser2",
    "bullets2", "firerate2", "damage2",      "regeneration2", "noequipment1", "noequipment2",
};

const char* const kWeaponNames[] = {
    "lgun",  "lgun2x",    "gauss",       "shotgun", "mgun",        "mgun2x",
    "hmgun", "rlauncher", "ssrlauncher", "plasma",  "firethrower", "autoshotgun",
};

// Every weapon window, on and off, and the slot and super-weapon windows.
std::vector<std::string> ArmsWindowNames()
{
    std::vector<std::string> names;
    for (const char* weapon : kWeaponNames) {
        names.push_back(weapon);
        names.push_back(std::string(weapon) + "_off");
    }
    for (const char* name :
         {"contact", "emcontact", "timer", "nocontact", "emnocontact", "cassette", "slot1", "slot2", "slot3",
          "nosuper1", "nosuper2", "nosuper3", "super1", "super2", "super3"})
        names.push_back(name);
    return names;
}

std::string HudScreen()
{
    std::string text = "menu\nhud.tga,256,256\nlight,off\n";
    std::vector<std::string> names(std::begin(kWindowNames), std::end(kWindowNames));
    for (int i = 1; i <= 12; ++i)
        names.push_back("overheat" + std::to_string(i));
    for (int i = 1; i <= 17; ++i)
        names.push_back("bullet" + std::to_string(i));
    for (const std::string& name : ArmsWindowNames())
        if (name.compare(0, 4, "slot") != 0)
            names.push_back(name);
    names.push_back("mines");
    names.push_back("spike");
    for (const std::string& name : names)
        text += "window\n" + name + " 0,0,8,8,0,0,8,8\n";
    // The places the weapons and the mine are shown at.
    text += "window\nslot1 100,700,8,8,0,0,8,8\n";
    text += "window\nslot2 200,700,8,8,0,0,8,8\n";
    text += "window\nslot3 300,700,8,8,0,0,8,8\n";
    text += "window\nno_mina 400,720,8,8,0,0,8,8\n";
    text += "window\ncursor 0,0,8,8,0,0,8,8\n";
    for (const char* name : {"score", "time", "kills", "life", "mines"})
        text += std::string("text\n") + name + " small,10,10,none\n";
    return text;
}

class HudBindingsTest : public ScriptTest {
  protected:
    HudBindingsTest()
    {
        world.AddPlainFont("small");
        world.WriteScreen("hud", HudScreen());
        EXPECT_TRUE(Run("screen = CreateInterface('hud', 0)")) << log.Text();
        screen = static_cast<CPInterface*>(static_cast<CPObject*>(GlobalPointer("screen")));
        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        player = new CPPlayer();
        level->SetPlayer(CPObjectPtr(player));
        camera = new CPCamera();
        level->SetCamera(CPObjectPtr(camera));
    }
    ~HudBindingsTest() override
    {
        level.reset();
        // The script host deletes the screens its scripts made.
        host.reset();
    }

    void Do(const std::string& code) { ASSERT_TRUE(Run(code)) << code << "\n" << log.Text(); }

    // The names of the screen's visible windows among those given.
    std::string Shown(const std::vector<std::string>& names)
    {
        std::string shown;
        for (const std::string& name : names) {
            CPWindow* window = screen->FindWindow(name);
            if (window && window->IsVisible())
                shown += (shown.empty() ? "" : ",") + name;
        }
        return shown;
    }
    std::string ShownEquipment() { return Shown({std::begin(kWindowNames), std::end(kWindowNames)}); }
    std::string Text(const char* name) { return screen->FindText(name)->text; }

    InterfaceWorld world;
    CPInterface* screen = nullptr;
    std::unique_ptr<CPLevel> level;
    CPPlayer* player = nullptr;
    CPCamera* camera = nullptr;
};

// The comma-separated names, sorted.
std::vector<std::string> SortedNames(const std::string& list)
{
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        names.push_back(list.substr(at, comma - at));
        at = comma + 1;
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(HudBindingsTest, EquipmentWindowsShowTheCommittedCar)
{
    struct Case {
        const char* armour;
        const char* engine;
        const char* first;
        const char* second;
        const char* shown;
    } cases[] = {
        {"", "", "", "", "krest,noequipment1,noequipment2"},
        {"titan", "engine2", "laser", "repair", "titan,engine2,repair2,laser"},
        {"steel", "", "analyzer", "", "steel,analyzer,noequipment2"},
    };
    for (const Case& c : cases) {
        CPCarSettings& car = world.gameData.committedCarSettings;
        car.armour = c.armour;
        car.engine = c.engine;
        car.equipment1 = c.first;
        car.equipment2 = c.second;
        Do("InitGameInterface(screen)");
        // Compared as sets: the windows' own order is the screen file's.
        EXPECT_EQ(SortedNames(ShownEquipment()), SortedNames(c.shown)) << c.shown;
    }
    Do("InitGameInterface(nil); InitGameInterface(5)");
}

TEST_F(HudBindingsTest, EngineWindowFollowsTheEngineState)
{
    world.gameData.committedCarSettings.engine = "engine3";
    Do("EngineState(screen, false)");
    EXPECT_EQ(Shown({"engine3"}), "");
    Do("EngineState(screen, 1)");
    EXPECT_EQ(Shown({"engine3"}), "engine3");
    world.gameData.committedCarSettings.engine.clear();
    Do("EngineState(screen, false)");
    EXPECT_EQ(Shown({"engine3"}), "engine3");
}

TEST_F(HudBindingsTest, ScoreTimeKillsAndOverheat)
{
    Do("UpdateScore(screen, 42)");
    EXPECT_EQ(Text("score"), "00042");
    Do("UpdateScore(screen, 0/0)");
    EXPECT_EQ(Text("score"), "00000");

    struct Case {
        float countdown, temperature;
        const char* time;
        int lit;
    } cases[] = {
        {125.0f, 0.5f, "02:05", 6},
        {59.9f, 0.0f, "00:59", 0},
        {600.0f, 1.0f, "10:00", 12},
        {1.0f, 0.04f, "00:01", 0},
    };
    world.gameData.kills = 7;
    for (const Case& c : cases) {
        level->race.levelFailedCountdown = c.countdown;
        player->state.engineTemperature = c.temperature;
        Do("UpdateTime(screen)");
        EXPECT_EQ(Text("time"), c.time);
        EXPECT_EQ(Text("kills"), "00007");
        for (int i = 1; i <= 12; ++i)
            EXPECT_EQ(screen->FindWindow("overheat" + std::to_string(i))->IsVisible(), i <= c.lit)
                << c.temperature << " window " << i;
    }
    level.reset();
    Do("UpdateTime(screen)"); // no level: nothing changes
    EXPECT_EQ(Text("time"), "00:01");
}

TEST_F(HudBindingsTest, CursorNameAndCameraLenses)
{
    Do("SetCursor(screen, 'cursor'); c = GetCursor(screen); n = select('#', GetCursor(nil))");
    EXPECT_EQ(GlobalString("c"), "cursor");
    EXPECT_EQ(GlobalNumber("n"), 0.0);
    level->view.camera1Fov = 55.0f;
    level->view.camera2Fov = 65.0f;
    Do("a, b = GetFov1(), GetFov2()");
    EXPECT_EQ(GlobalNumber("a"), 55.0);
    EXPECT_EQ(GlobalNumber("b"), 65.0);
    level.reset();
    Do("n = select('#', GetFov1()) + select('#', GetFov2()) + select('#', SetPlayersPanel())");
    EXPECT_EQ(GlobalNumber("n"), 0.0);
}

TEST_F(HudBindingsTest, PlayersPanelOrdersTheKeysByScoreKeepingTies)
{
    CPGameData& data = world.gameData;
    data.GetLapRecord("0") = CPLapRecord{};
    data.GetLapRecord("0").lapNumber = 2;
    data.GetLapRecord("0").trackProgress = 30;
    data.GetLapRecord("1").lapNumber = 1;
    data.GetLapRecord("1").trackProgress = 60;
    data.GetLapRecord("3").lapNumber = 3;
    data.GetLapRecord("3").trackProgress = 5;
    data.currentRound = 2;
    data.trackProgress = 10;
    // Scores: "0" 60, "1" 60, "2" -1 (new record), "3" 15, "4" -1, "10" 20.
    Do("t = SetPlayersPanel(); s = table.concat(t, ',')");
    EXPECT_EQ(GlobalString("s"), "2,4,3,10,0,1");
    EXPECT_EQ(data.lapRecords.count("4"), 1u);
    // A table handed in is filled in place and handed back, whatever it
    // held (the keys already in their places among them, numbers that
    // read as the keys); anything but a table gets a new one. Every entry
    // is the key's string.
    struct Case {
        const char* given;
        const char* same; // the table handed back is the one given
    };
    const Case cases[] = {
        {"{}", "true"},
        {"{'x', 'y'}", "true"},
        {"{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', k = 'k'}", "true"},
        {"{'2', '4', '3', '10', '0', '1'}", "true"},
        {"{'2', '4', '3', '1', '0', '10', '7'}", "true"},
        {"{2, 4, 3, 10, 0, 1}", "true"},
        {"{'2', '4 ', '3', '10', '0', '1'}", "true"},
        {"5", "false"},
        {"nil", "false"},
    };
    for (const Case& c : cases) {
        Do(std::string("given = ") + c.given +
           "; t = SetPlayersPanel(given); s = table.concat(t, ',') .. ' ' .. #t .. ' ' .. tostring(t == "
           "given); for i = 1, #t do if type(t[i]) ~= 'string' then s = s .. ' not a string' end end");
        EXPECT_EQ(GlobalString("s"), std::string("2,4,3,10,0,1 6 ") + c.same) << c.given;
    }
}

TEST_F(HudBindingsTest, HealthBarOfACarInViewAndBehindTheCamera)
{
    InterfaceWorld::SetScreenSize(640, 480);
    CPPerspectiveCamera& view = *camera->GetMainCamera();
    view.Eye() = Vector3{0, -20, 0};
    view.Target() = Vector3{0, 10, 0};
    view.Up() = Vector3{0, 0, 1};
    view.FieldOfView() = 1.0f;
    view.NearPlane() = 1.0f;
    view.FarPlane() = 200.0f;
    view.SetViewChanged();
    view.SetProjectionChanged();
    view.Update();
    auto* car = new CPPlayer();
    level->AddOpponent(CPObjectPtr(car));
    car->SetBoundingBox(CPBoundingBox(Vector3{0, 0, 0}, Vector3{1, 1, 1}));
    car->SetPosition(Vector3{4, 20, 0});
    car->UpdateBounds();
    car->damage = 40.0f;
    SetGlobal("car", car);
    Do("x, y, len = GetHelthBarCoord(car)");
    // The box pulled half way to its centre spans x 3.5..4.5, 39.5..40.5
    // ahead of the eye and z -0.5..0.5. Looking along +y with z up, world
    // +x lies to the screen's left: the bar's left edge is x 4.5 over the
    // near depth, its top the upper edge over the near depth.
    const double focal = 1.0 / std::tan(0.5);
    EXPECT_NEAR(GlobalNumber("x"), (1.0 - focal / (640.0 / 480.0) * 4.5 / 39.5) * 320.0, 0.05);
    EXPECT_NEAR(GlobalNumber("y"), (1.0 - focal * 0.5 / 39.5) * 240.0, 0.05);
    EXPECT_NEAR(GlobalNumber("len"), 60.0 * 0.47001317, 1e-4);
    car->SetPosition(Vector3{0, -20, 0});
    car->UpdateBounds();
    Do("x, y, len = GetHelthBarCoord(car)");
    EXPECT_EQ(GlobalNumber("x"), -100.0);
    EXPECT_EQ(GlobalNumber("y"), -100.0);
    EXPECT_EQ(GlobalNumber("len"), 0.0);
    Do("n = select('#', GetHelthBarCoord(nil))");
    EXPECT_EQ(GlobalNumber("n"), 0.0);
}

TEST_F(HudBindingsTest, WeaponSlotsShowTheSelectedWeaponAtItsSlotAndTheSuperWeapons)
{
    struct Case {
        const char* weapons[3];
        std::int32_t slot;
        std::int32_t superWeapons;
        const char* shown;
    } cases[] = {
        {{"mgun", "gauss", ""}, 1, 2, "mgun_off,gauss,slot3,super1,super2,nosuper3"},
        {{"lgun", "hmgun", "plasma"}, 0, 0, "lgun,hmgun_off,plasma_off,nosuper1,nosuper2,nosuper3"},
        {{"", "", ""}, -1, 3, "slot1,slot2,slot3,super1,super2,super3"},
        {{"firethrower", "shotgun", "rlauncher"},
         -1,
         7,
         "firethrower_off,shotgun_off,rlauncher_off,super1,super2,super3"},
    };
    CPCarSettings& car = world.gameData.committedCarSettings;
    for (const Case& c : cases) {
        car.weapon1 = c.weapons[0];
        car.weapon2 = c.weapons[1];
        car.weapon3 = c.weapons[2];
        car.superWeaponCount = c.superWeapons;
        player->weapons.weaponSlot = c.slot;
        screen->FindWindow("contact")->SetVisible(true);
        Do("UpdateGameInterface(screen)");
        EXPECT_EQ(SortedNames(Shown(ArmsWindowNames())), SortedNames(c.shown)) << c.shown;
        for (int k = 0; k < 3; ++k) {
            if (!*c.weapons[k])
                continue;
            const std::string name = std::string(c.weapons[k]) + (c.slot == k ? "" : "_off");
            const CPWindow* slot = screen->FindWindow("slot" + std::to_string(k + 1));
            EXPECT_EQ(screen->FindWindow(name)->GetX(), slot->GetX()) << name;
            EXPECT_EQ(screen->FindWindow(name)->GetY(), slot->GetY()) << name;
        }
    }
}

TEST_F(HudBindingsTest, LifeMinesAndAmmunition)
{
    struct Case {
        float life;
        bool mineReady;
        std::int32_t mineCount;
        float mineFactor;
        std::int32_t slot;
        float ammunition;
        const char* lifeText;
        const char* minesText;
        const char* mineWindows;
        int bullets;
    } cases[] = {
        {25.7f, true, 3, 1.5f, 0, 0.5f, "025", "04", "mines,spike", 9},
        {100000.0f, false, 3, 1.5f, -1, 1.0f, "100000", "00", "no_mina", 0},
        {0.9f, true, 0, 2.0f, 2, 1.0f, "000", "00", "mines,spike", 17},
        {-3.5f, false, 0, 0.0f, 1, 0.0f, "-03", "00", "no_mina", 0},
        {50.0f, true, 7, 1.0f, 1, 0.02f, "050", "07", "mines,spike", 0},
        {50.0f, true, 7, 1.0f, 1, 0.03f, "050", "07", "mines,spike", 1},
    };
    world.gameData.committedCarSettings.mine = "spike";
    for (const Case& c : cases) {
        player->combatValues[0] = c.life;
        player->weapons.mineReady = c.mineReady;
        player->weapons.mineParameters.value1 = c.mineCount;
        player->weapons.mineParameters.value2 = c.mineFactor;
        player->weapons.weaponSlot = c.slot;
        player->weapons.ammunition = {c.ammunition, c.ammunition, c.ammunition};
        // The mine's own window is not among those the display hides first.
        screen->FindWindow("spike")->SetVisible(false);
        Do("UpdateGameInterface(screen)");
        EXPECT_EQ(Text("life"), c.lifeText) << c.life;
        EXPECT_EQ(Text("mines"), c.minesText) << c.mineCount;
        EXPECT_EQ(Shown({"mines", "spike", "no_mina"}), c.mineWindows);
        for (int i = 1; i <= 17; ++i)
            EXPECT_EQ(screen->FindWindow("bullet" + std::to_string(i))->IsVisible(), i <= c.bullets)
                << c.ammunition << " bullet " << i;
    }
    // The mine is shown where the no-mine sign stands.
    EXPECT_EQ(screen->FindWindow("spike")->GetX(), screen->FindWindow("no_mina")->GetX());
    EXPECT_EQ(screen->FindWindow("spike")->GetY(), screen->FindWindow("no_mina")->GetY());
}

TEST_F(HudBindingsTest, TheCursorAimsTheWeaponKind)
{
    const char* const cursors[] = {"bullet", "bullet", "bullet", "rocket", "rocket",
                                   "plazma", "bullet", "plazma", "shotgun"};
    for (std::int32_t kind = 0; kind <= 8; ++kind) {
        Do("SetCursor(screen, 'cursor')");
        player->weapons.weaponKind = kind;
        Do("UpdateGameInterface(screen)");
        EXPECT_EQ(screen->GetCursorName(), cursors[kind]) << kind;
    }
    for (std::int32_t kind : {9, -1, 10}) {
        Do("SetCursor(screen, 'cursor')");
        player->weapons.weaponKind = kind;
        Do("UpdateGameInterface(screen)");
        EXPECT_EQ(screen->GetCursorName(), "cursor") << kind;
    }
}

TEST_F(HudBindingsTest, TheWeaponDisplayNeedsAScreenAndThePlayersCar)
{
    screen->FindWindow("contact")->SetVisible(true);
    Do("UpdateGameInterface(nil); UpdateGameInterface(5); UpdateGameInterface({})");
    EXPECT_TRUE(screen->FindWindow("contact")->IsVisible());
    level->SetPlayer(CPObjectPtr()); // the level deletes its car
    player = nullptr;
    Do("UpdateGameInterface(screen)");
    EXPECT_TRUE(screen->FindWindow("contact")->IsVisible());
    level.reset();
    Do("UpdateGameInterface(screen)");
    EXPECT_TRUE(screen->FindWindow("contact")->IsVisible());
}
